#include "Launch.h"

#include "EmulatorConfig.h"
#include "EmulatorConfigFile.h"
#include "Execfile.h"
#include "GameSettings.h"
#include "core/FileError.h"
#include "core/IniDocument.h"
#include "core/PathSet.h"
#include "core/Platform.h"
#include "core/Prompter.h"
#include "core/Text.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <algorithm>
#include <optional>

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

// The files of a folder, each with what tells it from another file of the same name:
// its size and modification time. The record keeps them on one line: each name
// percent-encoded with its size and time, separated by "/".
using FolderFiles = QMap<QString, QString>;

// The emulator writes its screenshots as PCX files.
bool isShotName(const QString& name) {
    return name.endsWith(u".pcx", Qt::CaseInsensitive);
}

FolderFiles filesIn(const QString& dir) {
    FolderFiles files;
    platform::listDirectory(dir, [&](QStringView name, platform::EntryKind kind) {
        if (kind != platform::EntryKind::File)
            return;
        const QString file = name.toString();
        const QFileInfo info(dir + file);
        files.insert(
            file,
            QStringLiteral("%1:%2").arg(info.size()).arg(info.lastModified().toMSecsSinceEpoch()));
    });
    return files;
}

QString filesText(const FolderFiles& files) {
    QStringList items;
    for (auto it = files.begin(); it != files.end(); ++it)
        items.append(QString::fromLatin1(it.key().toUtf8().toPercentEncoding()) + u':' +
                     it.value());
    return items.join(u'/');
}

FolderFiles filesFromText(const QString& text) {
    FolderFiles files;
    for (const QString& item : text.split(u'/', Qt::SkipEmptyParts)) {
        const qsizetype colon = item.indexOf(u':');
        if (colon > 0)
            files.insert(
                QString::fromUtf8(QByteArray::fromPercentEncoding(item.left(colon).toLatin1())),
                item.mid(colon + 1));
    }
    return files;
}

// The files of `before` that are still there unchanged.
FolderFiles unchangedFiles(const FolderFiles& before, const QString& dir) {
    FolderFiles unchanged;
    const FolderFiles now = filesIn(dir);
    for (auto it = before.begin(); it != before.end(); ++it)
        if (now.value(it.key()) == it.value())
            unchanged.insert(it.key(), it.value());
    return unchanged;
}

QSet<QString> namesOf(const FolderFiles& files) {
    QSet<QString> names;
    for (auto it = files.begin(); it != files.end(); ++it)
        names.insert(it.key());
    return names;
}

// What the record keeps: during a run, the game and the files the temporary folder held
// before it; always, the user's own screenshot folder as the emulator's file held it
// (an emulator that outlived the front-end writes the temporary folder back when it
// ends, whenever that is) and the leftover shots the user was told of.
struct RunRecord {
    QString zipName;
    FolderFiles before;
    std::optional<QByteArray> shotDir;
    FolderFiles reported;
};

RunRecord readRunRecord(const PathSet& paths) {
    RunRecord record;
    if (!QFileInfo::exists(runRecordFile(paths)))
        return record;
    const IniDocument ini(runRecordFile(paths));
    record.zipName = ini.readString(u"Run", u"ZipName", QString());
    record.before = filesFromText(ini.readString(u"Run", u"Before", QString()));
    if (ini.keyExists(u"Run", u"ScreenShots"))
        record.shotDir = QByteArray::fromPercentEncoding(
            ini.readString(u"Run", u"ScreenShots", QString()).toLatin1());
    record.reported = filesFromText(ini.readString(u"Run", u"Reported", QString()));
    return record;
}

