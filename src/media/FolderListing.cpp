#include "FolderListing.h"

#include "core/Platform.h"

#include <QDateTime>
#include <QHash>
#include <algorithm>
#include <memory>

namespace {

// A change this recent may share its clock tick with a change not yet made.
constexpr qint64 kSettleNs = 3'000'000'000;

struct Listing {
    Listing() = default;
    Q_DISABLE_COPY_MOVE(Listing)
    platform::FolderStamp stamp;
    bool reusable = false;
    std::vector<ListedName> names;
};

} // namespace

const std::vector<ListedName>& folderListing(const QString& dir) {
    // One thread reads the folders; the listings live as long as the program.
    static QHash<QString, std::shared_ptr<Listing>> listings;
    const platform::FolderStamp stamp = platform::folderStamp(dir);
    std::shared_ptr<Listing>& held = listings[dir];
    if (!held)
        held = std::make_shared<Listing>(); // stays where it is while the table grows
    Listing& listing = *held;
    if (listing.reusable && listing.stamp == stamp)
        return listing.names;

    listing.stamp = stamp;
    listing.names.clear();
    platform::listDirectory(dir, [&](QStringView name, platform::EntryKind kind) {
        if (kind == platform::EntryKind::File)
            listing.names.push_back({name.toString().toLower(), name.toString()});
    });
    std::sort(listing.names.begin(), listing.names.end(),
              [](const ListedName& a, const ListedName& b) {
                  return a.lower != b.lower ? a.lower < b.lower : a.onDisk < b.onDisk;
              });
    const qint64 now = QDateTime::currentMSecsSinceEpoch() * 1'000'000;
    listing.reusable = stamp.modifiedNs >= 0 && now - stamp.modifiedNs > kSettleNs;
    return listing.names;
}

std::pair<std::vector<ListedName>::const_iterator, std::vector<ListedName>::const_iterator>
namesStartingWith(const std::vector<ListedName>& listing, const QString& prefix) {
    const auto first = std::lower_bound(
        listing.begin(), listing.end(), prefix,
        [](const ListedName& name, const QString& text) { return name.lower < text; });
    auto last = first;
    while (last != listing.end() && last->lower.startsWith(prefix))
        ++last;
    return {first, last};
}
