#include "TestSupport.h"
#include "shell/CommandLine.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QtTest>
#include <csignal>

using testsupport::FrontEndDir;

namespace {

// Every entry under dir, relative to it: what a run has written there.
QStringList entriesUnder(const QString& dir) {
    QStringList entries;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries.append(QDir(dir).relativeFilePath(it.next()));
    entries.sort();
    return entries;
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void parse_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("folder");
        QTest::addColumn<QString>("output");

        using A = CommandLine::Action;
        using F = CommandLine::Folder;
        const auto row = [](const char* name, QStringList arguments, A action, F folder,
                            const QString& output = {}) {
            QTest::newRow(name) << arguments << int(action) << int(folder) << output;
        };
        row("none", {}, A::Run, F::Current);
        row("user folder", {"--user-folder"}, A::Run, F::User);
        row("folder", {"--folder", "games"}, A::Run, F::Named);
        row("folder with =", {"--folder=games"}, A::Run, F::Named);
        row("Qt's options go to Qt", {"-style", "fusion", "-platform", "offscreen", "-reverse"},
            A::Run, F::Current);
        row("help", {"--help"}, A::Help, F::Current, "--user-folder");
        row("h", {"-h"}, A::Help, F::Current, "Usage: StartKALTO");
        row("version", {"--version"}, A::Version, F::Current, "StartKALTO 0.27.1 public beta 1\n");
        row("v", {"-v"}, A::Version, F::Current, "StartKALTO 0.27.1 public beta 1\n");
        row("unknown", {"--bogus"}, A::UsageError, F::Current, "Unknown option 'bogus'.");
        row("unknown among known", {"--user-folder", "-x"}, A::UsageError, F::Current,
            "Unknown option 'x'.");
        row("folder without its value", {"--folder"}, A::UsageError, F::Current,
            "Missing value after '--folder'.");
        row("empty folder", {"--folder="}, A::UsageError, F::Current, "needs the name");
        row("both folders", {"--user-folder", "--folder", "a"}, A::UsageError, F::Current,
            "not both");
        row("folder twice", {"--folder", "a", "--folder", "b"}, A::UsageError, F::Current, "once");
        // A folder without --folder is not passed over for the current directory.
        row("stray argument", {"games"}, A::UsageError, F::Current,
            "Unexpected argument 'games'. To work in a folder, give --folder games.");
        row("stray argument after Qt's options", {"-style", "fusion", "~/arcade"}, A::UsageError,
            F::Current, "Unexpected argument '~/arcade'.");
        row("stray argument after --", {"--", "--user-folder"}, A::UsageError, F::Current,
            "Unexpected argument '--user-folder'.");
    }
    void parse() {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(int, folder);
        QFETCH(QString, output);
        const CommandLine line =
            CommandLine::parse(QStringList{QStringLiteral("/usr/bin/StartKALTO")} + arguments);
        QCOMPARE(int(line.action()), action);
        QCOMPARE(int(line.folder()), folder);
        QVERIFY2(line.output().contains(output), qPrintable(line.output()));
        QCOMPARE(line.exitCode(), action == int(CommandLine::Action::UsageError) ? 2 : 0);
        // A wrong option shows how to get it right.
        if (action == int(CommandLine::Action::UsageError))
            QVERIFY(line.output().contains(QStringLiteral("Usage: StartKALTO [options]")));
    }

