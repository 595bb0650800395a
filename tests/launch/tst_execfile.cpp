#include "TestSupport.h"
#include "launch/Execfile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QtTest>

using testsupport::FrontEndDir;

namespace {

// A script that sleeps, then leaves a marker file, so a test sees whether a call
// returned before or after the end of the process.
QString writeSleepScript(FrontEndDir& dir, const QString& seconds) {
    dir.writeFile(QStringLiteral("sleep.sh"), QStringLiteral("sleep %1\necho done > '%2'\n")
                                                  .arg(seconds, dir.file(QStringLiteral("marker")))
                                                  .toUtf8());
    return dir.file(QStringLiteral("sleep.sh"));
}

TExecFile* scriptRunner(QObject* parent, const QString& script, bool wait) {
    auto* runner = new TExecFile(parent);
    runner->setInterpreter(QStringLiteral("/bin/sh"));
    runner->setCommandLine(script);
    runner->setWait(wait);
    return runner;
}

char procState(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close >= 0 && close + 2 < text.size() ? text[close + 2] : 0;
}

} // namespace

class TestExecFile : public QObject {
    Q_OBJECT

private slots:
    void failedStartsRaiseOnFail_data() {
        QTest::addColumn<QString>("interpreter");
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<bool>("wait");
        QTest::newRow("missing program, waiting") << QString() << "/no/such/program" << true;
        QTest::newRow("missing program, detached") << QString() << "/no/such/program" << false;
        QTest::newRow("missing script") << "/bin/sh"
                                        << "/no/such/batch.sh" << true;
        QTest::newRow("empty command line") << QString() << QString() << true;
    }
    void failedStartsRaiseOnFail() {
        QFETCH(QString, interpreter);
        QFETCH(QString, commandLine);
        QFETCH(bool, wait);
        TExecFile runner;
        runner.setInterpreter(interpreter);
        runner.setCommandLine(commandLine);
        runner.setWait(wait);
        QList<QObject*> senders;
        runner.OnFail = [&](QObject* sender) { senders.append(sender); };
        QSignalSpy waits(&runner, &TExecFile::waitStarted);
        QVERIFY(!runner.Execute());
        QCOMPARE(senders, QList<QObject*>{&runner});
        QVERIFY(!runner.lastError().isEmpty());
        QCOMPARE(waits.count(), 0);
        // No handler set: still false, no crash.
        runner.OnFail = nullptr;
        QVERIFY(!runner.Execute());
    }

    void associateRunsScriptsThroughTheirInterpreter() {
        FrontEndDir dir;
        const QString script = writeSleepScript(dir, QStringLiteral("0"));
        TExecFile runner;
        runner.setCommandLine(script); // not executable: a direct start fails
        runner.setWait(true);
        int failures = 0;
        runner.OnFail = [&](QObject*) { ++failures; };
        QVERIFY(!runner.Execute());
        runner.setAssociate(true);
        QVERIFY(runner.Execute());
        QCOMPARE(failures, 1);
        QCOMPARE(runner.associatedProgram(), QStringLiteral("/bin/sh"));
        QVERIFY(dir.exists(QStringLiteral("marker")));
    }

    void withoutWaitReturnsWhileTheProcessRuns() {
        FrontEndDir dir;
        std::unique_ptr<TExecFile> runner(
            scriptRunner(nullptr, writeSleepScript(dir, QStringLiteral("2")), false));
        bool failed = false;
        runner->OnFail = [&](QObject*) { failed = true; };
        QSignalSpy waits(runner.get(), &TExecFile::waitStarted);
        QVERIFY(runner->Execute());
        QVERIFY(!failed);
        QCOMPARE(waits.count(), 0);
        QVERIFY(!dir.exists(QStringLiteral("marker")));
        QTRY_VERIFY_WITH_TIMEOUT(dir.exists(QStringLiteral("marker")), 30000);
    }

    void waitReturnsAfterTheEnd() {
        FrontEndDir dir;
        std::unique_ptr<TExecFile> runner(
            scriptRunner(nullptr, writeSleepScript(dir, QStringLiteral("1")), true));
        bool runningDuringWait = false;
        connect(runner.get(), &TExecFile::waitStarted, this,
                [&] { runningDuringWait = runner->isRunning(); });
        QSignalSpy finished(runner.get(), &TExecFile::waitFinished);
        QVERIFY(runner->Execute());
        QVERIFY(dir.exists(QStringLiteral("marker")));
        QVERIFY(runningDuringWait);
        QVERIFY(!runner->isRunning());
        QVERIFY(runner->isFinished());
        QCOMPARE(finished.count(), 1);
    }

