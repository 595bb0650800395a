#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <array>

class TGameObject;

using RomDirs = std::array<QString, 4>;

// Where a game's romset lies: a zip file, or an unpacked directory.
struct RomsetLocation {
    QString path;   // as the search formed it: directory text + name
    QString parent; // the listed directory the entry was found in ("" = working dir)
    QString leaf;   // the entry's name in that directory
    bool isDirectory = false;

    bool isValid() const { return !path.isEmpty(); }
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

    // Keeps the listings true after the program renamed a romset file itself.
    void noteRenamed(const RomsetLocation& from, const QString& newLeaf);

private:
    enum class Kind : quint8 { File, Directory };
    using Listing = QHash<QString, Kind>;

    struct Slot {
        QString zipParent;     // where "dir/" + name + ".zip" is listed
        QString zipLeafPrefix; // what precedes the zip name in that listing
        QString dirParent;     // where "dir" + name is listed
        QString dirLeafPrefix;
        bool used = false;
    };

    const Listing& listing(const QString& parent);
    bool has(const QString& parent, const QString& leaf, Kind kind);
    // The search itself, over the listings; the index holds its answers.
    RomsetLocation search(const QString& archive);
    void buildIndex();
    // Asks the search again for every archive name the entry could stand for.
    void reindex(const QString& parent, const QString& leaf);

    RomDirs m_romDirs;
    std::array<Slot, 4> m_slots;
    QHash<QString, Listing> m_listings;
    // Per archive name, where the search in listing order finds it first.
    QHash<QString, RomsetLocation> m_index;
    bool m_indexed = false;
};

// Sets game.Installed: from the disk, or with merged romsets support from the romcheck.
void CheckInstalled(TGameObject& game, RomsetFinder& romsets, bool mergedRomsetsSupport);

// The modification time of a romset file, or an invalid date for a directory or none.
QDateTime romsetFileDate(const RomsetLocation& location);
// The date as the list shows it: short date, then the time unless it is midnight.
QString romsetDateText(const QDateTime& date);

enum class RomsetNames { Long, Short };

// Renames every installed game's romset zip to its first archive name (Long) or its
// zip name (Short), in the directory where it lies. Directories, targets that exist
// already and games without a name to use are left alone; nothing is reported.
// Returns how many files were renamed.
int RenameRomsets(const class TGameObjectList& games, RomsetFinder& romsets, RomsetNames names);
