#include "ScreenshotStore.h"

#include "core/Platform.h"

#include <QDir>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <cerrno>

namespace {

const char* const kPictureExtensions[] = {".pcx", ".jpg", ".bmp", ".png"};

// The names in dir, lower-cased: one listing answers every question about the folder.
QSet<QString> lowerNames(const QString& dir) {
    QSet<QString> names;
    platform::listDirectory(dir, [&](QStringView name, platform::EntryKind) {
        names.insert(name.toString().toLower());
    });
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
    const int n = nextFreeNumber(lowerNames(gameplayDir), lowerZip, 1);
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
    QSet<QString> taken = lowerNames(gameplayDir);
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
