#include "EmulatorConfig.h"

#include "GameSettings.h"
#include "core/IniDocument.h"
#include "core/Platform.h"
#include "core/Text.h"

#include <array>

using namespace Qt::StringLiterals;

namespace {

void writeRomDirs(IniDocument& cfg, const RomDirs& dirs) {
    for (int i = 0; i < 4; ++i)
        cfg.writeString(u"Directories", QStringLiteral("rom_dir_%1 ").arg(i), dirs[size_t(i)]);
}

} // namespace

RomDirs ReadRomDirs(const QString& emuCfgFile, bool* wibble) {
    const IniDocument cfg(emuCfgFile);
    static const char* const olderKeys[] = {"Ziproms ", "Ziproms1 ", "Ziproms2 ", nullptr};
    RomDirs dirs;
    for (int i = 0; i < 4; ++i) {
        const QString older =
            olderKeys[i] ? cfg.readString(u"Directories", QString::fromLatin1(olderKeys[i]), {})
                         : QString();
        const QString key = QStringLiteral("rom_dir_%1 ").arg(i);
        dirs[size_t(i)] =
            platform::toNativeSeparators(trimmedValue(cfg.readString(u"Directories", key, older)));
    }
    if (wibble)
        *wibble = cfg.readBool(u"General", u"Wibble ", false);
    return dirs;
}

void WriteRomDirs(const QString& emuCfgFile, const RomDirs& dirs) {
    IniDocument cfg(emuCfgFile);
    writeRomDirs(cfg, dirs);
    cfg.save();
}

QString displayCode(int screenMode) {
    static constexpr std::array<const char*, 9> codes = {"0",    "VGA",  "MODX", "VBE1", "VB2B",
                                                         "VB2L", "VBE3", "VBAF", "XTND"};
    // A hand-edited mode the emulator does not know falls back to its own choice.
    if (screenMode < 0 || screenMode >= int(codes.size()))
        screenMode = 0;
    return QString::fromLatin1(codes[size_t(screenMode)]);
}

std::pair<QString, QString> splitResolution(const QString& resolution) {
    const qsizetype x = resolution.indexOf(u'x');
    if (x < 0)
        return {QString(), resolution};
    return {resolution.left(x), resolution.mid(x + 1)};
}

void WriteEmulatorConfig(const QString& emuCfgFile, const TGameSettingsObject& s,
                         const RomDirs& dirs) {
    IniDocument cfg(emuCfgFile);
    const auto [width, height] = splitResolution(s.Resolution);
    cfg.writeString(u"Display", u"screen_type ", displayCode(s.ScreenMode));
    cfg.writeString(u"Display", u"screen_x ", width);
    cfg.writeString(u"Display", u"screen_y ", height);
    cfg.writeInteger(u"Display", u"ScanLines ", s.Scanlines);
    cfg.writeBool(u"Display", u"vsync ", s.Vsync);
    cfg.writeBool(u"Display", u"triple_buffer ", s.TripleBuffer);
    cfg.writeBool(u"Display", u"eagle_fx ", s.Eagle);
    cfg.writeBool(u"Display", u"pixel_double ", s.PixelDouble);
    cfg.writeBool(u"Display", u"fast_set_pal ", s.FastSetPal);
    cfg.writeInteger(u"Sound", u"SoundCard ", s.SoundCard);
    cfg.writeString(u"Sound", u"SampleRate ", s.SamplingRate.text());
    cfg.writeInteger(u"Sound", u"Ym3812Emulation ", s.Ym3812);
    cfg.writeBool(u"Sound", u"DariusStereo ", s.DariusStereo);
    cfg.writeBool(u"General", u"UseLEDS ", s.UseLeds);
    cfg.writeBool(u"General", u"LimitSpeed ", s.LimitSpeed);
    cfg.writeInteger(u"General", u"frame_skip ", s.Frame_Skip);
    cfg.writeInteger(u"General", u"ShowFPS ", s.ShowFPS);
    cfg.writeBool(u"General", u"UseRdtsc ", s.UseRdtsc);
    writeRomDirs(cfg, dirs);
    cfg.save();
}

