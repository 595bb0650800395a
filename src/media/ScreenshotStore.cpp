#include "ScreenshotStore.h"

#include "FolderListing.h"
#include "core/PathSet.h"
#include "core/Platform.h"
#include "core/Prompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <vector>

namespace {

const char* const kPictureExtensions[] = {".pcx", ".jpg", ".bmp", ".png"};

using Entry = ListedName;

// The files of dir whose names begin with prefix (lower case), in name order without
// regard to case.
std::vector<Entry> filesStartingWith(const QString& dir, const QString& prefix) {
    const auto [first, last] = namesStartingWith(folderListing(dir), prefix);
    return std::vector<Entry>(first, last);
}

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// From the last "." on, or nothing.
QString extensionOf(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}

// Copies source to target unless target exists in any form: the copy is made beside it
// and then renamed into place, so a failed copy leaves nothing behind.
bool copyNoReplace(const QString& source, const QString& target) {
    const QString temporary = target + QStringLiteral(".copying");
    QFile::remove(temporary);
    if (!QFile::copy(source, temporary)) {
        errno = EIO; // not EEXIST: the next number would fail the same way
        return false;
    }
    if (platform::renameNoReplace(temporary, target))
        return true;
    const int saved = errno;
    QFile::remove(temporary);
    errno = saved;
    return false;
}

// Moves source to target unless target exists in any form. Across file systems (a
// picture folder that is a link to another disk), where no rename can, the file is
// copied without replacing anything and the source removed once the copy is whole.
bool moveNoReplace(const QString& source, const QString& target) {
    if (platform::renameNoReplace(source, target))
        return true;
    if (errno != EXDEV)
        return false;
    if (!copyNoReplace(source, target))
        return false;
    if (QFile::remove(source))
        return true;
    // The picture stays where it was, once only.
    QFile::remove(target);
    errno = EACCES;
    return false;
}

// The names of the game's gameplay pictures (lower case): one listing answers every
// question about the numbers taken.
QSet<QString> takenNames(const QString& gameplayDir, const QString& lowerZip) {
    QSet<QString> names;
    for (const Entry& entry : filesStartingWith(gameplayDir, lowerZip + u'.'))
        names.insert(entry.lower);
    return names;
}

// The first number from `from` on whose gameplay picture does not exist in any format.
int nextFreeNumber(const QSet<QString>& taken, const QString& lowerZip, int from) {
    for (int n = from;; ++n) {
        const QString base = lowerZip + u'.' + NumberText(n);
        const bool used = std::any_of(
            std::begin(kPictureExtensions), std::end(kPictureExtensions),
            [&](const char* ext) { return taken.contains(base + QLatin1StringView(ext)); });
        if (!used)
            return n;
    }
}

// Files a picture as the game's next free gameplay number, keeping its extension: moved
// when `copy` is false, else copied. Nothing is replaced: a number that turns out taken
// is skipped. The new name (lower case), or empty when it could not be filed.
QString fileAsGameplay(const QString& source, const QString& gameplayDir, const QString& lowerZip,
                       QSet<QString>& taken, bool copy) {
    const QString extension = extensionOf(source).toLower();
    for (int number = 1;;) {
        number = nextFreeNumber(taken, lowerZip, number);
        const QString name = lowerZip + u'.' + NumberText(number) + extension;
        const bool filed = copy ? copyNoReplace(source, gameplayDir + name)
                                : moveNoReplace(source, gameplayDir + name);
        if (filed || errno == EEXIST)
            taken.insert(name); // a name someone else took meanwhile: try the next
        if (filed)
            return name;
        if (errno != EEXIST)
            return {};
    }
}

} // namespace

QString NumberText(int number) {
    return QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0'));
}

QString NextGameplayName(const QString& gameplayDir, const QString& zipName) {
    const QString lowerZip = zipName.toLower();
    const int n = nextFreeNumber(takenNames(gameplayDir, lowerZip), lowerZip, 1);
    return gameplayDir + lowerZip + u'.' + NumberText(n) + QStringLiteral(".pcx");
}

