#include "StartUp.h"

#include "core/AtomicFile.h"
#include "core/FileError.h"
#include "core/IniDocument.h"
#include "core/PathSet.h"
#include "core/Platform.h"
#include "core/Prompter.h"
#include "games/ListInfoImport.h"
#include "launch/BatchFile.h"
#include "launch/Execfile.h"
#include "launch/Launch.h"
#include "launch/NeededReport.h"
#include "media/ScreenshotStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
const QString kEmulatorTitle = QStringLiteral("KALTO");
} // namespace

StartUp::StartUp(PathSet& paths, Prompter& prompter, TExecFile& execEmu)
    : m_paths(paths), m_prompter(prompter), m_execEmu(execEmu) {}

QDateTime StartUp::missingEmuExeDate() {
    return QDateTime(QDate(1900, 1, 9), QTime(0, 0));
}

QDateTime StartUp::fileDate(const QString& path) {
    return platform::modificationTime(path);
}

QDateTime StartUp::emuExeDateToStore() const {
    return m_listExeDate;
}

bool StartUp::aborted() {
    if (!m_abort)
        return false;
    DeleteWorkFiles(m_paths);
    return true;
}

const IniDocument& StartUp::ownSettings() {
    // Read once per run of the sequence: nothing writes the file meanwhile, and it may
    // hold forty thousand game sections besides this one.
    if (!m_ownSettings)
        m_ownSettings = IniDocument::sectionOf(m_paths.FrontEndIniFile, u"StartKALTO");
    return *m_ownSettings;
}

StartUp::Result StartUp::RunStartup(bool checkEmuDate, Steps& steps) {
    m_ownSettings.reset();
    m_batchFileFailed = false;
    if (!BuildPaths())
        return Result::WorkingDirectoryMissing;
    // Before any file is written: a second copy must leave the first one's files alone.
    if (!steps.LockFrontEndDir())
        return Result::AlreadyRunning;
    if (aborted())
        return Result::Aborted;
    const bool located = LocateEmulator();
    if (aborted())
        return Result::Aborted;
    // Without the emulator its configuration means nothing: nothing more is asked.
    if (!located) {
        DeleteWorkFiles(m_paths);
        return Result::NeededFileMissing;
    }
    writeBatchFile(m_paths.CaptureFile);
    if (aborted())
        return Result::Aborted;
    EnsureEmulatorConfig();
    if (aborted())
        return Result::Aborted;
    if (!CheckNeededFiles()) {
        DeleteWorkFiles(m_paths);
        return Result::NeededFileMissing;
    }
    RefreshGameListFile(checkEmuDate);
    if (aborted())
        return Result::Aborted;
    CreateDataDirectories();
    RemoveSaveLeftovers();
    // The late steps may show a box too: a signal that ends it ends the sequence there,
    // before anything more is written.
    FinishInterruptedRun();
    if (aborted())
        return Result::Aborted;
    CheckDefaultSettingsFile(steps);
    if (aborted())
        return Result::Aborted;
    // A failed first refresh leaves no list to read; its message has said so already.
    if (m_listRefreshFailed && !QFileInfo::exists(m_paths.ListInfoFile))
        return Result::GameListUnreadable;
    // The settings load needs the records of the import, and the installed check
    // needs the rom paths and marks that the load reads.
    if (!steps.ImportGameList())
        return aborted() ? Result::Aborted : Result::GameListUnreadable;
    steps.LoadFrontEndSettings();
    if (aborted())
        return Result::Aborted;
    steps.UpdateFlags();
    return Result::Completed;
}

bool StartUp::BuildPaths() {
    const QString workingDir = platform::existingWorkingDirectory();
    if (workingDir.isEmpty()) {
        // Every file of the program would land in the root directory.
        m_prompter.errorCancel(
            QStringLiteral("The folder in which StartKALTO was started no longer exists.\r"
                           "Start StartKALTO again in the folder that holds its files."));
        return false;
    }
    m_paths.setFrontEndDir(workingDir);
    m_execEmu.setCommandLine(m_paths.BatchFile);
    return true;
}

