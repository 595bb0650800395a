#pragma once

#include <QString>

struct PathSet;
class TExecFile;

// How a run of the emulator's romset check went.
struct RomcheckRun {
    bool started = false;  // the launch script could be started (else the user was told)
    bool reported = false; // the run ended well and its report is romcheck.txt now
    QString failure;       // why there is no new report, for the user
};

// Runs the emulator's romset check ("-romcheck", or "-romcheck <zip> -verbose") and
// waits for it. Its output replaces romcheck.txt only when the run ended by itself with
// status 0 and said something: an old report is never passed off as a new one.
RomcheckRun RunRomcheck(const PathSet& paths, TExecFile& execEmu, const QString& arguments);