    void workingFolder_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("cwd");
        QTest::addColumn<QString>("xdgDataHome");
        QTest::addColumn<bool>("collectionInHome");
        QTest::addColumn<QString>("expected");
        // Paths relative to a scratch root holding home/ and start/.
        const auto row = [](const char* name, QStringList arguments, const char* cwd,
                            const char* xdg, bool collection, const char* expected) {
            QTest::newRow(name) << arguments << QString::fromLatin1(cwd) << QString::fromLatin1(xdg)
                                << collection << QString::fromLatin1(expected);
        };
        row("current", {}, "start", "", false, "start/");
        row("user folder in XDG_DATA_HOME", {"--user-folder"}, "start", "@/xdg", false,
            "xdg/StartKALTO/");
        row("user folder, XDG_DATA_HOME unset", {"--user-folder"}, "start", "", false,
            "home/.local/share/StartKALTO/");
        row("user folder, XDG_DATA_HOME relative", {"--user-folder"}, "start", "xdg", false,
            "home/.local/share/StartKALTO/");
        row("folder relative to the current one", {"--folder", "sub/dir"}, "start", "", false,
            "start/sub/dir/");
        row("folder absolute", {"--folder", "@/elsewhere"}, "start", "", false, "elsewhere/");
        row("home itself without a collection", {}, "home", "", false,
            "home/.local/share/StartKALTO/");
        row("home itself keeps its collection", {}, "home", "", true, "home/");
        row("folder naming home", {"--folder", "@/start/../home/"}, "start", "@/xdg", false,
            "xdg/StartKALTO/");
        row("folder inside home", {"--folder", "@/home/Arcade"}, "start", "", false,
            "home/Arcade/");
    }
    void workingFolder() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, cwd);
        QFETCH(QString, xdgDataHome);
        QFETCH(bool, collectionInHome);
        QFETCH(QString, expected);
        QTemporaryDir scratch;
        const QString root = scratch.path() + u'/';
        QVERIFY(QDir().mkpath(root + QStringLiteral("home")));
        QVERIFY(QDir().mkpath(root + QStringLiteral("start")));
        if (collectionInHome) {
            QFile ini(root + QStringLiteral("home/StartKALTO.ini"));
            QVERIFY(ini.open(QIODevice::WriteOnly));
        }
        for (QString& argument : arguments)
            argument.replace(QStringLiteral("@/"), root);
        xdgDataHome.replace(QStringLiteral("@/"), root);
        const CommandLine line =
            CommandLine::parse(QStringList{QStringLiteral("StartKALTO")} + arguments);
        QCOMPARE(line.workingFolder(root + cwd + u'/', root + QStringLiteral("home"), xdgDataHome),
                 root + expected);
    }

    // --help, --version and a wrong option need no display and write nothing, not even
    // in the home folder.
    void printsAndEndsWithoutAWindowOrAFile_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("standardOutput");
        QTest::addColumn<QString>("standardError");
        QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: StartKALTO"
                              << "";
        QTest::newRow("version") << QStringList{"--version"} << 0
                                 << "StartKALTO 0.27.1 public beta 1\n"
                                 << "";
        QTest::newRow("unknown") << QStringList{"--bogus"} << 2 << ""
                                 << "Unknown option 'bogus'.\nUsage: StartKALTO";
        QTest::newRow("folder without --folder") << QStringList{"arcade"} << 2 << ""
                                                 << "Unexpected argument 'arcade'.";
    }
    void printsAndEndsWithoutAWindowOrAFile() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, standardOutput);
        QFETCH(QString, standardError);
        QTemporaryDir scratch;
        const QString home = scratch.path() + QStringLiteral("/home");
        QVERIFY(QDir().mkpath(home));
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // With the X11 platform and no display, making the application would fail.
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("HOME"), home);
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(scratch.path());
        program.start(QStringLiteral(STARTKALTO_PATH), arguments);
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), exitCode);
        const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        QVERIFY2(standardOutput.isEmpty() ? out.isEmpty() : out.startsWith(standardOutput),
                 qPrintable(out));
        QVERIFY2(standardError.isEmpty() ? err.isEmpty() : err.startsWith(standardError),
                 qPrintable(err));
        QCOMPARE(entriesUnder(scratch.path()), QStringList{QStringLiteral("home")});
    }

    // The folder the command line names is where the program keeps every file, made
    // when missing; the home folder gets none of them.
    void worksInTheFolderItWasGiven_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("startInHome");
        QTest::addColumn<QString>("folder"); // relative to the scratch root
        QTest::newRow("menu entry's option")
            << QStringList{"--user-folder"} << false << "xdg/StartKALTO";
        QTest::newRow("started in the home folder")
            << QStringList{} << true << "home/.local/share/StartKALTO";
        QTest::newRow("a folder of one's own")
            << QStringList{"--folder", "@/a/new/folder"} << false << "a/new/folder";
    }
    void worksInTheFolderItWasGiven() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, startInHome);
        QFETCH(QString, folder);
        QTemporaryDir scratch;
        const QString root = scratch.path() + u'/';
        const QString home = root + QStringLiteral("home");
        QVERIFY(QDir().mkpath(home));
        QVERIFY(QDir().mkpath(root + QStringLiteral("start")));
        for (QString& argument : arguments)
            argument.replace(QStringLiteral("@/"), root);
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("config"));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), root + QStringLiteral("cache"));
        if (startInHome)
            env.remove(QStringLiteral("XDG_DATA_HOME"));
        else
            env.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("xdg"));
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(startInHome ? home : root + QStringLiteral("start"));
        program.setStandardOutputFile(QProcess::nullDevice());
        program.start(QStringLiteral(STARTKALTO_PATH), arguments);
        QVERIFY(program.waitForStarted());
        // A new folder has no kalto.exe: the program holds the folder and asks for it.
        const QString lock = root + folder + QStringLiteral("/StartKALTO.lock");
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(lock), 60000);
        ::kill(pid_t(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 128 + SIGTERM);
        QVERIFY(QFileInfo(root + folder).isDir());
        QCOMPARE(entriesUnder(root + QStringLiteral("start")), QStringList());
        // Nothing lands in the home folder itself.
        QCOMPARE(QDir(home).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 startInHome ? QStringList{QStringLiteral(".local")} : QStringList());
    }

    // Started in a collection's folder with the option, from anywhere: the collection
    // is read and saved there.
    void folderOptionRunsACollection() {
        FrontEndDir collection;
        collection.installEmulator();
        collection.installConfig();
        QTemporaryDir elsewhere;
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(elsewhere.path());
        program.setStandardOutputFile(QProcess::nullDevice());
        program.start(QStringLiteral(STARTKALTO_PATH),
                      {QStringLiteral("--folder"), collection.path()});
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(collection.exists(QStringLiteral("Titles")), 60000);
        ::kill(pid_t(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(collection.exists(QStringLiteral("StartKALTO.ini")));
        QVERIFY(collection.exists(QStringLiteral("listinfo.txt")));
        QCOMPARE(entriesUnder(elsewhere.path()), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
