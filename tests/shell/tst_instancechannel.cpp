#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "shell/FrontEndLock.h"
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

    // A lock left on another machine (the folder on a USB disk or a network share)
    // cannot be checked there: the second copy says who holds it and since when, and
    // takes the folder over when told to; told not to, it touches nothing.
    void lockFromAnotherMachine_data() {
        QTest::addColumn<bool>("takeOver");
        QTest::newRow("taken over") << true;
        QTest::newRow("left alone") << false;
    }
    void lockFromAnotherMachine() {
        QFETCH(bool, takeOver);
        const QString lockFile = m_dir->file(FrontEndLock::fileName());
        const QByteArray foreign = "4242\nStartKALTO\narcade-pc\n";
        m_dir->writeFile(FrontEndLock::fileName(), foreign);
        testsupport::setModified(lockFile, QDateTime::currentDateTime().addSecs(-7500));
        ScriptedPrompter prompter;
        prompter.answers = {takeOver ? Prompter::Answer::Yes : Prompter::Answer::No};
        RecordingOpener opener;
        TMain1 main(prompter, opener);
        QCOMPARE(main.terminating(), !takeOver);
        QCOMPARE(prompter.shown.size(), 1);
        const QString text = prompter.shown[0].text;
        QCOMPARE(prompter.shown[0].captions, (QStringList{"&Take Over", "&Quit"}));
        QVERIFY2(text.startsWith(QStringLiteral("StartKALTO already runs in the folder ") +
                                 m_dir->path()) &&
                     text.contains(QStringLiteral("process 4242 on the computer arcade-pc")) &&
                     text.contains(QStringLiteral("(2 hours ago)")),
                 qPrintable(text));
        if (takeOver) {
            qint64 pid = 0;
            QString host, application;
            QVERIFY(QLockFile(lockFile).getLockInfo(&pid, &host, &application));
            QCOMPARE(pid, QCoreApplication::applicationPid());
            QVERIFY(m_dir->exists(QStringLiteral("listinfo.txt")));
            main.close();
        } else {
            QCOMPARE(main.exitCode(), TMain::kEndedEarlyExitCode);
            QCOMPARE(m_dir->readFile(FrontEndLock::fileName()), foreign);
            QVERIFY(!m_dir->exists(QStringLiteral("listinfo.txt")));
        }
    }

    // Only the lock that was shown is taken over: not one that changed hands meanwhile,
    // nor one whose holder still holds it open. One that names nobody (cut short on a
    // disk pulled out) can be taken over too.
    void takeOverTakesOnlyTheLockShown() {
        m_dir->writeFile(FrontEndLock::fileName(), "");
        FrontEndLock lock;
        QCOMPARE(lock.lock(m_dir->path()), FrontEndLock::Outcome::HeldByAnotherCopy);
        QVERIFY(!lock.holder().known && !lock.holder().onThisMachine);
        m_dir->writeFile(FrontEndLock::fileName(), "4242\nStartKALTO\narcade-pc\n");
        QCOMPARE(lock.takeOver(m_dir->path()), FrontEndLock::Outcome::HeldByAnotherCopy);
        QCOMPARE(lock.holder().pid, 4242);
        QCOMPARE(lock.holder().host, QStringLiteral("arcade-pc"));
        QVERIFY(lock.holder().known && !lock.holder().onThisMachine);
        QCOMPARE(lock.takeOver(m_dir->path()), FrontEndLock::Outcome::Locked);

        FrontEndLock second;
        QCOMPARE(second.lock(m_dir->path()), FrontEndLock::Outcome::HeldByAnotherCopy);
        QVERIFY(second.holder().onThisMachine);
        QCOMPARE(second.holder().pid, QCoreApplication::applicationPid());
        QCOMPARE(second.takeOver(m_dir->path()), FrontEndLock::Outcome::HeldByAnotherCopy);
    }

    void holderDescription_data() {
        QTest::addColumn<bool>("known");
        QTest::addColumn<int>("ageSeconds");
        QTest::addColumn<QString>("expected");
        QTest::newRow("seconds") << true << 30 << "(less than a minute ago)";
        QTest::newRow("a minute") << true << 60 << "(1 minute ago)";
        QTest::newRow("minutes") << true << 3599 << "(59 minutes ago)";
        QTest::newRow("hours") << true << 47 * 3600 << "(47 hours ago)";
        QTest::newRow("days") << true << 3 * 86400 << "(3 days ago)";
        QTest::newRow("a clock ahead of ours") << true << -600 << "(less than a minute ago)";
        QTest::newRow("a lock file cut short")
            << false << 0 << "the lock file StartKALTO.lock does not say which copy holds it";
    }
    void holderDescription() {
        QFETCH(bool, known);
        QFETCH(int, ageSeconds);
        QFETCH(QString, expected);
        const QDateTime now = QDateTime::currentDateTime();
        FrontEndLock::Holder holder;
        holder.known = known;
        holder.pid = 4242;
        holder.host = QStringLiteral("arcade-pc");
        holder.since = now.addSecs(-ageSeconds);
        const QString text = FrontEndLock::describe(holder, now);
        QVERIFY2(text.endsWith(expected), qPrintable(text));
        if (known)
            QVERIFY2(
                text.startsWith(QStringLiteral("process 4242 on the computer arcade-pc, since ")),
                qPrintable(text));
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
