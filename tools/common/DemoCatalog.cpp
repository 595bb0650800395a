#include "DemoCatalog.h"

#include "Crc32.h"

#include <cstdio>
#include <utility>

namespace sk {

namespace {

struct Row {
    const char* zip;
    const char* romPrefix;
    const char* description;
    const char* manufacturer;
    const char* year;
    const char* parent;
    int width;
    int height;
    int romCount;
    bool bareArchiveNames;
};

constexpr const char* kKorvane = "Korvane Electronics";
constexpr const char* kTessaly = "Tessaly Amusements";
constexpr const char* kMirrowood = "Mirrowood Games";
constexpr const char* kOtterbeck = "Otterbeck Soft";
constexpr const char* kPellucid = "Pellucid Systems";
constexpr const char* kBrindle = "Brindlecorp";
constexpr const char* kHexafield = "Hexafield Ltd.";
constexpr const char* kQuarry = "Quarrystone";

// clang-format off
constexpr Row kRows[] = {
    {"lumabolt", "lb",  "Luma Bolt",                  kKorvane,   "1981", "",         224, 288, 4, false},
    {"lumabol2", "lb2", "Luma Bolt (set 2)",          kKorvane,   "1981", "lumabolt", 224, 288, 2, false},
    {"lumaboj",  "lbj", "Luma Bolt (Japan)",          kKorvane,   "1982", "lumabolt", 224, 288, 3, false},
    {"cogrider", "cr",  "Cog Rider",                  kTessaly,   "1983", "",         256, 224, 5, true},
    {"cogridr2", "cr2", "Cog Rider (set 2)",          kTessaly,   "1983", "cogrider", 256, 224, 2, false},
    {"mirefox",  "mf",  "Mire Fox",                   kMirrowood, "1985", "",         256, 224, 4, false},
    {"mirefoxb", "mfb", "Mire Fox (bootleg)",         "bootleg",  "19??", "mirefox",  256, 224, 3, false},
    {"glimrun",  "gr",  "Glimmer Run",                kOtterbeck, "1987", "",         320, 240, 6, false},
    {"glimrunu", "gru", "Glimmer Run (US)",           kOtterbeck, "1987", "glimrun",  320, 240, 2, false},
    {"quoxel",   "qx",  "Quoxel",                     kPellucid,  "1978", "",         256, 224, 2, true},
    {"plinkrs",  "pk",  "Plinker's Peak",             kBrindle,   "1979", "",         224, 288, 3, false},
    {"thundmol", "tm",  "Thunder Mole",               kKorvane,   "1986", "",         384, 224, 5, false},
    {"thundmo2", "tm2", "Thunder Mole (set 2)",       kKorvane,   "1986", "thundmol", 384, 224, 2, false},
    {"vantarex", "vx",  "Vantarex 2100",              kHexafield, "1992", "",         384, 224, 6, false},
    {"vantarxj", "vxj", "Vantarex 2100 (Japan)",      kHexafield, "1992", "vantarex", 384, 224, 3, false},
    {"skyloom",  "sl",  "Sky Loom",                   kQuarry,    "1989", "",         224, 288, 4, false},
    {"rustknt",  "rk",  "Rust Knight",                kTessaly,   "1990", "",         320, 240, 5, false},
    {"rustkntu", "rku", "Rust Knight (US, rev A)",    kTessaly,   "1990", "rustknt",  320, 240, 2, true},
    {"nebwaltz", "nw",  "Nebula Waltz",               kMirrowood, "1994", "",         320, 240, 6, false},
    {"nebwaltj", "nwj", "Nebula Waltz (Japan)",       kMirrowood, "1994", "nebwaltz", 320, 240, 3, false},
    {"gobbotic", "gb",  "Gobbotic",                   kPellucid,  "1982", "",         256, 224, 3, false},
    {"tidecrsh", "tc",  "Tide Crusher",               kOtterbeck, "1988", "",         256, 224, 4, false},
    {"tidecrs2", "tc2", "Tide Crusher (set 2)",       kOtterbeck, "1988", "tidecrsh", 256, 224, 2, false},
    {"hexhound", "hh",  "Hex Hound",                  kHexafield, "1996", "",         384, 224, 5, false},
    {"hexhndp",  "hhp", "Hex Hound (prototype)",      kHexafield, "1995", "hexhound", 384, 224, 2, false},
    {"pipwhirl", "pw",  "Pip Whirl",                  kBrindle,   "1980", "",         224, 288, 2, false},
    {"calkids",  "ck",  "Caldera Kids",               kQuarry,    "1991", "",         320, 240, 4, false},
    {"mjelly",   "mj",  "Moon Jelly",                 kKorvane,   "1997", "",         320, 240, 5, false},
    {"frostfng", "ff",  "Frost Fang",                 kTessaly,   "1993", "",         384, 224, 6, false},
    {"frostfn2", "ff2", "Frost Fang (set 2)",         kTessaly,   "1993", "frostfng", 384, 224, 3, false},
    {"brewbrwl", "bb",  "Brew Brawlers",              kBrindle,   "1990", "",         256, 224, 3, true},
    {"mortmoth", "mm",  "Mortar Moth",                kMirrowood, "1984", "",         224, 288, 3, false},
    {"wyrmgate", "wg",  "Wyrmgate",                   kOtterbeck, "1995", "",         384, 224, 5, false},
    {"zigzap",   "zz",  "Ziggurat Zap",               kPellucid,  "1985", "",         256, 224, 3, false},
    {"ovrclok",  "oc",  "The \"Overclock\" Gang",     kHexafield, "1999", "",         320, 240, 6, false},
    {"kelpdive", "kd",  "Kelp Diver",                 kQuarry,    "1998", "",         320, 240, 4, false},
};
// clang-format on

uint64_t fnv1a(const std::string& s) {
    uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : s) {
        h ^= c;
        h *= 0x100000001b3ull;
    }
    return h;
}

uint64_t splitmix64(uint64_t& state) {
    uint64_t z = (state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

std::vector<DemoGame> buildCatalog() {
    std::vector<DemoGame> games;
    for (const Row& r : kRows) {
        DemoGame g;
        g.zip = r.zip;
        g.description = r.description;
        g.manufacturer = r.manufacturer;
        g.year = r.year;
        g.parent = r.parent;
        g.width = r.width;
        g.height = r.height;
        g.vertical = r.height > r.width;
        g.bareArchiveNames = r.bareArchiveNames;
        for (int i = 1; i <= r.romCount; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "%s-%02d.bin", r.romPrefix, i);
            const uint32_t kib = 1 + static_cast<uint32_t>(fnv1a(g.zip + "/" + name) % 8);
            g.roms.push_back({name, kib * 1024});
        }
        games.push_back(std::move(g));
    }
    return games;
}

void line(std::string& out, const std::string& text) {
    out += text;
    out += "\r\n";
}

std::string hex8(uint32_t v) {
    char buf[9];
    std::snprintf(buf, sizeof buf, "%08x", v);
    return buf;
}

std::string archiveName(const DemoGame& g, const std::string& name) {
    return g.bareArchiveNames ? name : "\"" + name + "\"";
}

} // namespace

const std::vector<DemoGame>& demoCatalog() {
    static const std::vector<DemoGame> catalog = buildCatalog();
    return catalog;
}

const DemoGame* findDemoGame(const std::string& zip) {
    for (const DemoGame& g : demoCatalog())
        if (g.zip == zip)
            return &g;
    return nullptr;
}

std::string romBytes(const DemoGame& game, const DemoRom& rom) {
    uint64_t state = fnv1a(game.zip + "/" + rom.name);
    std::string bytes(rom.size, '\0');
    for (size_t i = 0; i < bytes.size(); i += 8) {
        uint64_t v = splitmix64(state);
        for (size_t k = 0; k < 8 && i + k < bytes.size(); ++k, v >>= 8)
            bytes[i + k] = static_cast<char>(v & 0xFF);
    }
    return bytes;
}

std::string listInfoText(const std::vector<DemoGame>& games) {
    std::string out;
    line(out, "# Kalto game list");
    for (const DemoGame& g : games) {
        line(out, "");
        line(out, "game (");
        line(out, "\tname " + g.zip);
        // The emulator prints titles verbatim, embedded quotes included.
        line(out, "\tdescription \"" + g.description + "\"");
        line(out, "\tmanufacturer \"" + g.manufacturer + "\"");
        line(out, "\tyear " + g.year);
        std::string archive = "\tarchive ( name " + archiveName(g, g.zip);
        if (g.isClone()) {
            line(out, "\tcloneof " + g.parent);
            line(out, "\tromof " + g.parent);
            archive += " name " + archiveName(g, g.parent);
        }
        line(out, archive + " )");
        for (const DemoRom& r : g.roms) {
            const std::string bytes = romBytes(g, r);
            line(out, "\trom ( name " + r.name + " size " + std::to_string(r.size) + " crc " +
                          hex8(crc32(bytes.data(), bytes.size())) + " )");
        }
        std::string video = "\tvideo ( screen raster x " + std::to_string(g.width) + " y " +
                            std::to_string(g.height);
        if (g.vertical)
            video += " orientation vertical";
        line(out, video + " )");
        line(out, "\tdriver ( status good )");
        line(out, ")");
    }
    return out;
}

std::string kaltoCfgText(const std::array<std::string, 4>& romDirs) {
    using Section = std::pair<const char*, std::vector<std::pair<std::string, std::string>>>;
    const std::vector<Section> sections = {
        {"Display",
         {{"screen_type", "VGA"},
          {"screen_x", "320"},
          {"screen_y", "240"},
          {"ScanLines", "0"},
          {"vsync", "0"},
          {"triple_buffer", "1"},
          {"eagle_fx", "0"},
          {"pixel_double", "0"},
          {"fast_set_pal", "1"}}},
        {"Sound",
         {{"SoundCard", "0"},
          {"SampleRate", "22050"},
          {"Ym3812Emulation", "0"},
          {"DariusStereo", "0"}}},
        {"General",
         {{"UseLEDS", "1"},
          {"LimitSpeed", "1"},
          {"frame_skip", "0"},
          {"ShowFPS", "0"},
          {"UseRdtsc", "1"},
          {"Wibble", "0"}}},
        {"Directories",
         {{"rom_dir_0", romDirs[0]},
          {"rom_dir_1", romDirs[1]},
          {"rom_dir_2", romDirs[2]},
          {"rom_dir_3", romDirs[3]},
          {"ScreenShots", "screens/"}}},
    };

    std::string out;
    line(out, "; Kalto configuration file");
    bool first = true;
    for (const auto& [name, keys] : sections) {
        if (!first)
            line(out, "");
        first = false;
        line(out, std::string("[") + name + "]");
        for (const auto& [key, value] : keys)
            line(out, key + " = " + value);
    }
    return out;
}

std::string defaultKaltoCfg() {
    return kaltoCfgText({"roms/", "", "", ""});
}

} // namespace sk
