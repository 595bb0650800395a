// The main window's gamepad: each action of the pad done as the keyboard would do it.

#include "MainUnit.h"
#include "games/GameListModel.h"
#include "games/GameListView.h"
#include "launch/Execfile.h"
#include "media/Gamepad.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
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

// The box or menu that has the keyboard now: a menu that is open, else a box. The pad
// works it instead of the window.
QWidget* openBoxOrMenu() {
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup;
    return QApplication::activeModalWidget();
}

// Moves the focus to the box's next (step 1) or previous (step -1) button, in the order
// Tab goes, round at the ends.
void focusNextButton(QWidget* box, int step) {
    QList<QPushButton*> buttons;
    // The focus chain holds the box's widgets and comes back to the box; the bound only
    // guards against a chain that never does.
    QWidget* widget = box->nextInFocusChain();
    for (int i = 0; widget && widget != box && i < 10000;
         ++i, widget = widget->nextInFocusChain()) {
        auto* button = qobject_cast<QPushButton*>(widget);
        if (button && button->window() == box && button->isVisible() && button->isEnabled() &&
            (button->focusPolicy() & Qt::TabFocus))
            buttons.append(button);
    }
    if (buttons.isEmpty())
        return;
    const qsizetype count = buttons.size();
    const qsizetype at = buttons.indexOf(qobject_cast<QPushButton*>(box->focusWidget()));
    const qsizetype next =
        at < 0 ? (step > 0 ? 0 : count - 1) : ((at + (step > 0 ? 1 : -1)) % count + count) % count;
    buttons[next]->setFocus(Qt::TabFocusReason);
}

// Tells the pad when a box closes: whatever closed it, what was pressed while it was
// open and not read yet must not act on the window behind it.
class BoxCloseWatcher final : public QObject {
public:
    explicit BoxCloseWatcher(Gamepad* pad) : QObject(pad), m_pad(pad) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide && watched->isWidgetType()) {
            const auto* widget = static_cast<const QWidget*>(watched);
            if (widget->isWindow() && widget->isModal())
                m_pad->dropPending();
        }
        return false;
    }

private:
    Gamepad* m_pad;
};

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
    qApp->installEventFilter(new BoxCloseWatcher(m_gamepad));

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
    // In a menu the items, in a box the buttons.
    if (QWidget* box = openBoxOrMenu()) {
        if (qobject_cast<QMenu*>(box))
            sendKey(box, step < 0 ? Qt::Key_Up : Qt::Key_Down);
        else
            focusNextButton(box, step);
        return;
    }
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
    if (QWidget* box = openBoxOrMenu()) {
        if (qobject_cast<QMenu*>(box))
            sendKey(box, step < 0 ? Qt::Key_Left : Qt::Key_Right);
        else
            focusNextButton(box, step);
        return;
    }
    if (!gamepadReachesWindow() || inDefaultsMode())
        return;
    if (step < 0)
        SToolPrevClick();
    else
        SToolNextClick();
}

void TMain::GamepadStart() {
    // A presses the box's button that has the focus; elsewhere in the box it is Enter,
    // which presses the default button. In a menu it chooses the item.
    if (QWidget* box = openBoxOrMenu()) {
        QWidget* focus = box->focusWidget();
        if (auto* button = qobject_cast<QAbstractButton*>(focus); button && button->isEnabled())
            button->click();
        else
            sendKey(focus ? focus : box, Qt::Key_Return);
        return;
    }
    // As Enter: a game that cannot start says why.
    if (gamepadReachesWindow())
        StartSelectedGame();
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
