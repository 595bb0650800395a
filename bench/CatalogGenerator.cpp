#include "CatalogGenerator.h"

#include "DemoCatalog.h"
#include "FileUtil.h"
#include "StoredZip.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <sstream>
#include <unordered_set>
#include <vector>

namespace fs = std::filesystem;

namespace skbench {

namespace {

// Bump when the layout of the generated files changes, so old caches are replaced.
constexpr int kLayoutVersion = 3;
constexpr const char* kStampFile = ".bench-catalog";
constexpr const char* kOwnerFile = ".bench-catalog-owner";
constexpr int kRomDirCount = 4;

class Rng {
public:
    explicit Rng(uint64_t seed) : m_state(seed) {}

    uint64_t next() {
        uint64_t z = (m_state += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    // Uniform in [lo, hi].
    int range(int lo, int hi) { return lo + int(next() % uint64_t(hi - lo + 1)); }
    double unit() { return double(next() >> 11) * 0x1.0p-53; }
    bool chance(double p) { return unit() < p; }
    template <typename T, size_t N> const T& pick(const std::array<T, N>& items) {
        return items[size_t(range(0, int(N) - 1))];
    }
    template <typename T> void shuffle(std::vector<T>& items) {
        for (size_t i = items.size(); i > 1; --i)
            std::swap(items[i - 1], items[size_t(next() % i)]);
    }

private:
    uint64_t m_state;
};

// clang-format off
constexpr std::array<const char*, 56> kSyllables = {
    "ka", "lo", "mi", "ra", "zen", "tor", "vex", "bla", "dro", "qui", "fen", "gal", "hex", "jun",
    "nor", "pix", "sto", "wum", "yar", "zor", "bel", "cri", "dax", "el", "fo", "gri", "hal", "ix",
    "ju", "kel", "lum", "mar", "nex", "ob", "pol", "rex", "sil", "tan", "ul", "vor", "wil", "xan",
    "yo", "zed", "ster", "blast", "tron", "ic", "ion", "o", "a", "us", "ray", "dor", "mo", "fi",
};
constexpr std::array<const char*, 12> kSequels = {
    "II", "III", "2", "3", "'94", "2000", "Deluxe", "Plus", "Turbo", "EX", "Gold", "Special",
};
constexpr std::array<const char*, 8> kRegions = {
    "World", "Japan", "US", "Europe", "set 1", "rev 1", "Asia", "World, ver. 1.1",
};
constexpr std::array<const char*, 14> kCloneSuffixes = {
    "Japan", "US", "World", "Europe", "set 2", "set 3", "bootleg", "prototype", "US, rev A",
    "Japan, ver. 2", "hack", "Asia", "Korea", "World, rev 1",
};
constexpr std::array<const char*, 12> kCloneZipSuffixes = {
    "j", "u", "2", "3", "a", "b", "w", "bl", "e", "k", "o", "p",
};
constexpr std::array<const char*, 10> kMakerSuffixes = {
    "", "", " Electronics", " Games", " Soft", " Corp.", " Ltd.", " Amusements", " Systems", " Co.",
};
constexpr std::array<std::array<int, 2>, 8> kScreens = {{
    {256, 224}, {224, 288}, {320, 240}, {384, 224}, {288, 224}, {512, 224}, {240, 320}, {640, 480},
}};
constexpr std::array<const char*, 6> kCheatTexts = {
    "Infinite lives", "Infinite time", "Invincibility", "Start at last stage",
    "Max power", "Select level",
};
// clang-format on

struct Game {
    std::string zip;
    std::string baseTitle; // the title without a region or set suffix
    std::string title;
    std::string maker;
    std::string year;
    int parent = -1;
    int romCount = 0;
    int width = 0;
    int height = 0;
    bool bareArchiveNames = false;
    int zipDir = -1;      // rom directory holding <zip>.zip
    int unpackedDir = -1; // rom directory holding the unpacked romset <zip>/
    int cheatLines = -1;  // -1: no section; 0: an empty section

    bool onDisk() const { return zipDir >= 0 || unpackedDir >= 0; }
};

std::string word(Rng& rng, int minSyllables = 1, int maxSyllables = 3) {
    std::string w;
    const int n = rng.range(minSyllables, maxSyllables);
    for (int i = 0; i < n; ++i)
        w += rng.pick(kSyllables);
    w[0] = char(w[0] - 'a' + 'A');
    return w;
}

// Cuts at a word boundary so the text is at most `limit` characters long.
void limitLength(std::string& text, size_t limit) {
    if (text.size() <= limit)
        return;
    const size_t blank = text.rfind(' ', limit);
    text.resize(blank != std::string::npos && blank >= 10 ? blank : limit);
    while (!text.empty() && (text.back() == ' ' || text.back() == ':'))
        text.pop_back();
}

std::string makeBaseTitle(Rng& rng) {
    std::string t;
    if (rng.chance(0.08))
        t = "The ";
    else if (rng.chance(0.03))
        t = std::to_string(rng.range(1940, 2099)) + " ";
    if (rng.chance(0.004))
        t.append("\"").append(word(rng)).append("\" ");
    const int words = rng.range(1, 4);
    for (int i = 0; i < words; ++i) {
        if (i)
            t += rng.chance(0.05) ? " & " : " ";
        t += word(rng);
    }
    if (rng.chance(0.10))
        t.append(": ").append(word(rng)).append(" ").append(word(rng));
    if (rng.chance(0.15))
        t += std::string(" ") + rng.pick(kSequels);
    while (t.size() < 10)
        t.append(" ").append(word(rng, 2, 3));
    limitLength(t, 42); // room for the longest suffix within 60
    return t;
}

std::string makeMaker(Rng& rng) {
    // One random draw per statement: the order of draws must not depend on the compiler.
    std::string m = word(rng, 1, 2);
    if (rng.chance(0.3))
        m.append(" ").append(word(rng, 1, 2));
    else
        m += word(rng, 1, 1);
    m += rng.pick(kMakerSuffixes);
    return m;
}

std::vector<std::string> makeMakers(Rng& rng, int count) {
    std::vector<std::string> makers;
    std::unordered_set<std::string> seen;
    while (int(makers.size()) < count) {
        std::string m = makeMaker(rng);
        if (m.size() >= 5 && m.size() <= 25 && seen.insert(m).second)
            makers.push_back(std::move(m));
    }
    return makers;
}

char randomNameChar(Rng& rng) {
    static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    return kChars[rng.range(0, rng.chance(0.8) ? 25 : 35)];
}

// A unique lower-case zip name of 5 to 8 characters, as close to `wanted` as is free.
std::string uniqueZip(Rng& rng, std::string wanted, std::unordered_set<std::string>& used) {
    if (wanted.size() > 8)
        wanted.resize(8);
    while (wanted.size() < 5)
        wanted += randomNameChar(rng);
    for (int attempt = 0; attempt < 64; ++attempt) {
        if (used.insert(wanted).second)
            return wanted;
        // Vary the tail, growing the name while it may.
        if (wanted.size() < 8 && attempt % 2 == 0) {
            wanted += randomNameChar(rng);
        } else {
            const size_t at = wanted.size() - 1 - size_t(rng.range(0, 1));
            wanted[at] = randomNameChar(rng);
        }
    }
    for (;;) {
        std::string name;
        for (int i = 0; i < 8; ++i)
            name += char('a' + rng.range(0, 25));
        if (used.insert(name).second)
            return name;
    }
}

std::string zipFromTitle(Rng& rng, const std::string& title) {
    std::string letters;
    for (char c : title) {
        if (c >= 'A' && c <= 'Z')
            letters += char(c - 'A' + 'a');
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            letters += c;
    }
    if (letters.rfind("the", 0) == 0 && letters.size() > 8)
        letters.erase(0, 3);
    letters.resize(std::min(letters.size(), size_t(rng.range(5, 8))));
    return letters;
}

std::vector<Game> makeGames(Rng& rng, const CatalogParams& params) {
    const std::vector<std::string> makers = makeMakers(rng, 300);
    std::vector<Game> games;
    games.reserve(size_t(params.games));
    std::vector<int> recentParents;
    std::unordered_set<std::string> usedZips;
    for (int i = 0; i < params.games; ++i) {
        Game g;
        const bool clone = !recentParents.empty() && rng.chance(params.cloneShare);
        if (clone) {
            // Clones follow their parent closely in the list, as the emulator prints them.
            const size_t window = std::min<size_t>(recentParents.size(), 200);
            g.parent =
                recentParents[recentParents.size() - 1 - size_t(rng.range(0, int(window) - 1))];
            const Game& p = games[size_t(g.parent)];
            const std::string suffix = rng.pick(kCloneSuffixes);
            g.baseTitle = p.baseTitle;
            g.title = p.baseTitle + " (" + suffix + ")";
            g.maker = suffix == "bootleg" ? "bootleg" : p.maker;
            g.year = std::to_string(std::min(2005, std::stoi(p.year) + rng.range(0, 1)));
            const size_t keep = size_t(rng.range(5, 7));
            g.zip = uniqueZip(
                rng, p.zip.substr(0, std::min(keep, p.zip.size())) + rng.pick(kCloneZipSuffixes),
                usedZips);
            g.width = p.width;
            g.height = p.height;
        } else {
            g.baseTitle = makeBaseTitle(rng);
            g.title = g.baseTitle;
            if (rng.chance(0.12))
                g.title += std::string(" (") + rng.pick(kRegions) + ")";
            const double u = rng.unit(); // a few makers made most games
            g.maker = makers[size_t(u * u * double(makers.size()))];
            g.year = std::to_string(rng.range(1975, 2005));
            g.zip = uniqueZip(rng, zipFromTitle(rng, g.title), usedZips);
            const auto& screen = rng.pick(kScreens);
            g.width = screen[0];
            g.height = screen[1];
            recentParents.push_back(i);
        }
        g.romCount = rng.range(8, 25);
        g.bareArchiveNames = rng.chance(params.bareArchiveShare);
        games.push_back(std::move(g));
    }
    return games;
}

void placeRomsets(Rng& rng, const CatalogParams& params, std::vector<Game>& games) {
    std::vector<int> order(games.size());
    std::iota(order.begin(), order.end(), 0);
    rng.shuffle(order);
    const int zips = std::min(params.zipFiles, int(order.size()));
    for (int k = 0; k < zips; ++k) {
        // Most romsets sit in the first directory, fewer in each next one.
        const double u = rng.unit();
        games[size_t(order[size_t(k)])].zipDir = u < 0.4 ? 0 : u < 0.7 ? 1 : u < 0.9 ? 2 : 3;
    }
    const int dirs = std::min(params.romsetDirectories, int(order.size()) - zips);
    for (int k = 0; k < dirs; ++k)
        games[size_t(order[size_t(zips + k)])].unpackedDir = rng.chance(0.5) ? 1 : 3;

    rng.shuffle(order);
    const int cheats = std::min(params.gamesWithCheats, int(order.size()));
    for (int k = 0; k < cheats; ++k)
        games[size_t(order[size_t(k)])].cheatLines = rng.range(1, 4);
    const int empty = std::min(params.emptyCheatSections, int(order.size()) - cheats);
    for (int k = 0; k < empty; ++k)
        games[size_t(order[size_t(cheats + k)])].cheatLines = 0;
}

class Writer {
public:
    void line(const std::string& text) {
        m_out += text;
        m_out += "\r\n";
        ++m_lines;
    }
    std::string& text() { return m_out; }
    long long lines() const { return m_lines; }
    void reserve(size_t bytes) { m_out.reserve(bytes); }

private:
    std::string m_out;
    long long m_lines = 0;
};

std::string quotedArchive(const Game& g, const std::string& name) {
    return g.bareArchiveNames ? name : "\"" + name + "\"";
}

std::string catalogText(Rng& rng, const std::vector<Game>& games, long long& lines) {
    Writer out;
    out.reserve(games.size() * 1100);
    out.line("# Kalto game list");
    char rom[128];
    for (const Game& g : games) {
        out.line("");
        out.line("game (");
        out.line("\tname " + g.zip);
        out.line("\tdescription \"" + g.title + "\"");
        out.line("\tmanufacturer \"" + g.maker + "\"");
        out.line("\tyear " + g.year);
        std::string archive = "\tarchive ( name " + quotedArchive(g, g.zip);
        if (g.parent >= 0) {
            const std::string& parent = games[size_t(g.parent)].zip;
            out.line("\tcloneof " + parent);
            out.line("\tromof " + parent);
            archive += " name " + quotedArchive(g, parent);
        }
        out.line(archive + " )");
        const std::string prefix = g.zip.substr(0, 3);
        for (int r = 1; r <= g.romCount; ++r) {
            const int size = 1 << rng.range(11, 19);
            const auto crc = unsigned(rng.next());
            std::snprintf(rom, sizeof rom, "\trom ( name %s-%02d.bin size %d crc %08x )",
                          prefix.c_str(), r, size, crc);
            out.line(rom);
        }
        std::string video = "\tvideo ( screen raster x " + std::to_string(g.width) + " y " +
                            std::to_string(g.height);
        if (g.height > g.width)
            video += " orientation vertical";
        out.line(video + " )");
        out.line("\tdriver ( status good )");
        out.line(")");
    }
    lines = out.lines();
    return std::move(out.text());
}

std::string cheatsText(Rng& rng, const std::vector<Game>& games) {
    Writer out;
    out.line("; Kalto cheat file");
    char text[128];
    for (const Game& g : games) {
        if (g.cheatLines < 0)
            continue;
        out.line("");
        out.line("[" + g.zip + ":Cheats]");
        for (int i = 0; i < g.cheatLines; ++i) {
            const auto address = unsigned(rng.next() & 0xFFFFFF);
            const auto value = unsigned(rng.next() & 0xFF);
            std::snprintf(text, sizeof text, "cheat_%d = %06X:%02X:%s", i, address, value,
                          rng.pick(kCheatTexts));
            out.line(text);
        }
    }
    return std::move(out.text());
}

bool writeFile(const fs::path& path, const std::string& data, std::string& error) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        error = "cannot create " + path.string();
        return false;
    }
    const bool written = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    if (std::fclose(f) != 0 || !written) {
        error = "cannot write " + path.string();
        return false;
    }
    return true;
}

std::string romDirName(int index) {
    return "roms" + std::to_string(index);
}

std::string stampKey(const CatalogParams& params) {
    std::ostringstream key;
    key << "startkalto-bench-catalog layout=" << kLayoutVersion << " seed=" << params.seed
        << " games=" << params.games << " zips=" << params.zipFiles
        << " dirs=" << params.romsetDirectories << " cheats=" << params.gamesWithCheats << "/"
        << params.emptyCheatSections << " clones=" << params.cloneShare
        << " bare=" << params.bareArchiveShare;
    return key.str();
}

std::string stampText(const CatalogParams& params, const CatalogSummary& s) {
    std::ostringstream out;
    out << stampKey(params) << "\n"
        << "games=" << s.games << "\nclones=" << s.clones << "\nzipFiles=" << s.zipFiles
        << "\nromsetDirectories=" << s.romsetDirectories << "\ninstalled=" << s.installed
        << "\nbyParentOnly=" << s.byParentOnly << "\nwithCheats=" << s.withCheats
        << "\ncatalogBytes=" << s.catalogBytes << "\ncatalogLines=" << s.catalogLines << "\n";
    return out.str();
}

// Reads the summary of a complete catalog of this params; false when there is none.
bool readStamp(const fs::path& dir, const CatalogParams& params, CatalogSummary& s) {
    std::FILE* f = std::fopen((dir / kStampFile).c_str(), "rb");
    if (!f)
        return false;
    std::string text;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, n);
    std::fclose(f);

    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != stampKey(params))
        return false;
    int found = 0;
    while (std::getline(in, line)) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            return false;
        const std::string key = line.substr(0, eq);
        const long long value = std::atoll(line.c_str() + eq + 1);
        const std::pair<const char*, long long*> wide[] = {{"catalogBytes", &s.catalogBytes},
                                                           {"catalogLines", &s.catalogLines}};
        const std::pair<const char*, int*> narrow[] = {
            {"games", &s.games},          {"clones", &s.clones},
            {"zipFiles", &s.zipFiles},    {"romsetDirectories", &s.romsetDirectories},
            {"installed", &s.installed},  {"byParentOnly", &s.byParentOnly},
            {"withCheats", &s.withCheats}};
        for (const auto& [name, target] : wide) {
            if (key == name) {
                *target = value;
                ++found;
            }
        }
        for (const auto& [name, target] : narrow) {
            if (key == name) {
                *target = int(value);
                ++found;
            }
        }
    }
    return found == 9;
}