    // wSuspend keeps timers (and painting) going but drops user input; wRegular lets
    // input through.
    void waitStyles_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("typed");
        QTest::newRow("suspend") << int(TExecFile::wSuspend) << QString();
        QTest::newRow("regular") << int(TExecFile::wRegular) << QStringLiteral("k");
    }
    void waitStyles() {
        QFETCH(int, style);
        QFETCH(QString, typed);
        FrontEndDir dir;
        QLineEdit edit;
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        std::unique_ptr<TExecFile> runner(
            scriptRunner(nullptr, writeSleepScript(dir, QStringLiteral("1")), true));
        runner->setWaitStyle(TExecFile::TWaitStyle(style));
        bool timerFired = false;
        connect(runner.get(), &TExecFile::waitStarted, this, [&] {
            QCoreApplication::postEvent(&edit, new QKeyEvent(QEvent::KeyPress, Qt::Key_K,
                                                             Qt::NoModifier, QStringLiteral("k")));
            QTimer::singleShot(50, this, [&] { timerFired = true; });
        });
        QVERIFY(runner->Execute());
        QCoreApplication::processEvents();
        QVERIFY(timerFired);
        QCOMPARE(edit.text(), typed);
    }

    // Each argument of a list reaches the program whole, blanks included, and nothing
    // is cut; a parameter text is split at blanks. The text shown names each argument.
    void argumentsReachTheProgramWhole() {
        FrontEndDir dir;
        dir.writeFile(QStringLiteral("args.sh"), "printf '%s\\n' \"$@\" > args.txt\n");
        std::unique_ptr<TExecFile> runner(
            scriptRunner(nullptr, dir.file(QStringLiteral("args.sh")), true));
        const QString longArgument(300, u'p');
        runner->setArguments({QStringLiteral("-game"), QStringLiteral("cog rider"), longArgument});
        QCOMPARE(runner->parameters(), QStringLiteral("-game \"cog rider\" ") + longArgument);
        QVERIFY(runner->Execute());
        QCOMPARE(dir.readFile(QStringLiteral("args.txt")),
                 "-game\ncog rider\n" + longArgument.toLatin1() + '\n');

        runner->setParameters(QStringLiteral("-romcheck  cog rider"));
        QCOMPARE(runner->arguments(),
                 (QStringList{QStringLiteral("-romcheck"), QStringLiteral("cog"),
                              QStringLiteral("rider")}));
        runner->setParameters(QString());
        QCOMPARE(runner->commandText(), dir.file(QStringLiteral("args.sh")) + u' ');
    }

    // How a run ended, and the last words it wrote to its error stream.
    void exitStatusAndErrorLines() {
        FrontEndDir dir;
        dir.writeFile(QStringLiteral("fail.sh"),
                      "i=0; while [ $i -lt 30 ]; do echo \"line $i\" >&2; i=$((i+1)); done\n"
                      "echo 'disk on fire' >&2\nexit 4\n");
        std::unique_ptr<TExecFile> runner(
            scriptRunner(nullptr, dir.file(QStringLiteral("fail.sh")), true));
        QVERIFY(runner->Execute());
        QVERIFY(runner->lastRunExitedNormally());
        QCOMPARE(runner->lastExitCode(), 4);
        QVERIFY(!runner->lastRunCancelled());
        QCOMPARE(runner->lastErrorLines(2),
                 (QStringList{QStringLiteral("line 29"), QStringLiteral("disk on fire")}));

        dir.writeFile(QStringLiteral("crash.sh"), "kill -SEGV $$\n");
        runner->setCommandLine(dir.file(QStringLiteral("crash.sh")));
        QVERIFY(runner->Execute());
        QVERIFY(!runner->lastRunExitedNormally());
        QVERIFY(runner->lastErrorLines(5).isEmpty());
    }

    // Ending a run ends its whole process group: the script and the program that it
    // started, even one that ignores the polite request.
    void terminateRunsEndsTheWholeGroup() {
        FrontEndDir dir;
        dir.writeFile(QStringLiteral("child.sh"),
                      "trap '' TERM\necho $$ > '" + dir.file(QStringLiteral("child.pid")).toUtf8() +
                          "'\nwhile :; do sleep 1; done\n");
        dir.writeFile(QStringLiteral("script.sh"),
                      "/bin/sh '" + dir.file(QStringLiteral("child.sh")).toUtf8() + "'\n");
        std::unique_ptr<TExecFile> runner(
            scriptRunner(nullptr, dir.file(QStringLiteral("script.sh")), true));
        connect(runner.get(), &TExecFile::waitStarted, this,
                [&] { QTimer::singleShot(300, runner.get(), [&] { runner->terminateRuns(); }); });
        QElapsedTimer clock;
        clock.start();
        QVERIFY(runner->Execute());
        QVERIFY(runner->lastRunCancelled());
        QVERIFY(clock.elapsed() < 60000);
        const qint64 child = dir.readFile(QStringLiteral("child.pid")).trimmed().toLongLong();
        QVERIFY(child > 0);
        // The child ignored SIGTERM; it is killed a few seconds later.
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(QStringLiteral("/proc/%1").arg(child)) ||
                                     procState(child) == 'Z',
                                 20000);
    }

    // A call made while another one waits (wRegular lets events through) runs on its
    // own; both return when their processes have ended.
    void reentrantExecute() {
        FrontEndDir dir;
        std::unique_ptr<TExecFile> runner(
            scriptRunner(nullptr, writeSleepScript(dir, QStringLiteral("1")), true));
        runner->setWaitStyle(TExecFile::wRegular);
        int inner = 0;
        connect(runner.get(), &TExecFile::waitStarted, this, [&] {
            if (inner++ == 0)
                QTimer::singleShot(50, runner.get(), [&] { QVERIFY(runner->Execute()); });
        });
        QVERIFY(runner->Execute());
        QCOMPARE(inner, 2);
        QVERIFY(!runner->isRunning());
    }

    void quitDuringRegularWaitEndsTheProgram() {
        QProcess self;
        self.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--quit-during-wait")});
        QVERIFY(self.waitForFinished(60000));
        QCOMPARE(self.exitStatus(), QProcess::NormalExit);
        QCOMPARE(self.exitCode(), 7);
    }

    void moveReplacing() {
        FrontEndDir dir;
        dir.writeFile(QStringLiteral("capture"), "new");
        dir.writeFile(QStringLiteral("target"), "old");
        QFile::setPermissions(dir.file(QStringLiteral("target")), QFile::ReadOwner);
        MoveReplacing(dir.file(QStringLiteral("capture")), dir.file(QStringLiteral("target")));
        QCOMPARE(dir.readFile(QStringLiteral("target")), QByteArray("new"));
        QVERIFY(!dir.exists(QStringLiteral("capture")));
        // Without a source the target is simply gone.
        MoveReplacing(dir.file(QStringLiteral("capture")), dir.file(QStringLiteral("target")));
        QVERIFY(!dir.exists(QStringLiteral("target")));
    }

    void listFilesLowerKeepsDiskNames() {
        FrontEndDir dir;
        dir.writeFile(QStringLiteral("pics/Darius.PNG"), "x");
        dir.writeFile(QStringLiteral("pics/darius.pcx"), "x");
        dir.writeFile(QStringLiteral("pics/dariusII.png"), "x");
        dir.makeDir(QStringLiteral("pics/DARIUS.dir"));
        auto listed = ListFilesLower(dir.file(QStringLiteral("pics/darius.*")));
        std::sort(listed.begin(), listed.end(),
                  [](const ListedFile& a, const ListedFile& b) { return a.lower < b.lower; });
        QCOMPARE(listed.size(), 3);
        QCOMPARE(listed[0].lower, QStringLiteral("darius.dir"));
        QCOMPARE(listed[0].onDisk, QStringLiteral("DARIUS.dir"));
        QCOMPARE(listed[1].onDisk, QStringLiteral("darius.pcx"));
        QCOMPARE(listed[2].lower, QStringLiteral("darius.png"));
        QCOMPARE(listed[2].onDisk, QStringLiteral("Darius.PNG"));
        QVERIFY(QFileInfo::exists(dir.file(QStringLiteral("pics/")) + listed[2].onDisk));
    }

    // A game's name is matched literally, whatever wildcard characters it holds.
    void listFilesMatchesNamesLiterally() {
        FrontEndDir dir;
        for (const char* name : {"a1.png", "a[1].png", "A[1].Pcx", "ab.png", "a*.png", "a?x.png"})
            dir.writeFile(QStringLiteral("pics/") + QLatin1StringView(name), "x");
        const auto names = [&](const QString& game) {
            QStringList found;
            for (const ListedFile& f : ListFilesLower(dir.file(QStringLiteral("pics/")) +
                                                      wildcardEscaped(game) + QStringLiteral(".*")))
                found.append(f.onDisk);
            found.sort();
            return found;
        };
        QCOMPARE(names(QStringLiteral("a[1]")),
                 (QStringList{QStringLiteral("A[1].Pcx"), QStringLiteral("a[1].png")}));
        QCOMPARE(names(QStringLiteral("a*")), QStringList{QStringLiteral("a*.png")});
        QCOMPARE(names(QStringLiteral("a?x")), QStringList{QStringLiteral("a?x.png")});
        QVERIFY(wildcardMatches(u"*.p?g", u"Title.PNG"));
        QVERIFY(!wildcardMatches(u"*.p?g", u"title.pngx"));
        QVERIFY(wildcardMatches(u"a*b*c", u"aXbYbZc"));
    }
};

// Runs one wRegular wait in a program of its own and quits during it: the exit code
// must be the one the quit asked for.
static int quitDuringWait(int argc, char** argv) {
    QApplication app(argc, argv);
    FrontEndDir dir;
    std::unique_ptr<TExecFile> runner(
        scriptRunner(nullptr, writeSleepScript(dir, QStringLiteral("1")), true));
    runner->setWaitStyle(TExecFile::wRegular);
    QObject::connect(runner.get(), &TExecFile::waitStarted, runner.get(),
                     [] { QTimer::singleShot(50, [] { QCoreApplication::exit(7); }); });
    QTimer::singleShot(0, runner.get(), [&] { runner->Execute(); });
    return app.exec();
}

int main(int argc, char** argv) {
    if (argc > 1 && qstrcmp(argv[1], "--quit-during-wait") == 0)
        return quitDuringWait(argc, argv);
    QApplication app(argc, argv);
    TestExecFile test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_execfile.moc"
