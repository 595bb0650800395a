#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sk {

struct DemoRom {
    std::string name;
    uint32_t size = 0;
};

struct DemoGame {
    std::string zip; // set name, also the archive's base name
    std::string description;
    std::string manufacturer;
    std::string year;   // "19??" when unknown
    std::string parent; // empty unless the game is a clone
    int width = 0;
    int height = 0;
    bool vertical = false;
    bool bareArchiveNames = false; // list output leaves archive names unquoted
    std::vector<DemoRom> roms;

    bool isClone() const { return !parent.empty(); }
};

// Fictional games; the same list, rom names, sizes and contents on every machine.
const std::vector<DemoGame>& demoCatalog();
const DemoGame* findDemoGame(const std::string& zip);

// Deterministic content for one rom file, derived from the game's and the rom's names.
std::string romBytes(const DemoGame& game, const DemoRom& rom);

// The emulator's "-listinfo" output for these games.
std::string listInfoText(const std::vector<DemoGame>& games);

// Configuration text in the emulator's own layout; `romDirs` fills rom_dir_0..rom_dir_3.
std::string kaltoCfgText(const std::array<std::string, 4>& romDirs);

// What the emulator writes on its first run: a single rom directory "roms/".
std::string defaultKaltoCfg();

} // namespace sk
