// Stand-in for the Kalto emulator: answers the command lines the front-end sends it, so the
// front-end can be tested and demonstrated without the real program.

#include "CfgFile.h"
#include "DemoCatalog.h"
#include "FileUtil.h"
#include "PcxWriter.h"
#include "RomCheck.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kProgram = "kalto-sim";

struct Invocation {
    std::string emuDir;
    bool listInfo = false;
    bool noGui = false;
    std::optional<std::string> game;
    bool romCheck = false;
    std::optional<std::string> romCheckZip; // one set instead of all
    bool verbose = false;
};

void warn(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
}

std::string envValue(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

bool envFlag(const char* name) {
    const std::string v = envValue(name);
    return !v.empty() && v != "0";
}

// The emulator finds its files next to the path it was started by; symlinks are deliberately
// not followed, so a linked kalto.exe serves the directory it is linked into.
std::string emulatorDir(const char* argv0) {
    const std::string path = argv0 ? argv0 : "";
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

void appendRunLog(const std::vector<std::string>& args) {
    const std::string logPath = envValue("KALTO_SIM_LOG");
    if (logPath.empty())
        return;
    std::string line;
    for (size_t i = 0; i < args.size(); ++i)
        line += (i ? " " : "") + args[i];
    line += '\n';
    // One write on an O_APPEND descriptor keeps lines whole when runs overlap.
    const int fd = ::open(logPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
        warn("cannot append to " + logPath + ": " + std::strerror(errno));
    if (fd >= 0)
        ::close(fd);
}

void sleepIfAsked() {
    const std::string value = envValue("KALTO_SIM_SLEEP_MS");
    if (value.empty())
        return;
    char* end = nullptr;
    const long ms = std::strtol(value.c_str(), &end, 10);
    if (*end != '\0' || ms < 0) {
        warn("ignoring KALTO_SIM_SLEEP_MS=" + value);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// KALTO_SIM_GAME_HOLD=<file>: the game is played on after its shots are taken, until the
// file exists; only then does the emulator write its configuration back and end.
void holdGameIfAsked() {
    const std::string file = envValue("KALTO_SIM_GAME_HOLD");
    std::error_code ec;
    while (!file.empty() && !fs::exists(file, ec))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

bool finishStdout() {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        warn(std::string("cannot write standard output: ") + std::strerror(errno));
        return false;
    }
    return true;
}

// A run that goes wrong the way real programs do, for the tests of the front-end:
// KALTO_SIM_LISTINFO_FAULT=exit prints half the list, complains and exits with 3;
// =crash prints half the list and dies by a signal (one that leaves no core file);
// =silent prints nothing and exits with 0.
int faultyListInfo(const std::string& fault) {
    const std::string text = sk::listInfoText(sk::demoCatalog());
    if (fault == "silent")
        return 0;
    std::fwrite(text.data(), 1, text.size() / 2, stdout);
    std::fflush(stdout);
    if (fault == "crash")
        std::raise(SIGKILL);
    warn("reading roms.dat: unexpected end of file");
    warn("cannot list the supported games");
    return 3;
}

int listInfo() {
    const std::string fault = envValue("KALTO_SIM_LISTINFO_FAULT");
    if (!fault.empty())
        return faultyListInfo(fault);
    const std::string catalogPath = envValue("KALTO_SIM_CATALOG");
    if (catalogPath.empty()) {
        const std::string text = sk::listInfoText(sk::demoCatalog());
        std::fwrite(text.data(), 1, text.size(), stdout);
        return finishStdout() ? 0 : 1;
    }

    // Benchmark catalogs are large: copy them through a fixed buffer.
    std::FILE* in = std::fopen(catalogPath.c_str(), "rb");
    if (!in) {
        warn("cannot open " + catalogPath + ": " + std::strerror(errno));
        return 1;
    }
    std::vector<char> buffer(1 << 16);
    size_t n = 0;
    bool ok = true;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
        if (std::fwrite(buffer.data(), 1, n, stdout) != n) {
            ok = false;
            break;
        }
    }
    if (std::ferror(in)) {
        warn("cannot read " + catalogPath + ": " + std::strerror(errno));
        ok = false;
    }
    std::fclose(in);
    return finishStdout() && ok ? 0 : 1;
}

// First run: create Config/Kalto.cfg with the defaults. A configuration that exists, even as
// a dangling link, belongs to the user and is left alone.
int writeDefaultConfig(const std::string& emuDir) {
    if (envFlag("KALTO_SIM_NO_CONFIG"))
        return 0;

    const fs::path dir = fs::path(emuDir) / "Config";
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) {
        warn("cannot create " + dir.string() + ": " + ec.message());
        return 1;
    }
    std::string error;
    if (sk::createFileExclusively((dir / "Kalto.cfg").string(), sk::defaultKaltoCfg(), &error) ==
        sk::CreateResult::Failed) {
        warn(error);
        return 1;
    }
    return 0;
}

bool readWholeFile(const fs::path& path, std::string& text, std::string& error) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = std::strerror(errno);
        return false;
    }
    text.clear();
    char buffer[1 << 14];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, n);
    const bool ok = !std::ferror(f);
    if (!ok)
        error = std::strerror(errno ? errno : EIO);
    std::fclose(f);
    return ok;
}

