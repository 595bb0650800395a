#include "RomsetFinder.h"

#include "GameObject.h"
#include "shell/Platform.h"

#include <QDirIterator>
#include <QFile>
#include <QLocale>

namespace {

// Splits a path into the directory to list and the entry name in it.
std::pair<QString, QString> splitPath(const QString& path) {
    const qsizetype slash = path.lastIndexOf(platform::kSeparator);
    return {path.left(slash + 1), path.mid(slash + 1)};
}

} // namespace

void RomsetFinder::setRomDirs(const RomDirs& dirs) {
    m_romDirs = dirs;
    for (size_t i = 0; i < dirs.size(); ++i) {
        const QString& dir = dirs[i];
        Slot& slot = m_slots[i];
        slot.used = !dir.isEmpty();
        const bool ends = dir.endsWith(platform::kSeparator) || dir.endsWith(u':');
        std::tie(slot.zipParent, slot.zipLeafPrefix) =
            splitPath(ends ? dir : dir + platform::kSeparator);
        std::tie(slot.dirParent, slot.dirLeafPrefix) = splitPath(dir);
    }
    rescan();
}

void RomsetFinder::rescan() {
    m_listings.clear();
}

const RomsetFinder::Listing& RomsetFinder::listing(const QString& parent) {
    auto it = m_listings.find(parent);
    if (it != m_listings.end())
        return *it;
    Listing entries;
    QDirIterator dir(parent.isEmpty() ? QStringLiteral(".") : parent,
                     QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (dir.hasNext()) {
        const QFileInfo info = dir.nextFileInfo();
        if (info.isDir())
            entries.insert(info.fileName(), Kind::Directory);
        else if (info.exists())
            entries.insert(info.fileName(), Kind::File);
    }
    return *m_listings.insert(parent, std::move(entries));
}

bool RomsetFinder::has(const QString& parent, const QString& leaf, Kind kind) {
    const Listing& entries = listing(parent);
    const auto it = entries.constFind(leaf);
    return it != entries.cend() && *it == kind;
}

RomsetLocation RomsetFinder::locate(const TGameObject& game) {
    const QString noPrefix;
    for (const QString& archive : game.Archives) {
        // Names with a separator never come from the list import; they could not be
        // answered from a listing of one directory anyway.
        if (archive.contains(platform::kSeparator))
            continue;
        const QString zip = archive + QStringLiteral(".zip");
        if (has(noPrefix, zip, Kind::File))
            return {zip, noPrefix, zip, false};
        for (const Slot& slot : m_slots) {
            if (!slot.used)
                continue;
            const QString leaf = slot.zipLeafPrefix + zip;
            if (has(slot.zipParent, leaf, Kind::File))
                return {slot.zipParent + leaf, slot.zipParent, leaf, false};
        }
        // An empty rom directory makes this look in the working directory.
        for (const Slot& slot : m_slots) {
            const QString leaf = slot.dirLeafPrefix + archive;
            if (has(slot.dirParent, leaf, Kind::Directory))
                return {slot.dirParent + leaf, slot.dirParent, leaf, true};
        }
    }
    return {};
}

void RomsetFinder::noteRenamed(const RomsetLocation& from, const QString& newLeaf) {
    const auto it = m_listings.find(from.parent);
    if (it == m_listings.end())
        return;
    const Kind kind = from.isDirectory ? Kind::Directory : Kind::File;
    it->remove(from.leaf);
    it->insert(newLeaf, kind);
}

void CheckInstalled(TGameObject& game, RomsetFinder& romsets, bool mergedRomsetsSupport) {
    game.Installed = mergedRomsetsSupport ? !game.BadRomcheck : romsets.locate(game).isValid();
}

QDateTime romsetFileDate(const RomsetLocation& location) {
    if (!location.isValid() || location.isDirectory)
        return {};
    const QFileInfo info(location.path);
    if (!info.isFile())
        return {};
    QDateTime date = info.lastModified();
    const QTime t = date.time();
    date.setTime(QTime(t.hour(), t.minute(), t.second())); // shown to the second, compared so
    return date;
}

QString romsetDateText(const QDateTime& date) {
    if (!date.isValid())
        return {};
    const QLocale locale;
    QString text = locale.toString(date.date(), QLocale::ShortFormat);
    if (date.time() != QTime(0, 0)) {
        // The locale's long time format, without the time zone it would add here.
        QString format = locale.timeFormat(QLocale::LongFormat);
        format.remove(u't');
        text += u' ' + locale.toString(date.time(), format.trimmed());
    }
    return text;
}

int RenameRomsets(const TGameObjectList& games, RomsetFinder& romsets, RomsetNames names) {
    int renamed = 0;
    for (const auto& game : games) {
        if (!game->Installed)
            continue;
        const RomsetLocation old = romsets.locate(*game);
        // Only zip files are renamed; a game installed through the romcheck alone has
        // nothing on disk.
        if (!old.isValid() || old.isDirectory)
            continue;
        QString name;
        if (names == RomsetNames::Long) {
            if (game->Archives.isEmpty())
                continue;
            name = game->Archives.first();
        } else {
            name = game->ZipName;
        }
        if (!platform::isSafeFileName(name))
            continue;
        const QString fileName = name + QStringLiteral(".zip");
        const QString target = platform::directoryPart(old.path) + fileName;
        if (target == old.path)
            continue;
        // QFile::rename never replaces an existing file.
        if (QFile::rename(old.path, target)) {
            ++renamed;
            romsets.noteRenamed(old, fileName);
        }
    }
    return renamed;
}
