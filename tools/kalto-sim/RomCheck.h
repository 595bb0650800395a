#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

class CfgFile;

struct ListedRom {
    std::string name;
    uint64_t size = 0;
    uint32_t crc = 0;
};

struct ListedGame {
    std::string zip;
    std::string parent; // empty unless the game is a clone
    std::vector<ListedRom> roms;
};

// The games of a list in the "-listinfo" format, with the files their sets must hold. A rom
// line without a readable size and crc is left out.
std::vector<ListedGame> parseGameList(std::string_view text);

// The configured rom directories in search order: rom_dir_0..rom_dir_3 of [Directories],
// empty ones left out, '\' read as '/', relative ones taken from the emulator directory.
std::vector<std::string> romDirs(const CfgFile& cfg, const std::string& emuDir);

enum class RomState { Ok, Missing, Unreadable, WrongSize, WrongCrc };

struct RomResult {
    ListedRom expected;
    RomState state = RomState::Missing;
    std::string archive; // file name of the archive it was found in
    bool listed = false; // the archive's directory gave the size and crc below
    uint64_t size = 0;
    uint32_t storedCrc = 0;
    uint32_t dataCrc = 0; // of the data as read back, when dataRead
    bool dataRead = false;
    std::string error; // why the data could not be read
};

struct SetResult {
    std::string zip;
    bool found = false;       // some archive holds the set
    std::string archiveError; // its own archive exists but cannot be read
    std::vector<RomResult> roms;

    bool good() const;
    // What is wrong, for the report; empty when the set is good.
    std::string reason() const;
};

// Checks sets against their lists. A set is its own archive "<zip>.zip", the first found in
// the directories; a clone's files may also be in its parent's archive (merged sets). A file
// is good when the archive's directory and the data read back both give the listed size and
// crc, so a wrong stored crc and corrupt data are both caught.
class RomsetChecker final {
public:
    explicit RomsetChecker(std::vector<std::string> dirs) : m_dirs(std::move(dirs)) {}

    SetResult check(const ListedGame& game) const;

private:
    std::string findArchive(const std::string& zip) const;

    std::vector<std::string> m_dirs;
};

// "<zip padded to width> | OK" or "... | BAD <reason>".
std::string resultLine(const SetResult& result, int width);
// One line per listed file: its name, the expected and the found size and crc, OK or BAD.
std::vector<std::string> detailLines(const SetResult& result);

} // namespace sim
