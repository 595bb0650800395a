#include "GameObject.h"

#include "RomsetFinder.h"
#include "shell/FileError.h"
#include "shell/IniDocument.h"

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
    QString section;
    for (const auto& game : m_games) {
        CheckInstalled(*game, romsets, mergedRomsetsSupport);
        section = game->ZipName;
        section += QLatin1StringView(":Cheats");
        game->HasCheats = cheats.sectionExists(section);
    }
}
