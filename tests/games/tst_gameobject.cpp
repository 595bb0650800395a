#include "TestSupport.h"
#include "core/IniDocument.h"
#include "games/GameObject.h"
#include "games/RomsetFinder.h"

#include <QtTest>

using testsupport::FrontEndDir;

namespace {

std::unique_ptr<TGameObject> game(const QString& zip, const QStringList& archives = {}) {
    auto g = CreateDefaultGame();
    g->ZipName = zip;
    g->Archives = archives;
    return g;
}

} // namespace

class TestGameObject : public QObject {
    Q_OBJECT

private slots:
    void newRecordHoldsTheDefaults() {
        const auto g = CreateDefaultGame();
        QCOMPARE(g->ZipName, QStringLiteral("Default"));
        QCOMPARE(g->Description, QStringLiteral("Unknown"));
        QCOMPARE(g->Manufacturer, QStringLiteral("Unknown"));
        QCOMPARE(g->Year, QStringLiteral("Unknown"));
        QCOMPARE(g->ScreenWidth, QStringLiteral("?"));
        QCOMPARE(g->ScreenHeight, QStringLiteral("?"));
        QVERIFY(g->Archives.isEmpty());
        QCOMPARE(g->CurScrShot, 0);
        QVERIFY(!g->Installed && !g->BadRomcheck && !g->HasCheats);
    }

    void lookupsIgnoreCaseAndFindTheFirst() {
        TGameObjectList list;
        list.AddGame(game(QStringLiteral("Darius")));
        list.AddGame(game(QStringLiteral("other")));
        list.AddGame(game(QStringLiteral("DARIUS")));
        QCOMPARE(list.count(), 3);
        QCOMPARE(list.at(0)->ZipName, QStringLiteral("Darius"));
        QCOMPARE(list.at(2)->ZipName, QStringLiteral("DARIUS"));
        QCOMPARE(list.FindGame(u"darius"), list.at(0));
        QCOMPARE(list.FindGame(u"DARIUS"), list.at(0));
        QCOMPARE(list.FindGame(u"Other"), list.at(1));
        QCOMPARE(list.FindGame(u"missing"), nullptr);
        list.FreeAll();
        QCOMPARE(list.count(), 0);
        QCOMPARE(list.FindGame(u"darius"), nullptr);

        // At the end of the process the records are left, not freed: the list is empty
        // and takes new games, and what pointed at a record still reads it.
        const TGameObject* kept = list.AddGame(std::move(*game(QStringLiteral("kept"))));
        list.AbandonAtExit();
        QCOMPARE(list.count(), 0);
        QCOMPARE(list.FindGame(u"kept"), nullptr);
        QCOMPARE(kept->ZipName, QStringLiteral("kept"));
        list.AddGame(game(QStringLiteral("kept")));
        QCOMPARE(list.FindGame(u"kept"), list.at(0));
    }

    // Games moved over from another list stand as if they had been added one by one:
    // in order, the first of two names alike found, their sections written alike.
    void appendedGamesStandAsAddedOneByOne() {
        const QStringList names = {"a", "b", "c", "B", "A", "d"};
        TGameObjectList oneByOne;
        TGameObjectList earlier;
        TGameObjectList later;
        for (qsizetype i = 0; i < names.size(); ++i) {
            oneByOne.AddGame(game(names[i]));
            (i < 3 ? earlier : later).AddGame(game(names[i]));
        }
        earlier.AppendGames(std::move(later));
        QCOMPARE(later.count(), 0);
        QCOMPARE(earlier.count(), names.size());
        for (qsizetype i = 0; i < names.size(); ++i) {
            QCOMPARE(earlier.at(i)->ZipName, names[i]);
            QCOMPARE(earlier.FindGame(names[i]) == earlier.at(i),
                     oneByOne.FindGame(names[i]) == oneByOne.at(i));
        }
        QCOMPARE(earlier.FindGame(u"d"), earlier.at(5));
        earlier.AddGame(game(QStringLiteral("e")));
        QCOMPARE(earlier.FindGame(u"E"), earlier.at(6));
        oneByOne.AddGame(game(QStringLiteral("e")));
        IniDocument a = IniDocument::emptyFor(QString());
        IniDocument b = IniDocument::emptyFor(QString());
        QCOMPARE(earlier.WithSettingsSections(a), oneByOne.WithSettingsSections(b));
    }