QString SetScreenShotDir(const QString& emuCfgFile, const QString& dir) {
    IniDocument cfg(emuCfgFile);
    const QString previous = cfg.readString(u"Directories", u"ScreenShots ", QString());
    cfg.writeString(u"Directories", u"ScreenShots ", dir);
    cfg.save();
    return previous;
}

std::pair<QString, QString> ReadScreenSize(const QString& emuCfgFile) {
    const IniDocument cfg(emuCfgFile);
    return {trimmedValue(cfg.readString(u"Display", u"screen_x ", QString())),
            trimmedValue(cfg.readString(u"Display", u"screen_y ", QString()))};
}

QString resolutionChangeMessage(const QString& requested, const QString& usedWidth,
                                const QString& usedHeight) {
    const auto [width, height] = splitResolution(requested);
    if (width == usedWidth && height == usedHeight)
        return {};
    return QStringLiteral("KALTO had trouble changing resolution to: ") + requested +
           QStringLiteral("\rand reverted to back to resolution: ") + usedWidth + u'x' + usedHeight;
}

void WriteMameDefaultKeys(const QString& emuCfgFile) {
    struct Key {
        const char* name;
        std::array<int, 4> players; // one value for a key of its own, four for a player key
    };
    static constexpr Key common[] = {{"Coin_A", {4}}, {"Coin_B", {5}}, {"Coin_C", {6}},
                                     {"Coin_D", {7}}, {"Tilt", {20}},  {"Service", {21}},
                                     {"Test", {22}}};
    static constexpr Key perPlayer[] = {
        {"Start", {2, 3, 8, 9}},       {"Up", {72, 19, 23, 0}},
        {"Down", {80, 33, 37, 0}},     {"Left", {75, 32, 36, 0}},
        {"Right", {77, 34, 38, 0}},    {"Button_1", {29, 30, 120, 0}},
        {"Button_2", {56, 31, 54, 0}}, {"Button_3", {57, 16, 28, 0}},
        {"Button_4", {42, 17, 0, 0}},  {"Button_5", {44, 0, 0, 0}},
        {"Button_6", {45, 0, 0, 0}},   {"Button_7", {46, 0, 0, 0}},
        {"Button_8", {47, 0, 0, 0}}};
    IniDocument cfg(emuCfgFile);
    for (const Key& key : common)
        cfg.writeInteger(u"DefGameKeyConfig",
                         QStringLiteral("Def_%1 ").arg(QLatin1StringView(key.name)),
                         key.players[0]);
    for (int player = 1; player <= 4; ++player) {
        for (const Key& key : perPlayer)
            cfg.writeInteger(
                u"DefGameKeyConfig",
                QStringLiteral("Def_P%1_%2 ").arg(player).arg(QLatin1StringView(key.name)),
                key.players[size_t(player - 1)]);
    }
    cfg.save();
}

namespace {

// A hand-edited file may hold a section twice; a copy left behind would take over.
void eraseEveryCopy(IniDocument& cfg, const QString& section) {
    const qsizetype sections = cfg.sectionNames().size();
    for (qsizetype i = 0; i < sections && cfg.sectionNames().contains(section, Qt::CaseInsensitive);
         ++i)
        cfg.eraseSection(section);
}

} // namespace

void RemoveDefaultKeys(const QString& emuCfgFile) {
    IniDocument cfg(emuCfgFile);
    eraseEveryCopy(cfg, u"DefGameKeyConfig"_s);
    cfg.save();
}

void WriteSecretGames(const QString& emuCfgFile, bool on) {
    IniDocument cfg(emuCfgFile);
    if (on) {
        cfg.writeInteger(u"Romlist", u"gun_lock ", 31745);
        cfg.writeInteger(u"Romlist", u"grid_seeker ", 58203);
    } else {
        eraseEveryCopy(cfg, u"Romlist"_s);
    }
    cfg.save();
}

void WriteWibble(const QString& emuCfgFile, bool on) {
    IniDocument cfg(emuCfgFile);
    cfg.writeBool(u"General", u"Wibble ", on);
    cfg.save();
}
