#include "EmulatorConfig.h"

#include "EmulatorConfigFile.h"
#include "GameSettings.h"
#include "core/Platform.h"
#include "core/Text.h"

#include <algorithm>
#include <array>

namespace {

void writeRomDirs(EmulatorConfigFile& cfg, const RomDirs& dirs) {
    for (int i = 0; i < 4; ++i)
        cfg.writePath(u"Directories", QStringLiteral("rom_dir_%1 ").arg(i), dirs[size_t(i)]);
}

} // namespace

RomDirs ReadRomDirs(const QString& emuCfgFile, bool* wibble) {
    const EmulatorConfigFile cfg(emuCfgFile);
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
    EmulatorConfigFile cfg(emuCfgFile);
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
    EmulatorConfigFile cfg(emuCfgFile);
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

QByteArray ReadScreenShotDirValue(const QString& emuCfgFile) {
    return EmulatorConfigFile(emuCfgFile)
        .rawValue(u"Directories", u"ScreenShots ")
        .value_or(QByteArray());
}

QString ReadScreenShotDir(const QString& emuCfgFile) {
    return trimmedValue(EmulatorConfigFile::decodeValue(ReadScreenShotDirValue(emuCfgFile)));
}

void SetScreenShotDir(const QString& emuCfgFile, const QString& dir) {
    EmulatorConfigFile cfg(emuCfgFile);
    cfg.writePath(u"Directories", u"ScreenShots ", dir);
    cfg.save();
}

void RestoreScreenShotDir(const QString& emuCfgFile, const QByteArray& value) {
    EmulatorConfigFile cfg(emuCfgFile);
    cfg.writeRaw(u"Directories", u"ScreenShots ", value);
    cfg.save();
}

std::pair<QString, QString> ReadScreenSize(const QString& emuCfgFile) {
    const EmulatorConfigFile cfg(emuCfgFile);
    return {trimmedValue(cfg.readString(u"Display", u"screen_x ", QString())),
            trimmedValue(cfg.readString(u"Display", u"screen_y ", QString()))};
}

QString resolutionChangeMessage(const QString& requested, const QString& usedWidth,
                                const QString& usedHeight) {
    const auto [width, height] = splitResolution(requested);
    // "0640" asks for the same width as "640": the sizes are compared as numbers where
    // both are numbers.
    const auto number = [](const QString& text) {
        const bool digits =
            !text.isEmpty() && text.size() <= 9 &&
            std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        return digits ? text.toInt() : -1;
    };
    const auto same = [&](const QString& asked, const QString& used) {
        const int a = number(asked);
        return a >= 0 ? a == number(used) : asked == used;
    };
    if (same(width, usedWidth) && same(height, usedHeight))
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
    EmulatorConfigFile cfg(emuCfgFile);
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

void RemoveDefaultKeys(const QString& emuCfgFile) {
    EmulatorConfigFile cfg(emuCfgFile);
    cfg.eraseSection(u"DefGameKeyConfig");
    cfg.save();
}

void WriteSecretGames(const QString& emuCfgFile, bool on) {
    EmulatorConfigFile cfg(emuCfgFile);
    if (on) {
        cfg.writeInteger(u"Romlist", u"gun_lock ", 31745);
        cfg.writeInteger(u"Romlist", u"grid_seeker ", 58203);
    } else {
        cfg.eraseSection(u"Romlist");
    }
    cfg.save();
}

void WriteWibble(const QString& emuCfgFile, bool on) {
    EmulatorConfigFile cfg(emuCfgFile);
    cfg.writeBool(u"General", u"Wibble ", on);
    cfg.save();
}
