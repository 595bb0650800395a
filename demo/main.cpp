// Lays out a demo directory for the front-end: the emulator stand-in, its configuration, cheats
// and romsets in the shapes the front-end has to cope with. Running it again refreshes these
// files and leaves everything else in the directory alone.

#include "DemoCatalog.h"
#include "DemoPictures.h"
#include "DemoSounds.h"
#include "FileUtil.h"
#include "StoredZip.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

enum class Place {
    Roms,       // roms/<zip>.zip
    Roms2,      // roms2/<zip>.zip
    Unpacked,   // roms/<zip>/ holding the rom files
    ParentOnly, // a clone whose roms live in its parent's archive (a merged set)
};

struct Install {
    const char* zip;
    Place place;
};

constexpr Install kInstalls[] = {
    {"lumabolt", Place::Roms},  {"lumabol2", Place::ParentOnly}, {"lumaboj", Place::Roms},
    {"cogrider", Place::Roms},  {"cogridr2", Place::Roms2},      {"mirefox", Place::Roms},
    {"mirefoxb", Place::Roms},  {"thundmol", Place::Roms},       {"thundmo2", Place::ParentOnly},
    {"rustknt", Place::Roms2},  {"rustkntu", Place::ParentOnly}, {"vantarex", Place::Roms2},
    {"vantarxj", Place::Roms2}, {"plinkrs", Place::Roms},        {"skyloom", Place::Roms},
    {"gobbotic", Place::Roms},  {"kelpdive", Place::Roms},       {"calkids", Place::Roms2},
    {"ovrclok", Place::Roms2},  {"mjelly", Place::Roms2},        {"tidecrsh", Place::Unpacked},
    {"tidecrs2", Place::Roms2},
};

// For the romset check: one rom whose content does not match its listed crc (a bad set), and
// one rom left out of its archive (an incomplete set). Both sets still count as installed.
constexpr const char* kCorruptZip = "calkids";
constexpr const char* kCorruptRom = "ck-02.bin";
constexpr const char* kIncompleteZip = "gobbotic";
constexpr const char* kLeftOutRom = "gb-03.bin";

struct CheatSection {
    const char* zip;
    std::vector<const char*> lines;
};

const std::vector<CheatSection>& cheatSections() {
    static const std::vector<CheatSection> sections = {
        {"lumabolt", {"Infinite Lives=0x00c1f3:05", "Invincibility=0x00c204:01"}},
        {"cogrider", {"Infinite Time=0x0a3e10:63"}},
        {"skyloom", {}}, // present but empty: no cheats for this game
        {"glimrun",
         {"Infinite Lives=0x1f0022:03", "Max Power=0x1f0030:0f", "Level Select=0x1f0041:00"}},
        {"vantarex", {"Infinite Credits=0x40a002:09", "Infinite Bombs=0x40a118:03"}},
        {"rustknt", {"Infinite Health=0x2c1100:ff"}},
        {"frostfng", {"Infinite Lives=0x60f080:04", "Always Powered Up=0x60f0a2:02"}},
    };
    return sections;
}

std::string cheatsCfg() {
    std::string out = "; Kalto cheat file\r\n";
    for (const CheatSection& s : cheatSections()) {
        out += "\r\n[" + std::string(s.zip) + ":Cheats]\r\n";
        for (const char* line : s.lines)
            out += std::string(line) + "\r\n";
    }
    return out;
}

std::vector<sk::ZipEntry> romEntries(const sk::DemoGame& game) {
    std::vector<sk::ZipEntry> entries;
    for (const sk::DemoRom& rom : game.roms) {
        if (game.zip == kIncompleteZip && rom.name == kLeftOutRom)
            continue;
        std::string bytes = sk::romBytes(game, rom);
        if (game.zip == kCorruptZip && rom.name == kCorruptRom && !bytes.empty())
            bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x5A);
        entries.push_back({rom.name, std::move(bytes)});
    }
    return entries;
}

const sk::DemoGame& game(const std::string& zip) {
    const sk::DemoGame* g = sk::findDemoGame(zip);
    if (!g) {
        std::fprintf(stderr, "make-demo: %s is not in the catalog\n", zip.c_str());
        std::exit(1);
    }
    return *g;
}

class DemoWriter {
public:
    explicit DemoWriter(fs::path root) : root_(std::move(root)) {}

    bool ok() const { return ok_; }

    void makeDir(const fs::path& rel) {
        std::error_code ec;
        const fs::path dir = root_ / rel;
        fs::create_directories(dir, ec);
        if (ec || !fs::is_directory(dir))
            fail("cannot create directory " + dir.string() + (ec ? ": " + ec.message() : ""));
    }

    void writeFile(const fs::path& rel, const std::string& data, const std::string& note = {}) {
        std::string error;
        if (!sk::writeFileAtomically((root_ / rel).string(), data, &error))
            return fail(error);
        report(rel, note);
    }

