#include "Launch.h"

#include "EmulatorConfig.h"
#include "Execfile.h"
#include "GameSettings.h"
#include "core/PathSet.h"
#include "core/Platform.h"
#include "core/Prompter.h"

#include <QDir>

QString gameArguments(const QString& zipName, bool emulatorGui) {
    QString arguments = QStringLiteral("-game ") + zipName;
    if (!emulatorGui)
        arguments += QStringLiteral(" -nogui");
    return arguments;
}

QString BuildCommandLine(const PathSet& paths, const QString& zipName, bool emulatorGui,
                         const RomDirs& romDirs) {
    const QString arguments = gameArguments(zipName, emulatorGui);
    WriteEmulatorConfig(paths.EmuCfgFile, loadEffectiveSettings(paths.IniFilesDir, zipName),
                        romDirs);
    return arguments;
}

bool CheckResolutionAfterRun(const PathSet& paths, const QString& zipName, Prompter& prompter) {
    const TGameSettingsObject settings = loadEffectiveSettings(paths.IniFilesDir, zipName);
    const auto [width, height] = ReadScreenSize(paths.EmuCfgFile);
    const QString message = resolutionChangeMessage(settings.Resolution, width, height);
    if (message.isEmpty())
        return true;
    prompter.beep();
    prompter.warning(message);
    return false;
}

LaunchResult LaunchGame(const PathSet& paths, TExecFile& execEmu, Prompter& prompter,
                        const QString& zipName, bool emulatorGui, const RomDirs& romDirs,
                        const std::function<void()>& collectScreenshots) {
    LaunchResult result;
    const QString arguments = BuildCommandLine(paths, zipName, emulatorGui, romDirs);
    QDir().mkpath(paths.TempDir);
    const QString previousShotDir = SetScreenShotDir(paths.EmuCfgFile, paths.TempDir);

    execEmu.setParameters(arguments);
    result.started = execEmu.Execute();
    if (result.started) {
        result.exitedNormally = execEmu.lastRunExitedNormally();
        result.exitCode = execEmu.lastExitCode();
        result.cancelled = execEmu.lastRunCancelled();
        result.lastWords = execEmu.lastErrorLines(1).value(0);
    }

    if (collectScreenshots)
        collectScreenshots();
    SetScreenShotDir(paths.EmuCfgFile, previousShotDir);
    result.resolutionKept = CheckResolutionAfterRun(paths, zipName, prompter);
    result.romDirs = ReadRomDirs(paths.EmuCfgFile, &result.wibble);
    return result;
}

QString failedRunText(const QString& title, const LaunchResult& result) {
    if (!result.started)
        return {};
    const int signal =
        result.exitedNormally ? platform::signalFromScriptStatus(result.exitCode) : 0;
    QString how;
    if (result.cancelled)
        how = QStringLiteral("was stopped");
    else if (!result.exitedNormally)
        how = QStringLiteral("ended abnormally");
    else if (signal != 0)
        how = QStringLiteral("ended abnormally (signal %1, %2)")
                  .arg(signal)
                  .arg(platform::signalDescription(signal));
    else if (result.exitCode != 0)
        how = QStringLiteral("ended with exit status %1").arg(result.exitCode);
    else
        return {};
    QString text = QStringLiteral("%1 did not run: the emulator %2.").arg(title, how);
    if (!result.lastWords.isEmpty())
        text += QStringLiteral(" It said: ") + result.lastWords;
    return text;
}
