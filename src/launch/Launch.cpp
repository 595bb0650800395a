#include "Launch.h"

#include "EmulatorConfig.h"
#include "Execfile.h"
#include "GameSettings.h"
#include "core/PathSet.h"
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
    const QByteArray previousShotDir = ReadScreenShotDirValue(paths.EmuCfgFile);
    SetScreenShotDir(paths.EmuCfgFile, paths.TempDir);

    execEmu.setParameters(arguments);
    result.started = execEmu.Execute();
    if (result.started) {
        result.ending = execEmu.lastRunEnding();
        result.lastWords = execEmu.lastErrorLines(1).value(0);
    }

    if (collectScreenshots)
        collectScreenshots();
    RestoreScreenShotDir(paths.EmuCfgFile, previousShotDir);
    result.resolutionKept = CheckResolutionAfterRun(paths, zipName, prompter);
    result.romDirs = ReadRomDirs(paths.EmuCfgFile, &result.wibble);
    return result;
}

QString failedRunText(const QString& title, const LaunchResult& result) {
    if (!result.started || result.ending.isEmpty())
        return {};
    QString text = QStringLiteral("%1 did not run: the emulator %2.").arg(title, result.ending);
    if (!result.lastWords.isEmpty())
        text += QStringLiteral(" It said: ") + result.lastWords;
    return text;
}