    // The per-game sections are written as the document would write them key by key,
    // whatever the names: distinct ones go straight into the text, names that share a
    // section (with each other or with the document's own) through the document, where
    // the last write wins.
    void settingsSectionsMatchKeyByKeyWrites_data() {
        QTest::addColumn<QStringList>("names");
        QTest::newRow("distinct") << QStringList{"alpha", "b\u00e9ta", "gamma"};
        QTest::newRow("alike without case") << QStringList{"Zeta", "alpha", "zeta"};
        QTest::newRow("the front-end's section") << QStringList{"alpha", "startkalto"};
        QTest::newRow("named like the columns' section") << QStringList{"alpha", "columns"};
        QTest::newRow("none") << QStringList{};
        // More text than one piece of the writing, and a name longer than a piece.
        QStringList many;
        for (int i = 0; i < 3000; ++i)
            many.append(QStringLiteral("game%1").arg(i));
        many.insert(1500, QString(30000, u'\u00e9'));
        QTest::newRow("many, one very long") << many;
    }
    void settingsSectionsMatchKeyByKeyWrites() {
        QFETCH(QStringList, names);
        TGameObjectList list;
        for (qsizetype i = 0; i < names.size(); ++i) {
            auto g = game(names[i]);
            g->BadRomcheck = i % 2;
            g->GoodRomcheck = i % 4 == 0;
            g->CurScrShot = int(i * 1000 - 1);
            // The first game has no history, the others some of it.
            g->Favourite = i % 2 == 1;
            g->PlayCount = int(i);
            g->LastPlayed = i > 1 ? 1700000000 + i : 0;
            g->PlayTime = i * 3'000'000'000LL; // beyond 32 bits
            list.AddGame(std::move(g));
        }
        const auto head = [] {
            IniDocument ini = IniDocument::emptyFor(QString());
            ini.writeString(u"StartKALTO", u"EmuExePath", u"./");
            ini.writeString(u"Columns", u"Play time", u"70");
            return ini;
        };
        IniDocument expected = head();
        for (TGameObject* g : list) {
            expected.writeBool(g->ZipName, u"BadRomcheck", g->BadRomcheck);
            expected.writeInteger(g->ZipName, u"CurScrShot", g->CurScrShot);
            if (g->GoodRomcheck || expected.keyExists(g->ZipName, u"GoodRomcheck"))
                expected.writeBool(g->ZipName, u"GoodRomcheck", g->GoodRomcheck);
            if (g->Favourite)
                expected.writeBool(g->ZipName, u"Favourite", true);
            if (g->PlayCount > 0)
                expected.writeInteger(g->ZipName, u"PlayCount", g->PlayCount);
            if (g->LastPlayed > 0)
                expected.writeDateTime(g->ZipName, u"LastPlayed",
                                       QDateTime::fromSecsSinceEpoch(g->LastPlayed, Qt::UTC));
            if (g->PlayTime > 0)
                expected.writeString(g->ZipName, u"PlayTime", QString::number(g->PlayTime));
        }
        IniDocument settings = head();
        const QByteArray text = list.WithSettingsSections(settings);
        QCOMPARE(text, expected.serialize());

        // And back: every game reads its own section (or the one it shares); a picture
        // number below 0 reads as the first picture.
        const IniDocument back = IniDocument::fromBytes(text);
        struct Kept {
            bool favourite;
            int count;
            qint64 last, time;
        };
        std::vector<Kept> before;
        for (TGameObject* g : list) {
            before.push_back({g->Favourite, g->PlayCount, g->LastPlayed, g->PlayTime});
            *g = std::move(*game(g->ZipName));
        }
        list.ReadSettingsSections(back);
        for (qsizetype i = 0; i < list.count(); ++i) {
            const TGameObject* g = list.at(i);
            QCOMPARE(g->CurScrShot, std::max(0, back.readInteger(g->ZipName, u"CurScrShot", -7)));
            QCOMPARE(g->GoodRomcheck, back.readBool(g->ZipName, u"GoodRomcheck", false));
            // Games that share a section read what was written last into it; the
            // window's own keys there stay its own.
            QCOMPARE(back.readInteger(u"Columns", u"Play time", -1), 70);
            const Kept& kept = before[size_t(i)];
            if (names.filter(g->ZipName, Qt::CaseInsensitive).size() == 1) {
                QCOMPARE(g->Favourite, kept.favourite);
                QCOMPARE(g->PlayCount, kept.count);
                QCOMPARE(g->LastPlayed, kept.last);
                QCOMPARE(g->PlayTime, kept.time);
            }
        }
    }