QStringList CollectRunScreenshots(const QString& tempDir, const QString& gameplayDir,
                                  const QString& zipName, const QSet<QString>& leftovers) {
    QDir().mkpath(tempDir);
    QStringList shots;
    platform::listDirectory(tempDir, [&](QStringView name, platform::EntryKind kind) {
        if (kind == platform::EntryKind::File && name.endsWith(u".pcx", Qt::CaseInsensitive) &&
            !leftovers.contains(name.toString()))
            shots.append(name.toString());
    });
    shots.sort(Qt::CaseInsensitive);

    const QString lowerZip = zipName.toLower();
    QSet<QString> taken = takenNames(gameplayDir, lowerZip);
    QStringList filed;
    for (const QString& shot : shots) {
        const QString name = fileAsGameplay(tempDir + shot, gameplayDir, lowerZip, taken, false);
        if (!name.isEmpty())
            filed.append(gameplayDir + name);
    }
    QDir().rmdir(tempDir);
    return filed;
}

bool isPictureName(QStringView name) {
    return std::any_of(std::begin(kPictureExtensions), std::end(kPictureExtensions),
                       [&](const char* ext) {
                           return name.endsWith(QLatin1StringView(ext), Qt::CaseInsensitive);
                       });
}

GamePicture gamePictureName(QStringView name, QStringView zipName) {
    if (name.size() <= zipName.size() + 1 || !name.startsWith(zipName, Qt::CaseInsensitive) ||
        name[zipName.size()] != u'.')
        return GamePicture::None;
    const qsizetype lastDot = name.lastIndexOf(u'.');
    const QStringView extension = name.mid(lastDot);
    if (extension.size() != 4 || !isPictureName(extension))
        return GamePicture::None;
    if (lastDot == zipName.size())
        return GamePicture::Plain;
    const QStringView number = name.mid(zipName.size() + 1, lastDot - zipName.size() - 1);
    return std::all_of(number.begin(), number.end(), isAsciiDigit) ? GamePicture::Numbered
                                                                   : GamePicture::None;
}

namespace {

// The game's pictures in dir (its only one for the kinds that have one, its gameplay
// pictures), in name order.
std::vector<Entry> gamePictures(const QString& dir, const QString& zipName, bool numbered) {
    std::vector<Entry> pictures;
    for (const Entry& entry : filesStartingWith(dir, zipName.toLower() + u'.')) {
        const GamePicture kind = gamePictureName(entry.lower, zipName);
        if (kind == GamePicture::Plain || (numbered && kind == GamePicture::Numbered))
            pictures.push_back(entry);
    }
    return pictures;
}

} // namespace

QStringList CollectScreenshots(const PathSet& paths, const QString& zipName,
                               const ScreenshotKinds& kinds) {
    QStringList list;
    // Of several pictures of a kind that has one, the first in name order shows.
    const auto single = [&](bool wanted, const QString& dir) {
        if (!wanted)
            return;
        const std::vector<Entry> pictures = gamePictures(dir, zipName, false);
        if (!pictures.empty())
            list.append(dir + pictures.front().onDisk);
    };
    single(kinds.title, paths.TitlesDir);
    if (kinds.gameplay) {
        for (const Entry& entry : gamePictures(paths.GameplayDir, zipName, true))
            list.append(paths.GameplayDir + entry.onDisk);
    }
    single(kinds.flyer, paths.FlyersDir);
    single(kinds.marquee, paths.MarqueesDir);
    single(kinds.cabinet, paths.CabinetsDir);
    return list;
}

PictureCounts CountScreenshots(const PathSet& paths, const QString& zipName) {
    const auto count = [&](const QString& dir, bool numbered) {
        return int(gamePictures(dir, zipName, numbered).size());
    };
    return {count(paths.TitlesDir, false), count(paths.GameplayDir, true),
            count(paths.FlyersDir, false), count(paths.MarqueesDir, false),
            count(paths.CabinetsDir, false)};
}

