#pragma once

#include <QString>
#include <vector>

// One file of a folder: its name lower-cased (for matching, as names are matched
// without regard to case) and as it is on disk (so that it opens).
struct ListedName {
    QString lower;
    QString onDisk;
};

// The files of a folder (no directories) in name order without regard to case. The
// picture and sound folders of a large collection hold tens of thousands of files and
// are asked on every selection, so a listing is kept and used again while the folder
// is unchanged. A listing made within a few seconds of the folder's last change is not
// kept: a change in the same tick of the file system's clock would not show in the
// folder's time.
const std::vector<ListedName>& folderListing(const QString& dir);

// The files of the listing whose lower-cased names begin with prefix (lower case).
std::pair<std::vector<ListedName>::const_iterator, std::vector<ListedName>::const_iterator>
namesStartingWith(const std::vector<ListedName>& listing, const QString& prefix);