    // Hand-edited history reads as the program means it: a key in any case, the first of
    // two lines, a time in the older local form, and values that make no sense as none.
    void handEditedHistory_data() {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<bool>("favourite");
        QTest::addColumn<int>("count");
        QTest::addColumn<QDateTime>("last");
        QTest::addColumn<qint64>("time");
        const QDateTime leap(QDate(2024, 2, 29), QTime(12, 0, 1), Qt::UTC);
        QTest::newRow("as written")
            << QByteArray("Favourite=1\r\nPlayCount=2\r\nLastPlayed=2024-02-29T12:00:01Z\r\n"
                          "PlayTime=7\r\n")
            << true << 2 << leap << qint64(7);
        QTest::newRow("any case, first line wins")
            << QByteArray("favourite=1\r\nFAVOURITE=0\r\nplaycount=4\r\nPlayCount=9\r\n") << true
            << 4 << QDateTime() << qint64(0);
        QTest::newRow("older local time")
            << QByteArray("LastPlayed=2024-02-29T13:00:01\r\n") << false << 0
            << QDateTime(QDate(2024, 2, 29), QTime(13, 0, 1)) << qint64(0);
        QTest::newRow("nonsense")
            << QByteArray("Favourite=yes\r\nPlayCount=-3\r\nLastPlayed=2023-02-29T00:00:00Z\r\n"
                          "PlayTime=lots\r\n")
            << false << 0 << QDateTime() << qint64(0);
        QTest::newRow("past the 32 bits, before the epoch")
            << QByteArray("PlayTime=99999999999\r\nLastPlayed=1900-01-01T00:00:00Z\r\n") << false
            << 0 << QDateTime() << qint64(99999999999);
    }
    void handEditedHistory() {
        QFETCH(QByteArray, section);
        QFETCH(bool, favourite);
        QFETCH(int, count);
        QFETCH(QDateTime, last);
        QFETCH(qint64, time);
        TGameObjectList list;
        list.AddGame(game(QStringLiteral("alpha")));
        list.ReadSettingsSections(IniDocument::fromBytes("[alpha]\r\n" + section));
        const TGameObject* g = list.at(0);
        QCOMPARE(g->Favourite, favourite);
        QCOMPARE(g->PlayCount, count);
        QCOMPARE(g->LastPlayed, last.isValid() ? last.toSecsSinceEpoch() : 0);
        QCOMPARE(g->PlayTime, time);
    }
    // Sections of games not listed now go back into the file as they were, after the
    // listed games', through the document and straight into the text alike; sections
    // that are no game's are not kept. Listed again, the game reads its marks back.
    void unlistedGamesKeepTheirSections_data() {
        QTest::addColumn<QStringList>("names");
        QTest::newRow("straight into the text") << QStringList{"alpha", "beta"};
        QTest::newRow("through the document") << QStringList{"alpha", "ALPHA", "beta"};
    }
    void unlistedGamesKeepTheirSections() {
        QFETCH(QStringList, names);
        TGameObjectList list;
        for (const QString& name : names)
            list.AddGame(game(name));
        list.ReadSettingsSections(IniDocument::fromBytes(
            "[Window]\r\nLGLPos=3\r\n[Game0]\r\nZipName=gone\r\n"
            "[secret]\r\nBadRomcheck=1\r\nCurScrShot=007\r\n"
            "PlayTime=60\r\nFavourite=1\r\n"
            "[beta]\r\nCurScrShot=2\r\n[shot]\r\nCurScrShot=-3\r\nGoodRomcheck=1\r\n"
            "[played]\r\nCurScrShot=0\r\nPlayCount=1\r\nLastPlayed=2020-01-01T00:00:00Z\r\n"
            "[Columns]\r\nPlayTime=70\r\n[history]\r\nPlayCount=4\r\n"));
        IniDocument settings = IniDocument::emptyFor(QString());
        settings.writeString(u"StartKALTO", u"EmuExePath", u"./");
        const QByteArray text = list.WithSettingsSections(settings);
        QCOMPARE(text.mid(text.indexOf("[beta]")),
                 QByteArray("[beta]\r\nBadRomcheck=0\r\nCurScrShot=2\r\n\r\n"
                            "[secret]\r\nBadRomcheck=1\r\nCurScrShot=007\r\nFavourite=1\r\n"
                            "PlayTime=60\r\n\r\n"
                            "[shot]\r\nCurScrShot=-3\r\nGoodRomcheck=1\r\n\r\n"
                            "[played]\r\nCurScrShot=0\r\nPlayCount=1\r\n"
                            "LastPlayed=2020-01-01T00:00:00Z\r\n\r\n"));
        // A section the program did not write for a game is none, whatever keys it holds.
        QVERIFY(!text.contains("Game0") && !text.contains("Window") && !text.contains("Columns") &&
                !text.contains("history"));
        list.AddGame(game(QStringLiteral("Secret")));
        list.ReadSettingsSections(IniDocument::fromBytes(text));
        QVERIFY(list.FindGame(u"secret")->BadRomcheck);
        QCOMPARE(list.FindGame(u"secret")->CurScrShot, 7);
        QVERIFY(list.FindGame(u"secret")->Favourite);
        QCOMPARE(list.FindGame(u"secret")->PlayTime, 60);
    }

