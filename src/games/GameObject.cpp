#include "GameObject.h"

#include "PlayHistory.h"
#include "RomsetFinder.h"
#include "core/AtomicFile.h"
#include "core/FileError.h"
#include "core/IniDocument.h"
#include "core/NameIndex.h"
#include "core/Platform.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <iterator>
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

// The keys of a game's section, in the order they are written.
enum GameKey {
    BadRomcheckKey,
    CurScrShotKey,
    GoodRomcheckKey,
    FavouriteKey,
    PlayCountKey,
    LastPlayedKey,
    PlayTimeKey
};
constexpr std::array<QStringView, 7> kGameKeys = {u"BadRomcheck", u"CurScrShot", u"GoodRomcheck",
                                                  u"Favourite",   u"PlayCount",  u"LastPlayed",
                                                  u"PlayTime"};

// The values of one game's section, found in one walk over its lines: the first line
// of each key counts, as for a single read.
struct GameSectionValues {
    std::array<QStringView, kGameKeys.size()> text;
    unsigned found = 0;

    void take(QStringView key, QStringView value) {
        for (size_t k = 0; k < kGameKeys.size(); ++k) {
            if (key.size() == kGameKeys[k].size() &&
                NameIndex::equalIgnoringCase(key, kGameKeys[k])) {
                if (!has(GameKey(k))) {
                    text[k] = value;
                    found |= 1u << k;
                }
                return;
            }
        }
    }
    bool has(GameKey key) const { return found & (1u << key); }
    int integer(GameKey key, int defaultValue) const {
        int value = 0;
        return has(key) && IniDocument::parseInteger(text[key], &value) ? value : defaultValue;
    }
    qint64 count64(GameKey key) const {
        if (!has(key))
            return 0;
        int small = 0;
        if (IniDocument::parseInteger(text[key], &small))
            return std::max(0, small);
        bool ok = false;
        const qint64 value = text[key].trimmed().toLongLong(&ok);
        return ok ? std::max<qint64>(0, value) : 0;
    }
};

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

TGameObject* TGameObjectList::FindParent(const TGameObject& game) const {
    for (qsizetype i = 1; i < game.Archives.size(); ++i) {
        const QString& name = game.Archives[i];
        if (TGameObject* parent = FindGame(name); parent && parent != &game)
            return parent;
        for (TGameObject* other : m_order) {
            if (other != &game && !other->Archives.isEmpty() && other->Archives.first() == name)
                return other;
        }
    }
    return nullptr;
}

void TGameObjectList::AppendGames(TGameObjectList&& later) {
    // The later list's index knows the first of each of its names; those that are here
    // already stay this list's.
    const bool distinct = m_byName.insertAll(later.m_byName, qint32(m_order.size()));
    m_namesPlainAndDistinct = m_namesPlainAndDistinct && later.m_namesPlainAndDistinct && distinct;
    m_order.insert(m_order.end(), later.m_order.begin(), later.m_order.end());
    // The index points into the names' text, which a moved string keeps.
    m_keys.insert(m_keys.end(), std::make_move_iterator(later.m_keys.begin()),
                  std::make_move_iterator(later.m_keys.end()));
    if (!later.m_blocks.empty()) {
        m_blocks.insert(m_blocks.end(), std::make_move_iterator(later.m_blocks.begin()),
                        std::make_move_iterator(later.m_blocks.end()));
        m_usedInLastBlock = later.m_usedInLastBlock;
    }
    later.m_blocks.clear();
    later.m_keys.clear();
    later.FreeAll();
}

void TGameObjectList::AbandonAtExit() {
    struct Abandoned {
        std::vector<std::vector<std::unique_ptr<TGameObject[]>>> blocks;
        std::vector<std::vector<QString>> keys;
    };
    static Abandoned* const abandoned = new Abandoned; // never freed, on purpose
    // Whole arrays change hands: nothing is moved or freed one by one.
    abandoned->blocks.push_back(std::move(m_blocks));
    abandoned->keys.push_back(std::move(m_keys));
    m_blocks.clear();
    m_keys.clear();
    FreeAll();
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

void TGameObjectList::ReadSettingsSections(const IniDocument& settings) {
    for (TGameObject* game : m_order) {
        GameSectionValues values;
        settings.forEachKey(game->ZipName,
                            [&](QStringView key, QStringView value) { values.take(key, value); });
        game->BadRomcheck = values.integer(BadRomcheckKey, 0) != 0;
        game->CurScrShot = std::max(0, values.integer(CurScrShotKey, 0));
        game->GoodRomcheck = !game->BadRomcheck && values.integer(GoodRomcheckKey, 0) != 0;
        game->Favourite = values.integer(FavouriteKey, 0) != 0;
        game->PlayCount = std::max(0, values.integer(PlayCountKey, 0));
        game->LastPlayed =
            values.has(LastPlayedKey)
                ? std::max<qint64>(0, parsePlayedAt(values.text[LastPlayedKey]).value_or(0))
                : 0;
        game->PlayTime = values.count64(PlayTimeKey);
    }
    // A game's section is one that holds its keys; the front-end's own sections and
    // those of older versions hold neither its romcheck mark nor its picture number.
    m_unlistedSections.clear();
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
        GameSectionValues values;
        settings.forEachKey(name,
                            [&](QStringView key, QStringView value) { values.take(key, value); });
        // Every game's section is written with these two; a section of the front-end's
        // own that happens to hold another game key is none.
        if (!values.has(BadRomcheckKey) && !values.has(CurScrShotKey))
            return;
        UnlistedSection unlisted{name.toString(), {}};
        for (size_t k = 0; k < kGameKeys.size(); ++k) {
            if (values.has(GameKey(k)))
                unlisted.values[k] = values.text[k].toString();
        }
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
        for (size_t k = 0; k < kGameKeys.size(); ++k) {
            if (section.values[k])
                settings.writeString(section.name, kGameKeys[k], *section.values[k]);
        }
    }
}