std::string_view trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::string lowered(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A set name becomes part of file names: one that could reach outside the screenshot
// directory names no game.
bool isSafeZipName(const std::string& zip) {
    if (zip.empty() || zip == "." || zip == "..")
        return false;
    for (unsigned char c : zip)
        if (c == '/' || c == '\\' || c < 0x20 || (c >= 0x7F && c <= 0x9F))
            return false;
    return true;
}

struct ScreenSize {
    int width = 320;
    int height = 240;
};

enum class Lookup { Found, Unknown, Failed };

// Reads the "x W y H" of a "video ( ... )" line; other sizes stay as they are.
void parseVideoLine(std::string_view line, ScreenSize& size) {
    std::vector<std::string> words;
    size_t pos = 0;
    while (pos < line.size()) {
        const auto start = line.find_first_not_of(" \t", pos);
        if (start == std::string_view::npos)
            break;
        const auto end = std::min(line.find_first_of(" \t", start), line.size());
        words.emplace_back(line.substr(start, end - start));
        pos = end;
    }
    auto number = [](const std::string& word) {
        if (word.empty() || word.size() > 5 || word.find_first_not_of("0123456789") != word.npos)
            return 0;
        const int v = std::stoi(word);
        return v <= 4096 ? v : 0;
    };
    int w = 0, h = 0;
    for (size_t i = 0; i + 1 < words.size(); ++i) {
        if (words[i] == "x")
            w = number(words[i + 1]);
        else if (words[i] == "y")
            h = number(words[i + 1]);
    }
    if (w > 0 && h > 0)
        size = {w, h};
}

// Looks the set up in a list file in the "-listinfo" format: a "name <zip>" line in a
// "game (" block.
Lookup lookupInCatalogFile(const std::string& path, const std::string& zip, ScreenSize& size) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        warn("cannot read " + path + ": " + std::strerror(errno));
        return Lookup::Failed;
    }
    std::string raw;
    bool inGame = false, matched = false;
    ScreenSize blockSize;
    while (std::getline(in, raw)) {
        const std::string_view line = trimmed(raw);
        if (!inGame) {
            if (line.substr(0, 4) == "game" && trimmed(line.substr(4)) == "(") {
                inGame = true;
                matched = false;
                blockSize = ScreenSize{};
            }
        } else if (line == ")") {
            if (matched) {
                size = blockSize;
                return Lookup::Found;
            }
            inGame = false;
        } else if (line.substr(0, 5) == "name ") {
            std::string_view name = trimmed(line.substr(5));
            if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
                name = name.substr(1, name.size() - 2);
            matched = matched || name == zip;
        } else if (line.substr(0, 5) == "video") {
            parseVideoLine(line, blockSize);
        }
    }
    if (in.bad()) {
        warn("cannot read " + path + ": " + std::strerror(errno ? errno : EIO));
        return Lookup::Failed;
    }
    return Lookup::Unknown;
}

Lookup lookupGame(const std::string& zip, ScreenSize& size) {
    if (!isSafeZipName(zip))
        return Lookup::Unknown;
    const std::string catalogPath = envValue("KALTO_SIM_CATALOG");
    if (!catalogPath.empty())
        return lookupInCatalogFile(catalogPath, zip, size);
    const sk::DemoGame* game = sk::findDemoGame(zip);
    if (!game)
        return Lookup::Unknown;
    size = {game->width, game->height};
    return Lookup::Found;
}

uint32_t nameHash(const std::string& s) {
    uint32_t h = 2166136261u;
    for (unsigned char c : s) {
        h ^= c;
        h *= 16777619u;
    }
    return h;
}

int screenshotCount(const std::string& zip) {
    const std::string value = envValue("KALTO_SIM_SHOTS");
    if (value.size() == 1 && value[0] >= '0' && value[0] <= '9')
        return value[0] - '0';
    if (!value.empty())
        warn("ignoring KALTO_SIM_SHOTS=" + value);
    return 1 + static_cast<int>(nameHash(zip) % 3);
}

