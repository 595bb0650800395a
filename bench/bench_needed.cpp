// The needed-files report for 40,000 games against listing its six folders once: the
// report must answer every game from one listing per folder, not search per game.
// It reports; missing a target does not make it fail.

#include "Measure.h"
#include "core/PathSet.h"
#include "core/Platform.h"
#include "launch/NeededReport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

constexpr int kGames = 40000;

QString zipName(int i) {
    return QStringLiteral("game%1").arg(i, 5, 10, QLatin1Char('0'));
}

// Every n-th game has a file of the kind; gameplay pictures come several per game.
void fill(const QString& dir, int every, const QString& suffix, int perGame = 1) {
    QDir().mkpath(dir);
    for (int i = 0; i < kGames; i += every) {
        for (int k = 1; k <= perGame; ++k) {
            const QString name = perGame > 1 ? suffix.arg(k, 3, 10, QLatin1Char('0')) : suffix;
            QFile file(dir + zipName(i) + name);
            if (!file.open(QIODevice::WriteOnly))
                std::abort();
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    PathSet paths;
    paths.setFrontEndDir(dir.path());
    fill(paths.TitlesDir, 2, QStringLiteral(".png"));
    fill(paths.GameplayDir, 4, QStringLiteral(".%1.pcx"), 3);
    fill(paths.FlyersDir, 8, QStringLiteral(".jpg"));
    fill(paths.MarqueesDir, 8, QStringLiteral(".png"));
    fill(paths.CabinetsDir, 16, QStringLiteral(".bmp"));
    fill(paths.SoundDir, 5, QStringLiteral(".mid"));

    std::vector<NeededGame> games;
    games.reserve(kGames);
    for (int i = 0; i < kGames; ++i)
        games.push_back(
            {QStringLiteral("A Game Called Number %1").arg(i), zipName(i), i % 3 != 0, i % 7 == 0});

    qsizetype lines = 0;
    const auto report = [&] {
        lines = NeededReportText(games, paths, QStringLiteral("Needed files")).count('\n');
    };
    qsizetype entries = 0;
    const auto listing = [&] {
        entries = 0;
        for (const QString& folder : {paths.TitlesDir, paths.GameplayDir, paths.FlyersDir,
                                      paths.MarqueesDir, paths.CabinetsDir, paths.SoundDir})
            platform::listDirectory(folder, [&](QStringView, platform::EntryKind) { ++entries; });
    };
    const skbench::Timings times = skbench::compareMedians(7, report, listing);
    skbench::reportLine("needed report for 40000 games / listing its six folders once",
                        times.ratio(), 5,
                        QStringLiteral("report %1 ms (%2 lines), listing %3 ms (%4 files)")
                            .arg(times.subject, 0, 'f', 1)
                            .arg(lines)
                            .arg(times.baseline, 0, 'f', 1)
                            .arg(entries)
                            .toStdString());
    return 0;
}
