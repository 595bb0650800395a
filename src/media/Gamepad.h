#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>
#include <map>

class QTimer;
struct _SDL_GameController;
union SDL_Event;

// Game controllers (gamepads) through SDL's game-controller API, turned into the
// front-end's actions, one signal each. Pads are found as they are plugged in, also
// while the program runs.
//
// SDL's events are read from the Qt event loop by a timer that runs only while polling
// is on (the program's window is active); the first start opens SDL's game-controller
// subsystem next to the sound's. Events that came while polling was off, or while the
// pad was ignored, are dropped, never acted on later: the presses made in a game must
// not move the list once the game is over.
//
// An action may open a box and wait in its event loop: the pad is read on inside it, so
// that it works the box. A pad left untouched for kIdleAfterMs is read at kIdlePollMs.
class Gamepad final : public QObject {
    Q_OBJECT

public:
    // Up and down repeat while held: first after the delay, then at the interval.
    static constexpr int kRepeatDelayMs = 400;
    static constexpr int kRepeatIntervalMs = 100;
    static constexpr int kPollMs = 16;        // while a pad is open and in use
    static constexpr int kIdlePollMs = 100;   // while a pad lies untouched
    static constexpr int kIdleAfterMs = 3000; // untouched for this long counts as idle
    static constexpr int kLookMs = 500;       // while none is open: only looking for one
    // The stick counts as pushed beyond the first value and as let go within the second,
    // so that a stick held near the edge does not flicker.
    static constexpr int kStickPushed = 16384;
    static constexpr int kStickReleased = 8192;

    explicit Gamepad(QObject* parent = nullptr);
    ~Gamepad() override;
    Q_DISABLE_COPY_MOVE(Gamepad)

    // Starts or stops the reading of the pads.
    void setPolling(bool on);
    bool isPolling() const;
    // While ignored (the emulator runs and owns the pad), events are read and dropped
    // and nothing held repeats; pads plugged in or out are still followed. What came
    // until the next reading after the end is dropped too.
    void setIgnored(bool ignored);
    bool isIgnored() const { return m_ignored; }

    // Reads every pending event and repeats a held direction; the timer calls it.
    void poll();
    // Reads what is pending without acting on it (pads plugged in or out are still
    // followed) and forgets what is held: a box closed, and what was pressed while it
    // was open must not act on what lies behind it.
    void dropPending();

    // False when SDL's game-controller subsystem could not be opened (errorText says
    // why); the pad then does nothing.
    bool isAvailable() const { return m_available; }
    QString errorText() const { return m_error; }
    int padCount() const { return int(m_pads.size()); }
    // How often the pads are read now, in milliseconds.
    int pollInterval() const;

    // The time in milliseconds that the repeat goes by; tests set their own.
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }

signals:
    void moveSelection(int step); // up -1, down +1 (D-pad or left stick), repeated while held
    void stepPicture(int step);   // left -1, right +1 (D-pad or left stick)
    void startGame();             // A
    void escape();                // B
    void toggleFavourite();       // Y
    void movePage(int step);      // left shoulder -1, right shoulder +1
    void toggleFullScreen();      // Start
    void padsChanged(int count);

private:
    enum Direction { Up, Down, Left, Right, DirectionCount };
    struct Pad {
        _SDL_GameController* controller = nullptr;
        bool dpad[DirectionCount] = {};
        bool stick[DirectionCount] = {};
    };

    bool start();
    qint64 now() const;
    // The next event that SDL's queue holds, after SDL_PumpEvents() fetched the pads'
    // state.
    static bool takeEvent(SDL_Event& event);
    void handle(const SDL_Event& event, bool acting);
    // Whether the event shows a hand on the pad (a stick resting near its centre does
    // not count).
    static bool isTouch(const SDL_Event& event);
    // Emits one action. The timer is started anew first: a timer does not fire again
    // while its own timeout runs, and the action may wait in a box's event loop.
    template <typename Emit> void act(Emit emitAction);
    void open(int deviceIndex);
    void close(int instanceId);
    void pressButton(int button);
    // Sets one source of a direction and acts on what the pads together hold now.
    void setDirection(int instanceId, Direction direction, bool stick, bool on);
    void moveStick(int instanceId, int axis, int value);
    bool held(Direction direction) const;
    void forgetHeld();
    void updateInterval();

    QTimer* m_timer = nullptr;
    QElapsedTimer m_elapsed;
    std::function<qint64()> m_clock;
    bool m_started = false;
    bool m_available = false;
    QString m_error;
    std::map<int, Pad> m_pads; // by SDL's instance id
    bool m_ignored = false;
    bool m_dropNext = false;
    qint64 m_lastTouch = 0; // when a hand was last on a pad
    int m_repeatStep = 0;   // the held vertical direction that repeats, or 0
    qint64 m_nextRepeat = 0;
};
