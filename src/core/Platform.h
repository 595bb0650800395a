#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

// The few things that differ between Windows and POSIX systems: separators, the
// launch script and its interpreter, default paths. Everything else builds on these.
namespace platform {

enum class ScriptDialect { Cmd, Shell };

#ifdef Q_OS_WIN
inline constexpr QChar kSeparator = u'\\';
inline constexpr ScriptDialect kScriptDialect = ScriptDialect::Cmd;
#else
inline constexpr QChar kSeparator = u'/';
inline constexpr ScriptDialect kScriptDialect = ScriptDialect::Shell;
#endif

QString defaultEmuExePath(); // "./"
QString batchFileName();     // "batch.sh"
QString scriptInterpreter(); // "/bin/sh"; empty where the system runs the script itself
QString emuExeName();        // "kalto.exe"
QString emuConfigRelative(); // "Config/Kalto.cfg"
QString emuCheatsRelative(); // "Config/Cheats.cfg"

// dir with exactly one trailing separator added when it has none.
QString withTrailingSeparator(const QString& dir);
// Everything up to and including the last separator (empty when there is none).
QString directoryPart(const QString& path);
// Whether a name that came from outside (the emulator's list) may become a file name:
// not empty, not "." or "..", no separator of any system, no control character
// (0x00-0x1F, 0x7F-0x9F).
bool isSafeFileName(QStringView name);

// A file's modification time to the second, in UTC (invalid when there is no such
// file): the precision every stored or shown file date has. UTC, so that a time in the
// repeated hour of a daylight-saving change still compares equal to itself.
QDateTime modificationTime(const QString& path);

// What identifies a folder's state without reading it: its identity and the time of its
// last change, to the nanosecond where the system keeps it. Adding, removing or renaming
// an entry changes it. modifiedNs is -1 when there is no such folder.
struct FolderStamp {
    qint64 modifiedNs = -1;
    quint64 id = 0;
    bool operator==(const FolderStamp&) const = default;
};
FolderStamp folderStamp(const QString& dir);

// Renames from to to unless to exists in any form, a dangling symbolic link included.
// Never copies: where the file system cannot rename without replacing, nothing
// happens. Returns false (with errno set) when nothing was renamed.
bool renameNoReplace(const QString& from, const QString& to);

// The process's working directory with a trailing separator, or empty when it no
// longer exists (deleted while the program ran, or before it started).
QString existingWorkingDirectory();

// Tells this user's local sockets and other shared names from other users' ones: the
// user's number, empty where the system keeps such names apart by itself.
QString userTag();

// A file-size limit must make writes fail with an error the program can show, not end
// the program: the signal it raises is ignored. Called once at program start.
void ignoreFileSizeSignal();

enum class EntryKind : quint8 { File, Directory };

// Calls visit(name, kind) for every entry of the directory but "." and "..": one
// system call per block of entries, no file-information call unless the system does
// not tell the kind (a symbolic link counts as what it points to; a dangling one is
// left out). A directory that cannot be read has no entries.
// The name passed is valid during the call only.
void listDirectory(const QString& dir, const std::function<void(QStringView, EntryKind)>& visit);

// The signal that ended the program a launch script ran, told by the status the script
// passed on (the shell's 128 + n), or 0 when the status is an ordinary one.
int signalFromScriptStatus(int exitCode);
// The system's name for a signal ("Killed").
QString signalDescription(int signal);

// Rom paths as the emulator writes them use the other system's separator now and then.
QString toNativeSeparators(QString path);

} // namespace platform