bool StartUp::LocateEmulator() {
    m_paths.EmuDir = ownSettings().readString(u"StartKALTO", u"EmuExePath", QString());
    // An empty path would leave the executable to the shell's command search.
    if (m_paths.EmuDir.isEmpty())
        m_paths.EmuDir = platform::defaultEmuExePath();
    const auto found = [this] {
        return QFileInfo(m_paths.EmuDir + platform::emuExeName()).isFile();
    };
    bool located = found();
    // Until the user points to it or gives up: the program can do nothing without it.
    while (!located) {
        AskForEmulator();
        located = found();
        if (located || m_abort || !offerToPointAgain())
            break;
    }
    SetEmulatorPaths();
    return located;
}

bool StartUp::offerToPointAgain() {
    // The full path: a path relative to a folder the user never chose says nothing.
    const QString where =
        QDir::cleanPath(QFileInfo(m_paths.EmuDir + platform::emuExeName()).absoluteFilePath());
    const bool again = m_prompter.choose(
        Prompter::Icon::Warning,
        QCoreApplication::translate("StartUp",
                                    "StartKALTO needs the Kalto emulator, but there is no "
                                    "kalto.exe at\r%1\r\rPoint to kalto.exe where the emulator "
                                    "is installed, or quit StartKALTO.")
            .arg(where),
        QCoreApplication::translate("StartUp", "&Point to kalto.exe..."),
        QCoreApplication::translate("StartUp", "&Quit"));
    return again && !m_abort;
}

void StartUp::AskForEmulator() {
    Prompter::OpenFileRequest request;
    request.title = QStringLiteral("Please point to kalto.exe");
    request.initialDir = m_paths.EmuDir;
    request.filterName = QStringLiteral("Kalto Executable");
    request.filterPattern = platform::emuExeName();
    request.defaultFileName = platform::emuExeName();
    request.defaultSuffix = QStringLiteral("exe");
    // Started from the desktop's menu the folder is not one the user chose.
    request.note = QStringLiteral("StartKALTO keeps its files in %1").arg(m_paths.FrontEndDir);
    // Only the directory counts: the executable is always kalto.exe in it.
    if (const auto chosen = m_prompter.openFile(request))
        m_paths.EmuDir = platform::directoryPart(*chosen);
}

void StartUp::SetEmulatorPaths() {
    m_paths.setEmulatorPaths();
}

bool StartUp::runEmulator(const QString& parameters) {
    m_execEmu.setParameters(parameters);
    return m_execEmu.Execute();
}

void StartUp::EnsureEmulatorConfig() {
    if (QFileInfo::exists(m_paths.EmuCfgFile))
        return;
    if (!m_prompter.confirm(
            QStringLiteral("Kalto.cfg file was not found.\rGenerate default Kalto.cfg ?")))
        return;
    RequestDefaultConfig();
}

void StartUp::RequestDefaultConfig() {
    // The emulator writes its default configuration when run without its GUI; its
    // output is not wanted, so the script runs it without capture this once.
    if (writeBatchFile(std::nullopt))
        runEmulator(QStringLiteral("-nogui"));
    writeBatchFile(m_paths.CaptureFile);
}

bool StartUp::writeBatchFile(const std::optional<QString>& capturePath) {
    // A script that cannot be written is said once; the games are still read, and only
    // the runs that need the script fail (each of them says so).
    try {
        WriteBatchFile(m_paths, kEmulatorTitle, m_paths.EmuExeFile, capturePath);
        return true;
    } catch (const FileError& error) {
        if (!m_batchFileFailed)
            m_prompter.error(error.message());
        m_batchFileFailed = true;
        return false;
    }
}

void StartUp::FinishInterruptedRun() {
    try {
        ::FinishInterruptedRun(
            m_paths, [this](const QString& zipName, const QSet<QString>& leftovers) {
                CollectRunScreenshots(m_paths.TempDir, m_paths.GameplayDir, zipName, leftovers);
            });
    } catch (const FileError& error) {
        m_prompter.error(error.message());
    }
}

bool StartUp::CheckNeededFile(const QString& path) {
    if (QFileInfo(path).isFile())
        return true;
    m_prompter.errorCancel(QStringLiteral("File not found: ") + path +
                           QStringLiteral("\rThis file is needed by StartKALTO."));
    return false;
}

