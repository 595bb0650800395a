#include "TestSupport.h"
#include "core/PathSet.h"
#include "launch/BatchFile.h"
#include "launch/Execfile.h"

#include <QProcess>
#include <QtTest>

using platform::ScriptDialect;
using testsupport::FrontEndDir;

class TestBatchFile : public QObject {
    Q_OBJECT

private slots:
    void commandInterpreterLines() {
        const QString withCapture = RenderBatchFile(ScriptDialect::Cmd, QStringLiteral("KALTO"),
                                                    QStringLiteral("C:\\Kalto\\kalto.exe"),
                                                    QStringLiteral("C:\\Front\\KALTOStart.txt"));
        QCOMPARE(withCapture.split(QStringLiteral("\r\n")),
                 (QStringList{
                     QStringLiteral("@echo off"),
                     QStringLiteral("echo Starting KALTO"),
                     QStringLiteral("set StartArgs="),
                     QStringLiteral(":NextArgument"),
                     QStringLiteral("if \"%~1\"==\"\" goto Run"),
                     QStringLiteral("set StartArgs=%StartArgs% \"%~1\""),
                     QStringLiteral("shift"),
                     QStringLiteral("goto NextArgument"),
                     QStringLiteral(":Run"),
                     QStringLiteral("\"C:\\Kalto\\kalto.exe\"%StartArgs% > "
                                    "\"C:\\Front\\KALTOStart.txt\""),
                     QStringLiteral("set StartStatus=%ERRORLEVEL%"),
                     QStringLiteral("cls"),
                     QStringLiteral("echo KALTO has finished."),
                     QStringLiteral("echo If this window does not disappear:"),
                     QStringLiteral("echo 1. Right-click on the title-bar"),
                     QStringLiteral("echo 2. Click properties"),
                     QStringLiteral("echo 3. Check \"close on exit\""),
                     QStringLiteral("exit /b %StartStatus%"),
                     QString(), // the last line ends with CR LF too
                 }));
        const QString withoutCapture =
            RenderBatchFile(ScriptDialect::Cmd, QStringLiteral("NConvert"),
                            QStringLiteral("C:\\nconvert.exe"), std::nullopt);
        QCOMPARE(withoutCapture.split(QStringLiteral("\r\n")).at(9),
                 QStringLiteral("\"C:\\nconvert.exe\"%StartArgs%"));
        QCOMPARE(withoutCapture.split(QStringLiteral("\r\n")).at(12),
                 QStringLiteral("echo NConvert has finished."));
    }

    void shellLines() {
        QCOMPARE(RenderBatchFile(ScriptDialect::Shell, QStringLiteral("KALTO"),
                                 QStringLiteral("/opt/kalto/kalto.exe"),
                                 QStringLiteral("/home/u/KALTOStart.txt")),
                 QStringLiteral("#!/bin/sh\n"
                                "echo \"Starting KALTO\"\n"
                                "'/opt/kalto/kalto.exe' \"$@\" > '/home/u/KALTOStart.txt'\n"
                                "status=$?\n"
                                "echo \"KALTO has finished.\"\n"
                                "exit $status\n"));
        QCOMPARE(RenderBatchFile(ScriptDialect::Shell, QStringLiteral("$x"),
                                 QStringLiteral("/it's"), std::nullopt),
                 QStringLiteral("#!/bin/sh\n"
                                "echo \"Starting \\$x\"\n"
                                "'/it'\\''s' \"$@\"\n"
                                "status=$?\n"
                                "echo \"\\$x has finished.\"\n"
                                "exit $status\n"));
        // A bare name would be looked up along PATH.
        QVERIFY(RenderBatchFile(ScriptDialect::Shell, QStringLiteral("KALTO"),
                                QStringLiteral("kalto.exe"), std::nullopt)
                    .contains(QStringLiteral("\n'./kalto.exe' \"$@\"\n")));
    }

    // The script ends with the program's status, whatever its own echo lines do.
    void exitStatusPassedOn_data() {
        QTest::addColumn<QByteArray>("program");
        QTest::addColumn<int>("status");
        QTest::newRow("success") << QByteArray("exit 0") << 0;
        QTest::newRow("failure") << QByteArray("exit 3") << 3;
        QTest::newRow("killed") << QByteArray("kill -KILL $$") << 128 + 9;
    }
    void exitStatusPassedOn() {
        QFETCH(QByteArray, program);
        QFETCH(int, status);
        FrontEndDir dir;
        dir.writeFile(QStringLiteral("prog"), "#!/bin/sh\necho out\n" + program + "\n");
        QFile::setPermissions(dir.file(QStringLiteral("prog")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        PathSet paths;
        paths.setFrontEndDir(dir.path());
        WriteBatchFile(paths, QStringLiteral("KALTO"), dir.file(QStringLiteral("prog")),
                       paths.CaptureFile);
        QProcess sh;
        sh.start(QStringLiteral("/bin/sh"), {paths.BatchFile});
        QVERIFY(sh.waitForFinished(10000));
        QCOMPARE(sh.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sh.exitCode(), status);
        QCOMPARE(dir.readFile(QStringLiteral("KALTOStart.txt")), QByteArray("out\n"));
    }

    // The script runs the program with the runner's arguments untouched, and paths
    // with blanks, quotes and dollar signs reach the file system as they are.
    void awkwardPathsRunForReal() {
        FrontEndDir dir;
        const QString awkward = QStringLiteral("it's a $HOME `x` \"dir\"/");
        dir.installEmulator(awkward);
        PathSet paths;
        paths.setFrontEndDir(dir.file(awkward));
        WriteBatchFile(paths, QStringLiteral("KALTO"),
                       dir.file(awkward + QStringLiteral("kalto.exe")), paths.CaptureFile);
        QVERIFY(QFileInfo(paths.BatchFile).fileName() == QStringLiteral("batch.sh"));

        TExecFile runner;
        runner.setInterpreter(QStringLiteral("/bin/sh"));
        runner.setCommandLine(paths.BatchFile);
        runner.setParameters(QStringLiteral("-listinfo  $HOME;rm *"));
        runner.setWait(true);
        QVERIFY(runner.Execute());

        QCOMPARE(dir.runs(), QStringList{QStringLiteral("-listinfo $HOME;rm *")});
        const QByteArray captured = dir.readFile(awkward + QStringLiteral("KALTOStart.txt"));
        QVERIFY2(captured.contains("game ("), captured.left(200).constData());
        QVERIFY(dir.exists(awkward + QStringLiteral("kalto.exe")));

        DeleteWorkFiles(paths);
        QVERIFY(!QFileInfo::exists(paths.BatchFile));
        QVERIFY(!QFileInfo::exists(paths.CaptureFile));
        DeleteWorkFiles(paths); // already gone: no error
    }
};

QTEST_GUILESS_MAIN(TestBatchFile)
#include "tst_batchfile.moc"
