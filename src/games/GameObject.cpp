#include "GameObject.h"

#include "RomsetFinder.h"
#include "shell/FileError.h"
#include "shell/IniDocument.h"

#include <QSet>

std::unique_ptr<TGameObject> CreateDefaultGame() {
    return std::make_unique<TGameObject>();
}

void TGameObjectList::AddGame(std::unique_ptr<TGameObject> game) {
    const QString key = game->ZipName.toLower();
    if (!m_byLowerName.contains(key))
        m_byLowerName.insert(key, game.get());
    m_games.push_back(std::move(game));
}

TGameObject* TGameObjectList::FindGame(QStringView zipName) const {
    return m_byLowerName.value(zipName.toString().toLower(), nullptr);
}

void TGameObjectList::FreeAll() {
    m_byLowerName.clear();
    m_games.clear();
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
    // The cheat sections are few: collect their names once, instead of a lookup of a
    // made-up section name per game.
    QSet<QString> withCheats;
    const QLatin1StringView suffix(":cheats");
    for (const QString& name : cheats.sectionNames()) {
        const QString key = name.toCaseFolded();
        if (key.endsWith(suffix) && cheats.sectionExists(name))
            withCheats.insert(key.chopped(suffix.size()));
    }
    for (const auto& game : m_games) {
        CheckInstalled(*game, romsets, mergedRomsetsSupport);
        // toCaseFolded() shares the text when it is folded already: no copy per game.
        game->HasCheats =
            !withCheats.isEmpty() && withCheats.contains(game->ZipName.toCaseFolded());
    }
}
