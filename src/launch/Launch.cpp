#include "Launch.h"

#include "EmulatorConfig.h"
#include "Execfile.h"
#include "GameSettings.h"
#include "core/IniDocument.h"
#include "core/PathSet.h"
#include "core/Platform.h"
#include "core/Prompter.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

QStringList gameArguments(const QString& zipName, bool emulatorGui) {
    QStringList arguments = {QStringLiteral("-game"), zipName};
    if (!emulatorGui)
        arguments.append(QStringLiteral("-nogui"));
    return arguments;
}

QStringList BuildCommandLine(const PathSet& paths, const QString& zipName, bool emulatorGui,
                             const RomDirs& romDirs) {
    QStringList arguments = gameArguments(zipName, emulatorGui);
    WriteEmulatorConfig(paths.EmuCfgFile, loadEffectiveSettings(paths.IniFilesDir, zipName),
                        romDirs);
    return arguments;
}

QString runRecordFile(const PathSet& paths) {
    return paths.FrontEndDir + QStringLiteral("StartKaltoRun.ini");
}

namespace {

const QByteArray kKeptInPath = "/";

// The screenshot directory's value is kept as the bytes the emulator's file held.
void writeRunRecord(const PathSet& paths, const QString& zipName, const QByteArray& shotDir) {
    IniDocument record = IniDocument::emptyFor(runRecordFile(paths));
    record.writeString(u"Run", u"ZipName", zipName);
    record.writeString(u"Run", u"ScreenShots",
                       QString::fromLatin1(shotDir.toPercentEncoding(kKeptInPath)));
    record.save();
}

} // namespace

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
                        const std::function<void()>& collectScreenshots, const LaunchClock& clock) {
    LaunchResult result;
    const QStringList arguments = BuildCommandLine(paths, zipName, emulatorGui, romDirs);
    QDir().mkpath(paths.TempDir);
    const QByteArray previousShotDir = ReadScreenShotDirValue(paths.EmuCfgFile);
    // Written before the emulator's file points elsewhere: a front-end that does not
    // live to see the run end puts it back at its next start.
    writeRunRecord(paths, zipName, previousShotDir);
    SetScreenShotDir(paths.EmuCfgFile, paths.TempDir);

    execEmu.setArguments(arguments);
    // The system's run time is measured on a clock that no change of the time moves.
    QElapsedTimer elapsed;
    elapsed.start();
    const qint64 began = clock ? clock() : 0;
    result.started = execEmu.Execute();
    result.endedAtMs = clock ? clock() : QDateTime::currentMSecsSinceEpoch();
    result.runMs = clock ? std::max<qint64>(0, result.endedAtMs - began) : elapsed.elapsed();
    if (result.started) {
        result.ending = execEmu.lastRunEnding();
        result.lastWords = execEmu.lastErrorLines(1).value(0);
    }

    if (collectScreenshots)
        collectScreenshots();
    RestoreScreenShotDir(paths.EmuCfgFile, previousShotDir);
    QFile::remove(runRecordFile(paths));
    result.resolutionKept = CheckResolutionAfterRun(paths, zipName, prompter);
    result.romDirs = ReadRomDirs(paths.EmuCfgFile, &result.wibble);
    return result;
}

QString
FinishInterruptedRun(const PathSet& paths,
                     const std::function<void(const QString& zipName)>& collectScreenshots) {
    const QString recordFile = runRecordFile(paths);
    if (!QFileInfo::exists(recordFile))
        return {};
    const IniDocument record(recordFile);
    const QString zipName = record.readString(u"Run", u"ZipName", QString());
    const QByteArray previousShotDir = QByteArray::fromPercentEncoding(
        record.readString(u"Run", u"ScreenShots", QString()).toLatin1());
    // A name that would reach outside the picture folders files nothing.
    if (platform::isSafeFileName(zipName) && collectScreenshots)
        collectScreenshots(zipName);
    // Only while it still points at our directory: a value put there since stays.
    if (ReadScreenShotDir(paths.EmuCfgFile) == paths.TempDir)
        RestoreScreenShotDir(paths.EmuCfgFile, previousShotDir);
    QFile::remove(recordFile);
    return zipName;
}

QString failedRunText(const QString& title, const LaunchResult& result) {
    if (!result.started || result.ending.isEmpty())
        return {};
    QString text = QStringLiteral("%1 did not run: the emulator %2.").arg(title, result.ending);
    if (!result.lastWords.isEmpty())
        text += QStringLiteral(" It said: ") + result.lastWords;
    return text;
}
