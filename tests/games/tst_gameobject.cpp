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
        QTest::newRow("none") << QStringList{};
    }
    void settingsSectionsMatchKeyByKeyWrites() {
        QFETCH(QStringList, names);
        TGameObjectList list;
        for (qsizetype i = 0; i < names.size(); ++i) {
            auto g = game(names[i]);
            g->BadRomcheck = i % 2;
            g->GoodRomcheck = i % 4 == 0;
            g->CurScrShot = int(i * 1000 - 1);
            list.AddGame(std::move(g));
        }
        const auto head = [] {
            IniDocument ini = IniDocument::emptyFor(QString());
            ini.writeString(u"StartKALTO", u"EmuExePath", u"./");
            return ini;
        };
        IniDocument expected = head();
        for (TGameObject* g : list) {
            expected.writeBool(g->ZipName, u"BadRomcheck", g->BadRomcheck);
            expected.writeInteger(g->ZipName, u"CurScrShot", g->CurScrShot);
            if (g->GoodRomcheck || expected.keyExists(g->ZipName, u"GoodRomcheck"))
                expected.writeBool(g->ZipName, u"GoodRomcheck", g->GoodRomcheck);
        }
        IniDocument settings = head();
        const QByteArray text = list.WithSettingsSections(settings);
        QCOMPARE(text, expected.serialize());

        // And back: every game reads its own section (or the one it shares); a picture
        // number below 0 reads as the first picture.
        const IniDocument back = IniDocument::fromBytes(text);
        list.ReadSettingsSections(back);
        for (TGameObject* g : list) {
            QCOMPARE(g->CurScrShot, std::max(0, back.readInteger(g->ZipName, u"CurScrShot", -7)));
            QCOMPARE(g->GoodRomcheck, back.readBool(g->ZipName, u"GoodRomcheck", false));
        }
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
            "[beta]\r\nCurScrShot=2\r\n[shot]\r\nCurScrShot=-3\r\nGoodRomcheck=1\r\n"));
        IniDocument settings = IniDocument::emptyFor(QString());
        settings.writeString(u"StartKALTO", u"EmuExePath", u"./");
        const QByteArray text = list.WithSettingsSections(settings);
        QCOMPARE(text.mid(text.indexOf("[beta]")),
                 QByteArray("[beta]\r\nBadRomcheck=0\r\nCurScrShot=2\r\n\r\n"
                            "[secret]\r\nBadRomcheck=1\r\nCurScrShot=007\r\n\r\n"
                            "[shot]\r\nCurScrShot=-3\r\nGoodRomcheck=1\r\n\r\n"));
        QVERIFY(!text.contains("Game0") && !text.contains("Window"));
        list.AddGame(game(QStringLiteral("Secret")));
        list.ReadSettingsSections(IniDocument::fromBytes(text));
        QVERIFY(list.FindGame(u"secret")->BadRomcheck);
        QCOMPARE(list.FindGame(u"secret")->CurScrShot, 7);
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
