#pragma once

#include "core/RomDirs.h"

#include <QString>

// The four rom paths as the emulator's configuration holds them ("rom_dir_0 " to
// "rom_dir_3 " in [Directories], with the older "Ziproms" keys as fallbacks), trimmed
// and with the other system's separators turned into ours; with wibble, also the
// emulator's "Wibble " option of [General]. Throws FileError when the file exists but
// cannot be read.
RomDirs ReadRomDirs(const QString& emuCfgFile, bool* wibble = nullptr);

// Writes the four rom paths as "rom_dir_0 " to "rom_dir_3 " of [Directories], each
// unchanged (an empty path writes an empty value), and saves the file. Every other
// section, key and line of the emulator's file stays. Throws FileError.
void WriteRomDirs(const QString& emuCfgFile, const RomDirs& dirs);
