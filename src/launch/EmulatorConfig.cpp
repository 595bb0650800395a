#include "EmulatorConfig.h"

#include "shell/IniDocument.h"
#include "shell/Platform.h"

QString trimmedValue(const QString& value) {
    qsizetype begin = 0;
    qsizetype end = value.size();
    while (begin < end && value[begin].unicode() <= 32)
        ++begin;
    while (end > begin && value[end - 1].unicode() <= 32)
        --end;
    return value.mid(begin, end - begin);
}

RomDirs ReadRomDirs(const QString& emuCfgFile) {
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
    return dirs;
}
