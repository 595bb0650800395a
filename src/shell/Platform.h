#pragma once

#include <QDateTime>
#include <QString>

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
// not empty, not "." or "..", no separator of any system, no control character.
bool isSafeFileName(QStringView name);

// A file's modification time to the second (invalid when there is no such file): the
// precision every stored or shown file date has.
QDateTime modificationTime(const QString& path);

// Rom paths as the emulator writes them use the other system's separator now and then.
QString toNativeSeparators(QString path);

} // namespace platform
