#include "StartUp.h"

#include "IniDocument.h"
#include "PathSet.h"
#include "Platform.h"
#include "Prompter.h"
#include "launch/BatchFile.h"
#include "launch/Execfile.h"

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

StartUp::Result StartUp::RunStartup(bool checkEmuDate, Steps& steps) {
    BuildPaths();
    LocateEmulator();
    WriteBatchFile(m_paths, kEmulatorTitle, m_paths.EmuExeFile, m_paths.CaptureFile);
    EnsureEmulatorConfig();
    if (!CheckNeededFiles()) {
        DeleteWorkFiles(m_paths);
        return Result::NeededFileMissing;
    }
    RefreshGameListFile(checkEmuDate);
    CreateDataDirectories();
    CheckDefaultSettingsFile(steps);
    // The settings load needs the records of the import, and the installed check
    // needs the rom paths and marks that the load reads.
    if (!steps.ImportGameList())
        return Result::GameListUnreadable;
    steps.LoadFrontEndSettings();
    steps.UpdateFlags();
    return Result::Completed;
}

void StartUp::BuildPaths() {
    m_paths.setFrontEndDir(QDir::currentPath());
    m_execEmu.setCommandLine(m_paths.BatchFile);
}

void StartUp::LocateEmulator() {
    const auto ini = IniDocument::sectionOf(m_paths.FrontEndIniFile, u"StartKALTO");
    m_paths.EmuDir = ini.readString(u"StartKALTO", u"EmuExePath", platform::defaultEmuExePath());
    if (!QFileInfo(m_paths.EmuDir + platform::emuExeName()).isFile())
        AskForEmulator();
    SetEmulatorPaths();
}

void StartUp::AskForEmulator() {
    Prompter::OpenFileRequest request;
    request.title = QStringLiteral("Please point to kalto.exe");
    request.initialDir = m_paths.EmuDir;
    request.filterName = QStringLiteral("Kalto Executable");
    request.filterPattern = platform::emuExeName();
    request.defaultFileName = platform::emuExeName();
    request.defaultSuffix = QStringLiteral("exe");
    // Only the directory counts: the executable is always kalto.exe in it.
    if (const auto chosen = m_prompter.openFile(request))
        m_paths.EmuDir = platform::directoryPart(*chosen);
}

void StartUp::SetEmulatorPaths() {
    m_paths.setEmulatorPaths();
}

void StartUp::runEmulator(const QString& parameters) {
    m_execEmu.setParameters(parameters);
    m_execEmu.Execute();
}

void StartUp::EnsureEmulatorConfig() {
    if (QFileInfo::exists(m_paths.EmuCfgFile))
        return;
    if (!m_prompter.confirm(
            QStringLiteral("Kalto.cfg file was not found.\rGenerate default Kalto.cfg ?")))
        return;
    // The emulator writes its default configuration when run without its GUI; its
    // output is not wanted, so the script runs it without capture this once.
    WriteBatchFile(m_paths, kEmulatorTitle, m_paths.EmuExeFile, std::nullopt);
    runEmulator(QStringLiteral("-nogui"));
    WriteBatchFile(m_paths, kEmulatorTitle, m_paths.EmuExeFile, m_paths.CaptureFile);
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

void StartUp::RefreshGameListFile(bool checkEmuDate) {
    bool changed = true;
    if (checkEmuDate) {
        const auto ini = IniDocument::sectionOf(m_paths.FrontEndIniFile, u"StartKALTO");
        const QDateTime stored =
            ini.readDateTime(u"StartKALTO", u"EmuExeDate", missingEmuExeDate());
        changed = stored != fileDate(m_paths.EmuExeFile);
    }
    if (changed || !QFileInfo::exists(m_paths.ListInfoFile)) {
        runEmulator(QStringLiteral("-listinfo"));
        MoveReplacing(m_paths.CaptureFile, m_paths.ListInfoFile);
    }
}

void StartUp::CreateDataDirectories() {
    const QString dirs[] = {m_paths.IniFilesDir, m_paths.GameplayDir, m_paths.TitlesDir,
                            m_paths.CabinetsDir, m_paths.MarqueesDir, m_paths.FlyersDir,
                            m_paths.SoundDir};
    QDir root;
    for (const QString& dir : dirs)
        root.mkdir(dir); // an existing directory, or one that cannot be made, is passed over
}

void StartUp::CheckDefaultSettingsFile(Steps& steps) {
    if (!QFileInfo::exists(m_paths.IniFilesDir + QStringLiteral("Default.ini")))
        steps.ImportOldGameSettings();
}