bool installEmulator(const fs::path& dir, const std::string& emulatorPath, std::string& error) {
    return sk::installExecutable(emulatorPath, (dir / "kalto.exe").string(), &error);
}

bool generate(const fs::path& dir, const CatalogParams& params, CatalogSummary& summary,
              std::string& error) {
    Rng rng(params.seed);
    std::vector<Game> games = makeGames(rng, params);
    placeRomsets(rng, params, games);

    summary = {};
    summary.games = int(games.size());
    for (const Game& g : games) {
        summary.clones += g.parent >= 0;
        summary.zipFiles += g.zipDir >= 0;
        summary.romsetDirectories += g.unpackedDir >= 0;
        summary.withCheats += g.cheatLines > 0;
        const bool parentOnDisk = g.parent >= 0 && games[size_t(g.parent)].onDisk();
        summary.installed += g.onDisk() || parentOnDisk;
        summary.byParentOnly += !g.onDisk() && parentOnDisk;
    }

    const std::string catalog = catalogText(rng, games, summary.catalogLines);
    summary.catalogBytes = (long long)catalog.size();
    if (!writeFile(dir / kCatalogFile, catalog, error))
        return false;

    std::error_code ec;
    fs::create_directories(dir / "Config", ec);
    for (int i = 0; i < kRomDirCount; ++i)
        fs::create_directories(dir / romDirName(i), ec);
    if (ec) {
        error = "cannot create directories in " + dir.string() + ": " + ec.message();
        return false;
    }
    std::array<std::string, 4> romDirs;
    for (int i = 0; i < kRomDirCount; ++i)
        romDirs[size_t(i)] = romDirName(i) + "/";
    if (!writeFile(dir / "Config" / "Kalto.cfg", sk::kaltoCfgText(romDirs), error) ||
        !writeFile(dir / "Config" / "Cheats.cfg", cheatsText(rng, games), error))
        return false;

    // Every archive is the same empty one: the search looks at names only.
    std::string emptyZip;
    if (!sk::buildStoredZip({}, emptyZip, &error))
        return false;
    for (const Game& g : games) {
        if (g.zipDir >= 0 &&
            !writeFile(dir / romDirName(g.zipDir) / (g.zip + ".zip"), emptyZip, error))
            return false;
        if (g.unpackedDir >= 0) {
            const fs::path romset = dir / romDirName(g.unpackedDir) / g.zip;
            fs::create_directories(romset, ec);
            if (ec || !writeFile(romset / (g.zip.substr(0, 3) + "-01.bin"), std::string(16, '\x5a'),
                                 error)) {
                error = "cannot write the romset " + romset.string();
                return false;
            }
        }
    }
    // Entries the search must pass over.
    fs::create_directories(dir / romDirName(1) / "extras", ec);
    if (!writeFile(dir / romDirName(0) / "readme.txt", "Romsets go here.\r\n", error) ||
        !writeFile(dir / romDirName(2) / "roms.dat", "not a romset\r\n", error))
        return false;
    return true;
}

} // namespace

