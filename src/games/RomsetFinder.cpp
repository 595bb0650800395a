#include "RomsetFinder.h"

#include "GameObject.h"
#include "core/Platform.h"

#include <QLocale>
#include <cerrno>
#include <cstring>

namespace {

// Splits a path into the directory to list and the entry name in it.
std::pair<QString, QString> splitPath(const QString& path) {
    const qsizetype slash = path.lastIndexOf(platform::kSeparator);
    return {path.left(slash + 1), path.mid(slash + 1)};
}

bool isOwnArchive(const TGameObject& game, const QString& archive) {
    return archive == game.ZipName ||
           (!game.Archives.isEmpty() && archive == game.Archives.first());
}

} // namespace

bool RomsetLocation::isOwnedBy(const TGameObject& game) const {
    return isValid() && isOwnArchive(game, archive);
}

void RomsetFinder::setRomDirs(const RomDirs& dirs) {
    m_romDirs = dirs;
    m_sources.clear();
    // Zip files by their bare name in the working directory first, then in each rom
    // directory that is set, then unpacked directories: rom directory N directly
    // followed by the name (an empty one is the working directory).
    m_sources.push_back({QString(), QString(), Kind::File});
    for (const QString& dir : dirs) {
        if (dir.isEmpty())
            continue;
        const bool ends = dir.endsWith(platform::kSeparator) || dir.endsWith(u':');
        const auto [parent, prefix] = splitPath(ends ? dir : dir + platform::kSeparator);
        m_sources.push_back({parent, prefix, Kind::File});
    }
    for (const QString& dir : dirs) {
        const auto [parent, prefix] = splitPath(dir);
        m_sources.push_back({parent, prefix, Kind::Directory});
    }
    rescan();
}

void RomsetFinder::rescan() {
    m_listings.clear();
    m_index.clear();
    m_indexed = false;
    m_renamedLeaves.clear();
}

RomsetFinder::Listing& RomsetFinder::listing(const QString& parent) {
    if (const auto it = m_listings.constFind(parent); it != m_listings.cend())
        return **it;
    auto entries = std::make_shared<Listing>();
    std::vector<std::pair<qsizetype, qsizetype>> spans;
    platform::listDirectory(parent, [&](QStringView name, Kind kind) {
        spans.emplace_back(entries->text.size(), name.size());
        entries->text += name;
        entries->kinds.push_back(kind);
    });
    // Views only once the text has stopped growing.
    entries->leaves.reserve(spans.size());
    entries->byLeaf.reserve(qsizetype(spans.size()));
    for (size_t i = 0; i < spans.size(); ++i) {
        entries->leaves.push_back(
            QStringView(entries->text).sliced(spans[i].first, spans[i].second));
        entries->byLeaf.insert(entries->leaves.back(), qint32(i));
    }
    m_listings.insert(parent, entries);
    return *entries;
}

qint32 RomsetFinder::search(QStringView archive) {
    QString leaf;
    for (qsizetype i = 0; i < qsizetype(m_sources.size()); ++i) {
        const Source& source = m_sources[size_t(i)];
        leaf = source.leafPrefix;
        leaf += archive;
        if (source.kind == Kind::File)
            leaf += QLatin1StringView(".zip");
        const Listing& entries = listing(source.parent);
        const qint32 entry = entries.byLeaf.value(leaf);
        if (entry != NameIndex::kMissing && entries.kinds[size_t(entry)] == source.kind)
            return pack(i, entry);
    }
    return NameIndex::kMissing;
}

void RomsetFinder::buildIndex() {
    m_index.clear();
    const QLatin1StringView zip(".zip");
    for (qsizetype i = 0; i < qsizetype(m_sources.size()); ++i) {
        const Source& source = m_sources[size_t(i)];
        const Listing& entries = listing(source.parent);
        m_index.reserve(m_index.size() + qsizetype(entries.leaves.size()));
        const bool file = source.kind == Kind::File;
        const qsizetype prefix = source.leafPrefix.size();
        for (size_t e = 0; e < entries.leaves.size(); ++e) {
            const QStringView leaf = entries.leaves[e];
            if (entries.kinds[e] != source.kind || !leaf.startsWith(source.leafPrefix) ||
                (file && !leaf.endsWith(zip)))
                continue;
            const qsizetype length = leaf.size() - prefix - (file ? 4 : 0);
            // Sources are visited in the search's order: the first hit stays.
            if (length > 0)
                m_index.insert(leaf.sliced(prefix, length), pack(i, qsizetype(e)));
        }
    }
    m_indexed = true;
}

qint32 RomsetFinder::find(const TGameObject& game, const QString** archive) {
    if (!m_indexed)
        buildIndex();
    for (const QString& name : game.Archives) {
        const qint32 hit = m_index.value(name);
        // Names with a separator never come from the list import; they could not be
        // answered from a listing of one directory anyway.
        if (hit != NameIndex::kMissing && !name.contains(platform::kSeparator)) {
            if (archive)
                *archive = &name;
            return hit;
        }
    }
    return NameIndex::kMissing;
}

