#include "GameObject.h"

#include "RomsetFinder.h"
#include "core/FileError.h"
#include "core/IniDocument.h"
#include "core/NameIndex.h"
#include "core/Platform.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <vector>

namespace {

// The name folded for comparing without case; lower-case ASCII names, the rule, are
// used as they are.
QStringView caseFolded(const QString& name, QString& buffer) {
    const bool folded = std::all_of(name.cbegin(), name.cend(), [](QChar c) {
        return c.unicode() < 0x80 && !(c.unicode() >= 'A' && c.unicode() <= 'Z');
    });
    if (folded)
        return name;
    buffer = name.toCaseFolded();
    return buffer;
}

constexpr QStringView kBadRomcheckKey = u"BadRomcheck";
constexpr QStringView kCurScrShotKey = u"CurScrShot";

} // namespace

std::unique_ptr<TGameObject> CreateDefaultGame() {
    return std::make_unique<TGameObject>();
}

TGameObject* TGameObjectList::AddGame(TGameObject&& game) {
    if (m_usedInLastBlock == kBlock) {
        m_blocks.push_back(std::make_unique<TGameObject[]>(size_t(kBlock)));
        m_usedInLastBlock = 0;
    }
    TGameObject* stored = &m_blocks.back()[size_t(m_usedInLastBlock++)];
    *stored = std::move(game);
    // The index points into a copy of the name that nobody changes (the record's own
    // might be given another value).
    m_keys.push_back(stored->ZipName);
    const bool first = m_byName.insert(m_keys.back(), qint32(m_order.size()));
    m_namesPlainAndDistinct =
        m_namesPlainAndDistinct && first && platform::isSafeFileName(stored->ZipName);
    m_order.push_back(stored);
    return stored;
}

void TGameObjectList::reserve(qsizetype n) {
    m_order.reserve(size_t(n));
    m_keys.reserve(size_t(n));
    m_byName.reserve(n);
}

TGameObject* TGameObjectList::FindGame(QStringView zipName) const {
    const qint32 index = m_byName.value(zipName);
    return index == NameIndex::kMissing ? nullptr : m_order[size_t(index)];
}

void TGameObjectList::FreeAll() {
    m_byName.clear();
    m_keys.clear();
    m_order.clear();
    m_blocks.clear();
    m_usedInLastBlock = kBlock;
    m_namesPlainAndDistinct = true;
    m_unlistedSections.clear();
}

void TGameObjectList::ReadSettingsSections(const IniDocument& settings, bool badByDefault) {
    for (TGameObject* game : m_order) {
        // Found once, read key by key.
        const IniDocument::SectionReader section = settings.section(game->ZipName);
        game->BadRomcheck = section.readBool(kBadRomcheckKey, badByDefault);
        game->CurScrShot = std::max(0, section.readInteger(kCurScrShotKey, 0));
    }
    // A game's section is one that holds its keys; the front-end's own sections and
    // those of older versions hold neither.
    m_unlistedSections.clear();
    const auto value = [&](const QString& section, QStringView key) -> std::optional<QString> {
        if (!settings.keyExists(section, key))
            return std::nullopt;
        return settings.readString(section, key, QString());
    };
    // The file holds the games' sections in list order: each is matched against the
    // next game first, and only a section out of that order is looked up.
    size_t next = 0;
    settings.forEachSectionName([&](QStringView name) {
        if (next < m_order.size() && NameIndex::equalIgnoringCase(m_order[next]->ZipName, name)) {
            ++next;
            return;
        }
        if (const qint32 index = m_byName.value(name); index != NameIndex::kMissing) {
            next = size_t(index) + 1;
            return;
        }
        const QString section = name.toString();
        UnlistedSection unlisted{section, value(section, kBadRomcheckKey),
                                 value(section, kCurScrShotKey)};
        if (unlisted.badRomcheck || unlisted.curScrShot)
            m_unlistedSections.push_back(std::move(unlisted));
    });
}

bool TGameObjectList::isUnlistedSection(QStringView name) const {
    return std::any_of(m_unlistedSections.begin(), m_unlistedSections.end(),
                       [&](const UnlistedSection& section) {
                           return name.compare(section.name, Qt::CaseInsensitive) == 0;
                       });
}

