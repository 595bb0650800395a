#pragma once

#include <cstdint>
#include <string>

namespace skbench {

// What a generated front-end directory holds. The same params always gives the same
// files, byte for byte.
struct CatalogParams {
    uint64_t seed = 0x5EED2024u;
    int games = 40000;
    int zipFiles = 10000;           // spread over the four rom directories
    int romsetDirectories = 12;     // unpacked romsets, besides the zip files
    int gamesWithCheats = 2000;     // a cheat section with at least one line
    int emptyCheatSections = 40;    // sections without lines: no cheats
    double cloneShare = 0.30;       // games that name a parent
    double bareArchiveShare = 0.03; // archive names written without quotes
};

// Facts about the generated directory that a benchmark can check its results against.
struct CatalogSummary {
    int games = 0;
    int clones = 0;
    int zipFiles = 0;
    int romsetDirectories = 0;
    int installed = 0;    // games whose romset a search by zip or parent name finds
    int byParentOnly = 0; // of those, games found only under their parent's name
    int withCheats = 0;
    long long catalogBytes = 0;
    long long catalogLines = 0;
};

// The list output the stand-in emulator prints (see KALTO_SIM_CATALOG).
inline constexpr const char* kCatalogFile = "catalog.txt";

// Makes `dir` a front-end directory that is also the emulator directory:
//   catalog.txt         the emulator's list output for params.games games (CR LF lines)
//   roms0/ .. roms3/    the zip files and a few unpacked romset directories
//   Config/Kalto.cfg    the emulator's configuration, rom_dir_0..3 = "roms0/".."roms3/"
//   Config/Cheats.cfg   "<zip>:Cheats" sections
//   kalto.exe           a copy of `emulatorPath` (the stand-in), mode 0755
// A directory that already holds a complete catalog of the same params is kept as it is
// (only kalto.exe is copied again, so a rebuilt stand-in is used); anything else the
// generator made before is replaced. A directory with foreign content is refused.
// Returns false with a message in `error` when something cannot be written.
bool ensureCatalog(const std::string& dir, const CatalogParams& params,
                   const std::string& emulatorPath, CatalogSummary& summary, bool& reused,
                   std::string& error);

// Removes what a run of the front-end left in the directory (the list file, its
// settings, its work files and the empty data directories it creates), so that the
// next start is a first start that asks the emulator for its list.
void resetFrontEndFiles(const std::string& dir);

} // namespace skbench
