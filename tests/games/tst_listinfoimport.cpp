#include "TestSupport.h"
#include "games/GameObject.h"
#include "games/ListInfoImport.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QtTest>

using testsupport::FrontEndDir;

class TestListInfoImport : public QObject {
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<FrontEndDir>(); }
    void cleanup() {
        m_games.FreeAll();
        m_dir.reset();
    }

    void theBlockExample() {
        QVERIFY(import("game (\r\n"
                       "\tname mygame\r\n"
                       "\tdescription \"My Game (set 1)\"\r\n"
                       "\tmanufacturer \"Some Maker\"\r\n"
                       "\tyear 1990\r\n"
                       "\tarchive ( name \"mygame\" name \"parentset\" )\r\n"
                       "\tvideo ( screen raster x 320 y 240 )\r\n"
                       ")\r\n"));
        QCOMPARE(m_games.count(), 1);
        const TGameObject& g = *m_games.at(0);
        QCOMPARE(g.ZipName, QStringLiteral("mygame"));
        QCOMPARE(g.Description, QStringLiteral("My Game (set 1)"));
        QCOMPARE(g.Manufacturer, QStringLiteral("Some Maker"));
        QCOMPARE(g.Year, QStringLiteral("1990"));
        QCOMPARE(g.Archives, (QStringList{QStringLiteral("mygame"), QStringLiteral("parentset")}));
        QCOMPARE(g.ScreenWidth, QStringLiteral("320"));
        QCOMPARE(g.ScreenHeight, QStringLiteral("240"));
        QVERIFY(!g.Installed);
    }

    void blockOpeners_data() {
        QTest::addColumn<QByteArray>("opener");
        QTest::addColumn<bool>("opens");
        QTest::newRow("plain") << QByteArray("game (") << true;
        QTest::newRow("tabs and blanks") << QByteArray(" \t game ( \t") << true;
        QTest::newRow("capital") << QByteArray("Game (") << false;
        QTest::newRow("no blank") << QByteArray("game(") << false;
        QTest::newRow("two blanks") << QByteArray("game  (") << false;
    }
    void blockOpeners() {
        QFETCH(QByteArray, opener);
        QFETCH(bool, opens);
        QVERIFY(
            import(opener + "\n\t\tname a\n description \"A\"\nmanufacturer \"M\"\nyear 1\n\t)\n"));
        QCOMPARE(m_games.count(), opens ? 1 : 0);
    }

    void archiveLines() {
        QVERIFY(import(block("q", "archive ( name q name \"p\" )\n"
                                  "archive ( name \"x y\" )\n"
                                  "archive ( name \"\" name \"..\" name \"a/b\" name \"ok\" )\n"
                                  "archive ( name \"in\"side\" name \"\"q\"\" name Q )\n"
                                  "archive ( name \"tail\"\n")));
        QCOMPARE(m_games.count(), 1);
        // Quoted and unquoted names alike; two lines add to one list; a name is one
        // blank-separated word; unsafe names are dropped; quotes within a name become
        // blanks; a last name without a blank after it is empty, so dropped.
        QCOMPARE(m_games.at(0)->Archives,
                 (QStringList{QStringLiteral("q"), QStringLiteral("p"), QStringLiteral("x"),
                              QStringLiteral("ok"), QStringLiteral("in side"), QStringLiteral("q"),
                              QStringLiteral("Q")}));
    }

    void otherLinesAndMissingParts() {
        QVERIFY(
            import(block("noarch", "rom ( name a.bin size 1 crc 0 )\ndriver ( status good )\n") +
                   "game (\nname short\ndescription \"\"\nmanufacturer\nyear\n)\n"));
        QCOMPARE(m_games.count(), 2);
        QVERIFY(m_games.at(0)->Archives.isEmpty());
        QCOMPARE(m_games.at(0)->ScreenWidth, QStringLiteral("?"));
        QCOMPARE(m_games.at(0)->ScreenHeight, QStringLiteral("?"));
        QCOMPARE(m_games.at(1)->Description, QString());
        QCOMPARE(m_games.at(1)->Manufacturer, QString());
        QCOMPARE(m_games.at(1)->Year, QString());
    }

    void videoWordsByPosition() {
        QVERIFY(import(block("v", "video ( screen vector x 640 y 480 orientation vertical )\n") +
                       block("w", "video ( screen raster x 320\n")));
        QCOMPARE(m_games.count(), 2);
        QCOMPARE(m_games.at(0)->ScreenWidth, QStringLiteral("640"));
        QCOMPARE(m_games.at(0)->ScreenHeight, QStringLiteral("480"));
        // Words are split by blanks; the last one is no word.
        QCOMPARE(m_games.at(1)->ScreenWidth, QString());
    }

    void aYearLineOfACloseEndsTheBlock() {
        QVERIFY(import("game (\nname first\ndescription \"F\"\nmanufacturer \"M\"\n)\n" +
                       block("second", "")));
        QCOMPARE(m_games.count(), 2);
        QCOMPARE(m_games.at(0)->Year, QString());
        QCOMPARE(m_games.at(1)->ZipName, QStringLiteral("second"));
    }

    void unsafeZipNamesAreDropped() {
        // Control characters of both ranges, as UTF-8 and as 8-bit text.
        QVERIFY(import(block("../evil", "") + block("a\\b", "") + block(".", "") +
                       block("c\x01tl", "") + block("c\xc2\x85tl", "") + block("c\x9ftl", "") +
                       block("del\x7f", "") +
                       block("good", "archive ( name \"x\xc2\x9b\" name ok )\n")));
        QCOMPARE(m_games.count(), 1);
        QCOMPARE(m_games.at(0)->Archives, QStringList{QStringLiteral("ok")});
        QCOMPARE(m_games.at(0)->ZipName, QStringLiteral("good"));
    }

    // Lines end at LF or CR LF; a lone CR is part of its line, so a title holding one
    // does not shift the maker and year into the wrong fields.
    void linesEndAtLineFeeds() {
        QVERIFY(import("game (\r\nname crlf\r\ndescription \"A\rB\"\r\nmanufacturer \"M\"\r\n"
                       "year 2\r\n)\r\n"
                       "game (\nname lf\ndescription \"L\"\nmanufacturer \"M\"\nyear 3\n)"));
        QCOMPARE(m_games.count(), 2);
        QCOMPARE(m_games.at(0)->Description, QStringLiteral("A\rB"));
        QCOMPARE(m_games.at(0)->Manufacturer, QStringLiteral("M"));
        QCOMPARE(m_games.at(0)->Year, QStringLiteral("2"));
        QCOMPARE(m_games.at(1)->ZipName, QStringLiteral("lf"));
        // Lone CRs break no lines: the whole file is one line, and no block opens.
        QVERIFY(import("game (\rname cr\rdescription \"C\"\rmanufacturer \"M\"\ryear 2\r)\r"));
        QCOMPARE(m_games.count(), 0);
    }

    // Sixteen megabytes without a line break, read in small blocks: every byte is
    // looked at a bounded number of times, so this takes milliseconds, not minutes.
    void aFileWithoutLineBreaks() {
        QByteArray text(16 << 20, '\0');
        text += "\n" + block("after", "");
        QBuffer buffer(&text);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        QString error;
        QVERIFY(ImportGameList(m_games, buffer, &error, 4096));
        QCOMPARE(m_games.count(), 1);
        QCOMPARE(m_games.at(0)->ZipName, QStringLiteral("after"));
    }

    void eightBitAndUtf8Titles() {
        QVERIFY(import(block("latin", "", "Caf\xe9") + block("utf", "", "Caf\xc3\xa9")));
        QCOMPARE(m_games.count(), 2);
        QCOMPARE(m_games.at(0)->Description, QStringLiteral("Caf\u00e9"));
        QCOMPARE(m_games.at(1)->Description, QStringLiteral("Caf\u00e9"));
        // Only texts known to be plain ASCII are searched without folding.
        QVERIFY(import(block("plain", "") + block("latin", "", "Caf\xe9")));
        QVERIFY(m_games.at(0)->PlainTexts);
        QVERIFY(!m_games.at(1)->PlainTexts);
    }

    void endOfFileInsideABlockDropsIt() {
        QVERIFY(import(block("whole", "") + "game (\nname cut\ndescription \"C\"\n"));
        QCOMPARE(m_games.count(), 1);
        QVERIFY(import(block("whole", "") + block("open", "").chopped(5)));
        QCOMPARE(m_games.count(), 1);
    }

    void reimportGivesTheSameListAndFreesTheOld() {
        const QByteArray text =
            block("a", "archive ( name \"a\" )\n") + block("b", "") + block("a", "");
        QVERIFY(import(text));
        QCOMPARE(m_games.count(), 3);
        QVERIFY(import(text));
        QCOMPARE(m_games.count(), 3);
        QCOMPARE(m_games.at(2)->ZipName, QStringLiteral("a"));
        QCOMPARE(m_games.FindGame(u"A"), m_games.at(0));
    }

    void missingFileGivesAMessageAndAnEmptyList() {
        QVERIFY(import(block("a", "")));
        QString error;
        QVERIFY(!ImportGameList(m_games, m_dir->file(QStringLiteral("none.txt")), &error));
        QCOMPARE(m_games.count(), 0);
        QVERIFY(error.contains(QStringLiteral("none.txt")));
    }

    void longLinesAcrossBlocks() {
        // Lines longer than the read block, and a CR LF split across two blocks.
        const QByteArray padding((1 << 20) - 6, 'x');
        QVERIFY(import("skip " + padding + "\r\n" + block("after", "rom " + padding + "\n")));
        QCOMPARE(m_games.count(), 1);
        QCOMPARE(m_games.at(0)->Year, QStringLiteral("1990"));
    }

    // Fifty thousand random, truncated or shuffled blocks must never crash the import,
    // and every game it keeps has a safe name.
    void garbageNeverCrashes() {
        QRandomGenerator random(20261207);
        const QByteArray pieces[] = {"game (",
                                     ")",
                                     "name ",
                                     "description \"",
                                     "manufacturer ",
                                     "year ",
                                     "archive ( name \"",
                                     "\" name ",
                                     " )",
                                     "video ( ",
                                     "x ",
                                     "y ",
                                     "\r\n",
                                     "\n",
                                     "\r",
                                     "\t",
                                     " ",
                                     "..",
                                     "/",
                                     "\"",
                                     "\x01",
                                     "\xff",
                                     "\xc3",
                                     "rom ( name a size 1 )"};
        QByteArray text;
        for (int block = 0; block < 50000; ++block) {
            if (random.bounded(4) == 0) {
                const int n = random.bounded(12);
                for (int i = 0; i < n; ++i)
                    text += pieces[random.bounded(int(std::size(pieces)))];
                continue;
            }
            QByteArray b = this->block(QByteArray::number(random.generate(), 36),
                                       "archive ( name \"p\" )\nvideo ( screen raster x 1 y 2 )\n");
            b.truncate(random.bounded(b.size() + 1));
            text += b;
        }
        QVERIFY(import(text));
        for (const auto& g : m_games) {
            QVERIFY(!g->ZipName.isEmpty());
            QVERIFY(!g->ZipName.contains(u'/'));
            for (const QString& a : g->Archives)
                QVERIFY(!a.isEmpty() && a != QStringLiteral("..") && !a.contains(u'/'));
        }
        // The records do not depend on the size of the blocks the file is read in, nor
        // on reading it in two parts at once.
        const QString whole = records(m_games);
        {
            TGameObjectList games;
            QString error;
            QVERIFY(ImportGameList(games, m_dir->file(QStringLiteral("listinfo.txt")), &error, 0));
            QVERIFY(records(games) == whole);
        }
        for (const qsizetype blockSize : {1, 3, 61, 4096}) {
            QBuffer buffer(&text);
            QVERIFY(buffer.open(QIODevice::ReadOnly));
            TGameObjectList games;
            QString error;
            QVERIFY(ImportGameList(games, buffer, &error, blockSize));
            QVERIFY2(records(games) == whole, qPrintable(QString::number(blockSize)));
        }
    }

    // A long list is read in two parts at once, the later one from a block opener after
    // the middle: the records are those of one reading, also where a block left open
    // before the middle takes in the lines after it.
    void twoPartsReadAsOne_data() {
        QTest::addColumn<QByteArray>("text");
        QByteArray blocks;
        QByteArray firstBlocks;
        for (int i = 0; i < 40; ++i) {
            blocks += block("g" + QByteArray::number(i), "rom ( name a size 1 )\n");
            if (i == 9)
                firstBlocks = blocks;
        }
        const QByteArray open = "game (\r\n\tname open\r\n\tdescription \"O\"\r\n"
                                "\tmanufacturer \"M\"\r\n\tyear 1\r\n";
        QTest::newRow("between blocks") << blocks + block("last", "archive ( name \"last\" )\n");
        QTest::newRow("a block open across the middle")
            << firstBlocks + open + QByteArray("\trom ( name a size 1 )\r\n").repeated(200) +
                   blocks;
        QTest::newRow("no block after the middle")
            << blocks + QByteArray("\tjunk\r\n").repeated(2000);
        QTest::newRow("byte order mark, and a block cut off at the end")
            << "\xEF\xBB\xBF" + blocks + open;
    }
    void twoPartsReadAsOne() {
        QFETCH(QByteArray, text);
        QBuffer buffer(&text);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        QString error;
        QVERIFY(ImportGameList(m_games, buffer, &error));
        const QString once = records(m_games);
        QVERIFY(m_games.count() > 0);
        m_dir->writeFile(QStringLiteral("listinfo.txt"), text);
        TGameObjectList games;
        QVERIFY(ImportGameList(games, m_dir->file(QStringLiteral("listinfo.txt")), &error, 0));
        QCOMPARE(records(games), once);
    }

private:
    static QString records(const TGameObjectList& games) {
        QStringList out;
        for (const auto& g : games)
            out.append(QStringList{g->ZipName, g->Description, g->Manufacturer, g->Year,
                                   g->ScreenWidth, g->ScreenHeight, g->Archives.join(u',')}
                           .join(u'|'));
        return out.join(u'\n');
    }

    static QByteArray block(const QByteArray& zip, const QByteArray& extra,
                            const QByteArray& title = "Title") {
        return "game (\r\n\tname " + zip + "\r\n\tdescription \"" + title +
               "\"\r\n\tmanufacturer \"Maker\"\r\n\tyear 1990\r\n" + extra + ")\r\n\r\n";
    }

    bool import(const QByteArray& text) {
        m_dir->writeFile(QStringLiteral("listinfo.txt"), text);
        QString error;
        const bool ok =
            ImportGameList(m_games, m_dir->file(QStringLiteral("listinfo.txt")), &error);
        if (!ok)
            qWarning() << error;
        return ok;
    }

    std::unique_ptr<FrontEndDir> m_dir;
    TGameObjectList m_games;
};

QTEST_GUILESS_MAIN(TestListInfoImport)
#include "tst_listinfoimport.moc"
