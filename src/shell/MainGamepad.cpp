// The main window's gamepad: each action of the pad done as the keyboard would do it.

#include "MainUnit.h"
#include "games/GameListModel.h"
#include "games/GameListView.h"
#include "launch/Execfile.h"
#include "media/Gamepad.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <algorithm>

namespace {

// A key pressed and let go at the widget, as the keyboard would send it there: what
// the widget does not take goes on to its parents.
void sendKey(QWidget* widget, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

} // namespace

void TMain::buildGamepad() {
    m_gamepad = new Gamepad(this);
    m_gamepad->setObjectName(QStringLiteral("Gamepad"));
    connect(m_gamepad, &Gamepad::moveSelection, this, &TMain::GamepadMove);
    connect(m_gamepad, &Gamepad::movePage, this, &TMain::GamepadPage);
    connect(m_gamepad, &Gamepad::stepPicture, this, &TMain::GamepadPicture);
    connect(m_gamepad, &Gamepad::startGame, this, &TMain::GamepadStart);
    connect(m_gamepad, &Gamepad::escape, this, &TMain::GamepadEscape);
    connect(m_gamepad, &Gamepad::toggleFullScreen, this, &TMain::GamepadFullScreen);
    connect(m_gamepad, &Gamepad::toggleFavourite, this, &TMain::GamepadFavourite);

    // The game owns the pad while the emulator runs; what it did there stays there.
    connect(m_execEmu, &TExecFile::waitStarted, m_gamepad, [this] { m_gamepad->setIgnored(true); });
    connect(m_execEmu, &TExecFile::waitFinished, m_gamepad,
            [this] { m_gamepad->setIgnored(m_execEmu->isRunning()); });
    // The pad is read while the program has the desktop's focus, as the keyboard is;
    // the first time opens SDL's part for it, after the start-up.
    const auto follow = [this](Qt::ApplicationState state) {
        m_gamepad->setPolling(state == Qt::ApplicationActive);
    };
    connect(qApp, &QGuiApplication::applicationStateChanged, m_gamepad, follow);
    if (QGuiApplication::applicationState() == Qt::ApplicationActive)
        follow(Qt::ApplicationActive);
}

bool TMain::gamepadReachesWindow() const {
    return isActiveWindow() && !QApplication::activeModalWidget() &&
           !QApplication::activePopupWidget();
}

void TMain::GamepadMove(int step) {
    if (!gamepadReachesWindow() || inDefaultsMode())
        return;
    const int count = m_listModel->rowCount();
    if (count == 0)
        return;
    // In list order in every style: left and right are the pictures'.
    const int row = GameList->selectedRow();
    const int next = row < 0 ? 0 : std::clamp(row + step, 0, count - 1);
    if (next != row)
        GameList->selectRow(next, false);
}

void TMain::GamepadPage(int step) {
    if (!gamepadReachesWindow() || inDefaultsMode() || m_listModel->rowCount() == 0)
        return;
    QAbstractItemView* list = GameList->currentView();
    if (GameList->selectedRow() < 0)
        GameList->selectRow(0, false);
    sendKey(list, step < 0 ? Qt::Key_PageUp : Qt::Key_PageDown);
}

void TMain::GamepadPicture(int step) {
    if (!gamepadReachesWindow() || inDefaultsMode())
        return;
    if (step < 0)
        SToolPrevClick();
    else
        SToolNextClick();
}

void TMain::GamepadStart() {
    if (gamepadReachesWindow())
        StartEmuButtonClick();
}

void TMain::GamepadEscape() {
    // B is Escape: a menu or a box that is open takes it, else what has the keyboard
    // in the active window (the search field clears itself), and what nothing takes
    // reaches the main window, which leaves full screen.
    QWidget* target = QApplication::activePopupWidget();
    if (!target)
        target = QApplication::activeModalWidget();
    if (!target)
        target = QApplication::activeWindow();
    if (!target)
        return;
    if (QWidget* focus = target->focusWidget())
        target = focus;
    sendKey(target, Qt::Key_Escape);
}

void TMain::GamepadFullScreen() {
    if (gamepadReachesWindow())
        MenuFullScreen->trigger();
}

void TMain::GamepadFavourite() {
    if (gamepadReachesWindow())
        MenuFavourite->trigger(); // does nothing while no game is selected
}