bool RomsetFinder::isOnDisk(const TGameObject& game) {
    return find(game, nullptr) != NameIndex::kMissing;
}

bool RomsetFinder::ownOnDisk(const TGameObject& game) {
    const QString* archive = nullptr;
    return find(game, &archive) != NameIndex::kMissing && isOwnArchive(game, *archive);
}

RomsetLocation RomsetFinder::locate(const TGameObject& game) {
    const QString* archive = nullptr;
    const qint32 hit = find(game, &archive);
    if (hit == NameIndex::kMissing)
        return {};
    const Source& source = m_sources[size_t(hit % 16)];
    const QString leaf = listing(source.parent).leaves[size_t(hit / 16)].toString();
    return {source.parent + leaf, source.parent, leaf, source.kind == Kind::Directory, *archive};
}

void RomsetFinder::noteRenamed(const RomsetLocation& from, const QString& newLeaf) {
    const auto it = m_listings.constFind(from.parent);
    if (it == m_listings.cend())
        return;
    Listing& entries = **it;
    const qint32 old = entries.byLeaf.value(from.leaf);
    if (old == NameIndex::kMissing)
        return;
    const QStringView oldLeaf = entries.leaves[size_t(old)];
    entries.byLeaf.set(oldLeaf, NameIndex::kMissing);
    // The new name needs text that lives as long as the listing.
    m_renamedLeaves.push_back(std::make_unique<QString>(newLeaf));
    const QStringView leaf(*m_renamedLeaves.back());
    entries.leaves.push_back(leaf);
    entries.kinds.push_back(entries.kinds[size_t(old)]);
    entries.byLeaf.set(leaf, qint32(entries.leaves.size()) - 1);
    if (m_indexed) {
        reindex(from.parent, oldLeaf);
        reindex(from.parent, leaf);
    }
}

void RomsetFinder::reindex(const QString& parent, QStringView leaf) {
    for (const Source& source : m_sources) {
        if (source.parent != parent || !leaf.startsWith(source.leafPrefix))
            continue;
        QStringView name = leaf.sliced(source.leafPrefix.size());
        if (source.kind == Kind::File) {
            if (!name.endsWith(QLatin1StringView(".zip")))
                continue;
            name.chop(4);
        }
        if (!name.isEmpty())
            m_index.set(name, search(name));
    }
}

void CheckInstalled(TGameObject& game, RomsetFinder& romsets, bool mergedRomsetsSupport) {
    if (mergedRomsetsSupport)
        game.Installed = !game.BadRomcheck && (game.GoodRomcheck || romsets.ownOnDisk(game));
    else
        game.Installed = romsets.isOnDisk(game);
}

QDateTime romsetFileDate(const RomsetLocation& location) {
    if (!location.isValid() || location.isDirectory)
        return {};
    return platform::modificationTime(location.path);
}

QString romsetDateText(const QDateTime& utc) {
    if (!utc.isValid())
        return {};
    const QDateTime date = utc.toLocalTime();
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

QString RomsetRename::target() const {
    return platform::directoryPart(from.path) + fileName;
}

std::vector<RomsetRename> PlanRomsetRenames(const TGameObjectList& games, RomsetFinder& romsets,
                                            RomsetNames names) {
    // Sets may have been moved or renamed since the last check: look at the disk now.
    romsets.rescan();
    std::vector<RomsetRename> renames;
    for (const auto& game : games) {
        if (!game->Installed)
            continue;
        RomsetLocation old = romsets.locate(*game);
        // Only zip files are renamed; a game installed through the romcheck alone has
        // nothing on disk. A clone finds its parent's set under a later archive name;
        // renaming that set to the clone's name would take it away from the parent and
        // its other clones.
        if (!old.isValid() || old.isDirectory || !isOwnArchive(*game, old.archive))
            continue;
        // The new name must be one the search (and the emulator) looks under: the
        // first archive name, or the zip name where it is one of them.
        QString name;
        if (names == RomsetNames::Long) {
            if (game->Archives.isEmpty())
                continue;
            name = game->Archives.first();
        } else {
            if (!game->Archives.contains(game->ZipName))
                continue;
            name = game->ZipName;
        }
        if (!platform::isSafeFileName(name))
            continue;
        RomsetRename rename{std::move(old), name + QStringLiteral(".zip")};
        if (rename.target() != rename.from.path)
            renames.push_back(std::move(rename));
    }
    return renames;
}

RomsetRenameOutcome RenameRomsets(const std::vector<RomsetRename>& renames, RomsetFinder& romsets) {
    RomsetRenameOutcome outcome;
    for (const RomsetRename& rename : renames) {
        if (platform::renameNoReplace(rename.from.path, rename.target())) {
            ++outcome.renamed;
            romsets.noteRenamed(rename.from, rename.fileName);
            continue;
        }
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        outcome.failed.append(
            QStringLiteral("%1 to %2: %3").arg(rename.from.path, rename.fileName, reason));
    }
    return outcome;
}
