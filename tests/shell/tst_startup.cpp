#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/IniDocument.h"
#include "core/PathSet.h"
#include "launch/Execfile.h"
#include "shell/StartUp.h"

#include <QDir>
#include <QtTest>
#include <ctime>
#include <functional>
#include <optional>

using testsupport::FrontEndDir;
using testsupport::ScopedEnv;

namespace {

class RecordedSteps final : public StartUp::Steps {
public:
    void ImportOldGameSettings() override { call(QStringLiteral("ImportOldGameSettings")); }
    bool ImportGameList() override {
        call(QStringLiteral("ImportGameList"));
        return importSucceeds;
    }
    void LoadFrontEndSettings() override { call(QStringLiteral("LoadFrontEndSettings")); }
    void UpdateFlags() override { call(QStringLiteral("UpdateFlags")); }

    QStringList calls;
    bool importSucceeds = true;
    // Runs inside the step of that name, as a box of the step would let a signal in.
    QString interruptedStep;
    std::function<void()> interrupt;

private:
    void call(const QString& step) {
        calls.append(step);
        if (step == interruptedStep && interrupt)
            interrupt();
    }
};

const QStringList kDataDirs = {QStringLiteral("IniFiles"), QStringLiteral("Gameplay"),
                               QStringLiteral("Titles"),   QStringLiteral("Cabinets"),
                               QStringLiteral("Marquees"), QStringLiteral("Flyers"),
                               QStringLiteral("Sound")};

} // namespace

