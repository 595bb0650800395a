#pragma once

#include "core/AtomicFile.h"
#include "core/NameIndex.h"

#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>
#include <vector>

class IniDocument;
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
    bool GoodRomcheck = false; // the last romcheck that named the game found its set good
    bool HasCheats = false;
    // Kept in the game's section of the front-end settings file.
    bool Favourite = false;
    qint32 PlayCount = 0;  // launches that ran
    qint64 LastPlayed = 0; // when the last run ended, seconds since the epoch; 0: never
    qint64 PlayTime = 0;   // whole seconds the emulator ran, summed over the runs
    // Title, zip name, maker and year are all plain ASCII, which a search reads without
    // folding them first. Known from the import; false says only that it is not known.
    bool PlainTexts = false;
};

std::unique_ptr<TGameObject> CreateDefaultGame();

// Every supported game, in the order of the emulator's list. Duplicate zip names are
// kept; lookups find the first in list order, without regard to case.
//
// The records live in blocks of a thousand: forty thousand games cost forty
// allocations, not forty thousand, to make and to free.
class TGameObjectList final {
public:
    TGameObjectList() = default;
    TGameObjectList(const TGameObjectList&) = delete;
    TGameObjectList& operator=(const TGameObjectList&) = delete;

    void AddGame(std::unique_ptr<TGameObject> game) { AddGame(std::move(*game)); }
    // Moves the record into the list; returns where it now lives.
    TGameObject* AddGame(TGameObject&& game);
    TGameObject* FindGame(QStringView zipName) const;
    // A clone's parent: the listed game named by the first of its later archive names
    // (the sets it shares) that names one, by zip name or by its own first archive name.
    TGameObject* FindParent(const TGameObject& game) const;
    void FreeAll();
    // Moves the games of `later` after those of this list, as if they were added one by
    // one, and leaves `later` empty.
    void AppendGames(TGameObjectList&& later);
    // Empties the list without freeing its records, for a process about to end: the
    // system takes their memory back at once, where forty thousand records freed one
    // by one keep the end waiting. They stay reachable, so that leak checkers do not
    // take them for lost; pointers to them stay valid.
    void AbandonAtExit();

    // The installed check of every game, then its cheat flag from the emulator's cheat
    // file (a section "<zip>:Cheats" holding at least one line).
    void UpdateFlags(RomsetFinder& romsets, bool mergedRomsetsSupport, const QString& cheatsFile);

    // Each game's own section of the front-end settings file, named by its zip name:
    // "BadRomcheck", "CurScrShot" and "GoodRomcheck" (a game that no romcheck named is
    // neither bad nor good), and the favourite mark and play history ("Favourite",
    // "PlayCount", "LastPlayed", "PlayTime"); each missing reads as 0. The sections of
    // games that the list does not hold are kept as they are.
    void ReadSettingsSections(const IniDocument& settings);
    // The bytes of the settings file: the document, then every game's section in list
    // order, written as writeString would write them into it, then the kept sections
    // of games not in the list, unchanged. "GoodRomcheck", the favourite mark and the
    // play history are written only when there is one, so that the file stays small.
    QByteArray WithSettingsSections(IniDocument& settings) const;
    // The same bytes handed to write() a piece at a time.
    void WriteSettingsSections(IniDocument& settings, const ByteSink& write) const;

    qsizetype count() const { return qsizetype(m_order.size()); }
    bool isEmpty() const { return m_order.empty(); }
    TGameObject* at(qsizetype index) const {
        Q_ASSERT(index >= 0 && index < count());
        return m_order[size_t(index)];
    }
    void reserve(qsizetype n);

    // The records in list order, as pointers.
    auto begin() const { return m_order.begin(); }
    auto end() const { return m_order.end(); }

private:
    static constexpr qsizetype kBlock = 512;

    // A game's section of the settings file whose game is not listed now (secret games
    // switched off, say): its values as the file holds them, for when it is listed again.
    struct UnlistedSection {
        QString name;
        std::array<std::optional<QString>, 7> values; // by key, in the order they are written
    };
    bool isUnlistedSection(QStringView name) const;
    void writeUnlistedSections(IniDocument& settings) const;

    std::vector<std::unique_ptr<TGameObject[]>> m_blocks;
    qsizetype m_usedInLastBlock = kBlock;
    std::vector<TGameObject*> m_order;
    std::vector<QString> m_keys; // the zip names the index points into
    NameIndex m_byName{Qt::CaseInsensitive};
    bool m_namesPlainAndDistinct = true; // no two alike without case, each a safe file name
    std::vector<UnlistedSection> m_unlistedSections;
};
