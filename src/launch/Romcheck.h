#pragma once

#include <QString>
#include <QStringList>

struct PathSet;
class TExecFile;

// How a run of the emulator's romset check went.
struct RomcheckRun {
    bool started = false;  // the launch script could be started (else the user was told)
    bool reported = false; // the run gave a report, and it is romcheck.txt now
    QString note;          // for the status bar: the non-zero status a report came with
    QString failure;       // why there is no new report, for the user
};

// Runs the emulator's romset check ("-romcheck", or "-romcheck <zip> -verbose") and
// waits for it; each argument reaches the emulator whole. Its output replaces romcheck.txt when the run ended by itself, with
// any exit status, and printed at least one result line (a line holding "|"): a
// checker commonly ends with a non-zero status when it found bad sets. A run that was
// cancelled or killed, or printed no result, leaves the old report in place: an old
// report is never passed off as a new one.
RomcheckRun RunRomcheck(const PathSet& paths, TExecFile& execEmu, const QStringList& arguments);