void TGameObjectList::writeUnlistedSections(IniDocument& settings) const {
    for (const UnlistedSection& section : m_unlistedSections) {
        if (section.badRomcheck)
            settings.writeString(section.name, kBadRomcheckKey, *section.badRomcheck);
        if (section.curScrShot)
            settings.writeString(section.name, kCurScrShotKey, *section.curScrShot);
    }
}

QByteArray TGameObjectList::WithSettingsSections(IniDocument& settings) const {
    // Forty thousand sections written key by key cost far more than the file itself.
    // When no two games share a section and none shares one of the document's, the
    // sections go straight into the text, exactly as the document would write them.
    bool direct = m_namesPlainAndDistinct && !settings.isLatin1();
    for (const QString& name : settings.sectionNames())
        direct = direct && !FindGame(name) && !isUnlistedSection(name);
    if (!direct) {
        for (TGameObject* game : m_order) {
            settings.writeBool(game->ZipName, kBadRomcheckKey, game->BadRomcheck);
            settings.writeInteger(game->ZipName, kCurScrShotKey, game->CurScrShot);
        }
        writeUnlistedSections(settings);
        return settings.serialize();
    }
    const QByteArray head = settings.serialize();
    static constexpr QByteArrayView kBad = "]\r\nBadRomcheck=";
    static constexpr QByteArrayView kShot = "\r\nCurScrShot=";
    static constexpr QByteArrayView kEnd = "\r\n\r\n";
    // Room for the longest each section can be (a UTF-16 unit is at most three bytes of
    // UTF-8), then the bytes in place and the size cut to what was written.
    qsizetype room = head.size();
    for (const TGameObject* game : m_order)
        room += 1 + 3 * game->ZipName.size() + kBad.size() + 1 + kShot.size() + 11 + kEnd.size();
    QByteArray text(room, Qt::Uninitialized);
    char* out = text.data();
    const auto put = [&out](QByteArrayView bytes) {
        std::memcpy(out, bytes.data(), size_t(bytes.size()));
        out += bytes.size();
    };
    put(head);
    for (const TGameObject* game : m_order) {
        *out++ = '[';
        const QString& name = game->ZipName;
        const QChar* chars = name.constData();
        qsizetype i = 0;
        while (i < name.size() && chars[i].unicode() < 0x80)
            *out++ = char(chars[i++].unicode());
        if (i < name.size())
            put(QStringView(name).sliced(i).toUtf8());
        put(kBad);
        *out++ = game->BadRomcheck ? '1' : '0';
        put(kShot);
        out = std::to_chars(out, out + 11, game->CurScrShot).ptr;
        put(kEnd);
    }
    text.truncate(out - text.constData());
    if (!m_unlistedSections.empty()) {
        IniDocument unlisted;
        writeUnlistedSections(unlisted);
        text += unlisted.serialize();
    }
    return text;
}

void TGameObjectList::UpdateFlags(RomsetFinder& romsets, bool mergedRomsetsSupport,
                                  const QString& cheatsFile) {
    IniDocument cheats;
    try {
        cheats = IniDocument(cheatsFile);
    } catch (const FileError&) {
        // An unreadable cheat file counts as none, like a missing one.
    }
    romsets.rescan();
    // The cheat sections are few: their game names, folded, go into one index, and
    // each game asks it once instead of looking up a made-up section name.
    const QLatin1StringView suffix(":cheats");
    std::vector<QString> cheatNames;
    for (const QString& name : cheats.sectionNames()) {
        QString key = name.toCaseFolded();
        if (key.endsWith(suffix) && cheats.sectionExists(name)) {
            key.chop(suffix.size());
            cheatNames.push_back(std::move(key));
        }
    }
    NameIndex withCheats;
    withCheats.reserve(qsizetype(cheatNames.size()));
    for (const QString& name : cheatNames)
        withCheats.insert(name, 0);
    QString folded;
    for (TGameObject* game : m_order) {
        CheckInstalled(*game, romsets, mergedRomsetsSupport);
        game->HasCheats =
            withCheats.size() > 0 &&
            withCheats.value(caseFolded(game->ZipName, folded)) != NameIndex::kMissing;
    }
}