void RenumberGameplay(const QString& gameplayDir, const QString& zipName) {
    const QString lowerZip = zipName.toLower();
    struct Move {
        QString from;
        QString to;
    };
    std::vector<Move> moves;
    int position = 0;
    for (const Entry& entry : gamePictures(gameplayDir, zipName, true)) {
        const QString extension = extensionOf(entry.lower);
        const QString base = entry.lower.left(entry.lower.size() - extension.size());
        const QString target = lowerZip + u'.' + NumberText(++position);
        if (base != target || entry.onDisk != entry.lower)
            moves.push_back({entry.onDisk, target + extension});
    }
    // First every file that moves steps aside under a name no picture has, then each
    // takes its new name: a name still held by a file that moves later is free by then.
    std::vector<QString> aside;
    for (size_t i = 0; i < moves.size(); ++i) {
        const QString temporary = QStringLiteral("%1.renumbering-%2%3")
                                      .arg(lowerZip)
                                      .arg(i)
                                      .arg(extensionOf(moves[i].from));
        aside.push_back(
            platform::renameNoReplace(gameplayDir + moves[i].from, gameplayDir + temporary)
                ? temporary
                : QString());
    }
    for (size_t i = 0; i < moves.size(); ++i) {
        if (aside[i].isEmpty())
            continue;
        // A name taken meanwhile keeps the picture under its old name.
        if (!platform::renameNoReplace(gameplayDir + aside[i], gameplayDir + moves[i].to))
            platform::renameNoReplace(gameplayDir + aside[i], gameplayDir + moves[i].from);
    }
}

bool MakeTitle(const QString& picture, const QString& titlesDir, const QString& gameplayDir,
               const QString& zipName) {
    const QString lowerZip = zipName.toLower();
    const QString target = titlesDir + lowerZip + extensionOf(picture).toLower();
    const QString source = QFileInfo(picture).canonicalFilePath();
    if (source.isEmpty() || source == QFileInfo(target).canonicalFilePath())
        return true;
    // Every other title of the game goes back among its gameplay pictures, so that the
    // chosen one is the title that shows and no picture is lost.
    QSet<QString> taken = takenNames(gameplayDir, lowerZip);
    for (const Entry& entry : gamePictures(titlesDir, zipName, false)) {
        const QString title = titlesDir + entry.onDisk;
        if (QFileInfo(title).canonicalFilePath() == source)
            continue;
        if (fileAsGameplay(title, gameplayDir, lowerZip, taken, false).isEmpty())
            return false;
    }
    return moveNoReplace(picture, target);
}

void MigrateScreenshotStore(const PathSet& paths, const QStringList& zipNames, Prompter& prompter) {
    prompter.beep();
    if (!prompter.confirm(QStringLiteral("StartKALTO has changed screenshots placement.\r"
                                         "Automatically move and rename you Screenshots?")))
        return;
    const QString oldDir = paths.FrontEndDir + QStringLiteral("pcx/");
    // One listing of each folder answers every game: the old one, in name order, by a
    // search; the new ones by the names they hold, which the moves add to.
    const std::vector<Entry> entries = filesStartingWith(oldDir, QString());
    const auto namesIn = [](const QString& dir) {
        QSet<QString> names;
        for (const Entry& entry : folderListing(dir))
            names.insert(entry.lower);
        return names;
    };
    QSet<QString> titles = namesIn(paths.TitlesDir);
    QSet<QString> gameplay = namesIn(paths.GameplayDir);
    for (const QString& zipName : zipNames) {
        const QString lowerZip = zipName.toLower();
        auto it = std::lower_bound(entries.begin(), entries.end(), lowerZip,
                                   [](const Entry& e, const QString& p) { return e.lower < p; });
        // The old names: zip + a two-digit number + a picture extension; "01" the title.
        for (; it != entries.end() && it->lower.startsWith(lowerZip); ++it) {
            const QStringView rest = QStringView(it->lower).mid(lowerZip.size());
            if (rest.size() != 6 || !isPictureName(rest) || !isAsciiDigit(rest[0]) ||
                !isAsciiDigit(rest[1]))
                continue;
            const QString source = oldDir + it->onDisk;
            bool copied = false;
            // A title already in place stays; the old one joins the gameplay pictures.
            const bool hasTitle = std::any_of(
                std::begin(kPictureExtensions), std::end(kPictureExtensions), [&](const char* ext) {
                    return titles.contains(lowerZip + QLatin1StringView(ext));
                });
            if (rest.startsWith(u"01") && !hasTitle) {
                const QString name = lowerZip + extensionOf(it->lower);
                copied = copyNoReplace(source, paths.TitlesDir + name);
                if (copied)
                    titles.insert(name);
            }
            if (!copied)
                copied =
                    !fileAsGameplay(source, paths.GameplayDir, lowerZip, gameplay, true).isEmpty();
            if (copied) {
                QFile(source).setPermissions(QFile(source).permissions() | QFile::WriteOwner);
                QFile::remove(source);
            }
        }
    }
    QDir().rmdir(oldDir);
    prompter.information(QStringLiteral("Your old screenshots (if any) were moved and renamed."));
}