// A picture that differs per game and per shot: diagonal colour bands over a dark ground, a
// solid frame and a solid box, so the run-length coding has both long and short runs.
std::vector<uint8_t> screenshotPixels(const std::string& zip, int shot, ScreenSize size,
                                      sk::PcxPalette& palette) {
    const uint32_t seed = nameHash(zip + "#" + std::to_string(shot));
    for (int i = 0; i < 256; ++i) {
        palette[size_t(i) * 3] = static_cast<uint8_t>(i);
        palette[size_t(i) * 3 + 1] = static_cast<uint8_t>((i * 3 + seed) & 0xFF);
        palette[size_t(i) * 3 + 2] = static_cast<uint8_t>(255 - i);
    }
    const int w = size.width, h = size.height;
    const int band = 2 + static_cast<int>(seed % 7);
    const int boxX = static_cast<int>(seed >> 8) % std::max(1, w / 2);
    const int boxY = static_cast<int>(seed >> 16) % std::max(1, h / 2);
    std::vector<uint8_t> pixels(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint8_t v;
            if (y < 4 || y >= h - 4 || x < 4 || x >= w - 4)
                v = 0xFF; // frame: a value that must always be written as a run
            else if (x >= boxX && x < boxX + w / 3 && y >= boxY && y < boxY + h / 3)
                v = static_cast<uint8_t>(0x40 + shot);
            else if (y % 16 < 8)
                v = static_cast<uint8_t>(((x + y) / band + shot * 29 + seed) & 0xFF);
            else
                v = static_cast<uint8_t>(x & 0xFF); // a gradient: no runs at all
            pixels[size_t(y) * size_t(w) + size_t(x)] = v;
        }
    }
    return pixels;
}

// The numbers of "<zip>_NNNN.*" files in the directory, names compared without regard to case
// (the front-end matches pictures that way).
std::set<int> usedScreenshotNumbers(const fs::path& dir, const std::string& zip) {
    std::set<int> used;
    const std::string prefix = lowered(zip) + "_";
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = lowered(it->path().filename().string());
        if (name.size() < prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string digits = name.substr(prefix.size(), 4);
        if (digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        if (name.size() == prefix.size() + 4 || name[prefix.size() + 4] == '.')
            used.insert(std::stoi(digits));
    }
    return used;
}

void writeScreenshots(const std::string& emuDir, const sim::CfgFile& cfg, const std::string& zip,
                      ScreenSize size) {
    const std::string value = cfg.value("Directories", "ScreenShots").value_or("");
    if (value.empty()) {
        warn("no screenshot directory set; writing no screenshots");
        return;
    }
    const fs::path dir = value.front() == '/' ? fs::path(value) : fs::path(emuDir) / value;
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        warn("screenshot directory " + dir.string() + " does not exist; writing no screenshots");
        return;
    }

    const int count = screenshotCount(zip);
    std::set<int> used = usedScreenshotNumbers(dir, zip);
    int number = 0;
    for (int shot = 0; shot < count; ++shot) {
        sk::PcxPalette palette{};
        const std::vector<uint8_t> pixels = screenshotPixels(zip, shot, size, palette);
        const std::string bytes = sk::pcxBytes8(size.width, size.height, pixels, palette);
        for (;;) {
            while (used.count(number))
                ++number;
            if (number > 9999) {
                warn("no free screenshot number for " + zip + " in " + dir.string());
                return;
            }
            // Room for any int: the compiler cannot see that the number stays below 10000.
            char name[32];
            std::snprintf(name, sizeof name, "_%04d.pcx", number);
            std::string error;
            const auto result =
                sk::createFileExclusively((dir / (zip + name)).string(), bytes, &error);
            used.insert(number);
            if (result == sk::CreateResult::Created)
                break;
            if (result == sk::CreateResult::Failed) {
                warn(error);
                return;
            }
        }
    }
}

// The emulator runs only in the modes it knows and falls back to 640x480.
std::pair<std::string, std::string> usedResolution(const sim::CfgFile& cfg) {
    static const std::pair<int, int> kModes[] = {{320, 200}, {320, 240}, {640, 400},
                                                 {640, 480}, {800, 600}, {1024, 768}};
    auto number = [](const std::optional<std::string>& v) {
        if (!v || v->empty() || v->size() > 5 || v->find_first_not_of("0123456789") != v->npos)
            return -1;
        return std::stoi(*v);
    };
    const int x = number(cfg.value("Display", "screen_x"));
    const int y = number(cfg.value("Display", "screen_y"));
    for (const auto& [mx, my] : kModes)
        if (x == mx && y == my)
            return {std::to_string(x), std::to_string(y)};
    return {"640", "480"};
}

