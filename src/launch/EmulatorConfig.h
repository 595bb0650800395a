#pragma once

#include "core/RomDirs.h"

#include <QString>

// The four rom paths as the emulator's configuration holds them ("rom_dir_0 " to
// "rom_dir_3 " in [Directories], with the older "Ziproms" keys as fallbacks), trimmed
// and with the other system's separators turned into ours. Throws FileError when the
// file exists but cannot be read.
RomDirs ReadRomDirs(const QString& emuCfgFile);
