#pragma once

#include <QLatin1StringView>

// STARTKALTO_VERSION_TEXT and STARTKALTO_APP_ID come from the build, which keeps the
// version for the program, its metadata and its package alike.
namespace version {
inline constexpr QLatin1StringView kVersionText{STARTKALTO_VERSION_TEXT};
inline constexpr QLatin1StringView kProgramName{"StartKALTO"};
// The desktop entry's name without ".desktop": the desktop matches windows to it.
inline constexpr QLatin1StringView kDesktopFileName{STARTKALTO_APP_ID};
// Status bar panel 1: the program and its makers.
inline constexpr QLatin1StringView kCreditLine{"StartKALTO " STARTKALTO_VERSION_TEXT
                                               " by the StartKALTO team"};
} // namespace version
