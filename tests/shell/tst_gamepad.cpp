// The gamepad through SDL's own game-controller path: a virtual pad that SDL makes
// (no hardware), its buttons and stick set as a player would, read by the real code.

#include "DemoCatalog.h"
#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "games/GameListModel.h"
#include "games/GameListView.h"
#include "launch/Execfile.h"
#include "media/Gamepad.h"
#include "media/ScreenShotHandeling.h"
#include "shell/MainUnit1.h"
#include "shell/QtPrompter.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <SDL.h>

using testsupport::FrontEndDir;
using testsupport::ScopedEnv;

namespace {

// A pad plugged in for the object's lifetime, pulled out at its end.
class VirtualPad {
public:
    VirtualPad() {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        SDL_InitSubSystem(SDL_INIT_JOYSTICK);
        const int index =
            SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                      SDL_CONTROLLER_BUTTON_MAX, 0);
        m_joystick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
        if (!m_joystick)
            qFatal("no virtual pad: %s", SDL_GetError());
        m_id = SDL_JoystickInstanceID(m_joystick);
    }
    ~VirtualPad() {
        SDL_JoystickClose(m_joystick);
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == m_id)
                SDL_JoystickDetachVirtual(i);
        }
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    void button(SDL_GameControllerButton button, bool down) {
        SDL_JoystickSetVirtualButton(m_joystick, button, down ? 1 : 0);
    }
    void axis(SDL_GameControllerAxis axis, int value) {
        SDL_JoystickSetVirtualAxis(m_joystick, axis, Sint16(value));
    }

private:
    SDL_Joystick* m_joystick = nullptr;
    SDL_JoystickID m_id = -1;
};

// Everything the pad said, one word each, in order.
class Said : public QStringList {
public:
    explicit Said(Gamepad& pad) {
        const auto word = [this](const char* what) {
            return [this, what](int step) {
                append(QLatin1StringView(what) + (step < 0 ? u'-' : u'+'));
            };
        };
        QObject::connect(&pad, &Gamepad::moveSelection, word("move"));
        QObject::connect(&pad, &Gamepad::stepPicture, word("picture"));
        QObject::connect(&pad, &Gamepad::movePage, word("page"));
        QObject::connect(&pad, &Gamepad::startGame, [this] { append(QStringLiteral("start")); });
        QObject::connect(&pad, &Gamepad::escape, [this] { append(QStringLiteral("escape")); });
        QObject::connect(&pad, &Gamepad::toggleFavourite,
                         [this] { append(QStringLiteral("favourite")); });
        QObject::connect(&pad, &Gamepad::toggleFullScreen,
                         [this] { append(QStringLiteral("fullscreen")); });
    }
    QString take() { return std::exchange(static_cast<QStringList&>(*this), {}).join(u' '); }
};

} // namespace

class TestGamepad : public QObject {
    Q_OBJECT

private slots:
    // The pad on its own: SDL opened, the pad found when plugged in and let go when
    // pulled out, each button its action, read only by poll() here.
    void buttonsAndHotplug() {
        Gamepad pad;
        pad.setPolling(true);
        pad.setPolling(false);
        QVERIFY2(pad.isAvailable(), qPrintable(pad.errorText()));
        Said said(pad);
        {
            VirtualPad virtualPad;
            pad.poll();
            QCOMPARE(pad.padCount(), 1);
            for (const auto button :
                 {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_Y,
                  SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_BUTTON_START, SDL_CONTROLLER_BUTTON_BACK,
                  SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
                  SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT}) {
                virtualPad.button(button, true);
                pad.poll();
                virtualPad.button(button, false);
                pad.poll();
            }
            QCOMPARE(said.take(), QStringLiteral("start escape favourite fullscreen page- page+ "
                                                 "picture- picture+"));
        }
        pad.poll();
        QCOMPARE(pad.padCount(), 0);

        // An action that pulls the pad out (its handler reads the pad again, which finds
        // it gone) ends the reading of that pad's stick without touching its entry.
        std::optional<VirtualPad> pulled(std::in_place);
        pad.poll();
        const auto connection = connect(&pad, &Gamepad::moveSelection, this, [&] {
            pulled.reset();
            pad.poll();
            QCOMPARE(pad.padCount(), 0);
        });
        pulled->axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
        pad.poll();
        disconnect(connection);
        QCOMPARE(pad.padCount(), 0);
        QCOMPARE(said.take(), QStringLiteral("move-"));
    }

