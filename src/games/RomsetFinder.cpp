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
    m_index.clear();
    m_indexed = false;
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

RomsetLocation RomsetFinder::search(const QString& archive) {
    const QString noPrefix;
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
    return {};
}

void RomsetFinder::buildIndex() {
    m_index.clear();
    const auto add = [this](const QString& parent, const QString& prefix, Kind kind) {
        const Listing& entries = listing(parent);
        for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
            const QString& leaf = it.key();
            if (*it != kind || !leaf.startsWith(prefix))
                continue;
            if (kind == Kind::File && !leaf.endsWith(QLatin1StringView(".zip")))
                continue;
            const QString name =
                leaf.mid(prefix.size(), leaf.size() - prefix.size() - (kind == Kind::File ? 4 : 0));
            if (name.isEmpty())
                continue;
            // Added in the search's order, so the first hit stays.
            if (!m_index.contains(name))
                m_index.insert(name, {parent + leaf, parent, leaf, kind == Kind::Directory});
        }
    };
    // The search's order: zip files in the working directory, then in each used rom
    // directory, then unpacked directories.
    add(QString(), QString(), Kind::File);
    for (const Slot& slot : m_slots) {
        if (slot.used)
            add(slot.zipParent, slot.zipLeafPrefix, Kind::File);
    }
    for (const Slot& slot : m_slots)
        add(slot.dirParent, slot.dirLeafPrefix, Kind::Directory);
    m_indexed = true;
}

RomsetLocation RomsetFinder::locate(const TGameObject& game) {
    // One index lookup per archive name instead of nine listing lookups: the index
    // is built from the listings once per rescan.
    if (!m_indexed)
        buildIndex();
    for (const QString& archive : game.Archives) {
        // Names with a separator never come from the list import; they could not be
        // answered from a listing of one directory anyway.
        if (archive.contains(platform::kSeparator))
            continue;
        const auto it = m_index.constFind(archive);
        if (it != m_index.cend())
            return *it;
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
    if (m_indexed) {
        reindex(from.parent, from.leaf);
        reindex(from.parent, newLeaf);
    }
}

void RomsetFinder::reindex(const QString& parent, const QString& leaf) {
    const auto refresh = [&](const QString& prefix, bool zip) {
        if (!leaf.startsWith(prefix))
            return;
        QString name = leaf.mid(prefix.size());
        if (zip) {
            if (!name.endsWith(QLatin1StringView(".zip")))
                return;
            name.chop(4);
        }
        if (name.isEmpty())
            return;
        const RomsetLocation found = search(name);
        if (found.isValid())
            m_index.insert(name, found);
        else
            m_index.remove(name);
    };
    if (parent.isEmpty())
        refresh(QString(), true);
    for (const Slot& slot : m_slots) {
        if (slot.used && slot.zipParent == parent)
            refresh(slot.zipLeafPrefix, true);
        if (slot.dirParent == parent)
            refresh(slot.dirLeafPrefix, false);
    }
}

void CheckInstalled(TGameObject& game, RomsetFinder& romsets, bool mergedRomsetsSupport) {
    game.Installed = mergedRomsetsSupport ? !game.BadRomcheck : romsets.locate(game).isValid();
}

QDateTime romsetFileDate(const RomsetLocation& location) {
    if (!location.isValid() || location.isDirectory)
        return {};
    return platform::modificationTime(location.path);
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