// The screenshot directory's value is kept as the bytes the emulator's file held.
void writeRunRecord(const PathSet& paths, const RunRecord& record) {
    IniDocument ini = IniDocument::emptyFor(runRecordFile(paths));
    if (!record.zipName.isEmpty()) {
        ini.writeString(u"Run", u"ZipName", record.zipName);
        ini.writeString(u"Run", u"Before", filesText(record.before));
    }
    if (record.shotDir)
        ini.writeString(u"Run", u"ScreenShots",
                        QString::fromLatin1(record.shotDir->toPercentEncoding(kKeptInPath)));
    if (!record.reported.isEmpty())
        ini.writeString(u"Run", u"Reported", filesText(record.reported));
    ini.save();
}

} // namespace

bool isTempDirValue(const PathSet& paths, const QString& dir) {
    if (dir.isEmpty())
        return false;
    QString path = platform::toNativeSeparators(dir);
    // A relative value is taken from the emulator's folder, as the emulator takes it.
    if (QDir::isRelativePath(path))
        path = paths.EmuDir + path;
    if (QDir::cleanPath(path) == QDir::cleanPath(paths.TempDir))
        return true;
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(paths.TempDir).canonicalFilePath();
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
                        const RunShotsCollector& collectScreenshots, const LaunchClock& clock) {
    LaunchResult result;
    const QStringList arguments = BuildCommandLine(paths, zipName, emulatorGui, romDirs);
    QDir().mkpath(paths.TempDir);
    RunRecord record = readRunRecord(paths);
    // The temporary folder is never taken for the user's own: it is there when an
    // emulator that outlived an earlier front-end wrote it back.
    const QByteArray current = ReadScreenShotDirValue(paths.EmuCfgFile);
    if (!isTempDirValue(paths, trimmedValue(EmulatorConfigFile::decodeValue(current))))
        record.shotDir = current;
    const QByteArray previousShotDir = record.shotDir.value_or(QByteArray());
    record.zipName = zipName;
    record.before = filesIn(paths.TempDir);
    // Written before the emulator's file points elsewhere: a front-end that does not
    // live to see the run end puts it back at its next start.
    writeRunRecord(paths, record);
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

    // Only what the run made is the game's: what lay there before stays, and is told
    // of once.
    const FolderFiles leftovers = unchangedFiles(record.before, paths.TempDir);
    if (collectScreenshots)
        collectScreenshots(namesOf(leftovers));
    RestoreScreenShotDir(paths.EmuCfgFile, previousShotDir);
    FolderFiles leftoverShots;
    for (auto it = leftovers.begin(); it != leftovers.end(); ++it) {
        if (!isShotName(it.key()))
            continue;
        leftoverShots.insert(it.key(), it.value());
        if (record.reported.value(it.key()) != it.value())
            result.leftovers.append(it.key());
    }
    record.zipName.clear();
    record.before.clear();
    record.reported = leftoverShots;
    try {
        writeRunRecord(paths, record);
    } catch (const FileError&) {
        // The record still names the run: the next start finds nothing left to file
        // and the folder already back.
    }
    result.resolutionKept = CheckResolutionAfterRun(paths, zipName, prompter);
    result.romDirs = ReadRomDirs(paths.EmuCfgFile, &result.wibble);
    return result;
}

QString FinishInterruptedRun(const PathSet& paths,
                             const InterruptedShotsCollector& collectScreenshots) {
    if (!QFileInfo::exists(runRecordFile(paths)))
        return {};
    RunRecord record = readRunRecord(paths);
    const QString zipName = record.zipName;
    // A name that would reach outside the picture folders files nothing.
    if (!zipName.isEmpty() && platform::isSafeFileName(zipName) && collectScreenshots)
        collectScreenshots(zipName, namesOf(unchangedFiles(record.before, paths.TempDir)));
    // Only while it still points at our directory: a value put there since stays. The
    // record keeps the user's folder, for an emulator that may still run and write the
    // temporary folder back when it ends.
    if (record.shotDir && isTempDirValue(paths, ReadScreenShotDir(paths.EmuCfgFile)))
        RestoreScreenShotDir(paths.EmuCfgFile, *record.shotDir);
    if (!zipName.isEmpty()) {
        record.zipName.clear();
        record.before.clear();
        writeRunRecord(paths, record);
    }
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
