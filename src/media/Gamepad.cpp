#include "Gamepad.h"

#include <QTimer>
#include <SDL.h>
#include <algorithm>
#include <cstdlib>
#include <iterator>

Gamepad::Gamepad(QObject* parent) : QObject(parent), m_timer(new QTimer(this)) {
    m_elapsed.start();
    m_timer->setInterval(kLookMs);
    connect(m_timer, &QTimer::timeout, this, &Gamepad::poll);
}

Gamepad::~Gamepad() {
    for (auto& [id, pad] : m_pads)
        SDL_GameControllerClose(pad.controller);
    m_pads.clear();
    // Only the subsystem opened here: the sound's audio stays open.
    if (m_available)
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool Gamepad::start() {
    if (m_started)
        return m_available;
    m_started = true;
    // The events subsystem that comes with it would otherwise put in SDL's own SIGINT
    // and SIGTERM handlers, and a desktop session ending would not save the settings.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        m_error = QString::fromUtf8(SDL_GetError());
        return false;
    }
    m_available = true;
    // Pads plugged in before are announced by events as well; opening one twice is
    // noticed by its instance id.
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (SDL_IsGameController(i))
            open(i);
    }
    return true;
}

void Gamepad::setPolling(bool on) {
    if (on == m_timer->isActive())
        return;
    if (!on) {
        m_timer->stop();
        forgetHeld();
        return;
    }
    if (!start())
        return;
    m_dropNext = true;
    updateInterval();
    m_timer->start();
}

bool Gamepad::isPolling() const {
    return m_timer->isActive();
}

void Gamepad::setIgnored(bool ignored) {
    if (ignored == m_ignored)
        return;
    m_ignored = ignored;
    forgetHeld();
    if (!ignored)
        m_dropNext = true;
}

qint64 Gamepad::now() const {
    return m_clock ? m_clock() : m_elapsed.elapsed();
}

template <typename Emit> void Gamepad::act(Emit emitAction) {
    if (m_timer->isActive())
        m_timer->start();
    emitAction();
}

void Gamepad::dropPending() {
    if (!m_available)
        return;
    SDL_Event event;
    SDL_PumpEvents();
    while (takeEvent(event))
        handle(event, false);
    forgetHeld();
}

int Gamepad::pollInterval() const {
    return m_timer->interval();
}

void Gamepad::poll() {
    if (!m_available)
        return;
    const bool acting = !m_ignored && !m_dropNext;
    if (!m_ignored)
        m_dropNext = false;
    SDL_Event event;
    SDL_PumpEvents();
    while (takeEvent(event)) {
        if (isTouch(event))
            m_lastTouch = now();
        handle(event, acting);
        // An action that ran the emulator or began dropping (it returns only after the
        // run): what is still queued came during the run and is dropped.
        if (acting && (m_ignored || m_dropNext))
            return;
    }
    if (acting && m_repeatStep != 0 && now() >= m_nextRepeat) {
        m_nextRepeat = now() + kRepeatIntervalMs;
        act([this] { emit moveSelection(m_repeatStep); });
    }
    updateInterval();
}

bool Gamepad::takeEvent(SDL_Event& event) {
    // Not SDL_PollEvent: a reading inside an action's box would stop at the mark that the
    // interrupted reading left in SDL's queue, without fetching the pads' newest state.
    return SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0;
}

bool Gamepad::isTouch(const SDL_Event& event) {
    switch (event.type) {
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        return true;
    case SDL_CONTROLLERAXISMOTION:
        return std::abs(int(event.caxis.value)) >= kStickReleased;
    default:
        return false;
    }
}

void Gamepad::handle(const SDL_Event& event, bool acting) {
    switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
        open(event.cdevice.which);
        break;
    case SDL_CONTROLLERDEVICEREMOVED:
        close(event.cdevice.which);
        break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        if (!acting)
            break;
        const bool down = event.type == SDL_CONTROLLERBUTTONDOWN;
        const int id = event.cbutton.which;
        switch (event.cbutton.button) {
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            setDirection(id, Up, false, down);
            break;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            setDirection(id, Down, false, down);
            break;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            setDirection(id, Left, false, down);
            break;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            setDirection(id, Right, false, down);
            break;
        default:
            if (down)
                pressButton(event.cbutton.button);
            break;
        }
        break;
    }
    case SDL_CONTROLLERAXISMOTION:
        if (acting)
            moveStick(event.caxis.which, event.caxis.axis, event.caxis.value);
        break;
    default:
        break;
    }
}

