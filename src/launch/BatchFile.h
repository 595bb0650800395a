#pragma once

#include "core/Platform.h"

#include <QString>
#include <optional>

struct PathSet;

// The launch script through which every run of the emulator and of the picture
// converter goes. It echoes what runs, passes each of the runner's arguments on to the
// program quoted, as one argument (any number of them, cut nowhere), when a capture
// path is given sends the program's standard output there, and ends with the program's
// exit status.

// The script text in one dialect. Paths are quoted so that the interpreter never
// expands anything in them.
QString RenderBatchFile(platform::ScriptDialect dialect, const QString& title,
                        const QString& programPath, const std::optional<QString>& capturePath);

// Writes paths.BatchFile in the platform's dialect. Throws FileError.
void WriteBatchFile(const PathSet& paths, const QString& title, const QString& programPath,
                    const std::optional<QString>& capturePath);

// Removes the script and the capture file; missing files are no error.
void DeleteWorkFiles(const PathSet& paths);

// The program's path as one shell word, safe whatever it holds.
QString shellQuoted(const QString& text);