QByteArray TGameObjectList::WithSettingsSections(IniDocument& settings) const {
    QByteArray text;
    WriteSettingsSections(settings, [&text](QByteArrayView bytes) { text += bytes; });
    return text;
}

void TGameObjectList::WriteSettingsSections(IniDocument& settings, const ByteSink& write) const {
    // Forty thousand sections written key by key cost far more than the file itself.
    // When no two games share a section and none shares one of the document's, the
    // sections go straight into the text, exactly as the document would write them.
    bool direct = m_namesPlainAndDistinct && !settings.isLatin1();
    for (const QString& name : settings.sectionNames())
        direct = direct && !FindGame(name) && !isUnlistedSection(name);
    if (!direct) {
        for (TGameObject* game : m_order) {
            settings.writeBool(game->ZipName, kGameKeys[BadRomcheckKey], game->BadRomcheck);
            settings.writeInteger(game->ZipName, kGameKeys[CurScrShotKey], game->CurScrShot);
            // A game sharing the section with a good one must not read back as good.
            if (game->GoodRomcheck || settings.keyExists(game->ZipName, kGameKeys[GoodRomcheckKey]))
                settings.writeBool(game->ZipName, kGameKeys[GoodRomcheckKey], game->GoodRomcheck);
            if (game->Favourite)
                settings.writeBool(game->ZipName, kGameKeys[FavouriteKey], true);
            if (game->PlayCount > 0)
                settings.writeInteger(game->ZipName, kGameKeys[PlayCountKey], game->PlayCount);
            if (const QString played = playedAtText(game->LastPlayed); !played.isEmpty())
                settings.writeString(game->ZipName, kGameKeys[LastPlayedKey], played);
            if (game->PlayTime > 0)
                settings.writeString(game->ZipName, kGameKeys[PlayTimeKey],
                                     QString::number(game->PlayTime));
        }
        writeUnlistedSections(settings);
        write(settings.serialize());
        return;
    }
    write(settings.serialize());
    static constexpr QByteArrayView kBad = "]\r\nBadRomcheck=";
    static constexpr QByteArrayView kShot = "\r\nCurScrShot=";
    static constexpr QByteArrayView kGood = "\r\nGoodRomcheck=1";
    static constexpr QByteArrayView kEnd = "\r\n\r\n";
    static constexpr QByteArrayView kFavourite = "\r\nFavourite=1";
    static constexpr QByteArrayView kCount = "\r\nPlayCount=";
    static constexpr QByteArrayView kLast = "\r\nLastPlayed=";
    static constexpr QByteArrayView kTime = "\r\nPlayTime=";
    const auto played = [](const TGameObject* game) {
        return game->Favourite || game->PlayCount > 0 || game->LastPlayed > 0 || game->PlayTime > 0;
    };
    // The longest a game's section can be: a UTF-16 unit is at most three bytes of UTF-8.
    const auto longest = [&](const TGameObject* game) {
        qsizetype most = 1 + 3 * game->ZipName.size() + kBad.size() + 1 + kShot.size() + 11 +
                         kGood.size() + kEnd.size();
        if (played(game))
            most += kFavourite.size() + kCount.size() + 11 + kLast.size() + kPlayedAtLength +
                    kTime.size() + 20;
        return most;
    };
    // The sections go out through one buffer a piece at a time: the text of forty
    // thousand of them is never held whole, nor its memory made afresh at every save.
    std::vector<char> buffer(64 * 1024);
    char* out = buffer.data();
    const auto flush = [&] {
        write(QByteArrayView(buffer.data(), out - buffer.data()));
        out = buffer.data();
    };
    const auto put = [&out](QByteArrayView bytes) {
        std::memcpy(out, bytes.data(), size_t(bytes.size()));
        out += bytes.size();
    };
    for (const TGameObject* game : m_order) {
        const qsizetype most = longest(game);
        if (out - buffer.data() + most > qsizetype(buffer.size())) {
            flush();
            if (most > qsizetype(buffer.size())) {
                buffer.resize(size_t(most));
                out = buffer.data();
            }
        }
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
        if (game->GoodRomcheck)
            put(kGood);
        if (played(game)) {
            if (game->Favourite)
                put(kFavourite);
            if (game->PlayCount > 0) {
                put(kCount);
                out = std::to_chars(out, out + 11, game->PlayCount).ptr;
            }
            char date[kPlayedAtLength];
            if (formatPlayedAt(game->LastPlayed, date)) {
                put(kLast);
                put(QByteArrayView(date, kPlayedAtLength));
            }
            if (game->PlayTime > 0) {
                put(kTime);
                out = std::to_chars(out, out + 20, game->PlayTime).ptr;
            }
        }
        put(kEnd);
    }
    flush();
    if (!m_unlistedSections.empty()) {
        IniDocument unlisted;
        writeUnlistedSections(unlisted);
        write(unlisted.serialize());
    }
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
