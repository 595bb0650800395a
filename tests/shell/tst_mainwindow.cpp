#include "DemoCatalog.h"
#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/FileError.h"
#include "core/IniDocument.h"
#include "games/GameListView.h"
#include "launch/Execfile.h"
#include "shell/Application.h"
#include "shell/FontScale.h"
#include "shell/MainUnit1.h"
#include "shell/QtPrompter.h"
#include "shell/TerminationSignals.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <csignal>

using testsupport::FrontEndDir;

namespace {

class Thrower final : public QObject {
public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User)
            throw FileError(QStringLiteral("Cannot write x:\rDisk full"));
        return QObject::event(event);
    }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = std::make_unique<FrontEndDir>();
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_opener.opened.clear();
    }
    void cleanup() {
        m_prompter.reset();
        m_dir.reset();
    }

    void startsAndClosesInOrder() {
        m_dir->installEmulator();
        m_dir->installConfig();
        {
            TMain1 main(*m_prompter, m_opener);
            QVERIFY(!main.terminating());
            QCOMPARE(main.windowTitle(),
                     QStringLiteral("StartKALTO 0.27.1 public beta 1 [%1 of %1 games]")
                         .arg(sk::demoCatalog().size()));
            QCOMPARE(main.objectName(), QStringLiteral("Main"));
            for (const char* name : {"GameListPanel", "GrGames", "StartEmuButton", "PageControl",
                                     "Splitter", "StatusBar", "ScreenShotTab"})
                QVERIFY2(main.findChild<QWidget*>(QLatin1StringView(name)), name);
            QVERIFY(!main.findChild<QPushButton*>(QStringLiteral("StartEmuButton"))->isEnabled());
            QVERIFY(main.findChild<TExecFile*>(QStringLiteral("ExecEmu")));
            QVERIFY(m_dir->exists(QStringLiteral("batch.sh")));
            main.show();
            QVERIFY(QTest::qWaitForWindowExposed(&main));

            main.findChild<QAction*>(QStringLiteral("MenuExit"))->trigger();
            QVERIFY(!main.isVisible());
        }
        QCOMPARE(m_prompter->shown.size(), 0);
        QCOMPARE(m_dir->runs(), QStringList{QStringLiteral("-listinfo")});
        QVERIFY(!m_dir->exists(QStringLiteral("batch.sh")));
        QVERIFY(!m_dir->exists(QStringLiteral("KALTOStart.txt")));

        const IniDocument ini(m_dir->file(QStringLiteral("StartKALTO.ini")));
        QCOMPARE(ini.readString(u"StartKALTO", u"Version", {}),
                 QStringLiteral("0.27.1 public beta 1"));
        QCOMPARE(ini.readString(u"StartKALTO", u"EmuExePath", {}), QStringLiteral("./"));
        QCOMPARE(ini.readDateTime(u"StartKALTO", u"EmuExeDate", {}),
                 StartUp::fileDate(m_dir->file(QStringLiteral("kalto.exe"))));

        // After a normal close the same executable is not asked again.
        {
            TMain1 again(*m_prompter, m_opener);
            again.close();
        }
        QCOMPARE(m_dir->runs().size(), 1);
    }

    void missingExecutableEndsWithoutSaving() {
        m_dir->installConfig();
        TMain1 main(*m_prompter, m_opener);
        QVERIFY(main.terminating());
        // The dialog cancelled, then the box that offers it again answered No.
        QCOMPARE(m_prompter->texts().size(), 1);
        QVERIFY(m_prompter->texts().first().startsWith(
            QStringLiteral("StartKALTO needs the Kalto emulator, but there is no kalto.exe at\r") +
            m_dir->file(QStringLiteral("kalto.exe"))));
        QVERIFY(!m_dir->exists(QStringLiteral("StartKALTO.ini")));
        QVERIFY(!m_dir->exists(QStringLiteral("batch.sh")));
    }

    void terminationSignalClosesNormally() {
        m_dir->installEmulator();
        m_dir->installConfig();
        TMain1 main(*m_prompter, m_opener);
        TerminationSignals signals_;
        connect(&signals_, &TerminationSignals::received, &main, &QWidget::close);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        std::raise(SIGTERM);
        QTRY_VERIFY(!main.isVisible());
        QVERIFY(m_dir->exists(QStringLiteral("StartKALTO.ini")));
        QVERIFY(!m_dir->exists(QStringLiteral("batch.sh")));
    }

    // A close asked for while the emulator runs waits for its end.
    void closeWaitsForTheEmulator() {
        m_dir->installEmulator();
        m_dir->installConfig();
        TMain1 main(*m_prompter, m_opener);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        testsupport::ScopedEnv slow("KALTO_SIM_SLEEP_MS", "500");
        bool visibleAfterClose = false;
        connect(main.ExecEmu(), &TExecFile::waitStarted, &main, [&] {
            main.close();
            visibleAfterClose = main.isVisible();
        });
        main.ExecEmu()->setParameters(QStringLiteral("-listinfo"));
        QVERIFY(main.ExecEmu()->Execute());
        QVERIFY(visibleAfterClose);
        QVERIFY(!m_dir->exists(QStringLiteral("StartKALTO.ini")));
        QTRY_VERIFY(!main.isVisible());
        QVERIFY(m_dir->exists(QStringLiteral("StartKALTO.ini")));
    }

    void failedStartOfTheScriptIsReported() {
        m_dir->installEmulator();
        m_dir->installConfig();
        TMain1 main(*m_prompter, m_opener);
        QFile::remove(m_dir->file(QStringLiteral("batch.sh")));
        main.ExecEmu()->setParameters(QStringLiteral("-listinfo"));
        QVERIFY(!main.ExecEmu()->Execute());
        QCOMPARE(m_prompter->shown.size(), 1);
        QCOMPARE(m_prompter->shown[0].text,
                 QStringLiteral("Failed to execute BatchFile, Please contact support"));
        QCOMPARE(m_prompter->shown[0].buttons, Prompter::Buttons::Cancel);
        main.close();
    }

    void settingsThatCannotBeWrittenAreReported() {
        m_dir->installEmulator();
        m_dir->installConfig();
        m_dir->writeFile(QStringLiteral("StartKALTO.ini"),
                         "[StartKALTO]\r\nEmuExePath=./\r\n[Screenshot]\r\nTitle=1\r\n");
        TMain1 main(*m_prompter, m_opener);
        {
            testsupport::UnwritableDir locked(m_dir->path());
            if (!locked.isActive())
                QSKIP("no way to make a directory unwritable here");
            main.close();
        }
        QVERIFY(!main.isVisible());
        QCOMPARE(m_prompter->shown.size(), 1);
        QVERIFY(m_prompter->shown[0].text.contains(QStringLiteral("StartKALTO.ini")));
        QCOMPARE(m_dir->readFile(QStringLiteral("StartKALTO.ini")),
                 QByteArray("[StartKALTO]\r\nEmuExePath=./\r\n[Screenshot]\r\nTitle=1\r\n"));
    }

    void generalErrorHandlerShowsTheMessage() {
        auto* app = static_cast<StartKaltoApplication*>(QCoreApplication::instance());
        app->setErrorPrompter(m_prompter.get());
        Thrower thrower;
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QCoreApplication::processEvents();
        app->setErrorPrompter(nullptr);
        QCOMPARE(m_prompter->texts(), QStringList{QStringLiteral("Cannot write x:\rDisk full")});
    }

    // A second copy in the same folder hands over to the first and touches nothing; one
    // that cannot reach the first says so; a lock left by a copy that died is taken over.
    void oneCopyPerFolder() {
        m_dir->installEmulator();
        m_dir->installConfig();
        QProcess other;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        other.setProcessEnvironment(env);
        other.setWorkingDirectory(m_dir->path());
        other.setStandardOutputFile(QProcess::nullDevice());
        other.start(QStringLiteral(STARTKALTO_PATH), {});
        QVERIFY(other.waitForStarted());
        // The other copy has started once its list is read and its window is up.
        QTRY_VERIFY_WITH_TIMEOUT(m_dir->exists(QStringLiteral("listinfo.txt")) &&
                                     m_dir->exists(QStringLiteral("StartKALTO.lock")) &&
                                     m_dir->exists(QStringLiteral("Titles")),
                                 60000);
        QTest::qWait(200);
        const QStringList before = testsupport::folderSnapshot(m_dir->path());
        {
            TMain1 second(*m_prompter, m_opener);
            QVERIFY(second.terminating());
            QCOMPARE(second.exitCode(), 0);
        }
        QCOMPARE(m_prompter->shown.size(), 0);
        QCOMPARE(testsupport::folderSnapshot(m_dir->path()), before);
        QCOMPARE(m_dir->runs().size(), 1);

        // Killed without a chance to tidy up: its lock is stale and taken over.
        other.kill();
        QVERIFY(other.waitForFinished());
        TMain1 next(*m_prompter, m_opener);
        QVERIFY(!next.terminating());
        QCOMPARE(m_prompter->shown.size(), 0);
        // Within one process the same holds: a second window may not start here, and the
        // first, busy starting it, cannot answer.
        TMain1 third(*m_prompter, m_opener);
        QVERIFY(third.terminating());
        QCOMPARE(third.exitCode(), TMain::kEndedEarlyExitCode);
        QCOMPARE(m_prompter->shown.size(), 1);
        QVERIFY(m_prompter->shown[0].text.startsWith(
            QStringLiteral("StartKALTO already runs in the folder ") + m_dir->path()));
        next.close();
    }

    // A full disk or a file-size limit at the close leaves the old settings whole and
    // says why; so does a full disk at the start, which keeps the list file too.
    // Asked by the start-up benchmark, the program says when its window has painted the
    // filled list, and ends without saving or asking the emulator anything.
    void startTimedFromOutside() {
        m_dir->installEmulator();
        m_dir->installConfig();
        {
            TMain1 first(*m_prompter, m_opener);
            first.close();
        }
        const QByteArray settings = m_dir->readFile(QStringLiteral("StartKALTO.ini"));
        QProcess timed;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("STARTKALTO_EXIT_WHEN_SHOWN"), QStringLiteral("1"));
        timed.setProcessEnvironment(env);
        timed.setWorkingDirectory(m_dir->path());
        timed.setStandardOutputFile(QProcess::nullDevice());
        timed.start(QStringLiteral(STARTKALTO_PATH), {});
        QVERIFY(timed.waitForFinished(60000));
        QCOMPARE(timed.exitStatus(), QProcess::NormalExit);
        QCOMPARE(timed.exitCode(), 0);
        const QString said = QString::fromLocal8Bit(timed.readAllStandardError());
        static const QRegularExpression shown(
            QStringLiteral("StartKALTO shown after [0-9.]+ ms of processor time: StartKALTO "
                           "0.27.1 public beta 1 \\[%1 of %1 games\\]\n")
                .arg(sk::demoCatalog().size()));
        QVERIFY2(shown.match(said).hasMatch(), qPrintable(said));
        QCOMPARE(m_dir->readFile(QStringLiteral("StartKALTO.ini")), settings);
        QCOMPARE(m_dir->runs().size(), 1);
        QVERIFY(!m_dir->exists(QStringLiteral("StartKALTO.lock")));
    }

    void fullDiskKeepsTheFiles() {
        testsupport::TinyFileSystem disk(256);
        if (!disk.isActive())
            QSKIP("cannot mount a small file system here");
        QVERIFY(QDir::setCurrent(disk.path()));
        // The emulator lives elsewhere: the stand-in is larger than the disk.
        m_dir->installEmulator(QStringLiteral("emu/"));
        m_dir->installConfig(QStringLiteral("emu/"));
        writeFile(disk.path() + QStringLiteral("StartKALTO.ini"),
                  "[StartKALTO]\r\nEmuExePath=" + m_dir->file(QStringLiteral("emu/")).toUtf8() +
                      "\r\n[Screenshot]\r\nTitle=1\r\n");
        {
            TMain1 main(*m_prompter, m_opener);
            QVERIFY(!main.terminating());
            main.close();
            QVERIFY(!main.saveFailed());
        }
        const QByteArray settings = readFile(disk.path() + QStringLiteral("StartKALTO.ini"));
        const QByteArray list = readFile(disk.path() + QStringLiteral("listinfo.txt"));
        QVERIFY(settings.contains("BadRomcheck"));
        QCOMPARE(m_prompter->shown.size(), 0);

        {
            TMain1 main(*m_prompter, m_opener);
            QVERIFY(!main.terminating());
            main.games().at(0)->CurScrShot = 3; // something new to save
            disk.fill();
            main.close();
            QVERIFY(main.saveFailed());
        }
        QCOMPARE(m_prompter->shown.size(), 1);
        QVERIFY2(m_prompter->shown[0].text.contains(QStringLiteral("StartKALTO.ini")) &&
                     m_prompter->shown[0].text.contains(QStringLiteral("No space left")),
                 qPrintable(m_prompter->shown[0].text));
        QCOMPARE(readFile(disk.path() + QStringLiteral("StartKALTO.ini")), settings);

        // Still full at the next start: the script cannot be written, and neither the
        // list nor the settings are touched.
        disk.fill();
        {
            TMain1 main(*m_prompter, m_opener);
            QCOMPARE(m_prompter->shown.size(), 2);
            QVERIFY2(m_prompter->shown[1].text.contains(QStringLiteral("batch.sh")),
                     qPrintable(m_prompter->shown[1].text));
            main.close();
        }
        QCOMPARE(readFile(disk.path() + QStringLiteral("listinfo.txt")), list);
        QCOMPARE(readFile(disk.path() + QStringLiteral("StartKALTO.ini")), settings);
        disk.empty();
        QVERIFY(QDir::setCurrent(m_dir->path()));
    }

    void fileSizeLimitKeepsTheSettings() {
        m_dir->installEmulator();
        m_dir->installConfig();
        {
            TMain1 main(*m_prompter, m_opener);
            main.close();
        }
        const QByteArray settings = m_dir->readFile(QStringLiteral("StartKALTO.ini"));
        QVERIFY(settings.size() > 200);
        // A close that changes nothing leaves the file alone.
        const QString file = m_dir->file(QStringLiteral("StartKALTO.ini"));
        const QDateTime before = QDateTime::currentDateTime().addDays(-1);
        testsupport::setModified(file, before);
        {
            TMain1 same(*m_prompter, m_opener);
            same.close();
            QVERIFY(!same.saveFailed());
        }
        QCOMPARE(QFileInfo(file).lastModified().secsTo(before), 0);
        QCOMPARE(m_dir->readFile(QStringLiteral("StartKALTO.ini")), settings);
        TMain1 main(*m_prompter, m_opener);
        main.games().at(0)->CurScrShot = 3; // something new to save
        {
            testsupport::FileSizeLimit limit(100);
            main.close();
        }
        QVERIFY(main.saveFailed());
        QCOMPARE(m_prompter->shown.size(), 1);
        QVERIFY2(m_prompter->shown[0].text.contains(QStringLiteral("File too large")),
                 qPrintable(m_prompter->shown[0].text));
        QCOMPARE(m_dir->readFile(QStringLiteral("StartKALTO.ini")), settings);
    }

    // A termination signal while the start-up waits for the emulator ends the run (the
    // emulator with it), removes the work files and saves nothing.
    void terminationSignalDuringTheListRun() {
        m_dir->installEmulator();
        m_dir->installConfig();
        testsupport::ScopedEnv slow("KALTO_SIM_SLEEP_MS", "60000");
        TerminationSignals signals_;
        QTimer::singleShot(700, [] { std::raise(SIGTERM); });
        QElapsedTimer clock;
        clock.start();
        TMain1 main(*m_prompter, m_opener, &signals_);
        QVERIFY(clock.elapsed() < 50000);
        QVERIFY(main.terminating());
        QCOMPARE(main.exitCode(), 128 + SIGTERM);
        QCOMPARE(m_prompter->shown.size(), 0);
        QVERIFY(!m_dir->exists(QStringLiteral("batch.sh")));
        QVERIFY(!m_dir->exists(QStringLiteral("KALTOStart.txt")));
        QVERIFY(!m_dir->exists(QStringLiteral("StartKALTO.ini")));
        QVERIFY(!m_dir->exists(QStringLiteral("listinfo.txt")));
        QTRY_VERIFY_WITH_TIMEOUT(
            testsupport::processesMentioning(m_dir->file(QStringLiteral("kalto.exe"))).isEmpty(),
            20000);
    }

    // The same while a dialog is up: the dialog goes, and nothing follows it.
    void terminationSignalDuringADialog() {
        m_dir->installConfig();
        TerminationSignals signals_;
        m_prompter->onShow = [] {
            std::raise(SIGTERM);
            QTest::qWait(100); // the dialog's own event loop
        };
        TMain1 main(*m_prompter, m_opener, &signals_);
        QVERIFY(main.terminating());
        QCOMPARE(main.exitCode(), 128 + SIGTERM);
        QCOMPARE(m_prompter->openFileRequests.size(), 1);
        QCOMPARE(m_prompter->shown.size(), 0); // no "File not found" after it
        QVERIFY(!m_dir->exists(QStringLiteral("batch.sh")));
    }

    // The same during a box late in the start-up: the window does not open, and no
    // file is written.
    void terminationSignalDuringALateBox_data() {
        QTest::addColumn<QString>("box");
        QTest::newRow("picture migration's question")
            << QStringLiteral("StartKALTO has changed screenshots placement.");
        QTest::newRow("unreadable game list") << QStringLiteral("Cannot read the game list");
    }
    void terminationSignalDuringALateBox() {
        QFETCH(QString, box);
        m_dir->installEmulator();
        m_dir->installConfig();
        {
            TMain1 first(*m_prompter, m_opener);
            first.close();
        }
        const QString settingsFile = m_dir->file(QStringLiteral("StartKALTO.ini"));
        if (box.startsWith(u"Cannot")) {
            QVERIFY(QFile::remove(m_dir->file(QStringLiteral("listinfo.txt"))));
            m_dir->makeDir(QStringLiteral("listinfo.txt"));
        } else {
            // Settings of the layout from before the pictures had folders of their kinds.
            IniDocument ini(settingsFile);
            ini.eraseSection(u"Screenshot");
            ini.save();
        }
        const QByteArray settings = m_dir->readFile(QStringLiteral("StartKALTO.ini"));
        TerminationSignals signals_;
        m_prompter->onShow = [] {
            std::raise(SIGTERM);
            QTest::qWait(100); // the box's own event loop
        };
        TMain1 main(*m_prompter, m_opener, &signals_);
        QVERIFY(main.terminating());
        QCOMPARE(main.exitCode(), 128 + SIGTERM);
        QCOMPARE(m_prompter->shown.size(), 1);
        QVERIFY2(m_prompter->shown[0].text.startsWith(box), qPrintable(m_prompter->shown[0].text));
        QCOMPARE(m_dir->readFile(QStringLiteral("StartKALTO.ini")), settings);
        QVERIFY(!m_dir->exists(QStringLiteral("batch.sh")));
    }

    // With the real dialogs: the modal file dialog is closed by the signal.
    void terminationSignalClosesARealDialog() {
        m_dir->installConfig();
        QtPrompter prompter;
        TerminationSignals signals_;
        QTimer::singleShot(500, [] { std::raise(SIGTERM); });
        bool stuck = false;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, [&] {
            stuck = true;
            while (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        watchdog.start(20000);
        TMain1 main(prompter, m_opener, &signals_);
        watchdog.stop();
        QVERIFY(!stuck);
        QVERIFY(main.terminating());
        QCOMPARE(main.exitCode(), 128 + SIGTERM);
        QVERIFY(!m_dir->exists(QStringLiteral("batch.sh")));
    }

    // A choice's box names its two buttons; Enter takes the first, Escape the second.
    void choiceBoxAnswersTheKeyboard() {
        QtPrompter prompter;
        for (const bool enter : {true, false}) {
            QStringList captions;
            QTimer::singleShot(0, [&] {
                QWidget* box = QApplication::activeModalWidget();
                QVERIFY(box);
                for (const char* name : {"AcceptButton", "RejectButton"})
                    captions.append(box->findChild<QPushButton*>(QLatin1StringView(name))->text());
                QTest::keyClick(box, enter ? Qt::Key_Return : Qt::Key_Escape);
            });
            QCOMPARE(prompter.choose(Prompter::Icon::Warning, QStringLiteral("No emulator"),
                                     QStringLiteral("&Point to kalto.exe..."),
                                     QStringLiteral("&Quit")),
                     enter);
            QCOMPARE(captions, (QStringList{"&Point to kalto.exe...", "&Quit"}));
        }
    }

    // A slow list run shows a progress window after half a second; its Cancel button
    // ends the run, and the start-up carries on with the list it had.
    void slowListRunShowsProgressAndCancels() {
        m_dir->installEmulator();
        m_dir->installConfig();
        {
            TMain1 first(*m_prompter, m_opener);
            first.close();
        }
        const QByteArray list = m_dir->readFile(QStringLiteral("listinfo.txt"));
        testsupport::setModified(m_dir->file(QStringLiteral("kalto.exe")),
                                 QDateTime::currentDateTime().addDays(-1));
        testsupport::ScopedEnv slow("KALTO_SIM_SLEEP_MS", "60000");
        QString shownText;
        bool busyBar = false;
        QPoint offCentre;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (window->objectName() != u"StartupProgress" || !window->isVisible())
                    continue;
                poll.stop();
                shownText =
                    window->findChild<QLabel*>(QStringLiteral("StartupProgressText"))->text();
                const auto* bar =
                    window->findChild<QProgressBar*>(QStringLiteral("StartupProgressBar"));
                busyBar = bar && bar->minimum() == 0 && bar->maximum() == 0;
                offCentre = window->frameGeometry().center() -
                            window->screen()->availableGeometry().center();
                auto* cancel =
                    window->findChild<QPushButton*>(QStringLiteral("StartupProgressCancel"));
                QTest::mouseClick(cancel, Qt::LeftButton);
                return;
            }
        });
        poll.start(50);
        TMain1 main(*m_prompter, m_opener);
        poll.stop();
        QCOMPARE(shownText, QStringLiteral("Asking kalto.exe for its list of games…"));
        QVERIFY(busyBar);
        // The main window is not up yet: the progress window stands in the middle.
        QVERIFY2(offCentre.manhattanLength() < 20,
                 qPrintable(QStringLiteral("%1 %2").arg(offCentre.x()).arg(offCentre.y())));
        QVERIFY(!main.terminating());
        QCOMPARE(m_prompter->shown.size(), 1);
        QVERIFY2(m_prompter->shown[0].text.contains(QStringLiteral("the run was cancelled")),
                 qPrintable(m_prompter->shown[0].text));
        QCOMPARE(m_dir->readFile(QStringLiteral("listinfo.txt")), list);
        QCOMPARE(main.games().count(), qsizetype(sk::demoCatalog().size()));
        QTRY_VERIFY_WITH_TIMEOUT(
            testsupport::processesMentioning(m_dir->file(QStringLiteral("kalto.exe"))).isEmpty(),
            20000);
        main.close();
    }

    // Every menu as the user finds it: items in order with their captions, shortcuts
    // and check marks before any settings are read; separators as "-".
    void menusAsTheUserFindsThem() {
        m_dir->installEmulator();
        m_dir->installConfig();
        TMain1 main(*m_prompter, m_opener);
        const auto describe = [](QMenu* menu) {
            QStringList items;
            for (QAction* item : menu->actions()) {
                if (item->isSeparator()) {
                    items.append(QStringLiteral("-"));
                    continue;
                }
                QString text =
                    item->objectName().isEmpty() ? item->menu()->objectName() : item->objectName();
                text += u'=' + item->text();
                if (!item->shortcut().isEmpty())
                    text += u' ' + item->shortcut().toString();
                if (item->isCheckable())
                    text += item->isChecked() ? QStringLiteral(" [x]") : QStringLiteral(" [ ]");
                items.append(text);
            }
            return items;
        };
        const auto menu = [&](const char* name) {
            return describe(main.findChild<QMenu*>(QLatin1StringView(name)));
        };
        QCOMPARE(menu("FileMenu"), QStringList{"MenuExit=E&xit"});
        QCOMPARE(menu("View1"), (QStringList{"MSGamesInstalled=&Installed Games [ ]",
                                             "MSGamesUninstalled=&Uninstalled Games [ ]",
                                             "MSGamesAll=&All Games [x]",
                                             "MenuFavouriteGames=&Favourite Games [ ]",
                                             "MenuRecentGames=Recently &Played [ ]",
                                             "-",
                                             "MSIconsLarge=Large Icons [x]",
                                             "MSIconsSmall=Small Icons [ ]",
                                             "MSIconsList=List [ ]",
                                             "MSIconsDetails=Details [ ]",
                                             "-",
                                             "MSListSortby=Sort by",
                                             "MSOrder=Order",
                                             "MSListChangefont=List Font ...",
                                             "MSListBackgroundcolor=List Backgroundcolor ...",
                                             "-",
                                             "MSHotTracking=&Hot Tracking Ctrl+H [x]",
                                             "MenuMarkBadRomsets=Mark &Bad Romsets Ctrl+B [ ]",
                                             "-",
                                             "MSTabsheet=&Tab Sheet Ctrl+T [x]",
                                             "MSStatbar=&Statusbar [x]",
                                             "-",
                                             "MenuFullScreen=Full Scree&n F11 [ ]"}));
        QCOMPARE(
            menu("MSListSortby"),
            (QStringList{"MSSortbyName=&Name [x]", "MSSortByZipname=&Zipname [ ]",
                         "MenuSortbyManufacturer=&Manufacturer [ ]", "MenuSortByYear=&Year [ ]",
                         "MenuSortByCheat=&Cheat [ ]", "MenuSortByZipdate=Zip&date [ ]",
                         "MenuSortByFavourite=&Favourite [ ]", "MenuSortByPlayed=&Played [ ]",
                         "MenuSortByLastPlayed=&Last Played [ ]",
                         "MenuSortByPlayTime=Play &Time [ ]"}));
        // The Game menu, between View and Settings, and its item on the list's own menu.
        QStringList bar;
        for (QAction* item : main.menuBar()->actions())
            bar.append(item->text());
        QCOMPARE(bar, (QStringList{"&File", "&View", "&Game", "&Settings", "&Tools", "S&creenShot",
                                   "So&und", "&Help"}));
        QCOMPARE(menu("MenuGame"), QStringList{"MenuFavourite=Add to &Favourites Ctrl+D"});
        QCOMPARE(main.findChild<QMenu*>(QStringLiteral("GameListPopup"))->actions(),
                 main.findChild<QMenu*>(QStringLiteral("MenuGame"))->actions());
        QCOMPARE(menu("MSOrder"), (QStringList{"MSOrderAscending=Ascending [x]",
                                               "MSOrderDescending=Descending [ ]"}));
        QCOMPARE(menu("MSSettings"),
                 (QStringList{"MenuSetDefaultSettings=Set &Default Settings",
                              "MenuSetAlternativeRompath=Set Zipped &Rompaths",
                              "MenuMergedRomsetsSupport=M&erged Romsets Support [ ]", "-",
                              "MenuSetMameKeys=Set Keys to &Mame-default",
                              "MenuResetKaltodefaultKeys=Reset Keys to &Kalto-default", "-",
                              "MenuEnableKaltoGui=Enable &Kalto GUI [ ]",
                              "EnableWibbleKaltoGUIonly1=Enable &Wibble (in Kalto GUI only) [ ]",
                              "MenuEnableSecretGames=Enable &Secret Games [ ]"}));
        QCOMPARE(menu("MenuTools"),
                 (QStringList{"MenuCheckForInstalledGames=Check for new &Installed games",
                              "MenuCheckforSupportedgames=Check for new S&upported games", "-",
                              "MenuRenameLong=Rename romsets to &long names",
                              "MenuRenameShort=Rename romsets to &short names", "-",
                              "MSReportNeeded=&Report Needed Stuff", "-",
                              "MenuRomCheck=&Check all romsets for CRC32 and Filesize"}));
        QCOMPARE(menu("MenuScreenShot"),
                 (QStringList{"MSSCROriginal=Or&iginal [ ]", "MSSCRScaled=&Scaled [x]",
                              "MSSCRStretched=St&reched [ ]", "MSSCRSharp=S&harp Pixels [x]", "-",
                              "MSSCRTitle=&Title Ctrl+1 [x]", "MSSCRGameplay=&Gameplay Ctrl+2 [x]",
                              "MSSCRFlyer=&Flyer Ctrl+3 [x]", "MSSCRMarquee=&Marquee Ctrl+4 [x]",
                              "MSSCRCabinet=&Cabinet Ctrl+5 [x]", "-",
                              "MSSCRDelete=&Delete current screenshot",
                              "MSSCRConvertFormat=Con&vert Format", "-",
                              "MSSCRControls=Show C&ontrols Ctrl+C [x]",
                              "MSSCRName=Show &Name && Dimensions Ctrl+F [x]"}));
        QCOMPARE(menu("Sound1"),
                 (QStringList{"MSSndMusic=&Music Ctrl+M [x]", "MSSndSamples=&Samples Ctrl+S [ ]",
                              "MSSndNone=&No Sound Ctrl+N [ ]"}));
        const QStringList help = menu("MenuHelp");
        QCOMPARE(help.mid(0, 6),
                 (QStringList{"MenuKALTOReadme=KALTO Readme", "MenuKALTOHomepage=KALTO Homepage",
                              "MenuStartKALTOReadme=StartKALTO Readme",
                              "MenuStartKALTOFaq=StartKALTO Faq",
                              "MenuStartKALTOHomepage=StartKALTO Homepage", "-"}));
        QCOMPARE(help.mid(11), (QStringList{"-", "About1=About ..."}));
        // The five links: each caption is the address it opens.
        for (int i = 0; i < 5; ++i) {
            QAction* link = main.findChild<QAction*>(QStringLiteral("MenuUrl%1").arg(i + 1));
            QVERIFY(link->text().startsWith(QStringLiteral("https://")));
            link->trigger();
            QCOMPARE(m_opener.opened.last(), link->text());
        }
        QCOMPARE(main.findChild<QMenu*>(QStringLiteral("ScrSchPopup"))->actions().size(), 3);
        // The two readmes, the FAQ, the links and the About item carry pictures.
        for (const char* name :
             {"MenuKALTOReadme", "MenuStartKALTOReadme", "MenuStartKALTOFaq", "MenuUrl1", "About1"})
            QVERIFY2(!main.findChild<QAction*>(QLatin1StringView(name))->icon().isNull(), name);
        main.close();
    }

    // The Help menu's documents lie in the emulator's and the front-end's folders. Their
    // items are greyed while the files are missing; a document or address the desktop
    // cannot open is named in an error.
    void helpDocuments() {
        m_dir->installEmulator();
        m_dir->installConfig();
        TMain1 main(*m_prompter, m_opener);
        const char* const items[] = {"MenuKALTOReadme", "MenuKALTOHomepage", "MenuStartKALTOReadme",
                                     "MenuStartKALTOFaq", "MenuStartKALTOHomepage"};
        const auto item = [&](const char* name) {
            return main.findChild<QAction*>(QLatin1StringView(name));
        };
        const auto enabled = [&] {
            emit main.findChild<QMenu*>(QStringLiteral("MenuHelp"))->aboutToShow();
            QList<bool> result;
            for (const char* name : items)
                result.append(item(name)->isEnabled());
            return result;
        };
        QCOMPARE(enabled(), (QList<bool>{false, true, false, false, true}));
        // Gone between the menu and the click: not handed on, and said so.
        main.MenuStartKALTOFaqClick();
        QVERIFY(m_opener.opened.isEmpty());
        QCOMPARE(m_prompter->texts(),
                 QStringList{QStringLiteral("The desktop could not open\r") +
                             m_dir->file(QStringLiteral("StartKALTOFaq.txt"))});

        for (const char* file : {"docs/kalto.txt", "StartKALTO.txt", "StartKALTOFaq.txt"})
            m_dir->writeFile(QLatin1StringView(file), "help");
        QCOMPARE(enabled(), (QList<bool>(5, true)));
        for (const char* name : items)
            item(name)->trigger();
        QCOMPARE(m_opener.opened.mid(0, 4),
                 (QStringList{QStringLiteral("./docs/kalto.txt"),
                              QStringLiteral("https://kalto.example.org/"),
                              m_dir->file(QStringLiteral("StartKALTO.txt")),
                              m_dir->file(QStringLiteral("StartKALTOFaq.txt"))}));
        QVERIFY(m_opener.opened.at(4).startsWith(QStringLiteral("https://")));
        QCOMPARE(m_prompter->shown.size(), 1);

        // A desktop without a handler: the file or the address is named.
        m_opener.fails = true;
        item("MenuKALTOReadme")->trigger();
        item("MenuKALTOHomepage")->trigger();
        QCOMPARE(m_prompter->texts().mid(1),
                 (QStringList{
                     QStringLiteral("The desktop could not open\r./docs/kalto.txt"),
                     QStringLiteral("The desktop could not open\rhttps://kalto.example.org/")}));
        QCOMPARE(m_prompter->shown.last().icon, Prompter::Icon::Error);
        main.close();
    }

    // The tab sheet hidden and shown again: the list takes the whole width meanwhile
    // with the splitter still, then goes back to its width; least sizes hold.
    void tabSheetAndLeastSizes() {
        m_dir->installEmulator();
        m_dir->installConfig();
        TMain1 main(*m_prompter, m_opener);
        main.resize(700, 450);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto* splitter = main.findChild<QSplitter*>(QStringLiteral("Splitter"));
        auto* panel = main.findChild<QWidget*>(QStringLiteral("GameListPanel"));
        splitter->setSizes({240, 457});
        QTRY_COMPARE(panel->width(), 240);
        main.findChild<QAction*>(QStringLiteral("MSTabsheet"))->trigger();
        QTRY_VERIFY(panel->width() > 600);
        QVERIFY(!splitter->handle(1)->isEnabled());
        main.findChild<QAction*>(QStringLiteral("MSTabsheet"))->trigger();
        QTRY_COMPARE(panel->width(), 240);
        QVERIFY(splitter->handle(1)->isEnabled());

        main.resize(60, 60);
        QTRY_VERIFY(main.centralWidget()->width() >= 148);
        QVERIFY(main.centralWidget()->height() >= 140);
        QVERIFY(panel->width() >= 145);
        main.close();
    }

    // The Settings page of a game with its own settings scrolls its controls: the list
    // keeps its width and the splitter still moves both ways.
    void settingsPageLeavesTheListWidth() {
        m_dir->installEmulator();
        m_dir->installConfig();
        TMain1 main(*m_prompter, m_opener);
        main.resize(760, 500);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto* splitter = main.findChild<QSplitter*>(QStringLiteral("Splitter"));
        splitter->setSizes({240, 517});
        main.findChild<QTabWidget*>(QStringLiteral("PageControl"))->setCurrentIndex(1);
        main.findChild<QCheckBox*>(QStringLiteral("ChUseDefSettings"))->click(); // own settings
        QTRY_VERIFY(main.findChild<QWidget*>(QStringLiteral("SettingsScrollBox"))->isVisible());
        for (int pass = 0; pass < 3; ++pass) // the layouts the page's controls ask for
            QCoreApplication::processEvents();
        QCOMPARE(main.listPanelWidth(), 240);
        for (const int width : {400, 200}) {
            splitter->setSizes({width, 757 - width});
            QTRY_COMPARE(main.listPanelWidth(), width);
        }
        main.close();
    }

    // The list's font and colours come from the dialogs; Cancel changes nothing. Hot
    // tracking off leaves the tabs and the list deaf to the pointer.
    void listLookAndHotTracking() {
        m_dir->installEmulator();
        m_dir->installConfig();
        TMain1 main(*m_prompter, m_opener);
        auto* list = main.findChild<GameListView*>(QStringLiteral("GameList"));
        const QFont before = list->currentView()->font();
        main.findChild<QAction*>(QStringLiteral("MSListChangefont"))->trigger();
        main.findChild<QAction*>(QStringLiteral("MSListBackgroundcolor"))->trigger();
        QCOMPARE(list->currentView()->font(), before);
        QCOMPARE(m_prompter->fontRequests.size(), 1);
        QCOMPARE(m_prompter->fontRequests[0].font.family(), before.family());
        QFont chosen(QStringLiteral("DejaVu Serif"), 14);
        chosen.setStrikeOut(true);
        m_prompter->fontAnswers.append(Prompter::FontChoice{chosen, QColor(Qt::darkGreen)});
        main.findChild<QAction*>(QStringLiteral("MSListChangefont"))->trigger();
        QCOMPARE(list->currentView()->font().pointSize(), 14);
        QVERIFY(list->currentView()->font().strikeOut());
        QCOMPARE(list->currentView()->palette().color(QPalette::Text), QColor(Qt::darkGreen));

        auto* tabs = main.findChild<QTabWidget*>(QStringLiteral("PageControl"))->tabBar();
        QVERIFY(tabs->testAttribute(Qt::WA_Hover));
        QVERIFY(list->hotTracking());
        main.findChild<QAction*>(QStringLiteral("MSHotTracking"))->trigger();
        QVERIFY(!tabs->testAttribute(Qt::WA_Hover));
        QVERIFY(!list->hotTracking());
        QVERIFY(!list->currentView()->viewport()->testAttribute(Qt::WA_Hover));
        main.close();
    }

    // Both toolbars share their width among their buttons; the converter's item is
    // enabled only while the converter is there.
    void toolbarsAndScreenShotMenu() {
        m_dir->installEmulator();
        m_dir->installConfig();
        TMain1 main(*m_prompter, m_opener);
        main.resize(800, 500);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        for (const char* name : {"SToolBar", "SettingsToolbar"}) {
            // All three buttons of the settings bar show while the defaults are edited.
            if (QByteArray(name) == "SettingsToolbar")
                main.findChild<QAction*>(QStringLiteral("MenuSetDefaultSettings"))->trigger();
            auto* bar = main.findChild<QToolBar*>(QLatin1StringView(name));
            main.findChild<QTabWidget*>(QStringLiteral("PageControl"))
                ->setCurrentIndex(QByteArray(name) == "SToolBar" ? 0 : 1);
            QTRY_VERIFY(bar->isVisible());
            // The bar lays out the buttons shown by their actions at its next layout pass.
            QTRY_VERIFY(bar->findChildren<QToolButton*>().last()->isVisibleTo(bar));
            QList<int> widths;
            const auto equalWidths = [&] {
                widths.clear();
                for (QToolButton* button : bar->findChildren<QToolButton*>()) {
                    if (button->isVisibleTo(bar) && !button->objectName().isEmpty())
                        widths.append(button->width());
                }
                return !widths.isEmpty() && std::all_of(widths.begin(), widths.end(),
                                                        [&](int w) { return w == widths[0]; });
            };
            QTRY_VERIFY2(equalWidths(), name);
            QVERIFY2(widths[0] * widths.size() > bar->width() * 8 / 10, name);
        }
        main.findChild<QToolButton*>(QStringLiteral("SetToolCancel"))->click();
        auto* menu = main.findChild<QMenu*>(QStringLiteral("MenuScreenShot"));
        auto* convert = main.findChild<QAction*>(QStringLiteral("MSSCRConvertFormat"));
        emit menu->aboutToShow();
        QVERIFY(!convert->isEnabled());
        m_dir->writeFile(QStringLiteral("nconvert.exe"), "");
        emit menu->aboutToShow();
        QVERIFY(convert->isEnabled());
        // Hiding the controls hides the slideshow bar; the name label follows its item.
        main.findChild<QAction*>(QStringLiteral("MSSCRControls"))->trigger();
        QVERIFY(!main.findChild<QToolBar*>(QStringLiteral("SToolBar"))->isVisible());
        main.findChild<QAction*>(QStringLiteral("MSSCRName"))->trigger();
        QVERIFY(!main.findChild<QLabel*>(QStringLiteral("SSShowName"))->isVisible());
        main.close();
    }

    void fontScaling() {
        // The main window's children keep their fonts at any resolution; a window whose
        // font is twice the design height doubles its direct children's fonts only.
        {
            m_dir->installEmulator();
            m_dir->installConfig();
            TMain1 main(*m_prompter, m_opener);
            auto* button = main.findChild<QPushButton*>(QStringLiteral("StartEmuButton"));
            const QFont before = button->font();
            scaleChildFonts(&main, 192, kMainWindowFontHeight);
            QCOMPARE(button->font(), before);
            main.close();
        }
        QWidget dialog;
        auto* child = new QLabel(QStringLiteral("child"), &dialog);
        auto* grandchild = new QLabel(QStringLiteral("grandchild"), child);
        QFont font = child->font();
        font.setPixelSize(11);
        child->setFont(font);
        grandchild->setFont(font);
        scaleChildFonts(&dialog, 192, -22);
        QCOMPARE(child->font().pixelSize(), 22);
        QCOMPARE(grandchild->font().pixelSize(), 11);
        // Shown again, a dialog scales from its design, not from the scaled fonts.
        scaleChildFonts(&dialog, 192, -22);
        QCOMPARE(child->font().pixelSize(), 22);
        // A font in points grows with the screen by itself: scaled again it would be
        // twice too large.
        auto* pointed = new QLabel(QStringLiteral("points"), &dialog);
        QFont points = pointed->font();
        points.setPointSize(9);
        pointed->setFont(points);
        scaleChildFonts(&dialog, 192, -22);
        QCOMPARE(pointed->font().pointSize(), 9);
        scaleChildFonts(&dialog, 96, -22);
        QCOMPARE(child->font().pixelSize(), 22);

        QCOMPARE(fontScaleFactor(-11), 1);
        QCOMPARE(fontScaleFactor(-12), 1);
        QCOMPARE(fontScaleFactor(-21), 1);
        QCOMPARE(fontScaleFactor(-22), 2);
        QCOMPARE(fontScaleFactor(-33), 3);
        QCOMPARE(fontScaleFactor(-8), 0);
    }

private:
    static void writeFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    static QByteArray readFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    std::unique_ptr<FrontEndDir> m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    RecordingOpener m_opener;
};

int main(int argc, char** argv) {
    StartKaltoApplication app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