    // Up and down repeat while held, first after the delay, then at the interval; the
    // direction pressed last repeats; the stick counts as pushed past one value and as
    // let go only within a smaller one.
    void directionsRepeatWhileHeld() {
        Gamepad pad;
        qint64 now = 0;
        pad.setClock([&] { return now; });
        pad.setPolling(true);
        pad.setPolling(false);
        Said said(pad);
        VirtualPad virtualPad;
        pad.poll();
        const auto at = [&](qint64 ms) {
            now = ms;
            pad.poll();
        };

        virtualPad.button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
        at(1000);
        at(1000 + Gamepad::kRepeatDelayMs - 1);
        QCOMPARE(said.take(), QStringLiteral("move+"));
        at(1000 + Gamepad::kRepeatDelayMs);
        at(1000 + Gamepad::kRepeatDelayMs + Gamepad::kRepeatIntervalMs);
        QCOMPARE(said.take(), QStringLiteral("move+ move+"));
        virtualPad.button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
        at(2000);
        at(2000 + Gamepad::kRepeatDelayMs);
        virtualPad.button(SDL_CONTROLLER_BUTTON_DPAD_UP, false);
        at(3000);
        at(3000 + Gamepad::kRepeatIntervalMs);
        virtualPad.button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
        at(4000);
        at(9000);
        QCOMPARE(said.take(), QStringLiteral("move- move- move+"));

        // The stick: up, held between the two values, let go; right once per push.
        virtualPad.axis(SDL_CONTROLLER_AXIS_LEFTY, -Gamepad::kStickPushed);
        at(10000);
        virtualPad.axis(SDL_CONTROLLER_AXIS_LEFTY, -Gamepad::kStickReleased);
        at(10000 + Gamepad::kRepeatDelayMs);
        virtualPad.axis(SDL_CONTROLLER_AXIS_LEFTY, -Gamepad::kStickReleased + 1);
        at(11000);
        at(12000);
        QCOMPARE(said.take(), QStringLiteral("move- move-"));
        for (const int x :
             {30000, 20000, 32767, 0, Gamepad::kStickPushed, -Gamepad::kStickPushed}) {
            virtualPad.axis(SDL_CONTROLLER_AXIS_LEFTX, x);
            at(now + 1);
        }
        QCOMPARE(said.take(), QStringLiteral("picture+ picture+ picture-"));

        // A pad left untouched is read slowly; a hand on it, or a direction held, reads
        // it quickly again. A stick resting near its centre is no hand.
        virtualPad.axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
        virtualPad.button(SDL_CONTROLLER_BUTTON_X, true);
        at(20000);
        QCOMPARE(pad.pollInterval(), Gamepad::kPollMs);
        at(20000 + Gamepad::kIdleAfterMs);
        QCOMPARE(pad.pollInterval(), Gamepad::kIdlePollMs);
        virtualPad.axis(SDL_CONTROLLER_AXIS_LEFTX, Gamepad::kStickReleased - 1);
        at(now + 1);
        QCOMPARE(pad.pollInterval(), Gamepad::kIdlePollMs);
        virtualPad.button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
        at(now + 1);
        QCOMPARE(pad.pollInterval(), Gamepad::kPollMs);
        at(now + Gamepad::kIdleAfterMs + 1);
        QCOMPARE(pad.pollInterval(), Gamepad::kPollMs); // held: it repeats
        virtualPad.button(SDL_CONTROLLER_BUTTON_DPAD_UP, false);
        at(now + 1);
        at(now + Gamepad::kIdleAfterMs);
        QCOMPARE(pad.pollInterval(), Gamepad::kIdlePollMs);
    }

    // While ignored, what the pad does is dropped, not kept for later (nor what came
    // until the first reading after), and a held direction stops repeating; pads are
    // still found meanwhile. Reading stopped and started again drops alike.
    void ignoredPadDropsItsEvents() {
        Gamepad pad;
        qint64 now = 0;
        pad.setClock([&] { return now; });
        pad.setPolling(true);
        pad.setPolling(false);
        Said said(pad);
        VirtualPad first;
        pad.poll();
        first.button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
        pad.poll();
        pad.setIgnored(true);
        first.button(SDL_CONTROLLER_BUTTON_B, true);
        now = 5000;
        pad.poll();
        VirtualPad second;
        pad.poll();
        QCOMPARE(pad.padCount(), 2);
        first.button(SDL_CONTROLLER_BUTTON_A, true);
        pad.setIgnored(false);
        pad.poll();
        pad.setPolling(true);
        pad.setPolling(false);
        first.button(SDL_CONTROLLER_BUTTON_START, true);
        pad.poll();
        now = 9000;
        first.button(SDL_CONTROLLER_BUTTON_Y, true);
        pad.poll();
        QCOMPARE(said.take(), QStringLiteral("move+ favourite"));
    }