bool ensureCatalog(const std::string& dirText, const CatalogParams& params,
                   const std::string& emulatorPath, CatalogSummary& summary, bool& reused,
                   std::string& error) {
    const fs::path dir(dirText);
    std::error_code ec;
    reused = readStamp(dir, params, summary);
    if (!reused) {
        if (fs::exists(dir, ec)) {
            // Only a directory this generator made may be wiped.
            if (!fs::is_empty(dir, ec) && !fs::exists(dir / kOwnerFile, ec)) {
                error = dir.string() + " holds files the catalog generator did not make";
                return false;
            }
            fs::remove_all(dir, ec);
            if (ec) {
                error = "cannot clear " + dir.string() + ": " + ec.message();
                return false;
            }
        }
        fs::create_directories(dir, ec);
        if (ec) {
            error = "cannot create " + dir.string() + ": " + ec.message();
            return false;
        }
        if (!writeFile(dir / kOwnerFile, "made by the catalog generator\n", error) ||
            !generate(dir, params, summary, error))
            return false;
        // Written last: its presence means the catalog is complete.
        if (!writeFile(dir / kStampFile, stampText(params, summary), error))
            return false;
    }
    resetFrontEndFiles(dirText);
    return installEmulator(dir, emulatorPath, error);
}

void resetFrontEndFiles(const std::string& dirText) {
    const fs::path dir(dirText);
    std::error_code ec;
    for (const char* file : {"listinfo.txt", "StartKALTO.ini", "batch.sh", "batch.bat",
                             "KALTOStart.txt", "romcheck.txt", "StartKALTO.lock"})
        fs::remove(dir / file, ec);
    // fs::remove leaves a directory that holds anything.
    for (const char* sub : {"StartKaltoTemp", "Gameplay", "Titles", "Cabinets", "Marquees",
                            "Flyers", "Sound", "IniFiles"})
        fs::remove(dir / sub, ec);
}

} // namespace skbench