// Writes the configuration back as the emulator does when a game ends: the resolution it ran
// in and the rom directories in its own "key = value" form. A linked configuration is
// written where the link points, so the link stays.
bool saveConfig(const fs::path& cfgPath, sim::CfgFile& cfg) {
    const auto [x, y] = usedResolution(cfg);
    cfg.set("Display", "screen_x", x);
    cfg.set("Display", "screen_y", y);
    for (int i = 0; i < 4; ++i) {
        const std::string key = "rom_dir_" + std::to_string(i);
        cfg.set("Directories", key, cfg.value("Directories", key).value_or(""));
    }
    std::error_code ec;
    fs::path target = cfgPath;
    if (fs::is_symlink(cfgPath, ec))
        target = fs::canonical(cfgPath, ec);
    std::string error;
    if (ec || !sk::writeFileAtomically(target.string(), cfg.text(), &error)) {
        warn("cannot write " + cfgPath.string() + ": " + (ec ? ec.message() : error));
        return false;
    }
    return true;
}

// A game run that fails the way the real program does, for the tests of the front-end:
// KALTO_SIM_GAME_FAULT=exit complains that the roms cannot be opened and exits with 5;
// =crash dies by a signal (one that leaves no core file). Neither writes anything.
std::optional<int> faultyGame(const std::string& zip) {
    const std::string fault = envValue("KALTO_SIM_GAME_FAULT");
    if (fault.empty())
        return std::nullopt;
    if (fault != "exit" && fault != "crash") {
        warn("ignoring KALTO_SIM_GAME_FAULT=" + fault);
        return std::nullopt;
    }
    std::printf("Starting %s\n", zip.c_str());
    std::fflush(stdout);
    if (fault == "crash")
        std::raise(SIGKILL);
    warn("cannot open roms of " + zip);
    return 5;
}

int runGame(const std::string& emuDir, const std::string& zip) {
    if (const auto status = faultyGame(zip))
        return *status;

    const fs::path cfgPath = fs::path(emuDir) / "Config" / "Kalto.cfg";
    std::string text, error;
    if (!readWholeFile(cfgPath, text, error)) {
        warn("cannot read " + cfgPath.string() + ": " + error);
        return 1;
    }
    ScreenSize size;
    switch (lookupGame(zip, size)) {
    case Lookup::Failed:
        return 1;
    case Lookup::Unknown:
        warn("unknown game " + zip);
        return 2;
    case Lookup::Found:
        break;
    }

    std::printf("Starting %s\n", zip.c_str());
    std::fflush(stdout);
    sim::CfgFile cfg(text);
    writeScreenshots(emuDir, cfg, zip, size);
    holdGameIfAsked();
    if (!saveConfig(cfgPath, cfg))
        return 1;
    std::printf("%s has finished.\n", zip.c_str());
    return finishStdout() ? 0 : 1;
}

// The games the romset check knows: those of the list file named by KALTO_SIM_CATALOG, else
// the built-in ones, read from the same list text the emulator prints. Games whose set name
// could reach outside a rom directory are left out.
bool romCheckCatalog(std::vector<sim::ListedGame>& games) {
    const std::string catalogPath = envValue("KALTO_SIM_CATALOG");
    std::string text, error;
    if (catalogPath.empty()) {
        text = sk::listInfoText(sk::demoCatalog());
    } else if (!readWholeFile(catalogPath, text, error)) {
        warn("cannot read " + catalogPath + ": " + error);
        return false;
    }
    games = sim::parseGameList(text);
    std::erase_if(games, [](const sim::ListedGame& g) { return !isSafeZipName(g.zip); });
    for (sim::ListedGame& g : games)
        if (!isSafeZipName(g.parent))
            g.parent.clear();
    return true;
}

// KALTO_SIM_ROMCHECK_FAULT=exit prints half the report, complains and exits with 4;
// =crash prints half the report and dies by a signal (one that leaves no core file);
// =early prints the header only, complains and exits with 4.
std::optional<std::string> romCheckFault() {
    const std::string fault = envValue("KALTO_SIM_ROMCHECK_FAULT");
    if (fault.empty())
        return std::nullopt;
    if (fault != "exit" && fault != "crash" && fault != "early") {
        warn("ignoring KALTO_SIM_ROMCHECK_FAULT=" + fault);
        return std::nullopt;
    }
    return fault;
}

