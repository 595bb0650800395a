#include "RomCheck.h"

#include "CfgFile.h"
#include "Crc32.h"

#include <algorithm>
#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <zip.h>

namespace fs = std::filesystem;

namespace sim {

namespace {

std::string_view trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::string lowered(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The words of a list line; a word in double quotes may hold blanks.
std::vector<std::string> words(std::string_view line) {
    std::vector<std::string> out;
    size_t pos = 0;
    while ((pos = line.find_first_not_of(" \t\r", pos)) != std::string_view::npos) {
        if (line[pos] == '"') {
            const size_t close = std::min(line.find('"', pos + 1), line.size());
            out.emplace_back(line.substr(pos + 1, close - pos - 1));
            pos = close + 1;
        } else {
            const size_t end = std::min(line.find_first_of(" \t\r", pos), line.size());
            out.emplace_back(line.substr(pos, end - pos));
            pos = end;
        }
    }
    return out;
}

std::optional<uint64_t> decimal(const std::string& s) {
    if (s.empty() || s.size() > 15 || s.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoull(s);
}

std::optional<uint32_t> hex32(const std::string& s) {
    if (s.empty() || s.size() > 8 || s.find_first_not_of("0123456789abcdefABCDEF") != s.npos)
        return std::nullopt;
    return static_cast<uint32_t>(std::stoul(s, nullptr, 16));
}

// "rom ( name X size N crc H ... )": key and value pairs between the brackets.
std::optional<ListedRom> parseRom(const std::vector<std::string>& w) {
    if (w.size() < 2 || w[1] != "(")
        return std::nullopt;
    ListedRom rom;
    std::optional<uint64_t> size;
    std::optional<uint32_t> crc;
    for (size_t i = 2; i + 1 < w.size() && w[i] != ")"; i += 2) {
        if (w[i] == "name")
            rom.name = w[i + 1];
        else if (w[i] == "size")
            size = decimal(w[i + 1]);
        else if (w[i] == "crc")
            crc = hex32(w[i + 1]);
    }
    if (rom.name.empty() || !size || !crc)
        return std::nullopt;
    rom.size = *size;
    rom.crc = *crc;
    return rom;
}

// Texts from lists and archives go into the report; a bar or a control character in them
// would be taken for part of the report's layout.
std::string printable(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '|' || u < 0x20 || u == 0x7F)
            c = '?';
    }
    return out;
}

std::string hex8(uint32_t v) {
    char buf[9];
    std::snprintf(buf, sizeof buf, "%08x", v);
    return buf;
}

struct ZipClose {
    void operator()(zip_t* za) const { zip_discard(za); }
};

// One archive opened for reading; member names are matched without regard to case.
class Archive final {
public:
    explicit Archive(const std::string& path) : m_name(fs::path(path).filename().string()) {
        int code = 0;
        m_zip.reset(zip_open(path.c_str(), ZIP_RDONLY, &code));
        if (!m_zip) {
            zip_error_t ze;
            zip_error_init_with_code(&ze, code);
            m_error = zip_error_strerror(&ze);
            zip_error_fini(&ze);
            return;
        }
        const zip_int64_t count = zip_get_num_entries(m_zip.get(), 0);
        for (zip_int64_t i = 0; i < count; ++i) {
            const char* name = zip_get_name(m_zip.get(), static_cast<zip_uint64_t>(i), 0);
            if (name)
                m_index.emplace(lowered(name), static_cast<zip_uint64_t>(i));
        }
    }

    const std::string& name() const { return m_name; }
    bool readable() const { return m_zip != nullptr; }
    const std::string& error() const { return m_error; }
    bool holds(const std::string& member) const { return m_index.count(lowered(member)) > 0; }