void Gamepad::open(int deviceIndex) {
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (!controller)
        return;
    const int id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
    if (m_pads.count(id)) {
        SDL_GameControllerClose(controller); // SDL counts the opens of one pad
        return;
    }
    m_pads[id].controller = controller;
    m_lastTouch = now(); // a pad just plugged in is about to be used
    updateInterval();
    emit padsChanged(padCount());
}

void Gamepad::close(int instanceId) {
    const auto found = m_pads.find(instanceId);
    if (found == m_pads.end())
        return;
    const bool wasVertical = held(Up) || held(Down);
    SDL_GameControllerClose(found->second.controller);
    m_pads.erase(found);
    if (wasVertical && !held(Up) && !held(Down))
        m_repeatStep = 0;
    updateInterval();
    emit padsChanged(padCount());
}

void Gamepad::pressButton(int button) {
    switch (button) {
    case SDL_CONTROLLER_BUTTON_A:
        act([this] { emit startGame(); });
        break;
    case SDL_CONTROLLER_BUTTON_B:
        act([this] { emit escape(); });
        break;
    case SDL_CONTROLLER_BUTTON_Y:
        act([this] { emit toggleFavourite(); });
        break;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
        act([this] { emit movePage(-1); });
        break;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
        act([this] { emit movePage(1); });
        break;
    case SDL_CONTROLLER_BUTTON_START:
        act([this] { emit toggleFullScreen(); });
        break;
    default:
        break;
    }
}

bool Gamepad::held(Direction direction) const {
    for (const auto& [id, pad] : m_pads) {
        if (pad.dpad[direction] || pad.stick[direction])
            return true;
    }
    return false;
}

void Gamepad::setDirection(int instanceId, Direction direction, bool stick, bool on) {
    const auto found = m_pads.find(instanceId);
    if (found == m_pads.end())
        return;
    const bool before = held(direction);
    (stick ? found->second.stick : found->second.dpad)[direction] = on;
    const bool after = held(direction);
    if (before == after)
        return;
    const int step = (direction == Up || direction == Left) ? -1 : 1;
    if (direction == Left || direction == Right) {
        if (after)
            act([this, step] { emit stepPicture(step); });
        return;
    }
    if (after) {
        // The direction pressed last repeats.
        m_repeatStep = step;
        m_nextRepeat = now() + kRepeatDelayMs;
        act([this, step] { emit moveSelection(step); });
    } else if (m_repeatStep == step) {
        const Direction other = direction == Up ? Down : Up;
        m_repeatStep = held(other) ? -step : 0;
        m_nextRepeat = now() + kRepeatIntervalMs;
    }
}

void Gamepad::moveStick(int instanceId, int axis, int value) {
    if (axis != SDL_CONTROLLER_AXIS_LEFTX && axis != SDL_CONTROLLER_AXIS_LEFTY)
        return;
    const bool vertical = axis == SDL_CONTROLLER_AXIS_LEFTY;
    const Direction negative = vertical ? Up : Left;
    const Direction positive = vertical ? Down : Right;
    // The pad is looked up for each half: the first may run an action during which the
    // pad is read again and this one found pulled out.
    const auto set = [&](Direction direction, bool pushed, bool released) {
        const auto found = m_pads.find(instanceId);
        if (found == m_pads.end())
            return;
        const bool on = found->second.stick[direction];
        if (!on && pushed)
            setDirection(instanceId, direction, true, true);
        else if (on && released)
            setDirection(instanceId, direction, true, false);
    };
    set(negative, value <= -kStickPushed, value > -kStickReleased);
    set(positive, value >= kStickPushed, value < kStickReleased);
}

void Gamepad::forgetHeld() {
    for (auto& [id, pad] : m_pads) {
        std::fill(std::begin(pad.dpad), std::end(pad.dpad), false);
        std::fill(std::begin(pad.stick), std::end(pad.stick), false);
    }
    m_repeatStep = 0;
}

void Gamepad::updateInterval() {
    int interval = kLookMs;
    if (!m_pads.empty()) {
        const bool inUse = m_repeatStep != 0 || now() - m_lastTouch < kIdleAfterMs;
        interval = inUse ? kPollMs : kIdlePollMs;
    }
    // Setting the interval starts the timer anew: only a change does it.
    if (m_timer->interval() != interval)
        m_timer->setInterval(interval);
}