class TestStartUp : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = std::make_unique<FrontEndDir>();
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_runner = std::make_unique<TExecFile>();
        m_runner->setInterpreter(QStringLiteral("/bin/sh"));
        m_runner->setWait(true);
        m_runner->OnFail = [this](QObject*) { ++m_failedStarts; };
        m_failedStarts = 0;
        m_paths = PathSet();
        m_startUp = std::make_unique<StartUp>(m_paths, *m_prompter, *m_runner);
    }
    void cleanup() {
        m_startUp.reset();
        m_runner.reset();
        m_prompter.reset();
        m_dir.reset();
    }

    void firstStart() {
        m_dir->installEmulator();
        m_dir->installConfig();
        RecordedSteps steps;
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::Completed);

        QCOMPARE(m_prompter->shown.size(), 0);
        QCOMPARE(m_prompter->openFileRequests.size(), 0);
        QCOMPARE(m_paths.FrontEndDir, m_dir->path());
        QCOMPARE(m_paths.EmuDir, QStringLiteral("./"));
        QCOMPARE(m_paths.EmuExeFile, QStringLiteral("./kalto.exe"));
        QCOMPARE(m_paths.EmuCfgFile, QStringLiteral("./Config/Kalto.cfg"));
        QCOMPARE(m_runner->commandLine(), m_dir->file(QStringLiteral("batch.sh")));

        QCOMPARE(m_dir->runs(), QStringList{QStringLiteral("-listinfo")});
        QVERIFY(m_dir->readFile(QStringLiteral("listinfo.txt")).contains("game ("));
        QVERIFY(!m_dir->exists(QStringLiteral("KALTOStart.txt")));
        QVERIFY(m_dir->readFile(QStringLiteral("batch.sh"))
                    .contains("> '" +
                              QFile::encodeName(m_dir->file(QStringLiteral("KALTOStart.txt"))) +
                              "'"));
        for (const QString& dir : kDataDirs)
            QVERIFY2(QFileInfo(m_dir->file(dir)).isDir(), qPrintable(dir));
        QVERIFY(!m_dir->exists(QStringLiteral("StartKaltoTemp")));
        QVERIFY(!m_dir->exists(QStringLiteral("StartKALTO.ini")));
        QCOMPARE(
            steps.calls,
            (QStringList{QStringLiteral("ImportOldGameSettings"), QStringLiteral("ImportGameList"),
                         QStringLiteral("LoadFrontEndSettings"), QStringLiteral("UpdateFlags")}));
    }

    void storedEmulatorDirectory() {
        m_dir->installEmulator(QStringLiteral("emu/"));
        m_dir->installConfig(QStringLiteral("emu/"));
        m_dir->writeFile(
            QStringLiteral("StartKALTO.ini"),
            "[StartKALTO]\r\nEmuExePath=" + m_dir->file(QStringLiteral("emu/")).toUtf8() + "\r\n");
        RecordedSteps steps;
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::Completed);
        QCOMPARE(m_paths.EmuExeFile, m_dir->file(QStringLiteral("emu/kalto.exe")));
        QCOMPARE(m_prompter->openFileRequests.size(), 0);
        // Front-end files stay in the working directory.
        QVERIFY(m_dir->exists(QStringLiteral("listinfo.txt")));
        QVERIFY(m_dir->exists(QStringLiteral("IniFiles")));
    }

    void dialogFindsTheEmulator() {
        m_dir->installEmulator(QStringLiteral("elsewhere/"));
        m_dir->installConfig(QStringLiteral("elsewhere/"));
        m_prompter->openFileAnswers.append(m_dir->file(QStringLiteral("elsewhere/other-name.exe")));
        RecordedSteps steps;
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::Completed);
        QCOMPARE(m_prompter->openFileRequests.size(), 1);
        const auto& request = m_prompter->openFileRequests.first();
        QCOMPARE(request.title, QStringLiteral("Please point to kalto.exe"));
        QCOMPARE(request.initialDir, QStringLiteral("./"));
        QCOMPARE(request.filterName, QStringLiteral("Kalto Executable"));
        QCOMPARE(request.filterPattern, QStringLiteral("kalto.exe"));
        QCOMPARE(request.defaultFileName, QStringLiteral("kalto.exe"));
        QCOMPARE(request.defaultSuffix, QStringLiteral("exe"));
        // Started from the menu, the folder is not one the user picked: the dialog names it.
        QCOMPARE(request.note, QStringLiteral("StartKALTO keeps its files in ") + m_dir->path());
        // Whatever name was picked, the executable is kalto.exe in that directory.
        QCOMPARE(m_paths.EmuDir, m_dir->file(QStringLiteral("elsewhere/")));
        QCOMPARE(m_paths.EmuExeFile, m_dir->file(QStringLiteral("elsewhere/kalto.exe")));
        QCOMPARE(m_dir->runs(), QStringList{QStringLiteral("-listinfo")});
    }

    // Without the emulator nothing is asked about its configuration: one box says
    // where kalto.exe was looked for, in full, and offers to point to it again or to
    // end. A folder pointed to without kalto.exe is named in turn.
    void missingEmulator_data() {
        QTest::addColumn<bool>("configThere");
        QTest::newRow("configuration there") << true;
        QTest::newRow("configuration missing too") << false;
    }
    void missingEmulator() {
        QFETCH(bool, configThere);
        if (configThere)
            m_dir->installConfig();
        m_dir->writeFile(QStringLiteral("wrong/other.exe"), "");
        m_prompter->openFileAnswers = {std::nullopt,
                                       m_dir->file(QStringLiteral("wrong/other.exe"))};
        m_prompter->answers = {Prompter::Answer::Yes, Prompter::Answer::No};
        RecordedSteps steps;
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::NeededFileMissing);
        const auto box = [](const QString& path) {
            return QStringLiteral("StartKALTO needs the Kalto emulator, but there is no kalto.exe "
                                  "at\r%1\r\rPoint to kalto.exe where the emulator is "
                                  "installed, or quit StartKALTO.")
                .arg(path);
        };
        QCOMPARE(m_prompter->texts(),
                 (QStringList{box(m_dir->file(QStringLiteral("kalto.exe"))),
                              box(m_dir->file(QStringLiteral("wrong/kalto.exe")))}));
        QCOMPARE(m_prompter->shown[0].captions, (QStringList{"&Point to kalto.exe...", "&Quit"}));
        QCOMPARE(m_prompter->openFileRequests.size(), 2);
        QCOMPARE(m_prompter->unscripted, 0);
        QVERIFY(steps.calls.isEmpty());
        QVERIFY(!m_dir->exists(QStringLiteral("batch.sh")));
        QVERIFY(!m_dir->exists(QStringLiteral("StartKALTO.ini")));
        QVERIFY(!m_dir->exists(QStringLiteral("IniFiles")));
        QVERIFY(m_dir->runs().isEmpty());

        // Pointed to at the second try, it is used.
        m_dir->installEmulator(QStringLiteral("emu/"));
        m_dir->installConfig(QStringLiteral("emu/"));
        m_prompter->shown.clear();
        m_prompter->openFileAnswers = {std::nullopt, m_dir->file(QStringLiteral("emu/kalto.exe"))};
        m_prompter->answers = {Prompter::Answer::Yes};
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::Completed);
        QCOMPARE(m_prompter->shown.size(), 1);
        QCOMPARE(m_paths.EmuExeFile, m_dir->file(QStringLiteral("emu/kalto.exe")));
    }

    void missingConfiguration_data() {
        QTest::addColumn<Prompter::Answer>("answer");
        QTest::addColumn<bool>("generationWorks");
        QTest::addColumn<QStringList>("runs");
        QTest::addColumn<bool>("completed");
        QTest::newRow("yes") << Prompter::Answer::Yes << true
                             << QStringList{QStringLiteral("-nogui"), QStringLiteral("-listinfo")}
                             << true;
        QTest::newRow("no") << Prompter::Answer::No << true << QStringList{} << false;
        QTest::newRow("yes, still missing")
            << Prompter::Answer::Yes << false << QStringList{QStringLiteral("-nogui")} << false;
    }
    void missingConfiguration() {
        QFETCH(Prompter::Answer, answer);
        QFETCH(bool, generationWorks);
        QFETCH(QStringList, runs);
        QFETCH(bool, completed);
        m_dir->installEmulator();
        std::optional<ScopedEnv> noConfig;
        if (!generationWorks)
            noConfig.emplace("KALTO_SIM_NO_CONFIG", "1");
        m_prompter->answers.append(answer);
        RecordedSteps steps;
        const auto result = m_startUp->RunStartup(true, steps);
        QCOMPARE(m_prompter->shown.first().text,
                 QStringLiteral("Kalto.cfg file was not found.\rGenerate default Kalto.cfg ?"));
        QCOMPARE(m_prompter->shown.first().buttons, Prompter::Buttons::YesNo);
        QCOMPARE(m_dir->runs(), runs);
        if (completed) {
            QCOMPARE(result, StartUp::Result::Completed);
            QCOMPARE(m_prompter->shown.size(), 1);
            QVERIFY(m_dir->exists(QStringLiteral("Config/Kalto.cfg")));
            // The script has its capture back for the runs that follow.
            QVERIFY(m_dir->readFile(QStringLiteral("batch.sh")).contains("KALTOStart.txt"));
        } else {
            QCOMPARE(result, StartUp::Result::NeededFileMissing);
            QCOMPARE(m_prompter->shown.size(), 2);
            QCOMPARE(m_prompter->shown[1].text,
                     QStringLiteral(
                         "File not found: ./Config/Kalto.cfg\rThis file is needed by StartKALTO."));
            QVERIFY(!m_dir->exists(QStringLiteral("batch.sh")));
        }
    }

    void executableWithoutExecuteBit() {
        m_dir->installEmulator();
        m_dir->installConfig();
        QFile::setPermissions(m_dir->file(QStringLiteral("kalto.exe")),
                              QFile::ReadOwner | QFile::WriteOwner);
        RecordedSteps steps;
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::NeededFileMissing);
        QCOMPARE(m_prompter->shown.size(), 1);
        QVERIFY(m_prompter->shown[0].text.startsWith(
            QStringLiteral("File is not executable: ./kalto.exe")));
    }

    void listRefreshFollowsTheExecutableDate() {
        m_dir->installEmulator();
        m_dir->installConfig();
        RecordedSteps steps;
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::Completed);
        QCOMPARE(m_dir->runs().size(), 1);
        // The date kept is that of the executable that made the list, not of one put in
        // its place while the program runs: that one is asked at the next start.
        const QDateTime listed = StartUp::fileDate(m_paths.EmuExeFile);
        QCOMPARE(m_startUp->emuExeDateToStore(), listed);
        testsupport::setModified(m_dir->file(QStringLiteral("kalto.exe")),
                                 QDateTime::currentDateTime().addDays(-5));
        QCOMPARE(m_startUp->emuExeDateToStore(), listed);

        // What a normal close stores.
        IniDocument ini = IniDocument::emptyFor(m_paths.FrontEndIniFile);
        ini.writeDateTime(u"StartKALTO", u"EmuExeDate", StartUp::fileDate(m_paths.EmuExeFile));
        ini.save();
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::Completed);
        QCOMPARE(m_dir->runs().size(), 1);

        // The list file deleted by the user.
        QVERIFY(QFile::remove(m_dir->file(QStringLiteral("listinfo.txt"))));
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::Completed);
        QCOMPARE(m_dir->runs().size(), 2);
        QVERIFY(m_dir->exists(QStringLiteral("listinfo.txt")));

        // A newer executable.
        testsupport::setModified(m_dir->file(QStringLiteral("kalto.exe")),
                                 QDateTime::currentDateTime().addDays(-3));
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::Completed);
        QCOMPARE(m_dir->runs().size(), 3);

        // The menu's re-run always asks.
        ini.writeDateTime(u"StartKALTO", u"EmuExeDate", StartUp::fileDate(m_paths.EmuExeFile));
        ini.save();
        QCOMPARE(m_startUp->RunStartup(false, steps), StartUp::Result::Completed);
        QCOMPARE(m_dir->runs().size(), 4);

        // A date text that does not read back counts as missing.
        ini.writeString(u"StartKALTO", u"EmuExeDate", QStringLiteral("07/12/2026 10:00:00"));
        ini.save();
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::Completed);
        QCOMPARE(m_dir->runs().size(), 5);
    }

    // A launch script that cannot be written is said once; the games are read all the
    // same, and a list that needs no refresh is not asked for.
    void unwritableScriptKeepsTheGames() {
        m_dir->installEmulator();
        m_dir->installConfig();
        RecordedSteps steps;
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::Completed);
        IniDocument ini = IniDocument::emptyFor(m_paths.FrontEndIniFile);
        ini.writeDateTime(u"StartKALTO", u"EmuExeDate", m_startUp->emuExeDateToStore());
        ini.save();
        QVERIFY(QFile::remove(m_paths.BatchFile));
        steps.calls.clear();
        {
            testsupport::FileSizeLimit limit(100);
            QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::Completed);
        }
        QCOMPARE(m_prompter->shown.size(), 1);
        QVERIFY2(m_prompter->shown[0].text.contains(m_paths.BatchFile),
                 qPrintable(m_prompter->shown[0].text));
        QVERIFY(!m_dir->exists(QStringLiteral("batch.sh")));
        QCOMPARE(steps.calls.mid(1), (QStringList{QStringLiteral("ImportGameList"),
                                                  QStringLiteral("LoadFrontEndSettings"),
                                                  QStringLiteral("UpdateFlags")}));
        QCOMPARE(m_dir->runs().size(), 1);
    }

    // A game run that a killed front-end left behind is finished at the next start: its
    // shots are filed as the recorded game's (not one that lay there before the run),
    // and the emulator's screenshot folder goes back to the user's, unless someone
    // pointed it elsewhere meanwhile. A recorded name that would reach outside the
    // picture folders files nothing. The record keeps the user's folder: an emulator
    // that outlived the front-end writes the temporary folder back when it ends, and
    // every start puts the user's back.
    void interruptedRunIsFinished_data() {
        QTest::addColumn<QString>("zip"); // empty: no run left, only the folder kept
        QTest::addColumn<bool>("stillOurs");
        QTest::addColumn<bool>("leftover");
        QTest::addColumn<QString>("filed");
        QTest::addColumn<QByteArray>("shotLine");
        const QByteArray restored("ScreenShots = screens/\r\n");
        QTest::newRow("still ours")
            << "Sky Loom" << true << false << "sky loom.001.pcx" << restored;
        QTest::newRow("pointed elsewhere") << "skyloom" << false << false << "skyloom.001.pcx"
                                           << QByteArray("ScreenShots = mine/\r\n");
        QTest::newRow("unsafe name") << "../skyloom" << true << false << QString() << restored;
        QTest::newRow("shot there before the run")
            << "skyloom" << true << true << QString() << restored;
        QTest::newRow("emulator ended after the last start")
            << QString() << true << false << QString() << restored;
    }
    void interruptedRunIsFinished() {
        QFETCH(QString, zip);
        QFETCH(bool, stillOurs);
        QFETCH(bool, leftover);
        QFETCH(QString, filed);
        QFETCH(QByteArray, shotLine);
        m_dir->installEmulator();
        const QByteArray temp = QFile::encodeName(m_dir->file(QStringLiteral("StartKaltoTemp/")));
        m_dir->writeFile(
            QStringLiteral("Config/Kalto.cfg"),
            "; mine\r\n[Directories]\r\nScreenShots =" + (stillOurs ? temp : QByteArray(" mine/")) +
                "\r\nrom_dir_0 = roms/\r\n");
        m_dir->writeFile(QStringLiteral("StartKaltoTemp/SHOT_0000.PCX"), "\x0a");
        const QFileInfo shot(m_dir->file(QStringLiteral("StartKaltoTemp/SHOT_0000.PCX")));
        const QByteArray before =
            leftover
                ? "SHOT_0000.PCX:1:" + QByteArray::number(shot.lastModified().toMSecsSinceEpoch())
                : QByteArray();
        const QByteArray run = zip.isEmpty()
                                   ? QByteArray()
                                   : "ZipName=" + zip.toUtf8() + "\r\nBefore=" + before + "\r\n";
        m_dir->writeFile(QStringLiteral("StartKaltoRun.ini"),
                         "[Run]\r\n" + run + "ScreenShots=%20screens/\r\n");
        RecordedSteps steps;
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::Completed);
        QCOMPARE(m_prompter->shown.size(), 0);
        QCOMPARE(m_dir->readFile(QStringLiteral("Config/Kalto.cfg")),
                 "; mine\r\n[Directories]\r\n" + shotLine + "rom_dir_0 = roms/\r\n");
        QCOMPARE(QDir(m_dir->file(QStringLiteral("Gameplay"))).entryList(QDir::Files),
                 filed.isEmpty() ? QStringList() : QStringList{filed});
        QCOMPARE(m_dir->exists(QStringLiteral("StartKaltoTemp/SHOT_0000.PCX")), filed.isEmpty());
        QCOMPARE(m_dir->readFile(QStringLiteral("StartKaltoRun.ini")).trimmed(),
                 QByteArray("[Run]\r\nScreenShots=%20screens/"));
    }

    // A run that could not even start is reported by the runner; the old list stays
    // and the sequence goes on with it.
    void failedStartKeepsTheOldList() {
        m_dir->installEmulator();
        m_dir->installConfig();
        m_dir->writeFile(QStringLiteral("listinfo.txt"), "old list");
        m_runner->setInterpreter(QStringLiteral("/no/such/shell"));
        RecordedSteps steps;
        QCOMPARE(m_startUp->RunStartup(false, steps), StartUp::Result::Completed);
        QCOMPARE(m_failedStarts, 1);
        QCOMPARE(m_prompter->shown.size(), 0); // the runner's failure handler said it
        QCOMPARE(m_dir->readFile(QStringLiteral("listinfo.txt")), QByteArray("old list"));
        QVERIFY(!m_startUp->listRefreshed());
        QVERIFY(!m_startUp->emuExeDateToStore().isValid());
        QCOMPARE(steps.calls.size(), 4);
    }

    // An emulator that fails, crashes or lists nothing never replaces the list: the
    // games stay, one message says what happened, and no date is stored so that the
    // next start asks again.
    void failedListRunKeepsTheOldList_data() {
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("lastWords");
        QTest::newRow("exit status")
            << QByteArray("exit") << QStringLiteral("it ended with exit status 3")
            << QStringLiteral("kalto-sim: cannot list the supported games");
        QTest::newRow("crash") << QByteArray("crash")
                               << QStringLiteral("ended abnormally (signal 9") << QString();
        QTest::newRow("no games") << QByteArray("silent")
                                  << QStringLiteral("its output holds no games") << QString();
    }
    void failedListRunKeepsTheOldList() {
        QFETCH(QByteArray, fault);
        QFETCH(QString, reason);
        QFETCH(QString, lastWords);
        m_dir->installEmulator();
        m_dir->installConfig();
        RecordedSteps steps;
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::Completed);
        const QByteArray good = m_dir->readFile(QStringLiteral("listinfo.txt"));
        QVERIFY(good.contains("game ("));
        QVERIFY(m_startUp->emuExeDateToStore().isValid());

        ScopedEnv faulty("KALTO_SIM_LISTINFO_FAULT", fault);
        steps.calls.clear();
        QCOMPARE(m_startUp->RunStartup(false, steps), StartUp::Result::Completed);
        QCOMPARE(m_dir->readFile(QStringLiteral("listinfo.txt")), good);
        QVERIFY(!m_dir->exists(QStringLiteral("KALTOStart.txt")));
        // The old list is imported as before.
        QCOMPARE(
            steps.calls.mid(steps.calls.size() - 3),
            (QStringList{QStringLiteral("ImportGameList"), QStringLiteral("LoadFrontEndSettings"),
                         QStringLiteral("UpdateFlags")}));
        QCOMPARE(m_prompter->shown.size(), 1);
        const QString text = m_prompter->shown[0].text;
        QVERIFY2(
            text.startsWith(QStringLiteral("kalto.exe -listinfo did not give the list of games")),
            qPrintable(text));
        QVERIFY2(text.contains(reason), qPrintable(text));
        QVERIFY2(text.contains(lastWords), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("The games stay as they were")));
        QVERIFY(!m_startUp->emuExeDateToStore().isValid());
    }

    // At a first start there is no list to keep: one message, and no second one about
    // a list file that cannot be read.
    void failedFirstListRun() {
        m_dir->installEmulator();
        m_dir->installConfig();
        ScopedEnv faulty("KALTO_SIM_LISTINFO_FAULT", "exit");
        RecordedSteps steps;
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::GameListUnreadable);
        QVERIFY(!m_dir->exists(QStringLiteral("listinfo.txt")));
        QCOMPARE(m_prompter->shown.size(), 1);
        QVERIFY(
            m_prompter->shown[0].text.contains(QStringLiteral("There is no list of games yet")));
        QVERIFY(!steps.calls.contains(QStringLiteral("ImportGameList")));
    }

    // A stored path left empty means the working directory, never the shell's search.
    void emptyEmulatorPathIsTheWorkingDirectory() {
        m_dir->installEmulator();
        m_dir->installConfig();
        m_dir->writeFile(QStringLiteral("StartKALTO.ini"), "[StartKALTO]\r\nEmuExePath=\r\n");
        RecordedSteps steps;
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::Completed);
        QCOMPARE(m_paths.EmuDir, QStringLiteral("./"));
        QCOMPARE(m_prompter->openFileRequests.size(), 0);
        QCOMPARE(m_dir->runs(), QStringList{QStringLiteral("-listinfo")});
    }

    // Deep front-end directories work: the script's path is not cut.
    void longFrontEndPath() {
        QString deep = QStringLiteral("front");
        while (m_dir->file(deep).size() < 300)
            deep += QStringLiteral("/a-rather-long-folder-name");
        m_dir->makeDir(deep);
        QVERIFY(QDir::setCurrent(m_dir->file(deep)));
        m_dir->installEmulator(deep + u'/');
        m_dir->installConfig(deep + u'/');
        RecordedSteps steps;
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::Completed);
        QVERIFY(m_runner->commandLine().size() > 300);
        QCOMPARE(m_failedStarts, 0);
        QVERIFY(m_dir->readFile(deep + QStringLiteral("/listinfo.txt")).contains("game ("));
    }

    // A working directory deleted under the program ends it with a message; nothing
    // lands in the root directory.
    void workingDirectoryGone() {
        m_dir->makeDir(QStringLiteral("gone"));
        QVERIFY(QDir::setCurrent(m_dir->file(QStringLiteral("gone"))));
        QVERIFY(QDir().rmdir(m_dir->file(QStringLiteral("gone"))));
        const bool rootScript = QFileInfo::exists(QStringLiteral("/batch.sh"));
        RecordedSteps steps;
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::WorkingDirectoryMissing);
        QCOMPARE(m_prompter->shown.size(), 1);
        QVERIFY(m_prompter->shown[0].text.contains(QStringLiteral("no longer exists")));
        QCOMPARE(QFileInfo::exists(QStringLiteral("/batch.sh")), rootScript);
        QVERIFY(steps.calls.isEmpty());
        QVERIFY(m_paths.FrontEndDir.isEmpty());
    }

    // The executable's date is kept in UTC: a time in the hour that a daylight-saving
    // change repeats compares equal after a save and a load, so the list is not asked
    // for again; the older local form without "Z" still reads.
    void executableDateAcrossDaylightSaving() {
        ScopedEnv zone("TZ", "Europe/Berlin");
        tzset();
        m_dir->installEmulator();
        m_dir->installConfig();
        // 2026-10-25 02:30 happens twice in Berlin; this is the second time.
        testsupport::setModified(m_dir->file(QStringLiteral("kalto.exe")),
                                 QDateTime(QDate(2026, 10, 25), QTime(1, 30, 7), Qt::UTC));
        RecordedSteps steps;
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::Completed);
        IniDocument ini = IniDocument::emptyFor(m_paths.FrontEndIniFile);
        ini.writeDateTime(u"StartKALTO", u"EmuExeDate", m_startUp->emuExeDateToStore());
        ini.save();
        QCOMPARE(ini.readString(u"StartKALTO", u"EmuExeDate", {}),
                 QStringLiteral("2026-10-25T01:30:07Z"));
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::Completed);
        QCOMPARE(m_dir->runs().size(), 1);

        ini.writeString(u"StartKALTO", u"EmuExeDate", QStringLiteral("2026-10-24T12:00:00"));
        QCOMPARE(ini.readDateTime(u"StartKALTO", u"EmuExeDate", {}),
                 QDateTime(QDate(2026, 10, 24), QTime(10, 0), Qt::UTC));
        tzset();
    }

    void existingOrBlockedDataDirectoriesArePassedOver() {
        m_dir->installEmulator();
        m_dir->installConfig();
        m_dir->makeDir(QStringLiteral("Titles"));
        m_dir->writeFile(QStringLiteral("Sound"), "a file where a directory belongs");
        m_dir->writeFile(QStringLiteral("IniFiles/Default.ini"), "[Default]\r\n");
        RecordedSteps steps;
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::Completed);
        QVERIFY(QFileInfo(m_dir->file(QStringLiteral("Flyers"))).isDir());
        QVERIFY(QFileInfo(m_dir->file(QStringLiteral("Sound"))).isFile());
        QCOMPARE(m_prompter->shown.size(), 0);
        // Default settings exist: no import of the older layout.
        QVERIFY(!steps.calls.contains(QStringLiteral("ImportOldGameSettings")));
    }

    // A save killed between writing its temporary file and renaming it leaves the
    // temporary file ("<name>." and six letters) behind; the next start removes those
    // of the program's own files, and nothing else.
    void leftoversOfKilledSavesAreRemoved() {
        m_dir->installEmulator();
        m_dir->installConfig();
        const QStringList leftovers = {"StartKALTO.ini.AbCdEf",       "batch.sh.xYzAbC",
                                       "StartKaltoRun.ini.QwErTy",    "needed.txt.mnBvcx",
                                       "IniFiles/skyloom.ini.PoIuYt", "IniFiles/Default.ini.aaaaaA",
                                       "Config/Kalto.cfg.ZzZzZz"};
        const QStringList kept = {"StartKALTO.ini.bak",          "StartKALTO.ini.abc123",
                                  "StartKALTO.ini.AbCdEfG",      "notes.txt.AbCdEf",
                                  "listinfo.txt.AbCdEf",         "Config/Cheats.cfg.AbCdEf",
                                  "IniFiles/skyloom.cfg.AbCdEf", "Titles/skyloom.png.AbCdEf",
                                  "Config/Kalto.cfg.backup",     "StartKALTO.ini.BACKUP",
                                  "IniFiles/Default.ini.Before"};
        for (const QString& file : leftovers + kept)
            m_dir->writeFile(file, "x");
        // Only plain files go: not a folder, not a link, whatever their names.
        m_dir->makeDir(QStringLiteral("IniFiles/folder.ini.Folder"));
        QVERIFY(QFile::link(m_dir->file(QStringLiteral("notes.txt.AbCdEf")),
                            m_dir->file(QStringLiteral("Config/Kalto.cfg.LinkIt"))));
        RecordedSteps steps;
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::Completed);
        for (const QString& file : leftovers)
            QVERIFY2(!m_dir->exists(file), qPrintable(file));
        for (const QString& file : kept + QStringList{"IniFiles/folder.ini.Folder"})
            QVERIFY2(m_dir->exists(file), qPrintable(file));
        QVERIFY(QFileInfo(m_dir->file(QStringLiteral("Config/Kalto.cfg.LinkIt"))).isSymLink());
    }

    // A termination signal while a late step shows a box (the box goes with it) ends
    // the sequence right after that step: nothing later runs, and the work files go.
    void terminationInALateStepEndsTheSequence_data() {
        QTest::addColumn<QString>("step");
        QTest::newRow("interrupted run's error") << QString();
        QTest::newRow("old settings' import") << QStringLiteral("ImportOldGameSettings");
        QTest::newRow("unreadable game list") << QStringLiteral("ImportGameList");
        QTest::newRow("settings load's question") << QStringLiteral("LoadFrontEndSettings");
    }
    void terminationInALateStepEndsTheSequence() {
        QFETCH(QString, step);
        m_dir->installEmulator();
        m_dir->installConfig();
        RecordedSteps steps;
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::Completed);
        steps.calls.clear();
        steps.importSucceeds = step != u"ImportGameList";
        std::optional<testsupport::UnwritableDir> lockedConfig;
        if (step.isEmpty()) {
            // The recovery cannot point the emulator's screenshots back: an error box.
            const QByteArray temp =
                QFile::encodeName(m_dir->file(QStringLiteral("StartKaltoTemp/")));
            m_dir->writeFile(QStringLiteral("Config/Kalto.cfg"),
                             "[Directories]\r\nScreenShots = " + temp + "\r\n");
            m_dir->writeFile(QStringLiteral("StartKaltoRun.ini"),
                             "[Run]\r\nZipName=skyloom\r\nScreenShots=screens/\r\n");
            lockedConfig.emplace(m_dir->file(QStringLiteral("Config")));
            if (!lockedConfig->isActive())
                QSKIP("no way to make a directory unwritable here");
            m_prompter->onShow = [this] { m_startUp->requestAbort(); };
        } else {
            steps.interruptedStep = step;
            steps.interrupt = [this] { m_startUp->requestAbort(); };
        }
        QCOMPARE(m_startUp->RunStartup(false, steps), StartUp::Result::Aborted);
        lockedConfig.reset();
        QCOMPARE(steps.calls.isEmpty() ? QString() : steps.calls.last(), step);
        QCOMPARE(m_prompter->shown.size(), step.isEmpty() ? 1 : 0);
        QVERIFY(!m_dir->exists(QStringLiteral("batch.sh")));
    }

    void unreadableGameListSkipsTheRest() {
        m_dir->installEmulator();
        m_dir->installConfig();
        RecordedSteps steps;
        steps.importSucceeds = false;
        QCOMPARE(m_startUp->RunStartup(true, steps), StartUp::Result::GameListUnreadable);
        QCOMPARE(steps.calls.last(), QStringLiteral("ImportGameList"));
    }

private:
    std::unique_ptr<FrontEndDir> m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<TExecFile> m_runner;
    std::unique_ptr<StartUp> m_startUp;
    PathSet m_paths;
    int m_failedStarts = 0;
};

QTEST_GUILESS_MAIN(TestStartUp)
#include "tst_startup.moc"