bool StartUp::CheckNeededFiles() {
    if (!CheckNeededFile(m_paths.EmuDir + platform::emuExeName()))
        return false;
    if (!QFileInfo(m_paths.EmuExeFile).isExecutable()) {
        // Every run would fail inside the script without a word; say so now.
        m_prompter.errorCancel(QStringLiteral("File is not executable: ") + m_paths.EmuExeFile +
                               QStringLiteral("\rThis file is needed by StartKALTO."));
        return false;
    }
    return CheckNeededFile(m_paths.EmuDir + platform::emuConfigRelative());
}

bool StartUp::RefreshGameListFile(bool checkEmuDate) {
    m_listRefreshFailed = false;
    m_listExeDate = QDateTime();
    bool changed = true;
    const QDateTime current = fileDate(m_paths.EmuExeFile);
    if (checkEmuDate) {
        const QDateTime stored =
            ownSettings().readDateTime(u"StartKALTO", u"EmuExeDate", missingEmuExeDate());
        changed = stored != current;
    }
    if (!changed && QFileInfo::exists(m_paths.ListInfoFile)) {
        m_listExeDate = current;
        return true;
    }
    // A capture left by an earlier run must not pass for this run's output.
    QFile::remove(m_paths.CaptureFile);
    const bool started = runEmulator(QStringLiteral("-listinfo"));
    if (m_abort)
        return false;
    // The old list is replaced only by the output of a run that ended well and listed
    // games: a crash, an error or an empty output would take every game away, and
    // with them the marks that the next save stores.
    if (started && m_execEmu.lastRunExitedNormally() && m_execEmu.lastExitCode() == 0 &&
        HoldsGameBlock(m_paths.CaptureFile)) {
        MoveReplacing(m_paths.CaptureFile, m_paths.ListInfoFile);
        // The executable that made the list: one replaced since is asked at the next start.
        m_listExeDate = current;
        return true;
    }
    m_listRefreshFailed = true;
    QFile::remove(m_paths.CaptureFile);
    // A start that failed has been reported by the runner's failure handler.
    if (started)
        m_prompter.error(runFailure());
    return false;
}

QString StartUp::runFailure() const {
    const QString ending = m_execEmu.lastRunEnding();
    QString reason;
    if (ending.isEmpty())
        reason = QStringLiteral("its output holds no games");
    else
        reason =
            (m_execEmu.lastRunCancelled() ? QStringLiteral("the run ") : QStringLiteral("it ")) +
            ending;
    QString text =
        QStringLiteral("kalto.exe -listinfo did not give the list of games: %1.").arg(reason);
    const QStringList said = m_execEmu.lastErrorLines(5);
    if (!said.isEmpty())
        text += QStringLiteral("\r\rIts last words:\r") + said.join(u'\r');
    text += QFileInfo::exists(m_paths.ListInfoFile)
                ? QStringLiteral("\r\rThe games stay as they were; StartKALTO asks again at "
                                 "the next start.")
                : QStringLiteral("\r\rThere is no list of games yet; StartKALTO asks again at "
                                 "the next start.");
    return text;
}

void StartUp::CreateDataDirectories() {
    const QString dirs[] = {m_paths.IniFilesDir, m_paths.GameplayDir, m_paths.TitlesDir,
                            m_paths.CabinetsDir, m_paths.MarqueesDir, m_paths.FlyersDir,
                            m_paths.SoundDir};
    QDir root;
    for (const QString& dir : dirs)
        root.mkdir(dir); // an existing directory, or one that cannot be made, is passed over
}

void StartUp::RemoveSaveLeftovers() {
    QStringList frontEndFiles;
    for (const QString& path : {m_paths.FrontEndIniFile, m_paths.BatchFile, runRecordFile(m_paths),
                                NeededReportFile(m_paths)})
        frontEndFiles.append(QFileInfo(path).fileName());
    removeSaveLeftovers(m_paths.FrontEndDir,
                        [&](QStringView name) { return frontEndFiles.contains(name); });
    // Every game's settings and the defaults.
    removeSaveLeftovers(m_paths.IniFilesDir,
                        [](QStringView name) { return name.endsWith(u".ini"); });
    const QFileInfo config(m_paths.EmuCfgFile);
    removeSaveLeftovers(config.path(), [&](QStringView name) { return name == config.fileName(); });
}

void StartUp::CheckDefaultSettingsFile(Steps& steps) {
    if (!QFileInfo::exists(m_paths.IniFilesDir + QStringLiteral("Default.ini")))
        steps.ImportOldGameSettings();
}
