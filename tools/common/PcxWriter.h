#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sk {

using PcxPalette = std::array<uint8_t, 768>; // 256 entries of red, green, blue

// A complete PCX file (version 5, run-length encoded) of an 8-bit picture with one plane:
// the 128-byte header, the scan lines, then the 0x0C marker and the 256-colour palette.
// `pixels` holds width * height palette indexes, row by row. Scan lines are padded to an even
// length, and no run crosses the end of a scan line. Throws std::invalid_argument when the
// size is outside 1..65535 or does not match `pixels`.
std::string pcxBytes8(int width, int height, const std::vector<uint8_t>& pixels,
                      const PcxPalette& palette);

// Writes such a file through a temporary file renamed over `path`, so a reader sees either
// the old file or the complete picture. Returns false and fills `error` on failure.
bool writePcx8(const std::string& path, int width, int height, const std::vector<uint8_t>& pixels,
               const PcxPalette& palette, std::string* error = nullptr);

} // namespace sk
