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
#include <filesystem>
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

// From the last "." on, or nothing.
QString extensionOf(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}

// Moves source onto target, replacing it, in one step where the system allows.
bool moveReplacing(const QString& source, const QString& target) {
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(source).toStdString(),
                            QFile::encodeName(target).toStdString(), error);
    return !error;
}

// Copies source over target: the copy is made beside it and then renamed over it, so
// a failed copy leaves the target as it was.
bool copyReplacing(const QString& source, const QString& target) {
    const QString temporary = target + QStringLiteral(".copying");
    QFile::remove(temporary);
    if (!QFile::copy(source, temporary))
        return false;
    if (moveReplacing(temporary, target))
        return true;
    QFile::remove(temporary);
    return false;
}

// The names in dir, lower-cased: one listing answers every question about the folder.
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

} // namespace

QString NumberText(int number) {
    return QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0'));
}

QString NextGameplayName(const QString& gameplayDir, const QString& zipName) {
    const QString lowerZip = zipName.toLower();
    const int n = nextFreeNumber(takenNames(gameplayDir, lowerZip), lowerZip, 1);
    return gameplayDir + lowerZip + u'.' + NumberText(n) + QStringLiteral(".pcx");
}

int CollectRunScreenshots(const QString& tempDir, const QString& gameplayDir,
                          const QString& zipName) {
    QDir().mkpath(tempDir);
    QStringList shots;
    platform::listDirectory(tempDir, [&](QStringView name, platform::EntryKind kind) {
        if (kind == platform::EntryKind::File && name.endsWith(u".pcx", Qt::CaseInsensitive))
            shots.append(name.toString());
    });
    shots.sort(Qt::CaseInsensitive);

    const QString lowerZip = zipName.toLower();
    QSet<QString> taken = takenNames(gameplayDir, lowerZip);
    int moved = 0;
    int number = 1;
    for (const QString& shot : shots) {
        for (;;) {
            number = nextFreeNumber(taken, lowerZip, number);
            const QString name = lowerZip + u'.' + NumberText(number) + QStringLiteral(".pcx");
            const bool renamed = platform::renameNoReplace(tempDir + shot, gameplayDir + name);
            if (renamed || errno == EEXIST)
                taken.insert(name); // a name someone else took meanwhile: try the next
            if (renamed)
                ++moved;
            if (renamed || errno != EEXIST)
                break;
        }
    }
    QDir().rmdir(tempDir);
    return moved;
}

bool isPictureName(QStringView name) {
    return std::any_of(std::begin(kPictureExtensions), std::end(kPictureExtensions),
                       [&](const char* ext) {
                           return name.endsWith(QLatin1StringView(ext), Qt::CaseInsensitive);
                       });
}

QStringList CollectScreenshots(const PathSet& paths, const QString& zipName,
                               const ScreenshotKinds& kinds) {
    const QString prefix = zipName.toLower() + u'.';
    QStringList list;
    // Only the first name counts: a stray file before the picture hides it.
    const auto single = [&](bool wanted, const QString& dir) {
        if (!wanted)
            return;
        const std::vector<Entry> entries = filesStartingWith(dir, prefix);
        if (!entries.empty() && isPictureName(entries.front().lower))
            list.append(dir + entries.front().onDisk);
    };
    single(kinds.title, paths.TitlesDir);
    if (kinds.gameplay) {
        for (const Entry& entry : filesStartingWith(paths.GameplayDir, prefix)) {
            if (isPictureName(entry.lower))
                list.append(paths.GameplayDir + entry.onDisk);
        }
    }
    single(kinds.flyer, paths.FlyersDir);
    single(kinds.marquee, paths.MarqueesDir);
    single(kinds.cabinet, paths.CabinetsDir);
    return list;
}

void RenumberGameplay(const QString& gameplayDir, const QString& zipName) {
    const QString lowerZip = zipName.toLower();
    struct Move {
        QString from;
        QString to;
    };
    std::vector<Move> moves;
    int position = 0;
    for (const Entry& entry : filesStartingWith(gameplayDir, lowerZip + u'.')) {
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

void MakeTitle(const QString& picture, const QString& titlesDir, const QString& zipName) {
    const QString name = zipName.toLower() + extensionOf(picture).toLower();
    const QString target = titlesDir + name;
    const QFileInfo source(picture);
    if (source.canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        return;
    // The title of this extension is replaced, whatever the letter case of its name.
    for (const Entry& entry : filesStartingWith(titlesDir, name)) {
        if (entry.lower == name && entry.onDisk != name &&
            QFileInfo(titlesDir + entry.onDisk).canonicalFilePath() != source.canonicalFilePath())
            QFile::remove(titlesDir + entry.onDisk);
    }
    moveReplacing(picture, target);
}

void MigrateScreenshotStore(const PathSet& paths, const QStringList& zipNames, Prompter& prompter) {
    prompter.beep();
    if (!prompter.confirm(QStringLiteral("StartKALTO has changed screenshots placement.\r"
                                         "Automatically move and rename you Screenshots?")))
        return;
    const QString oldDir = paths.FrontEndDir + QStringLiteral("pcx/");
    // One listing of the old folder, in name order, answers every game by a search.
    const std::vector<Entry> entries = filesStartingWith(oldDir, QString());
    std::vector<bool> moved(entries.size(), false);
    for (const QString& zipName : zipNames) {
        const QString lowerZip = zipName.toLower();
        const QString prefix = lowerZip + u'0';
        auto it = std::lower_bound(entries.begin(), entries.end(), prefix,
                                   [](const Entry& e, const QString& p) { return e.lower < p; });
        int counter = 1;
        for (; it != entries.end() && it->lower.startsWith(prefix); ++it) {
            const size_t index = size_t(it - entries.begin());
            if (moved[index] || !it->lower.mid(prefix.size()).contains(u'.'))
                continue;
            const QString extension = extensionOf(it->lower);
            QString target;
            if (it->lower.contains(u"01.")) {
                target = paths.TitlesDir + lowerZip + extension;
            } else {
                target = paths.GameplayDir + lowerZip + u'.' + NumberText(counter) + extension;
                ++counter;
            }
            const QString source = oldDir + it->onDisk;
            if (copyReplacing(source, target)) {
                QFile(source).setPermissions(QFile(source).permissions() | QFile::WriteOwner);
                QFile::remove(source);
                moved[index] = true;
            }
        }
    }
    QDir().rmdir(oldDir);
    prompter.information(QStringLiteral("Your old screenshots (if any) were moved and renamed."));
}
