#include "GameSettings.h"

#include "core/AtomicFile.h"
#include "core/FileError.h"
#include "core/IniDocument.h"
#include "core/Platform.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <type_traits>
#include <vector>

namespace {

// Reads the fields of one section; a value that is no number keeps the default.
struct SectionReader {
    const IniDocument& ini;
    QString section;

    void operator()(QStringView key, int& field) const {
        field = ini.readInteger(section, key, field);
    }
    void operator()(QStringView key, bool& field) const {
        field = ini.readBool(section, key, field);
    }
    template <qsizetype N> void operator()(QStringView key, ShortText<N>& field) const {
        field = ini.readString(section, key, field);
    }
};

} // namespace

QString settingsFile(const QString& iniFilesDir, const QString& name) {
    return iniFilesDir + name + QStringLiteral(".ini");
}

void LoadSettings(TGameSettingsObject& settings, const QString& iniFilesDir, const QString& name) {
    settings = TGameSettingsObject();
    const IniDocument ini(settingsFile(iniFilesDir, name));
    forEachSetting(settings, SectionReader{ini, name});
}

void SaveSettings(const TGameSettingsObject& settings, const QString& iniFilesDir,
                  const QString& name) {
    IniDocument ini = IniDocument::emptyFor(settingsFile(iniFilesDir, name));
    forEachSetting(settings, [&](QStringView key, const auto& field) {
        using Field = std::decay_t<decltype(field)>;
        if constexpr (std::is_same_v<Field, bool>)
            ini.writeBool(name, key, field);
        else if constexpr (std::is_same_v<Field, int>)
            ini.writeInteger(name, key, field);
        else
            ini.writeString(name, key, field.text());
    });
    ini.save();
}

bool UsesDefaultSettings(const QString& iniFilesDir, const QString& zipName) {
    return !QFileInfo::exists(settingsFile(iniFilesDir, zipName));
}

void DropOwnSettings(const QString& iniFilesDir, const QString& zipName, bool drop) {
    if (drop)
        QFile::remove(settingsFile(iniFilesDir, zipName));
}

QString effectiveSettingsName(const QString& iniFilesDir, const QString& zipName) {
    return UsesDefaultSettings(iniFilesDir, zipName) ? defaultSettingsName() : zipName;
}

TGameSettingsObject loadEffectiveSettings(const QString& iniFilesDir, const QString& zipName) {
    TGameSettingsObject settings;
    LoadSettings(settings, iniFilesDir, effectiveSettingsName(iniFilesDir, zipName));
    return settings;
}

void ImportOldGameSettings(const QString& frontEndIniFile, const QString& iniFilesDir) {
    // Asked at every start until the defaults file exists: of a settings file of the
    // present layout (often large) only the head is read, whose own section counts no
    // old game sections; only an old file is scanned for its first one.
    if (IniDocument::sectionOf(frontEndIniFile, u"StartKALTO")
                .readInteger(u"StartKALTO", u"NumOfGames", 0) <= 0 ||
        !IniDocument::sectionOf(frontEndIniFile, u"Game0").sectionExists(u"Game0"))
        return;
    const IniDocument old(frontEndIniFile);
    const int count = old.readInteger(u"StartKALTO", u"NumOfGames", 0);
    // Only the sections that are there can give a file (a missing one reads as a game
    // on the defaults): a hand-edited count of two thousand million costs nothing.
    std::vector<int> numbers;
    for (const QString& name : old.sectionNames()) {
        if (!name.startsWith(u"Game", Qt::CaseInsensitive))
            continue;
        const QStringView digits = QStringView(name).sliced(4);
        const bool isNumber = !digits.isEmpty() && digits.size() <= 10 &&
                              (digits.size() == 1 || digits.front() != u'0') &&
                              std::all_of(digits.begin(), digits.end(),
                                          [](QChar c) { return c >= u'0' && c <= u'9'; });
        const qint64 number = isNumber ? digits.toLongLong() : -1;
        if (number >= 0 && number < count)
            numbers.push_back(int(number));
    }
    std::sort(numbers.begin(), numbers.end());
    for (const int i : numbers) {
        const QString section = QStringLiteral("Game%1").arg(i);
        const QString zipName = old.readString(section, u"ZipName", QStringLiteral("error"));
        if (old.readBool(section, u"UseDefSettings", true) && i != 0)
            continue;
        // The name becomes a file name: one that would reach outside IniFiles is left out.
        if (!platform::isSafeFileName(zipName))
            continue;
        TGameSettingsObject settings;
        forEachSetting(settings, SectionReader{old, section});
        // Older files kept a third state for Vsync, 2, which meant off.
        const int vsync = old.readInteger(section, u"Vsync", 0);
        settings.Vsync = vsync != 2 && vsync != 0;
        SaveSettings(settings, iniFilesDir, zipName);
    }
}
