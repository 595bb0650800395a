#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class RomsetFinder;

// One game the emulator supports, keyed by its zip name.
class TGameObject final {
public:
    QString ZipName = QStringLiteral("Default");
    QString Description = QStringLiteral("Unknown");
    QStringList Archives; // names the romset may have on disk; the first is the long one
    QString Manufacturer = QStringLiteral("Unknown");
    QString Year = QStringLiteral("Unknown");
    QString ScreenWidth = QStringLiteral("?");
    QString ScreenHeight = QStringLiteral("?");
    qint32 CurScrShot = 0;
    bool Installed = false;
    bool BadRomcheck = false;
    bool HasCheats = false;
};

std::unique_ptr<TGameObject> CreateDefaultGame();

// Every supported game, in the order of the emulator's list. Duplicate zip names are
// kept; lookups find the first in list order, by a lower-cased index.
class TGameObjectList final {
public:
    TGameObjectList() = default;
    TGameObjectList(const TGameObjectList&) = delete;
    TGameObjectList& operator=(const TGameObjectList&) = delete;

    void AddGame(std::unique_ptr<TGameObject> game);
    TGameObject* FindGame(QStringView zipName) const;
    void FreeAll();

    // The installed check of every game, then its cheat flag from the emulator's cheat
    // file (a section "<zip>:Cheats" holding at least one line).
    void UpdateFlags(RomsetFinder& romsets, bool mergedRomsetsSupport, const QString& cheatsFile);

    qsizetype count() const { return qsizetype(m_games.size()); }
    bool isEmpty() const { return m_games.empty(); }
    TGameObject* at(qsizetype index) const {
        Q_ASSERT(index >= 0 && index < count());
        return m_games[size_t(index)].get();
    }
    void reserve(qsizetype n) {
        m_games.reserve(size_t(n));
        m_byLowerName.reserve(n);
    }

    auto begin() const { return m_games.begin(); }
    auto end() const { return m_games.end(); }

private:
    std::vector<std::unique_ptr<TGameObject>> m_games;
    QHash<QString, TGameObject*> m_byLowerName;
};
