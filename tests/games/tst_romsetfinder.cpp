#include "TestSupport.h"
#include "core/Platform.h"
#include "games/GameObject.h"
#include "games/RomsetFinder.h"

#include <QDir>
#include <QLocale>
#include <QRandomGenerator>
#include <QtTest>

using testsupport::FrontEndDir;

namespace {

std::unique_ptr<TGameObject> game(const QString& zip, const QStringList& archives) {
    auto g = CreateDefaultGame();
    g->ZipName = zip;
    g->Archives = archives;
    return g;
}

// The search rule, asked of the file system one path at a time.
QString findOnDisk(const TGameObject& game, const RomDirs& dirs) {
    const auto isFile = [](const QString& p) {
        const QFileInfo info(p);
        return info.exists() && !info.isDir();
    };
    for (const QString& archive : game.Archives) {
        const QString zip = archive + QStringLiteral(".zip");
        if (isFile(zip))
            return zip;
        for (const QString& dir : dirs) {
            if (dir.isEmpty())
                continue;
            const QString path =
                dir +
                ((dir.endsWith(u'/') || dir.endsWith(u':')) ? QString() : QStringLiteral("/")) +
                zip;
            if (isFile(path))
                return path;
        }
        for (const QString& dir : dirs) {
            if (QFileInfo(dir + archive).isDir())
                return dir + archive;
        }
    }
    return {};
}

} // namespace

