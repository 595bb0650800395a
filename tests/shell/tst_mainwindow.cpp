#include "DemoCatalog.h"
#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "launch/Execfile.h"
#include "shell/Application.h"
#include "shell/FileError.h"
#include "shell/FontScale.h"
#include "shell/IniDocument.h"
#include "shell/MainUnit1.h"
#include "shell/TerminationSignals.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
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
        QCOMPARE(m_prompter->texts(),
                 QStringList{QStringLiteral(
                     "File not found: ./kalto.exe\rThis file is needed by StartKALTO.")});
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
        m_dir->writeFile(QStringLiteral("StartKALTO.ini"), "[StartKALTO]\r\nEmuExePath=./\r\n");
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
                 QByteArray("[StartKALTO]\r\nEmuExePath=./\r\n"));
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

    void fontScaling() {
        QCOMPARE(fontScaleFactor(-11), 1);
        QCOMPARE(fontScaleFactor(-12), 1);
        QCOMPARE(fontScaleFactor(-21), 1);
        QCOMPARE(fontScaleFactor(-22), 2);
        QCOMPARE(fontScaleFactor(-33), 3);
        QCOMPARE(fontScaleFactor(-8), 0);
    }

private:
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
