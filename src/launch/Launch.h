#pragma once

#include "core/RomDirs.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

struct PathSet;
class Prompter;
class TExecFile;

// What one game run left behind, for the window to show.
struct LaunchResult {
    bool started = false; // the launch script could be started (else the user was told)
    QString ending;       // how the run ended when it did not end well, else empty
    QString lastWords;    // the last line the emulator wrote to its error stream
    bool resolutionKept = true;
    RomDirs romDirs; // as the emulator left them
    bool wibble = false;
    qint64 runMs = 0;     // how long the run took
    qint64 endedAtMs = 0; // when it ended, milliseconds since the epoch
    // Shots that lay in the temporary folder before the run and stay there, named
    // when the user has not been told of them yet.
    QStringList leftovers;
};

// Milliseconds since the epoch; tests give the launch a clock of their own.
using LaunchClock = std::function<qint64()>;

// The emulator's arguments for a game: "-game", the zip name as one argument whatever
// it holds, and "-nogui" unless the emulator's own window is wanted.
QStringList gameArguments(const QString& zipName, bool emulatorGui);

// The arguments for the game; on the way, writes the game's effective settings and the
// rom paths into the emulator's configuration. Throws FileError.
QStringList BuildCommandLine(const PathSet& paths, const QString& zipName, bool emulatorGui,
                             const RomDirs& romDirs);

// Compares the screen size the emulator left in its configuration with the one the
// game's settings asked for; when it differs, beeps and says so. True when it was kept.
bool CheckResolutionAfterRun(const PathSet& paths, const QString& zipName, Prompter& prompter);

// Files the shots of a run from the temporary folder, all but the leftovers: the names
// of files that lay there before the run, unchanged since.
using RunShotsCollector = std::function<void(const QSet<QString>& leftovers)>;

// Runs a game in the emulator and tidies up after it: the configuration is written, the
// emulator's screenshot directory points at the front-end's temporary directory during
// the run, the run is waited for (execEmu reports a start that failed), then
// collectScreenshots files the run's screenshots, the screenshot directory is restored,
// a changed resolution is reported, and the rom paths are read back. Until the run is
// tidied up, the run record says what to put back. The run is timed by the clock when
// one is given, else by the system's. Throws FileError when the configuration or the
// record cannot be written; the emulator is not started then.
LaunchResult LaunchGame(const PathSet& paths, TExecFile& execEmu, Prompter& prompter,
                        const QString& zipName, bool emulatorGui, const RomDirs& romDirs,
                        const RunShotsCollector& collectScreenshots, const LaunchClock& clock = {});

// One plain sentence when the run failed (the title, how it ended, what the emulator
// said last), or an empty text when it ran and ended well.
QString failedRunText(const QString& title, const LaunchResult& result);

// The record of game runs: while a run lasts, the game and what the temporary folder
// held before it; always, the user's own screenshot folder and the leftover shots the
// user was told of.
QString runRecordFile(const PathSet& paths);

// Whether a screenshot directory value (as the emulator's file holds it, trimmed) names
// the front-end's temporary folder.
bool isTempDirValue(const PathSet& paths, const QString& dir);

using InterruptedShotsCollector =
    std::function<void(const QString& zipName, const QSet<QString>& leftovers)>;

// Tidies up after a run that the front-end did not see end (it was killed, or the
// machine stopped): the screenshots that run left in the temporary directory are filed
// as the recorded game's by collectScreenshots, and the emulator's screenshot directory
// is put back to the user's folder wherever it points at the temporary directory (an
// emulator that outlived the front-end writes it there again when it ends, so this is
// done at every start). Returns the game's zip name, or an empty text when no run was
// left. Throws FileError when the configuration cannot be written; the record then
// stays for the next try.
QString FinishInterruptedRun(const PathSet& paths,
                             const InterruptedShotsCollector& collectScreenshots);
