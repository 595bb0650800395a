#pragma once

#include <QString>
#include <array>

// The emulator's four rom directories, in slot order; an empty text is an unused slot.
using RomDirs = std::array<QString, 4>;
