#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "shell/InstanceChannel.h"
#include "shell/MainUnit1.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QtTest>

using testsupport::FrontEndDir;

// A second start in a folder where the program runs brings the running window to the
// front and ends; the lock file stays the guard.
class TestInstanceChannel : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = std::make_unique<FrontEndDir>();
        m_dir->installEmulator();
        m_dir->installConfig();
    }
    void cleanup() { m_dir.reset(); }

    // Two real copies: the second ends at once with status 0 and touches nothing; a
    // first copy that was killed leaves its lock and socket, which the next one takes
    // over, and is reached in its turn.
    void secondCopyHandsOverToTheFirst() {
        auto first = startProgram();
        // The last of the folders the start-up makes.
        QTRY_VERIFY_WITH_TIMEOUT(m_dir->exists(QStringLiteral("Sound")), 60000);
        const QStringList before = testsupport::folderSnapshot(m_dir->path());
        {
            auto second = startProgram();
            QVERIFY(second->waitForFinished(60000));
            QCOMPARE(second->exitStatus(), QProcess::NormalExit);
            QCOMPARE(second->exitCode(), 0);
        }
        QCOMPARE(testsupport::folderSnapshot(m_dir->path()), before);
        QCOMPARE(first->state(), QProcess::Running);

        first->kill();
        QVERIFY(first->waitForFinished());
        QVERIFY(m_dir->exists(QStringLiteral("StartKALTO.lock")));
        auto next = startProgram();
        QTRY_VERIFY_WITH_TIMEOUT(InstanceChannel::askToRaise(m_dir->path(), 1000), 60000);
        auto again = startProgram();
        QVERIFY(again->waitForFinished(60000));
        QCOMPARE(again->exitCode(), 0);
        QCOMPARE(next->state(), QProcess::Running);
        next->kill();
        QVERIFY(next->waitForFinished());
    }

    // The window that a second start reaches comes out of the task bar and to the
    // front.
    void reachedWindowComesToTheFront() {
        ScriptedPrompter prompter;
        RecordingOpener opener;
        TMain1 main(prompter, opener);
        QVERIFY(!main.terminating());
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        main.showMinimized();
        QTRY_VERIFY(main.isMinimized());
        auto second = startProgram();
        // The wait lets this copy answer.
        QTRY_COMPARE_WITH_TIMEOUT(second->state(), QProcess::NotRunning, 60000);
        QCOMPARE(second->exitCode(), 0);
        QTRY_VERIFY(!main.isMinimized());
        QVERIFY(main.isVisible());
        QCOMPARE(prompter.shown.size(), 0);
        main.close();
    }

    // Where the copy that holds the lock does not answer (no channel, or hung), the
    // second copy says that it runs, as ever; callers that speak out of turn are
    // dropped.
    void unreachableCopyKeepsTheMessage() {
        QLockFile held(m_dir->file(QStringLiteral("StartKALTO.lock")));
        QVERIFY(held.tryLock(0));
        QVERIFY(!InstanceChannel::askToRaise(m_dir->path(), 500));
        // A socket that takes the call but never answers.
        QLocalServer mute;
        QVERIFY(mute.listen(InstanceChannel::serverName(m_dir->path())));
        QVERIFY(!InstanceChannel::askToRaise(m_dir->path(), 500));
        mute.close();

        ScriptedPrompter prompter;
        RecordingOpener opener;
        TMain1 second(prompter, opener);
        QVERIFY(second.terminating());
        QCOMPARE(second.exitCode(), TMain::kEndedEarlyExitCode);
        QCOMPARE(prompter.shown.size(), 1);
        QVERIFY(prompter.shown[0].text.startsWith(QStringLiteral("StartKALTO already runs")));
        held.unlock();

        InstanceChannel channel;
        QVERIFY(channel.listen(m_dir->path()));
        QSignalSpy raised(&channel, &InstanceChannel::raiseRequested);
        QLocalSocket stranger;
        stranger.connectToServer(InstanceChannel::serverName(m_dir->path()));
        QVERIFY(stranger.waitForConnected(5000));
        stranger.write(QByteArray(100, 'x'));
        QTRY_COMPARE(stranger.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(raised.size(), 0);
    }

    void serverNameFollowsTheFolder() {
        const QString name = InstanceChannel::serverName(m_dir->path());
        QCOMPARE(InstanceChannel::serverName(m_dir->path() + QStringLiteral("IniFiles/../")), name);
        m_dir->makeDir(QStringLiteral("other"));
        QVERIFY(InstanceChannel::serverName(m_dir->file(QStringLiteral("other"))) != name);
    }

private:
    std::unique_ptr<QProcess> startProgram() {
        auto program = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program->setProcessEnvironment(env);
        program->setWorkingDirectory(QDir::tempPath());
        program->setStandardOutputFile(QProcess::nullDevice());
        program->start(QStringLiteral(STARTKALTO_PATH),
                       {QStringLiteral("--folder"), m_dir->path()});
        [&] { QVERIFY(program->waitForStarted()); }();
        return program;
    }

    std::unique_ptr<FrontEndDir> m_dir;
};

QTEST_MAIN(TestInstanceChannel)
#include "tst_instancechannel.moc"