class TestRomsetFinder : public QObject {
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<FrontEndDir>(); }
    void cleanup() { m_dir.reset(); }

    void directoryOfTheFirstNameBeforeAZipOfTheSecond() {
        m_dir->makeDir(QStringLiteral("r0/mygame"));
        m_dir->writeFile(QStringLiteral("r2/parentset.zip"), "");
        m_dir->makeDir(QStringLiteral("r3"));
        RomsetFinder finder;
        finder.setRomDirs(dirs());
        const auto g =
            game(QStringLiteral("mygame"), {QStringLiteral("mygame"), QStringLiteral("parentset")});
        const RomsetLocation found = finder.locate(*g);
        QCOMPARE(found.path, m_dir->file(QStringLiteral("r0/mygame")));
        QVERIFY(found.isDirectory);
        QVERIFY(!romsetFileDate(found).isValid());

        // A zip of the first name anywhere wins over the directory.
        m_dir->writeFile(QStringLiteral("r3/mygame.zip"), "");
        finder.rescan();
        QCOMPARE(finder.FindRomset(*g), m_dir->file(QStringLiteral("r3/mygame.zip")));
        QVERIFY(romsetFileDate(finder.locate(*g)).isValid());

        // The bare name in the working directory comes first of all.
        m_dir->writeFile(QStringLiteral("mygame.zip"), "");
        finder.rescan();
        QCOMPARE(finder.FindRomset(*g), QStringLiteral("mygame.zip"));
    }

    void romDirectoryWithoutItsSeparator() {
        m_dir->writeFile(QStringLiteral("roms/zipped.zip"), "");
        m_dir->makeDir(QStringLiteral("roms/unpacked"));
        m_dir->makeDir(QStringLiteral("romsunpacked"));
        RomsetFinder finder;
        finder.setRomDirs({m_dir->file(QStringLiteral("roms")), {}, {}, {}});
        QCOMPARE(finder.FindRomset(*game(QStringLiteral("z"), {QStringLiteral("zipped")})),
                 m_dir->file(QStringLiteral("roms/zipped.zip")));
        // The directory test joins without a separator.
        QCOMPARE(finder.FindRomset(*game(QStringLiteral("u"), {QStringLiteral("unpacked")})),
                 m_dir->file(QStringLiteral("romsunpacked")));
    }

    void emptySlotsAndMissingDirectories() {
        m_dir->makeDir(QStringLiteral("here"));
        RomsetFinder finder;
        finder.setRomDirs({QStringLiteral("does/not/exist/"), {}, {}, {}});
        // An empty rom directory makes the directory test look in the working directory.
        QCOMPARE(finder.FindRomset(*game(QStringLiteral("h"), {QStringLiteral("here")})),
                 QStringLiteral("here"));
        QCOMPARE(finder.FindRomset(*game(QStringLiteral("n"), {})), QString());
        QCOMPARE(finder.FindRomset(*game(QStringLiteral("x"), {QStringLiteral("x")})), QString());
    }

    void namesCompareAsTheFileSystemDoes() {
        m_dir->writeFile(QStringLiteral("r0/Upper.zip"), "");
        RomsetFinder finder;
        finder.setRomDirs(dirs());
        QCOMPARE(finder.FindRomset(*game(QStringLiteral("upper"), {QStringLiteral("upper")})),
                 QString());
        QVERIFY(!finder.FindRomset(*game(QStringLiteral("Upper"), {QStringLiteral("Upper")}))
                     .isEmpty());
    }

    // The listings must answer exactly as asking the disk path by path would.
    void matchesTheFileSystemOnRandomLayouts() {
        QRandomGenerator random(7);
        const QStringList names = {QStringLiteral("a"),   QStringLiteral("b"),
                                   QStringLiteral("c"),   QStringLiteral("A"),
                                   QStringLiteral("r0a"), QStringLiteral("r1b")};
        const QStringList places = {QString(), QStringLiteral("r0/"), QStringLiteral("r1/"),
                                    QStringLiteral("r2/"), QStringLiteral("r3/")};
        const QStringList dirTexts = {QString(),
                                      QStringLiteral("r0/"),
                                      QStringLiteral("r0"),
                                      QStringLiteral("r1/"),
                                      QStringLiteral("./r2/"),
                                      QStringLiteral("r3"),
                                      QStringLiteral("r1:"),
                                      m_dir->file(QStringLiteral("r2/")),
                                      QStringLiteral("nowhere/")};
        int zips = 0;
        int directories = 0;
        for (int layout = 0; layout < 60; ++layout) {
            // Empty the working directory (not remove it: it is our current directory).
            QDir root(m_dir->path());
            for (const QFileInfo& entry :
                 root.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)) {
                if (entry.isDir() && !entry.isSymLink())
                    QDir(entry.filePath()).removeRecursively();
                else
                    QFile::remove(entry.filePath());
            }
            for (const QString& place : places)
                root.mkpath(place.isEmpty() ? QStringLiteral(".") : place);
            // Collisions (a file where a directory is, and so on) simply fail.
            for (int i = 0; i < 14; ++i) {
                const QString where = m_dir->file(places[random.bounded(places.size())] +
                                                  names[random.bounded(names.size())]);
                switch (random.bounded(4)) {
                case 0:
                    QFile(where + QStringLiteral(".zip")).open(QIODevice::WriteOnly);
                    break;
                case 1:
                    QDir().mkdir(where);
                    break;
                case 2:
                    QDir().mkdir(where + QStringLiteral(".zip")); // a directory named like a zip
                    break;
                case 3:
                    QFile::link(m_dir->file(QStringLiteral("missing")),
                                where + QStringLiteral(".zip"));
                    break;
                }
            }
            RomDirs romDirs;
            for (QString& d : romDirs)
                d = dirTexts[random.bounded(dirTexts.size())];
            RomsetFinder finder;
            finder.setRomDirs(romDirs);
            for (int g = 0; g < 30; ++g) {
                QStringList archives;
                for (int n = random.bounded(4); n > 0; --n)
                    archives.append(names[random.bounded(names.size())]);
                const auto candidate = game(QStringLiteral("g"), archives);
                const RomsetLocation found = finder.locate(*candidate);
                QCOMPARE(found.path, findOnDisk(*candidate, romDirs));
                (found.isDirectory ? directories : zips) += found.isValid() ? 1 : 0;
            }
        }
        // The layouts must have exercised both kinds of hit.
        QVERIFY2(zips > 100 && directories > 50,
                 qPrintable(QStringLiteral("%1 %2").arg(zips).arg(directories)));
    }

    void checkInstalled() {
        m_dir->writeFile(QStringLiteral("r0/there.zip"), "");
        RomsetFinder finder;
        finder.setRomDirs(dirs());
        auto there = game(QStringLiteral("there"), {QStringLiteral("there")});
        auto none = game(QStringLiteral("none"), {});
        CheckInstalled(*there, finder, false);
        CheckInstalled(*none, finder, false);
        QVERIFY(there->Installed);
        QVERIFY(!none->Installed);
        there->BadRomcheck = true;
        CheckInstalled(*there, finder, true);
        CheckInstalled(*none, finder, true);
        QVERIFY(!there->Installed);
        QVERIFY(!none->Installed); // never named good by a romcheck
        none->GoodRomcheck = true;
        CheckInstalled(*none, finder, true);
        QVERIFY(none->Installed);
    }

    void renaming() {
        m_dir->writeFile(QStringLiteral("r0/short1.zip"), "1"); // clone, renamed to its long name
        m_dir->writeFile(QStringLiteral("r1/longname2.zip"), "2"); // already long
        m_dir->writeFile(QStringLiteral("r1/short3.zip"), "3");    // found as long3.zip first
        m_dir->writeFile(QStringLiteral("r1/long3.zip"), "other");
        m_dir->makeDir(QStringLiteral("r2/unpacked")); // directories stay
        TGameObjectList games;
        games.AddGame(game(QStringLiteral("short1"),
                           {QStringLiteral("longname1"), QStringLiteral("short1")}));
        games.AddGame(game(QStringLiteral("short2"), {QStringLiteral("longname2")}));
        games.AddGame(
            game(QStringLiteral("short3"), {QStringLiteral("long3"), QStringLiteral("short3")}));
        games.AddGame(game(QStringLiteral("unpacked"),
                           {QStringLiteral("unpackedlong"), QStringLiteral("unpacked")}));
        games.AddGame(game(QStringLiteral("notthere"), {QStringLiteral("notthere")}));
        games.AddGame(game(QStringLiteral("noarchives"), {}));
        RomsetFinder finder;
        finder.setRomDirs(dirs());
        for (const auto& g : games)
            CheckInstalled(*g, finder, false);
        games.at(4)->Installed = true; // installed through the romcheck alone
        games.at(5)->Installed = true;

        QCOMPARE(rename(games, finder, RomsetNames::Long), QList<int>({1, 1, 0}));
        QCOMPARE(m_dir->readFile(QStringLiteral("r0/longname1.zip")), QByteArray("1"));
        QVERIFY(!m_dir->exists(QStringLiteral("r0/short1.zip")));
        QCOMPARE(m_dir->readFile(QStringLiteral("r1/longname2.zip")), QByteArray("2"));
        QCOMPARE(m_dir->readFile(QStringLiteral("r1/short3.zip")), QByteArray("3"));
        QCOMPARE(m_dir->readFile(QStringLiteral("r1/long3.zip")), QByteArray("other"));
        QVERIFY(QFileInfo(m_dir->file(QStringLiteral("r2/unpacked"))).isDir());
        // The listing follows the rename, as the disk does.
        for (const auto& g : games)
            QCOMPARE(finder.FindRomset(*g), findOnDisk(*g, dirs()));

        // short2 is none of its archive names: under it the set would be found by
        // nobody, so it keeps its long name.
        QCOMPARE(rename(games, finder, RomsetNames::Short), QList<int>({2, 1, 1}));
        QVERIFY2(m_failed.first().startsWith(
                     m_dir->file(QStringLiteral("r1/long3.zip to short3.zip: "))),
                 qPrintable(m_failed.first()));
        QCOMPARE(m_dir->readFile(QStringLiteral("r0/short1.zip")), QByteArray("1"));
        QCOMPARE(m_dir->readFile(QStringLiteral("r1/longname2.zip")), QByteArray("2"));
        // short3 is found as long3.zip first, whose short name is taken by short3.zip.
        QCOMPARE(m_dir->readFile(QStringLiteral("r1/long3.zip")), QByteArray("other"));
        for (const auto& g : games)
            QCOMPARE(finder.FindRomset(*g), findOnDisk(*g, dirs()));
    }

    // Renames never take another game's set, never write through a link, never replace
    // anything, and rename a set where it lies now.
    void renamingIsSafe() {
        m_dir->writeFile(QStringLiteral("r0/parent.zip"), "parent");
        m_dir->writeFile(QStringLiteral("r0/lnk.zip"), "lnk");
        QVERIFY(QFile::link(m_dir->file(QStringLiteral("outside/stolen.zip")),
                            m_dir->file(QStringLiteral("r0/lnklong.zip"))));
        m_dir->writeFile(QStringLiteral("r1/dirt.zip"), "dirt");
        m_dir->makeDir(QStringLiteral("r1/dirtlong.zip"));
        m_dir->writeFile(QStringLiteral("r0/moved.zip"), "moved");
        TGameObjectList games;
        games.AddGame(
            game(QStringLiteral("clonej"), {QStringLiteral("clonej"), QStringLiteral("parent")}));
        games.AddGame(
            game(QStringLiteral("lnk"), {QStringLiteral("lnklong"), QStringLiteral("lnk")}));
        games.AddGame(
            game(QStringLiteral("dirt"), {QStringLiteral("dirtlong"), QStringLiteral("dirt")}));
        games.AddGame(game(QStringLiteral("moved"), {QStringLiteral("movedlong")}));
        RomsetFinder finder;
        finder.setRomDirs(dirs());
        // The clone and the sets found only under their zip names count as installed.
        for (TGameObject* g : games)
            CheckInstalled(*g, finder, false);
        QVERIFY(games.FindGame(u"clonej")->Installed);
        QVERIFY(!games.FindGame(u"moved")->Installed); // not under its archive name
        games.FindGame(u"moved")->Archives.append(QStringLiteral("moved"));
        CheckInstalled(*games.FindGame(u"moved"), finder, false);
        QVERIFY(games.FindGame(u"moved")->Installed);
        // Moved by the user after the check.
        m_dir->makeDir(QStringLiteral("r2"));
        QVERIFY(QFile::rename(m_dir->file(QStringLiteral("r0/moved.zip")),
                              m_dir->file(QStringLiteral("r2/moved.zip"))));

        // The link and the directory in the way are named as failures; the clone's
        // parent is not even planned.
        QCOMPARE(rename(games, finder, RomsetNames::Long), QList<int>({3, 1, 2}));
        QCOMPARE(m_dir->readFile(QStringLiteral("r0/parent.zip")), QByteArray("parent"));
        QCOMPARE(m_dir->readFile(QStringLiteral("r0/lnk.zip")), QByteArray("lnk"));
        QVERIFY(!m_dir->exists(QStringLiteral("outside/stolen.zip")));
        QVERIFY(QFileInfo(m_dir->file(QStringLiteral("r0/lnklong.zip"))).isSymLink());
        QCOMPARE(m_dir->readFile(QStringLiteral("r1/dirt.zip")), QByteArray("dirt"));
        QVERIFY(QFileInfo(m_dir->file(QStringLiteral("r1/dirtlong.zip"))).isDir());
        QCOMPARE(m_dir->readFile(QStringLiteral("r2/movedlong.zip")), QByteArray("moved"));

        QCOMPARE(rename(games, finder, RomsetNames::Short), QList<int>({1, 1, 0}));
        QCOMPARE(m_dir->readFile(QStringLiteral("r0/parent.zip")), QByteArray("parent"));
        QVERIFY(!m_dir->exists(QStringLiteral("r0/clonej.zip")));
        QCOMPARE(m_dir->readFile(QStringLiteral("r2/moved.zip")), QByteArray("moved"));
    }

    void renameNeverReplaces() {
        m_dir->writeFile(QStringLiteral("a"), "a");
        m_dir->writeFile(QStringLiteral("taken"), "taken");
        m_dir->makeDir(QStringLiteral("dir"));
        QVERIFY(QFile::link(m_dir->file(QStringLiteral("nowhere")),
                            m_dir->file(QStringLiteral("dangling"))));
        for (const char* target : {"taken", "dir", "dangling"}) {
            QVERIFY(!platform::renameNoReplace(m_dir->file(QStringLiteral("a")),
                                               m_dir->file(QLatin1StringView(target))));
            QCOMPARE(m_dir->readFile(QStringLiteral("a")), QByteArray("a"));
        }
        QCOMPARE(m_dir->readFile(QStringLiteral("taken")), QByteArray("taken"));
        QVERIFY(QFileInfo(m_dir->file(QStringLiteral("dangling"))).isSymLink());
        QVERIFY(!m_dir->exists(QStringLiteral("nowhere")));
        QVERIFY(platform::renameNoReplace(m_dir->file(QStringLiteral("a")),
                                          m_dir->file(QStringLiteral("b"))));
        QCOMPARE(m_dir->readFile(QStringLiteral("b")), QByteArray("a"));
        QVERIFY(!m_dir->exists(QStringLiteral("a")));
    }

    void dateText() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        // Newer locale data puts a narrow no-break space before AM/PM.
        const auto text = [](const QDateTime& date) {
            return romsetDateText(date).replace(u'\u202f', u' ');
        };
        // Dates are kept in UTC and shown in local time.
        QCOMPARE(text(QDateTime(QDate(2024, 3, 5), QTime(0, 0)).toUTC()), QStringLiteral("3/5/24"));
        QCOMPARE(text(QDateTime(QDate(2024, 3, 5), QTime(14, 3, 9)).toUTC()),
                 QStringLiteral("3/5/24 2:03:09 PM"));
        QCOMPARE(text(QDateTime()), QString());
        QLocale::setDefault(QLocale::system());
    }

private:
    // Plans and carries out the renames: how many were planned, done and failed.
    QList<int> rename(const TGameObjectList& games, RomsetFinder& finder, RomsetNames names) {
        const std::vector<RomsetRename> plan = PlanRomsetRenames(games, finder, names);
        const RomsetRenameOutcome outcome = RenameRomsets(plan, finder);
        m_failed = outcome.failed;
        return {int(plan.size()), outcome.renamed, int(outcome.failed.size())};
    }

    RomDirs dirs() const {
        return {m_dir->file(QStringLiteral("r0/")), m_dir->file(QStringLiteral("r1/")),
                m_dir->file(QStringLiteral("r2/")), m_dir->file(QStringLiteral("r3/"))};
    }

    std::unique_ptr<FrontEndDir> m_dir;
    QStringList m_failed;
};

QTEST_GUILESS_MAIN(TestRomsetFinder)
#include "tst_romsetfinder.moc"