    void writeZip(const fs::path& rel, const std::vector<sk::ZipEntry>& entries,
                  const std::string& note) {
        std::string error;
        if (!sk::writeStoredZip((root_ / rel).string(), entries, &error))
            return fail(error);
        report(rel, note);
    }

    void copyEmulator(const fs::path& source) { copyProgram(source, "kalto.exe"); }

    void copyProgram(const fs::path& source, const char* name) {
        std::string error;
        if (!sk::installExecutable(source.string(), (root_ / name).string(), &error))
            return fail(error);
    }

    void fail(const std::string& message) {
        std::fprintf(stderr, "make-demo: %s\n", message.c_str());
        ok_ = false;
    }

private:
    void report(const fs::path& rel, const std::string& note) {
        std::printf("%s%s%s\n", rel.string().c_str(), note.empty() ? "" : "  ", note.c_str());
    }

    fs::path root_;
    bool ok_ = true;
};

std::string joined(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& n : names)
        out += (out.empty() ? "" : ", ") + n;
    return out;
}

void writeRomsets(DemoWriter& out) {
    // Merged sets: a parent's archive also carries the roms of clones that have none of their own.
    std::map<std::string, std::vector<std::string>> mergedClones;
    for (const Install& inst : kInstalls)
        if (inst.place == Place::ParentOnly)
            mergedClones[game(inst.zip).parent].push_back(inst.zip);

    for (const Install& inst : kInstalls) {
        const sk::DemoGame& g = game(inst.zip);
        std::vector<sk::ZipEntry> entries = romEntries(g);
        std::vector<std::string> covers = {g.zip};
        for (const std::string& cloneZip : mergedClones[g.zip]) {
            for (sk::ZipEntry& e : romEntries(game(cloneZip)))
                entries.push_back(std::move(e));
            covers.push_back(cloneZip);
        }
        std::string note = joined(covers);
        if (covers.size() > 1)
            note += " (merged)";
        if (g.zip == kCorruptZip)
            note += std::string(" (") + kCorruptRom + " is deliberately corrupt)";
        if (g.zip == kIncompleteZip)
            note += std::string(" (incomplete: ") + kLeftOutRom + " is deliberately left out)";

        switch (inst.place) {
        case Place::Roms:
            out.writeZip(fs::path("roms") / (g.zip + ".zip"), entries, note);
            break;
        case Place::Roms2:
            out.writeZip(fs::path("roms2") / (g.zip + ".zip"), entries, note);
            break;
        case Place::Unpacked: {
            const fs::path dir = fs::path("roms") / g.zip;
            out.makeDir(dir);
            for (const sk::ZipEntry& e : entries)
                out.writeFile(dir / e.name, e.data, note + " (unpacked)");
            break;
        }
        case Place::ParentOnly:
            break;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(
            stderr, "usage: make-demo <target-dir> <path-of-kalto-sim> [<path-of-nconvert-sim>]\n");
        return 2;
    }
    const fs::path root = argv[1];
    const fs::path simulator = argv[2];

    std::error_code ec;
    if (fs::exists(root, ec) && !fs::is_directory(root, ec)) {
        std::fprintf(stderr, "make-demo: %s exists and is not a directory\n", argv[1]);
        return 2;
    }
    if (!fs::is_regular_file(simulator, ec)) {
        std::fprintf(stderr, "make-demo: %s is not a file\n", argv[2]);
        return 2;
    }

    DemoWriter out(root);
    out.makeDir(".");
    if (!out.ok())
        return 1;
    out.copyEmulator(simulator);
    // The picture converter's stand-in, as the converter's own name.
    if (argc == 4)
        out.copyProgram(argv[3], "nconvert.exe");

    out.makeDir("Config");
    out.writeFile(fs::path("Config") / "Kalto.cfg", sk::kaltoCfgText({"roms/", "roms2/", "", ""}));
    out.writeFile(fs::path("Config") / "Cheats.cfg", cheatsCfg());

    out.makeDir("roms");
    out.makeDir("roms2");
    writeRomsets(out);

    for (const char* dir : {"Titles", "Gameplay", "Flyers", "Marquees", "Cabinets"})
        out.makeDir(dir);
    out.makeDir("Sound");
    for (const auto& [rel, bytes] : demo::demoSounds())
        out.writeFile(rel, bytes, "game sound");
    demo::writePictures([&out](const std::string& rel, const std::string& bytes,
                               const std::string& note) { out.writeFile(rel, bytes, note); });

    if (!out.ok())
        return 1;
    const size_t total = sk::demoCatalog().size();
    const size_t installed = std::size(kInstalls);
    std::printf("%zu of %zu games installed in %s\n", installed, total, root.string().c_str());
    return 0;
}
