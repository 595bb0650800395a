#pragma once

#include "core/RomDirs.h"

#include <QByteArray>
#include <QString>
#include <utility>

struct TGameSettingsObject;

// The emulator's own configuration file (Config/Kalto.cfg). The program edits a few of
// its keys in place; every operation opens the file afresh and saves it whole before it
// returns. The key texts end in one blank, so that a written line reads as the
// emulator's own "key = value" lines do; a key is found whatever the blanks around it.
// Every other line of the file stays byte for byte. Paths are
// written as the file system's bytes of them and read back the same way.

// The four rom paths as the emulator's configuration holds them ("rom_dir_0 " to
// "rom_dir_3 " in [Directories], with the older "Ziproms" keys as fallbacks), trimmed
// and with the other system's separators turned into ours; with wibble, also the
// emulator's "Wibble " option of [General]. Throws FileError when the file exists but
// cannot be read.
RomDirs ReadRomDirs(const QString& emuCfgFile, bool* wibble = nullptr);

// Writes the four rom paths as "rom_dir_0 " to "rom_dir_3 " of [Directories], each
// unchanged (an empty path writes an empty value), and saves the file. Throws FileError.
void WriteRomDirs(const QString& emuCfgFile, const RomDirs& dirs);

// The code the emulator knows a display mode by ("0" for Autodetect, "VGA", ...). A mode
// outside the known ones is written as Autodetect.
QString displayCode(int screenMode);
// A resolution split at its first lower-case "x": the width and the height texts as
// they are (without "x", an empty width and the whole text as height).
std::pair<QString, QString> splitResolution(const QString& resolution);

// Writes a game's settings into [Display], [Sound] and [General], and the rom paths,
// in one save. Throws FileError.
void WriteEmulatorConfig(const QString& emuCfgFile, const TGameSettingsObject& settings,
                         const RomDirs& dirs);

// The value of "ScreenShots " in [Directories] as the file holds it, byte for byte
// (empty when there is none), for RestoreScreenShotDir to put back.
QByteArray ReadScreenShotDirValue(const QString& emuCfgFile);
// That value as a path, trimmed.
QString ReadScreenShotDir(const QString& emuCfgFile);
// Points the emulator's screenshot directory at dir. Throws FileError.
void SetScreenShotDir(const QString& emuCfgFile, const QString& dir);
// Puts back a value that ReadScreenShotDirValue gave. Throws FileError.
void RestoreScreenShotDir(const QString& emuCfgFile, const QByteArray& value);

// The screen size the emulator's file holds ("screen_x " and "screen_y " of [Display]),
// trimmed; empty texts when missing.
std::pair<QString, QString> ReadScreenSize(const QString& emuCfgFile);

// The message when the emulator ended with another screen size than the one asked
// for, or an empty text when it kept it. Sizes that are numbers compare as numbers.
QString resolutionChangeMessage(const QString& requested, const QString& usedWidth,
                                const QString& usedHeight);

// [DefGameKeyConfig] with the key layout most arcade players know (59 keys). Throws
// FileError.
void WriteMameDefaultKeys(const QString& emuCfgFile);
// Removes [DefGameKeyConfig], so the emulator uses its own layout. Throws FileError.
void RemoveDefaultKeys(const QString& emuCfgFile);
// "Wibble " of [General]. Throws FileError.
void WriteWibble(const QString& emuCfgFile, bool on);

// [Romlist] with the two keys that make the emulator list its secret games, or (off) the
// section erased. Throws FileError.
void WriteSecretGames(const QString& emuCfgFile, bool on);
