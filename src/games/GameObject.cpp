#include "GameObject.h"

#include "RomsetFinder.h"
#include "core/FileError.h"
#include "core/IniDocument.h"
#include "core/NameIndex.h"
#include "core/Platform.h"

#include <algorithm>
#include <cstdio>
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
}

void TGameObjectList::ReadSettingsSections(const IniDocument& settings, bool badByDefault) {
    for (TGameObject* game : m_order) {
        game->BadRomcheck = settings.readBool(game->ZipName, u"BadRomcheck", badByDefault);
        game->CurScrShot = settings.readInteger(game->ZipName, u"CurScrShot", 0);
    }
}

QByteArray TGameObjectList::WithSettingsSections(IniDocument& settings) const {
    // Forty thousand sections written key by key cost far more than the file itself.
    // When no two games share a section and none shares one of the document's, the
    // sections go straight into the text, exactly as the document would write them.
    bool direct = m_namesPlainAndDistinct && !settings.isLatin1();
    for (const QString& name : settings.sectionNames())
        direct = direct && !FindGame(name);
    if (!direct) {
        for (TGameObject* game : m_order) {
            settings.writeBool(game->ZipName, u"BadRomcheck", game->BadRomcheck);
            settings.writeInteger(game->ZipName, u"CurScrShot", game->CurScrShot);
        }
        return settings.serialize();
    }
    QByteArray text = settings.serialize();
    text.reserve(text.size() + count() * 48);
    char number[16];
    for (const TGameObject* game : m_order) {
        text += '[';
        const QString& name = game->ZipName;
        if (std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() < 0x80; }))
            for (const QChar c : name)
                text += char(c.unicode());
        else
            text += name.toUtf8();
        text += "]\r\nBadRomcheck=";
        text += game->BadRomcheck ? '1' : '0';
        text += "\r\nCurScrShot=";
        text.append(number, std::snprintf(number, sizeof number, "%d", int(game->CurScrShot)));
        text += "\r\n\r\n";
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