    // Fills in what the archive says of the member and what its data gives; false when the
    // archive has no such member.
    bool examine(RomResult& r) const {
        const auto it = m_index.find(lowered(r.expected.name));
        if (it == m_index.end())
            return false;
        r.archive = m_name;
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(m_zip.get(), it->second, 0, &st) != 0 ||
            (st.valid & (ZIP_STAT_SIZE | ZIP_STAT_CRC)) != (ZIP_STAT_SIZE | ZIP_STAT_CRC)) {
            r.state = RomState::Unreadable;
            r.error = zip_strerror(m_zip.get());
            return true;
        }
        r.listed = true;
        r.size = st.size;
        r.storedCrc = st.crc;
        if (r.size != r.expected.size) {
            r.state = RomState::WrongSize;
            return true;
        }
        readData(it->second, r);
        if (r.state == RomState::Unreadable)
            return true;
        if (r.storedCrc != r.expected.crc || r.dataCrc != r.expected.crc)
            r.state = RomState::WrongCrc;
        else
            r.state = RomState::Ok;
        return true;
    }

private:
    // Recomputes the crc of the member's data. Reading stops past the listed size, so a member
    // that inflates without end cannot keep the check busy.
    void readData(zip_uint64_t index, RomResult& r) const {
        zip_file_t* file = zip_fopen_index(m_zip.get(), index, 0);
        if (!file) {
            r.state = RomState::Unreadable;
            r.error = zip_strerror(m_zip.get());
            return;
        }
        std::vector<char> buffer(1 << 16);
        uint32_t crc = 0;
        uint64_t total = 0;
        zip_int64_t n = 0;
        while (total <= r.expected.size &&
               (n = zip_fread(file, buffer.data(), buffer.size())) > 0) {
            crc = sk::crc32(buffer.data(), static_cast<size_t>(n), crc);
            total += static_cast<uint64_t>(n);
        }
        // libzip reports data that does not match the stored crc as an error once all of it
        // has been read; that is a finding of the check, not a failure to read.
        if (n < 0 && zip_error_code_zip(zip_file_get_error(file)) != ZIP_ER_CRC) {
            r.state = RomState::Unreadable;
            r.error = zip_file_strerror(file);
        } else if (total != r.expected.size) {
            r.state = RomState::WrongSize;
        } else {
            r.dataCrc = crc;
            r.dataRead = true;
        }
        zip_fclose(file);
    }

    std::string m_name;
    std::unique_ptr<zip_t, ZipClose> m_zip;
    std::string m_error;
    std::map<std::string, zip_uint64_t> m_index; // first member of each name
};

const char* stateText(RomState state) {
    switch (state) {
    case RomState::Ok:
        return "OK";
    case RomState::Missing:
        return "BAD missing";
    case RomState::Unreadable:
        return "BAD unreadable";
    case RomState::WrongSize:
        return "BAD wrong size";
    case RomState::WrongCrc:
        return "BAD wrong CRC";
    }
    return "BAD";
}

} // namespace

std::vector<ListedGame> parseGameList(std::string_view text) {
    std::vector<ListedGame> games;
    bool inGame = false;
    std::string romof;
    size_t pos = 0;
    while (pos < text.size()) {
        const auto nl = std::min(text.find('\n', pos), text.size());
        const std::string_view line = trimmed(text.substr(pos, nl - pos));
        pos = nl + 1;
        if (!inGame) {
            if (line.substr(0, 4) == "game" && trimmed(line.substr(4)) == "(") {
                inGame = true;
                games.emplace_back();
                romof.clear();
            }
            continue;
        }
        if (line == ")") {
            inGame = false;
            if (games.back().parent.empty())
                games.back().parent = romof;
            if (games.back().zip.empty())
                games.pop_back();
            continue;
        }
        const auto first = line.substr(0, line.find_first_of(" \t"));
        if (first != "name" && first != "cloneof" && first != "romof" && first != "rom")
            continue; // titles and the like may hold anything
        const std::vector<std::string> w = words(line);
        ListedGame& game = games.back();
        if (w.size() >= 2 && w[0] == "name") {
            // The rest of the line, as the game is looked up by "-game": a name may
            // hold blanks.
            std::string_view name = trimmed(line.substr(4));
            if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
                name = name.substr(1, name.size() - 2);
            game.zip = std::string(name);
        } else if (w.size() >= 2 && w[0] == "cloneof")
            game.parent = w[1];
        else if (w.size() >= 2 && w[0] == "romof")
            romof = w[1];
        else if (w[0] == "rom")
            if (auto rom = parseRom(w))
                game.roms.push_back(std::move(*rom));
    }
    if (inGame && games.back().zip.empty())
        games.pop_back();
    return games;
}

