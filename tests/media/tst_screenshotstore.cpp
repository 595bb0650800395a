#include "TestSupport.h"
#include "core/PathSet.h"
#include "media/ScreenshotStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

using testsupport::FrontEndDir;

class TestScreenshotStore : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = std::make_unique<FrontEndDir>();
        m_dir->makeDir(QStringLiteral("Gameplay"));
        m_dir->makeDir(QStringLiteral("StartKaltoTemp"));
        m_gameplay = m_dir->file(QStringLiteral("Gameplay/"));
        m_temp = m_dir->file(QStringLiteral("StartKaltoTemp/"));
    }
    void cleanup() { m_dir.reset(); }

    void numberText_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("one") << 1 << "001";
        QTest::newRow("two digits") << 99 << "099";
        QTest::newRow("three digits") << 100 << "100";
        QTest::newRow("four digits") << 1000 << "1000";
    }

    void numberText() {
        QFETCH(int, number);
        QFETCH(QString, text);
        QCOMPARE(NumberText(number), text);
    }

    void nextGameplayName_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("zipName");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty folder") << QStringList() << "mygame"
                                      << "mygame.001.pcx";
        QTest::newRow("any picture format takes the number")
            << QStringList{"mygame.001.jpg"} << "mygame"
            << "mygame.002.pcx";
        QTest::newRow("other case, lower-case result") << QStringList{"MYGAME.001.PNG"} << "MyGame"
                                                       << "mygame.002.pcx";
        QTest::newRow("first gap") << QStringList{"mygame.001.pcx", "mygame.003.bmp"} << "mygame"
                                   << "mygame.002.pcx";
        QTest::newRow("other games do not count")
            << QStringList{"othergame.001.pcx", "mygame2.001.pcx", "xmygame.001.pcx"} << "mygame"
            << "mygame.001.pcx";
        QTest::newRow("name matched literally")
            << QStringList{"game.001.pcx", "gxme.001.pcx"} << "g?me"
            << "g?me.001.pcx";
    }

    void nextGameplayName() {
        QFETCH(QStringList, present);
        QFETCH(QString, zipName);
        QFETCH(QString, expected);
        for (const QString& name : present)
            m_dir->writeFile(QStringLiteral("Gameplay/") + name, "picture");
        QCOMPARE(NextGameplayName(m_gameplay, zipName), m_gameplay + expected);
        // Asking creates nothing.
        QCOMPARE(QDir(m_gameplay).count(), uint(present.size()) + 2); // with "." and ".."
    }

    void runScreenshotsAreFiled() {
        m_dir->writeFile(QStringLiteral("Gameplay/mygame.001.pcx"), "old 1");
        m_dir->writeFile(QStringLiteral("Gameplay/mygame.003.bmp"), "old 3");
        m_dir->writeFile(QStringLiteral("StartKaltoTemp/c.pcx"), "shot c");
        m_dir->writeFile(QStringLiteral("StartKaltoTemp/b.PCX"), "shot b");
        m_dir->writeFile(QStringLiteral("StartKaltoTemp/a.pcx"), "shot a");

        QCOMPARE(CollectRunScreenshots(m_temp, m_gameplay, QStringLiteral("MyGame")),
                 (QStringList{m_gameplay + "mygame.002.pcx", m_gameplay + "mygame.004.pcx",
                              m_gameplay + "mygame.005.pcx"}));

        QCOMPARE(QDir(m_gameplay).entryList(QDir::Files, QDir::Name),
                 (QStringList{"mygame.001.pcx", "mygame.002.pcx", "mygame.003.bmp",
                              "mygame.004.pcx", "mygame.005.pcx"}));
        QCOMPARE(m_dir->readFile(QStringLiteral("Gameplay/mygame.001.pcx")), "old 1");
        QCOMPARE(m_dir->readFile(QStringLiteral("Gameplay/mygame.002.pcx")), "shot a");
        QCOMPARE(m_dir->readFile(QStringLiteral("Gameplay/mygame.003.bmp")), "old 3");
        QCOMPARE(m_dir->readFile(QStringLiteral("Gameplay/mygame.004.pcx")), "shot b");
        QCOMPARE(m_dir->readFile(QStringLiteral("Gameplay/mygame.005.pcx")), "shot c");
        QVERIFY(!QFileInfo::exists(m_temp));
        QCOMPARE(NextGameplayName(m_gameplay, QStringLiteral("mygame")),
                 m_gameplay + "mygame.006.pcx");
    }

    // Other files, and the shots that lay there before the run (leftovers), stay.
    void otherFilesStayInTheTempDir() {
        m_dir->writeFile(QStringLiteral("StartKaltoTemp/notes.txt"), "notes");
        m_dir->writeFile(QStringLiteral("StartKaltoTemp/shot.pcx"), "shot");
        m_dir->writeFile(QStringLiteral("StartKaltoTemp/earlier.pcx"), "earlier");
        m_dir->makeDir(QStringLiteral("StartKaltoTemp/folder.pcx"));

        QCOMPARE(CollectRunScreenshots(m_temp, m_gameplay, QStringLiteral("mygame"),
                                       {QStringLiteral("earlier.pcx")})
                     .size(),
                 1);
        QCOMPARE(m_dir->readFile(QStringLiteral("Gameplay/mygame.001.pcx")), "shot");
        QCOMPARE(QDir(m_temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
                 (QStringList{"earlier.pcx", "folder.pcx", "notes.txt"}));
        QCOMPARE(QDir(m_gameplay).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"mygame.001.pcx"});
    }

    // A gameplay folder on another file system (a link to a bigger disk) gets the shots
    // by a copy that replaces nothing, and each shot leaves once its copy is whole; a
    // title made from there moves back the same way.
    void shotsReachAnotherFileSystem() {
        testsupport::TinyFileSystem disk(1024);
        QTemporaryDir shm(QStringLiteral("/dev/shm/startkalto-XXXXXX"));
        const QString other = disk.isActive() ? disk.path() : shm.path() + u'/';
        struct stat here = {}, there = {};
        if (::stat(QFile::encodeName(m_dir->path()).constData(), &here) != 0 ||
            ::stat(QFile::encodeName(other).constData(), &there) != 0 ||
            here.st_dev == there.st_dev)
            QSKIP("no second file system here");
        QVERIFY(QDir(m_gameplay).removeRecursively());
        QVERIFY(QDir().mkpath(other + QStringLiteral("Gameplay")));
        QVERIFY(QFile::link(other + QStringLiteral("Gameplay"), m_dir->file("Gameplay")));
        m_dir->writeFile(QStringLiteral("Gameplay/mygame.001.pcx"), "old 1");
        m_dir->writeFile(QStringLiteral("StartKaltoTemp/a.pcx"), "shot a");
        m_dir->writeFile(QStringLiteral("StartKaltoTemp/b.pcx"), "shot b");

        QCOMPARE(CollectRunScreenshots(m_temp, m_gameplay, QStringLiteral("mygame")),
                 (QStringList{m_gameplay + "mygame.002.pcx", m_gameplay + "mygame.003.pcx"}));
        QCOMPARE(QDir(other + QStringLiteral("Gameplay")).entryList(QDir::Files, QDir::Name),
                 (QStringList{"mygame.001.pcx", "mygame.002.pcx", "mygame.003.pcx"}));
        QCOMPARE(m_dir->readFile(QStringLiteral("Gameplay/mygame.001.pcx")), "old 1");
        QCOMPARE(m_dir->readFile(QStringLiteral("Gameplay/mygame.003.pcx")), "shot b");
        QVERIFY(!QFileInfo::exists(m_temp));

        const QString titles = m_dir->file(QStringLiteral("Titles/"));
        m_dir->makeDir(QStringLiteral("Titles"));
        QVERIFY(MakeTitle(m_gameplay + "mygame.002.pcx", titles, m_gameplay, "mygame"));
        QCOMPARE(m_dir->readFile(QStringLiteral("Titles/mygame.pcx")), "shot a");
        QVERIFY(!QFileInfo::exists(m_gameplay + "mygame.002.pcx"));
    }

    void nothingIsReplaced() {
        // A dangling link does not show in the folder's listing, yet holds the name.
        QVERIFY(QFile::link(m_dir->file(QStringLiteral("nowhere")),
                            m_gameplay + QStringLiteral("mygame.001.pcx")));
        m_dir->writeFile(QStringLiteral("Gameplay/MyGame.002.PCX"), "old 2");
        m_dir->writeFile(QStringLiteral("StartKaltoTemp/a.pcx"), "shot a");

        QCOMPARE(CollectRunScreenshots(m_temp, m_gameplay, QStringLiteral("mygame")),
                 QStringList{m_gameplay + "mygame.003.pcx"});

        QVERIFY(QFileInfo(m_gameplay + QStringLiteral("mygame.001.pcx")).isSymLink());
        QVERIFY(!QFileInfo::exists(m_dir->file(QStringLiteral("nowhere"))));
        QCOMPARE(m_dir->readFile(QStringLiteral("Gameplay/MyGame.002.PCX")), "old 2");
        QCOMPARE(m_dir->readFile(QStringLiteral("Gameplay/mygame.003.pcx")), "shot a");
        QVERIFY(!QFileInfo::exists(m_temp));
    }

    // A folder unchanged for a while is listed once and its listing used again; a
    // change of its entries is seen at once.
    void unchangedFoldersAreListedOnce() {
        PathSet paths;
        paths.setFrontEndDir(m_dir->path());
        m_dir->writeFile(QStringLiteral("Gameplay/mygame.001.pcx"), "");
        m_dir->writeFile(QStringLiteral("Gameplay/mygame.002.pcx"), "");
        const QByteArray folder = QFile::encodeName(paths.GameplayDir);
        const auto age = [&] {
            const struct timespec hourAgo = {::time(nullptr) - 3600, 0};
            const struct timespec times[2] = {hourAgo, hourAgo};
            QCOMPARE(::utimensat(AT_FDCWD, folder.constData(), times, 0), 0);
        };
        const ScreenshotKinds gameplay{false, true, false, false, false};
        age();
        QCOMPARE(CollectScreenshots(paths, QStringLiteral("mygame"), gameplay).size(), 2);
        // Taken away behind the folder's time: the kept listing still shows it.
        QVERIFY(QFile::remove(paths.GameplayDir + QStringLiteral("mygame.002.pcx")));
        age();
        QCOMPARE(CollectScreenshots(paths, QStringLiteral("mygame"), gameplay).size(), 2);
        // A new file changes the folder's time: listed again.
        m_dir->writeFile(QStringLiteral("Gameplay/mygame.003.pcx"), "");
        QCOMPARE(CollectScreenshots(paths, QStringLiteral("mygame"), gameplay),
                 (QStringList{paths.GameplayDir + QStringLiteral("mygame.001.pcx"),
                              paths.GameplayDir + QStringLiteral("mygame.003.pcx")}));
    }

    void withoutGameplayFolderShotsStay() {
        QVERIFY(QDir(m_gameplay).removeRecursively());
        m_dir->writeFile(QStringLiteral("StartKaltoTemp/a.pcx"), "shot a");
        m_dir->writeFile(QStringLiteral("StartKaltoTemp/b.pcx"), "shot b");

        QVERIFY(CollectRunScreenshots(m_temp, m_gameplay, QStringLiteral("mygame")).isEmpty());
        QCOMPARE(m_dir->readFile(QStringLiteral("StartKaltoTemp/a.pcx")), "shot a");
        QCOMPARE(m_dir->readFile(QStringLiteral("StartKaltoTemp/b.pcx")), "shot b");
        QVERIFY(!QFileInfo::exists(m_gameplay));

        // A run without a temp folder at all files nothing and leaves none behind.
        const QString none = m_dir->file(QStringLiteral("NoTemp/"));
        QVERIFY(CollectRunScreenshots(none, m_dir->file(QStringLiteral("StartKaltoTemp/")),
                                      QStringLiteral("mygame"))
                    .isEmpty());
        QVERIFY(!QFileInfo::exists(none));
    }

private:
    std::unique_ptr<FrontEndDir> m_dir;
    QString m_gameplay;
    QString m_temp;
};

QTEST_GUILESS_MAIN(TestScreenshotStore)
#include "tst_screenshotstore.moc"
