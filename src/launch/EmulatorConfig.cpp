#include "EmulatorConfig.h"

#include "core/IniDocument.h"
#include "core/Platform.h"
#include "core/Text.h"

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
    // The emulator's own file: every other line stays, this saves it whole or not at all.
    IniDocument cfg(emuCfgFile);
    for (int i = 0; i < 4; ++i)
        cfg.writeString(u"Directories", QStringLiteral("rom_dir_%1 ").arg(i), dirs[size_t(i)]);
    cfg.save();
}
