#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

struct PathSet;

// What the report needs to know of one game.
struct NeededGame {
    QString title;
    QString zipName;
    bool installed = false;
    bool badRomset = false;
};

// The report of what the user still lacks, as UTF-8 text in CR LF lines: uninstalled
// games, bad
// romsets, and per game the missing title, gameplay, flyer, marquee and cabinet pictures
// and MIDI music, each line "%-40.40s | %s" (title cut or filled to 40 characters). A
// picture counts when its folder holds zip + "." + any extension, without regard to
// case. Each folder is listed once, whatever the number of games. heading is the first
// line ("Needed files for <program and version>").
QByteArray NeededReportText(const std::vector<NeededGame>& games, const PathSet& paths,
                            const QString& heading);

// "needed.txt" in the front-end directory.
QString NeededReportFile(const PathSet& paths);

// Writes the report as NeededReportFile (CR LF lines, replacing an earlier one whole)
// and returns its path. Throws FileError.
QString WriteNeededReport(const std::vector<NeededGame>& games, const PathSet& paths,
                          const QString& heading);