std::vector<std::string> romDirs(const CfgFile& cfg, const std::string& emuDir) {
    std::vector<std::string> dirs;
    for (int i = 0; i < 4; ++i) {
        std::string value =
            cfg.value("Directories", "rom_dir_" + std::to_string(i)).value_or(std::string());
        if (value.empty())
            continue;
        for (char& c : value)
            if (c == '\\')
                c = '/';
        dirs.push_back(value.front() == '/' ? value : (fs::path(emuDir) / value).string());
    }
    return dirs;
}

bool SetResult::good() const {
    if (!found || !archiveError.empty())
        return false;
    for (const RomResult& r : roms)
        if (r.state != RomState::Ok)
            return false;
    return true;
}

std::string SetResult::reason() const {
    if (!found)
        return "romset not found";
    if (!archiveError.empty())
        return archiveError;
    std::string out;
    for (const RomResult& r : roms) {
        std::string what;
        const std::string name = printable(r.expected.name);
        switch (r.state) {
        case RomState::Ok:
            continue;
        case RomState::Missing:
            what = "missing " + name;
            break;
        case RomState::Unreadable:
            what = "cannot read " + name;
            break;
        case RomState::WrongSize:
            what = "wrong size of " + name;
            break;
        case RomState::WrongCrc:
            what = "wrong CRC in " + name;
            break;
        }
        out += (out.empty() ? "" : ", ") + what;
    }
    return out;
}

std::string RomsetChecker::findArchive(const std::string& zip) const {
    for (const std::string& dir : m_dirs) {
        const fs::path path = fs::path(dir) / (zip + ".zip");
        std::error_code ec;
        if (fs::is_regular_file(path, ec))
            return path.string();
    }
    return {};
}

SetResult RomsetChecker::check(const ListedGame& game) const {
    SetResult result;
    result.zip = game.zip;
    std::optional<Archive> own, parent;
    if (const std::string path = findArchive(game.zip); !path.empty())
        own.emplace(path);
    if (!game.parent.empty())
        if (const std::string path = findArchive(game.parent); !path.empty())
            parent.emplace(path);

    if (own) {
        result.found = true;
        if (!own->readable())
            result.archiveError = "cannot read " + own->name() + ": " + printable(own->error());
    } else if (parent && parent->readable()) {
        // A merged set: the clone counts as present when its parent's archive carries its files.
        for (const ListedRom& rom : game.roms)
            result.found = result.found || parent->holds(rom.name);
    }
    if (!result.found)
        return result;

    for (const ListedRom& rom : game.roms) {
        RomResult r;
        r.expected = rom;
        bool seen = false;
        for (const std::optional<Archive>* archive : {&own, &parent})
            if (!seen && *archive && (*archive)->readable())
                seen = (*archive)->examine(r);
        if (!seen && own && !own->readable()) {
            r.state = RomState::Unreadable;
            r.error = own->error();
        }
        result.roms.push_back(std::move(r));
    }
    return result;
}

std::string resultLine(const SetResult& result, int width) {
    std::string line = result.zip;
    if (static_cast<int>(line.size()) < width)
        line.append(static_cast<size_t>(width) - line.size(), ' ');
    line += " | ";
    line += result.good() ? "OK" : "BAD " + result.reason();
    return line;
}

std::vector<std::string> detailLines(const SetResult& result) {
    std::vector<std::string> lines;
    for (const RomResult& r : result.roms) {
        char expected[128];
        std::snprintf(expected, sizeof expected, "  %-12s expected %7" PRIu64 " bytes crc %s",
                      printable(r.expected.name).c_str(), r.expected.size,
                      hex8(r.expected.crc).c_str());
        std::string line = expected;
        if (r.archive.empty()) {
            line += r.state == RomState::Missing ? ", not found"
                                                 : ", cannot be read: " + printable(r.error);
        } else {
            line += ", found";
            if (r.listed) {
                char size[32];
                std::snprintf(size, sizeof size, " %7" PRIu64 " bytes", r.size);
                line += size;
            }
            if (r.dataRead)
                line += " crc " + hex8(r.dataCrc);
            if (r.listed && (!r.dataRead || r.storedCrc != r.dataCrc))
                line += " (stored crc " + hex8(r.storedCrc) + ")";
            line += " in " + r.archive;
            if (r.state == RomState::Unreadable)
                line += ", cannot be read: " + printable(r.error);
        }
        lines.push_back(line + ": " + stateText(r.state));
    }
    return lines;
}

} // namespace sim