    // The window: the pad is read while the window is active, and each action does
    // what its key would do.
    void padDrivesTheWindow() {
        start();
        m_main->resize(800, 500);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
        Gamepad* pad = m_main->gamepad();
        QTRY_VERIFY(pad->isPolling());
        VirtualPad virtualPad;
        QTRY_COMPARE(pad->padCount(), 1); // found by the window's own reading
        const auto press = [&](SDL_GameControllerButton button) {
            virtualPad.button(button, true);
            pad->poll();
            virtualPad.button(button, false);
            pad->poll();
        };

        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("g0"));
        press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
        press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("g2"));
        press(SDL_CONTROLLER_BUTTON_DPAD_UP);
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("g1"));
        // Y marks the selected game as a favourite, and unmarks it.
        press(SDL_CONTROLLER_BUTTON_Y);
        QVERIFY(m_main->currentGame()->Favourite);
        press(SDL_CONTROLLER_BUTTON_Y);
        QVERIFY(!m_main->currentGame()->Favourite);
        // A page down and back up, in the details too.
        for (const char* style : {"MSIconsLarge", "MSIconsDetails"}) {
            action(style)->trigger();
            QTRY_VERIFY(view()->currentView()->visualRect(model()->index(1, 0)).isValid());
            press(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
            const int pageDown = view()->selectedRow();
            QVERIFY2(pageDown > 3, style);
            QCOMPARE(m_main->currentGame(), model()->gameAt(pageDown));
            press(SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
            QVERIFY2(view()->selectedRow() < pageDown - 2, style);
        }
        // Left and right step through the game's pictures.
        view()->selectRow(1);
        m_main->SToolPauseClick();
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("g1"));
        QCOMPARE(m_main->screenShot()->files().size(), 3);
        const int first = m_main->currentGame()->CurScrShot;
        press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
        QCOMPARE(m_main->currentGame()->CurScrShot, (first + 1) % 3);
        press(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
        press(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
        QCOMPARE(m_main->currentGame()->CurScrShot, (first + 2) % 3);

        // Start and B: full screen and back; B clears the search before that.
        press(SDL_CONTROLLER_BUTTON_START);
        QVERIFY(m_main->isFullScreen());
        auto* search = m_main->findChild<QLineEdit*>(QStringLiteral("GameSearch"));
        search->setFocus();
        search->setText(QStringLiteral("1"));
        press(SDL_CONTROLLER_BUTTON_B);
        QVERIFY(search->text().isEmpty());
        QVERIFY(m_main->isFullScreen());
        press(SDL_CONTROLLER_BUTTON_B);
        QVERIFY(!m_main->isFullScreen());
        press(SDL_CONTROLLER_BUTTON_START);
        QVERIFY(m_main->isFullScreen());
        press(SDL_CONTROLLER_BUTTON_START);
        QVERIFY(!m_main->isFullScreen());

        // An open box keeps the pad from the window; B closes it, as Escape does.
        QString whileOpen;
        bool closedByB = false;
        QTimer::singleShot(0, m_main.get(), [&] {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(box);
            press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
            press(SDL_CONTROLLER_BUTTON_START);
            press(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
            press(SDL_CONTROLLER_BUTTON_Y);
            whileOpen = m_main->currentGame()->ZipName + (m_main->isFullScreen() ? "+full" : "") +
                        (m_main->currentGame()->Favourite ? "+favourite" : "");
            press(SDL_CONTROLLER_BUTTON_B);
            closedByB = !box->isVisible();
            box->reject();
        });
        action("About1")->trigger();
        QVERIFY(closedByB);
        QCOMPARE(whileOpen, QStringLiteral("g1"));
        QCOMPARE(m_dir->runs().size(), 1); // the list run of the start-up only

        // So does an open menu.
        QMenu* view1 = m_main->findChild<QMenu*>(QStringLiteral("View1"));
        view1->popup(m_main->mapToGlobal(QPoint(10, 10)));
        QTRY_VERIFY(QApplication::activePopupWidget() == view1);
        press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
        press(SDL_CONTROLLER_BUTTON_B);
        QTRY_VERIFY(!view1->isVisible());
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("g1"));
        m_main->close();
    }

    // Real boxes: the D-pad moves between a box's buttons and A presses the one chosen.
    // A box that the pad's own reading opened (a launch that fails) is worked by the pad
    // too, B closes it; what was pressed while a box was open and not read when it
    // closed does nothing afterwards. A on a game that is not installed says why, as
    // Enter does.
    void padWorksInsideBoxes() {
        QFile::remove(m_dir->file(QStringLiteral("roms/g5.zip")));
        QtPrompter prompter;
        m_main = std::make_unique<TMain1>(prompter, m_opener);
        QVERIFY(!m_main->terminating());
        prompter.setParentWidget(m_main.get());
        m_main->show();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
        Gamepad* pad = m_main->gamepad();
        QTRY_VERIFY(pad->isPolling());
        VirtualPad virtualPad;
        QTRY_COMPARE(pad->padCount(), 1);
        const auto press = [&](SDL_GameControllerButton button) {
            virtualPad.button(button, true);
            pad->poll();
            virtualPad.button(button, false);
            pad->poll();
        };
        // Runs once a box is open, inside the box's own event loop.
        const auto whenBoxOpens = [this](std::function<void(QMessageBox*)> what) {
            auto* watch = new QTimer(this);
            watch->setInterval(5);
            connect(watch, &QTimer::timeout, this, [watch, what] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    watch->deleteLater();
                    watch->stop();
                    what(box);
                }
            });
            watch->start();
        };

        const QByteArray cfg = m_dir->readFile(QStringLiteral("Config/Kalto.cfg"));
        for (const bool yes : {false, true}) {
            bool moved = false;
            bool reached = false;
            bool closedByA = false;
            whenBoxOpens([&](QMessageBox* box) {
                QWidget* before = box->focusWidget();
                press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
                moved = box->focusWidget() != before &&
                        qobject_cast<QPushButton*>(box->focusWidget()) != nullptr;
                QAbstractButton* wanted = box->button(yes ? QMessageBox::Yes : QMessageBox::No);
                for (int i = 0; box->focusWidget() != wanted && i < 3; ++i)
                    press(SDL_CONTROLLER_BUTTON_DPAD_UP);
                reached = box->focusWidget() == wanted;
                press(SDL_CONTROLLER_BUTTON_A);
                closedByA = !box->isVisible();
                if (!closedByA)
                    box->reject();
            });
            action("MenuSetMameKeys")->trigger();
            QVERIFY(moved);
            QVERIFY(reached);
            QVERIFY(closedByA);
            QCOMPARE(m_dir->readFile(QStringLiteral("Config/Kalto.cfg")) != cfg, yes);
        }

        // The window is active again once a box has gone, as a desktop makes it.
        const auto activate = [&] {
            m_main->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
        };
        activate();
        action("MenuFullScreen")->trigger();
        m_main->ExecEmu()->setInterpreter(m_dir->file(QStringLiteral("no-such-shell")));
        QStringList boxes;
        bool closedByPad = false;
        whenBoxOpens([&](QMessageBox* box) {
            boxes.append(box->text());
            virtualPad.button(SDL_CONTROLLER_BUTTON_A, false);
            virtualPad.button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
            virtualPad.button(SDL_CONTROLLER_BUTTON_START, true);
            virtualPad.button(SDL_CONTROLLER_BUTTON_B, true);
            closedByPad = QTest::qWaitFor([box] { return !box->isVisible(); });
            if (!closedByPad)
                box->reject();
        });
        virtualPad.button(SDL_CONTROLLER_BUTTON_A, true); // read by the window's own timer
        QTRY_COMPARE(boxes.size(), 1);
        QVERIFY(closedByPad);
        QVERIFY(boxes[0].startsWith(QStringLiteral("Failed to execute BatchFile")));
        for (const auto button : {SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_BUTTON_START,
                                  SDL_CONTROLLER_BUTTON_B})
            virtualPad.button(button, false);
        pad->poll();
        activate();
        whenBoxOpens([&](QMessageBox* box) {
            boxes.append(box->text());
            // Pressed, then the box closed by other means before the pad was read.
            virtualPad.button(SDL_CONTROLLER_BUTTON_A, false);
            virtualPad.button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
            virtualPad.button(SDL_CONTROLLER_BUTTON_B, true);
            box->reject();
        });
        virtualPad.button(SDL_CONTROLLER_BUTTON_A, true);
        QTRY_COMPARE(boxes.size(), 2);
        activate();
        pad->poll();
        QCOMPARE(boxes.size(), 2);
        QVERIFY(m_main->isFullScreen());
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("g0"));
        QCOMPARE(m_dir->runs().size(), 1); // the list run of the start-up only
        virtualPad.button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
        virtualPad.button(SDL_CONTROLLER_BUTTON_B, false);
        pad->poll();

        // A game that is not installed: A says why, as Enter does.
        activate();
        view()->selectRow(5);
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("g5"));
        press(SDL_CONTROLLER_BUTTON_A);
        auto* status = m_main->findChild<QLabel*>(QStringLiteral("StatusPanel1"));
        QCOMPARE(status->text(),
                 QStringLiteral("Game 105 is not installed: no romset in the rompaths"));
        m_main->close();
        m_main.reset();
    }

    // A starts the selected game. The game owns the pad while it runs: what is pressed
    // then does nothing, not even once the game is over.
    void padIsTheGamesWhileItRuns() {
        start();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
        Gamepad* pad = m_main->gamepad();
        QTRY_VERIFY(pad->isPolling());
        VirtualPad virtualPad;
        QTRY_COMPARE(pad->padCount(), 1);
        action("MenuFullScreen")->trigger();
        bool ignoredInRun = false;
        connect(m_main->ExecEmu(), &TExecFile::waitStarted, this, [&] {
            ignoredInRun = pad->isIgnored();
            virtualPad.button(SDL_CONTROLLER_BUTTON_B, true);
            virtualPad.button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
            virtualPad.button(SDL_CONTROLLER_BUTTON_A, false);
        });
        virtualPad.button(SDL_CONTROLLER_BUTTON_A, true);
        pad->poll();
        disconnect(m_main->ExecEmu(), nullptr, this, nullptr);
        QVERIFY(ignoredInRun);
        QVERIFY(!pad->isIgnored());
        QCOMPARE(m_dir->runs().last(), QStringLiteral("-game g0 -nogui"));
        pad->poll();
        virtualPad.button(SDL_CONTROLLER_BUTTON_B, false);
        virtualPad.button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
        pad->poll();
        QVERIFY(m_main->isFullScreen());
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("g0"));
        QCOMPARE(m_dir->runs().size(), 2);
        // Afterwards the pad is the front-end's again.
        virtualPad.button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
        pad->poll();
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("g1"));
        m_main->close();
    }

    void init() {
        m_dir = std::make_unique<FrontEndDir>();
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_dir->installEmulator();
        m_dir->writeFile(QStringLiteral("Config/Kalto.cfg"),
                         QByteArray::fromStdString(sk::kaltoCfgText({"roms/", "", "", ""})));
        // Thirty installed games; the second has three pictures.
        QByteArray catalog;
        for (int i = 0; i < 30; ++i) {
            const QByteArray zip = "g" + QByteArray::number(i);
            catalog += "game (\nname " + zip + "\ndescription \"Game " +
                       QByteArray::number(100 + i) + "\"\nmanufacturer \"M\"\nyear 19" +
                       QByteArray::number(70 + i) + "\narchive ( name \"" + zip + "\" )\n)\n";
            m_dir->writeFile(QStringLiteral("roms/%1.zip").arg(QLatin1StringView(zip)), "");
        }
        m_dir->writeFile(QStringLiteral("catalog.txt"), catalog);
        m_catalogEnv.emplace("KALTO_SIM_CATALOG",
                             QFile::encodeName(m_dir->file(QStringLiteral("catalog.txt"))));
        QImage picture(8, 8, QImage::Format_RGB888);
        picture.fill(Qt::darkCyan);
        for (const char* name : {"Titles/g1.bmp", "Gameplay/g1.001.bmp", "Flyers/g1.bmp"}) {
            m_dir->makeDir(QString::fromLatin1(name).section(u'/', 0, 0));
            QVERIFY(picture.save(m_dir->file(QLatin1StringView(name)), "BMP"));
        }
    }
    void cleanup() {
        m_main.reset();
        m_catalogEnv.reset();
        m_prompter.reset();
        m_dir.reset();
    }

private:
    void start() {
        m_main = std::make_unique<TMain1>(*m_prompter, m_opener);
        QVERIFY(!m_main->terminating());
    }
    QAction* action(const char* name) const {
        return testsupport::namedChild<QAction>(m_main.get(), name);
    }
    GameListView* view() const {
        return m_main->findChild<GameListView*>(QStringLiteral("GameList"));
    }
    GameListModel* model() const { return m_main->listModel(); }

    std::unique_ptr<FrontEndDir> m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    RecordingOpener m_opener;
    std::optional<ScopedEnv> m_catalogEnv;
    std::unique_ptr<TMain1> m_main;
};

QTEST_MAIN(TestGamepad)
#include "tst_gamepad.moc"
