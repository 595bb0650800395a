#pragma once

#include <QLatin1StringView>

namespace version {
inline constexpr QLatin1StringView kVersionText{"0.27.1 public beta 1"};
inline constexpr QLatin1StringView kProgramName{"StartKALTO"};
// Status bar panel 1: the program and its makers.
inline constexpr QLatin1StringView kCreditLine{
    "StartKALTO 0.27.1 public beta 1 by the StartKALTO team"};
} // namespace version