    void updateFlagsSetsCheatsAndInstalled() {
        FrontEndDir dir;
        dir.writeFile(QStringLiteral("Config/Cheats.cfg"),
                      "[Darius:Cheats]\r\nInfinite Lives=0x1:1\r\n"
                      "[empty:Cheats]\r\n\r\n"
                      "[nocolon]\r\nk=v\r\n");
        dir.writeFile(QStringLiteral("roms/darius.zip"), "");
        TGameObjectList list;
        list.AddGame(game(QStringLiteral("darius"), {QStringLiteral("darius")}));
        list.AddGame(game(QStringLiteral("empty"), {QStringLiteral("empty")}));
        list.AddGame(game(QStringLiteral("nocolon"), {QStringLiteral("nocolon")}));
        RomsetFinder romsets;
        romsets.setRomDirs({dir.file(QStringLiteral("roms/")), {}, {}, {}});
        list.UpdateFlags(romsets, false, dir.file(QStringLiteral("Config/Cheats.cfg")));
        QVERIFY(list.at(0)->HasCheats);
        QVERIFY(!list.at(1)->HasCheats);
        QVERIFY(!list.at(2)->HasCheats);
        QVERIFY(list.at(0)->Installed);
        QVERIFY(!list.at(1)->Installed);

        // A zip added since is found by the next check; a missing cheat file means none.
        dir.writeFile(QStringLiteral("roms/empty.zip"), "");
        list.UpdateFlags(romsets, false, dir.file(QStringLiteral("Config/none.cfg")));
        QVERIFY(list.at(1)->Installed);
        QVERIFY(!list.at(0)->HasCheats);
    }

    // With merged romsets a game is installed when a romcheck named it good, or when its
    // own set is on disk and no romcheck named it bad; a game no romcheck named, whose
    // set is only its parent's, is not.
    void mergedRomsetsFollowTheRomcheck() {
        FrontEndDir dir;
        dir.writeFile(QStringLiteral("roms/parent.zip"), "");
        dir.writeFile(QStringLiteral("roms/ownbad.zip"), "");
        TGameObjectList list;
        const QString parent = QStringLiteral("parent");
        list.AddGame(game(QStringLiteral("named"), {QStringLiteral("named"), parent}));
        list.AddGame(game(QStringLiteral("unnamed"), {QStringLiteral("unnamed"), parent}));
        list.AddGame(game(parent, {parent}));
        list.AddGame(game(QStringLiteral("ownbad"), {QStringLiteral("ownbad")}));
        list.AddGame(game(QStringLiteral("nowhere"), {QStringLiteral("nowhere")}));
        list.at(0)->GoodRomcheck = true;
        list.at(3)->BadRomcheck = true;
        RomsetFinder romsets;
        romsets.setRomDirs({dir.file(QStringLiteral("roms/")), {}, {}, {}});
        const auto installed = [&](bool merged) {
            list.UpdateFlags(romsets, merged, QString());
            QList<bool> result;
            for (const TGameObject* g : list)
                result.append(g->Installed);
            return result;
        };
        QCOMPARE(installed(true), (QList<bool>{true, false, true, false, false}));
        // Without merged romsets the disk alone decides.
        QCOMPARE(installed(false), (QList<bool>{true, true, true, true, false}));
    }
};

QTEST_GUILESS_MAIN(TestGameObject)
#include "tst_gameobject.moc"