int badStatus() {
    const std::string value = envValue("KALTO_SIM_ROMCHECK_BAD_STATUS");
    if (value.empty())
        return 0;
    char* end = nullptr;
    const long status = std::strtol(value.c_str(), &end, 10);
    if (*end != '\0' || status < 0 || status > 125) {
        warn("ignoring KALTO_SIM_ROMCHECK_BAD_STATUS=" + value);
        return 0;
    }
    return static_cast<int>(status);
}

// "-romcheck [<zip>] [-verbose]": checks the sets in the configured rom directories against
// the game list. The report has header lines without "|", then one "<zip> | OK" or
// "<zip> | BAD <reason>" line per set found (with -verbose, followed by one line per file),
// then a summary. Sets that are not there are not listed, except a single set asked for by
// name. Bad sets are results: the status is 0 whenever the check ran, unless
// KALTO_SIM_ROMCHECK_BAD_STATUS=N asks for status N after a whole report that holds a bad
// set, as many checkers end.
int romCheck(const Invocation& inv) {
    const auto fault = romCheckFault();
    const fs::path cfgPath = fs::path(inv.emuDir) / "Config" / "Kalto.cfg";
    std::string cfgText, error;
    if (!readWholeFile(cfgPath, cfgText, error)) {
        warn("cannot read " + cfgPath.string() + ": " + error);
        return 1;
    }
    std::vector<sim::ListedGame> games;
    if (!romCheckCatalog(games))
        return 1;
    if (inv.romCheckZip) {
        std::erase_if(games, [&](const sim::ListedGame& g) { return g.zip != *inv.romCheckZip; });
        if (games.empty()) {
            warn("unknown game " + *inv.romCheckZip);
            return 2;
        }
    }

    const sim::RomsetChecker checker(sim::romDirs(sim::CfgFile(cfgText), inv.emuDir));
    std::vector<sim::SetResult> results;
    for (const sim::ListedGame& g : games) {
        sim::SetResult r = checker.check(g);
        if (r.found || inv.romCheckZip)
            results.push_back(std::move(r));
    }
    size_t width = 12;
    for (const sim::SetResult& r : results)
        width = std::max(width, r.zip.size());

    std::printf("Kalto romset check\n");
    std::printf("Checking %zu romset%s...\n", games.size(), games.size() == 1 ? "" : "s");
    const size_t shown = !fault ? results.size() : *fault == "early" ? 0 : results.size() / 2;
    size_t found = 0, good = 0;
    for (size_t i = 0; i < shown; ++i) {
        const sim::SetResult& r = results[i];
        std::printf("%s\n", sim::resultLine(r, static_cast<int>(width)).c_str());
        if (inv.verbose)
            for (const std::string& line : sim::detailLines(r))
                std::printf("%s\n", line.c_str());
        found += r.found ? 1 : 0;
        good += r.good() ? 1 : 0;
    }
    if (fault) {
        std::fflush(stdout);
        if (*fault == "crash")
            std::raise(SIGKILL);
        warn("romset check aborted: cannot read the rom directories");
        return 4;
    }
    std::printf("Done: %zu found, %zu good, %zu bad\n", found, good, found - good);
    if (!finishStdout())
        return 1;
    const bool anyBad = std::any_of(results.begin(), results.end(),
                                    [](const sim::SetResult& r) { return !r.good(); });
    return anyBad ? badStatus() : 0;
}

// Reads the command line; returns false on a usage error.
bool parseArguments(const std::vector<std::string>& args, Invocation& inv) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-listinfo") {
            inv.listInfo = true;
        } else if (arg == "-nogui") {
            inv.noGui = true;
        } else if (arg == "-game") {
            if (i + 1 >= args.size()) {
                warn("-game needs a set name");
                return false;
            }
            inv.game = args[++i];
        } else if (arg == "-romcheck") {
            inv.romCheck = true;
            if (i + 1 < args.size() && !args[i + 1].empty() && args[i + 1][0] != '-')
                inv.romCheckZip = args[++i];
        } else if (arg == "-verbose") {
            inv.verbose = true;
        } else {
            warn("ignoring unknown option " + arg);
        }
    }
    return true;
}

int perform(const Invocation& inv) {
    if (inv.listInfo)
        return listInfo();
    if (inv.romCheck)
        return romCheck(inv);
    if (inv.game)
        return runGame(inv.emuDir, *inv.game);
    if (inv.noGui)
        return writeDefaultConfig(inv.emuDir);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    appendRunLog(args);

    Invocation inv;
    inv.emuDir = emulatorDir(argc > 0 ? argv[0] : nullptr);
    const int status = parseArguments(args, inv) ? perform(inv) : 1;

    sleepIfAsked();
    return status;
}
