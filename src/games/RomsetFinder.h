#pragma once

#include "core/NameIndex.h"
#include "core/Platform.h"
#include "core/RomDirs.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <vector>

class TGameObject;

// Where a game's romset lies: a zip file, or an unpacked directory.
struct RomsetLocation {
    QString path;   // as the search formed it: directory text + name
    QString parent; // the listed directory the entry was found in ("" = working dir)
    QString leaf;   // the entry's name in that directory
    bool isDirectory = false;
    QString archive; // the game's archive name it was found under

    bool isValid() const { return !path.isEmpty(); }
    // Whether this is the game's own set rather than its parent's: found under its zip
    // name or its first archive name, as the installed check counts it.
    bool isOwnedBy(const TGameObject& game) const;
};

// Finds romsets across the working directory and the four rom directories.
//
// Per archive name, in order: the zip file by its bare name in the working directory,
// then in rom directories 0 to 3 (a separator added unless the directory ends in one);
// only then an unpacked directory: rom directory N directly followed by the name, with
// no separator added. The first hit wins, and later archive names are tried only when
// an earlier one has neither.
//
// Each directory is listed once per rescan() and every answer comes from memory, so
// checking forty thousand games costs a few directory listings, not a file-system
// call per candidate. Names compare as the file system does (exactly, here).
class RomsetFinder final {
public:
    void setRomDirs(const RomDirs& dirs);
    const RomDirs& romDirs() const { return m_romDirs; }

    // Forgets every listing; directories are listed again when next needed.
    void rescan();

    RomsetLocation locate(const TGameObject& game);
    // The romset's path, or empty when the game has none on disk.
    QString FindRomset(const TGameObject& game) { return locate(game).path; }
    // Whether the game's romset is on disk: locate() without forming its path.
    bool isOnDisk(const TGameObject& game);
    // Whether the romset found is the game's own: found under its zip name or its first
    // archive name. One found under a later archive name is a parent's.
    bool ownOnDisk(const TGameObject& game);

    // Keeps the listings true after the program renamed a romset file itself.
    void noteRenamed(const RomsetLocation& from, const QString& newLeaf);

private:
    using Kind = platform::EntryKind;

    // The entries of one directory, listed once: names in one block of text, found
    // through an index.
    struct Listing {
        QString text;
        std::vector<QStringView> leaves;
        std::vector<Kind> kinds; // per leaf; a renamed-away leaf is removed from the index
        NameIndex byLeaf;
    };
    // One place the search looks, in the search's order: entries named leafPrefix +
    // name (+ ".zip" for files) of the kind, in the listing of parent.
    struct Source {
        QString parent;
        QString leafPrefix;
        Kind kind;
    };

    Listing& listing(const QString& parent);
    // The search itself, over the listings: the source and entry of the first hit,
    // packed as the index holds them, or NameIndex::kMissing.
    qint32 search(QStringView archive);
    void buildIndex();
    // The packed hit of the first archive name that has one.
    qint32 find(const TGameObject& game, const QString** archive);
    // Asks the search again for every archive name the entry could stand for.
    void reindex(const QString& parent, QStringView leaf);

    static qint32 pack(qsizetype source, qsizetype entry) { return qint32(entry * 16 + source); }

    RomDirs m_romDirs;
    std::vector<Source> m_sources;
    QHash<QString, std::shared_ptr<Listing>> m_listings;
    NameIndex m_index; // archive name -> where the search finds it first
    bool m_indexed = false;
    std::vector<std::unique_ptr<QString>> m_renamedLeaves; // text of leaves made by renames
};

// Sets game.Installed from the disk. With merged romsets support a game counts as
// installed when a romcheck named its romset good, or when its own romset is on disk
// and no romcheck named it bad: a merged clone's files lie in its parent's set, where
// only a romcheck can tell that they are all there.
void CheckInstalled(TGameObject& game, RomsetFinder& romsets, bool mergedRomsetsSupport);

// The modification time of a romset file, or an invalid date for a directory or none.
QDateTime romsetFileDate(const RomsetLocation& location);
// The date as the list shows it: short date, then the time unless it is midnight.
QString romsetDateText(const QDateTime& date);

enum class RomsetNames { Long, Short };

// One romset zip to be given another name in the directory where it lies.
struct RomsetRename {
    RomsetLocation from;
    QString fileName; // the new name, ".zip" included

    QString target() const;
};

// What renaming every installed game's romset zip to its first archive name (Long) or
// its zip name (Short) would do, looking at the disk now. Only a game's own set is
// renamed (see ownOnDisk): one found under a later archive name is its parent's and
// stays. Directories, sets that have the name already and games without a name to use
// are left out; so are games whose zip name is none of their archive names, for a short
// rename: the set would no longer be found under any of them.
std::vector<RomsetRename> PlanRomsetRenames(const class TGameObjectList& games,
                                            RomsetFinder& romsets, RomsetNames names);

struct RomsetRenameOutcome {
    int renamed = 0;
    QStringList failed; // "<path> to <new name>: <the system's reason>"
};

// Carries the renames out. A target that exists in any form is left alone, and so is
// its set: nothing is ever copied or replaced.
RomsetRenameOutcome RenameRomsets(const std::vector<RomsetRename>& renames, RomsetFinder& romsets);
