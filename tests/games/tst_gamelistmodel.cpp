#include "TestSupport.h"
#include "games/GameListModel.h"
#include "games/GameObject.h"
#include "games/PlayHistory.h"
#include "games/RomsetFinder.h"

#include <QAbstractItemModelTester>
#include <QtTest>

using testsupport::FrontEndDir;

namespace {

std::unique_ptr<TGameObject> game(const QString& zip, const QString& title, const QString& year,
                                  bool cheats = false) {
    auto g = CreateDefaultGame();
    g->ZipName = zip;
    g->Description = title;
    g->Year = year;
    g->HasCheats = cheats;
    g->Archives = {zip};
    return g;
}

} // namespace

class TestGameListModel : public QObject {
    Q_OBJECT

private slots:
    void textComparison_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("expected");
        QTest::newRow("equal") << "abc"
                               << "abc" << 0;
        QTest::newRow("ascii case") << "ABC"
                                    << "abc" << 0;
        QTest::newRow("shorter first") << "ab"
                                       << "abc" << -1;
        QTest::newRow("longer last") << "abcd"
                                     << "ABC" << 1;
        QTest::newRow("codes") << "a"
                               << "b" << -1;
        QTest::newRow("only ascii folds") << "\u00e9"
                                          << "\u00c9" << 1;
        // Letters compare as capitals, so the underscore comes after them.
        QTest::newRow("underscore after letters") << "a_"
                                                  << "ab" << 1;
        QTest::newRow("digits before letters") << "1942"
                                               << "A" << -1;
        QTest::newRow("years as text") << "199?"
                                       << "1990" << 1;
    }
    void textComparison() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, expected);
        QCOMPARE(GameListModel::compareText(a, b), expected);
        QCOMPARE(GameListModel::compareText(b, a), -expected);
    }

    void modelPassesTheTester() {
        RomsetFinder finder;
        GameListModel model(finder);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        TGameObjectList games;
        for (int i = 0; i < 20; ++i)
            games.AddGame(game(QStringLiteral("z%1").arg(i), QStringLiteral("Title %1").arg(19 - i),
                               QStringLiteral("19%1").arg(80 + i % 3), i % 2));
        std::vector<TGameObject*> shown;
        for (const auto& g : games)
            shown.push_back(g);
        model.setGames(shown);
        QPersistentModelIndex kept = model.index(3, 0);
        for (int column = 0; column < GameListModel::ColumnCount; ++column) {
            model.sortOn(column, false);
            model.sortOn(column, true);
        }
        QCOMPARE(kept.data(GameListModel::GameRole).value<void*>(),
                 static_cast<void*>(games.at(3)));
        // Narrowed, sorted and widened again under the tester: the kept row follows
        // its game while it is shown, and the narrowing survives new rows.
        model.setSearchText(QStringLiteral("z1"));
        QCOMPARE(model.rowCount(), 11); // z1, z10 .. z19
        QCOMPARE(model.unnarrowedCount(), 20);
        QPersistentModelIndex narrowed = model.index(2, 0);
        TGameObject* const narrowedGame = model.gameAt(2);
        model.sortOn(GameListModel::YearColumn, true);
        QCOMPARE(model.gameAt(narrowed.row()), narrowedGame);
        QCOMPARE(model.rowOf(narrowedGame), narrowed.row());
        model.setSearchText(QStringLiteral("  Z19   TITLE "));
        QCOMPARE(model.rowCount(), 1);
        model.setGames(shown);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.rowOf(games.at(19)), 0);
        QCOMPARE(model.rowOf(games.at(0)), -1);
        model.setSearchText(QString());
        QCOMPARE(model.rowCount(), 20);
        model.setMarkBadRomsets(true);
        model.clear();
        QCOMPARE(model.rowCount(), 0);
    }

    // Each search against one game, through the model: plain ASCII games and games
    // that need folding take different paths.
    void searchTerms_data() {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("maker");
        QTest::addColumn<QString>("year");
        QTest::addColumn<bool>("shown");
        const auto row = [](const char* name, const char* search, const char* title,
                            const char* maker, const char* year, bool shown) {
            QTest::newRow(name) << QString::fromUtf8(search) << QString::fromUtf8(title)
                                << QString::fromUtf8(maker) << QString::fromUtf8(year) << shown;
        };
        row("word in the maker", "sega", "Rally", "SEGA", "1995", true);
        row("word in the year", "1987", "Rally", "Sega", "1987", true);
        row("words anywhere, any order", "fighter street", "Street Fighter", "Capcom", "1987",
            true);
        row("phrase keeps its blank", "\"street fighter\"", "Fighter Street", "Capcom", "1987",
            false);
        row("phrase found", "\"et fi\"", "Street Fighter", "Capcom", "1987", true);
        row("phrase left open", "\"fighter i", "Street Fighter II", "Capcom", "1987", true);
        row("maker only in the maker", "maker:sega", "Sega Rally", "Namco", "1995", false);
        row("maker without case", "MAKER:sega", "Rally", "Sega Enterprises", "1995", true);
        row("maker phrase", "maker:\"data east\"", "Rally", "Data East Corp.", "1995", true);
        row("maker phrase not split", "maker:\"data east\"", "Rally", "Data-East", "1995", false);
        row("maker without accents", "maker:cafe", "Rally", "Caf\u00e9 Soft", "1995", true);
        row("accented word, plain game", "caf\u00e9", "CAFE RACER", "X", "1995", true);
        row("key being typed narrows nothing", "maker: year:", "Rally", "Sega", "1995", true);
        row("other words with a colon are words", "ii:", "Fighter II: Turbo", "C", "1992", true);
        row("year exact", "year:1987", "Rally", "Sega", "1987", true);
        row("year exact, other year", "year:1987", "Rally", "Sega", "1988", false);
        row("year exact, unsure year", "year:1987", "Rally", "Sega", "198?", false);
        row("year pattern", "year:198?", "Rally", "Sega", "1985", true);
        row("year pattern, unsure year", "year:198?", "Rally", "Sega", "198?", true);
        row("year pattern, next decade", "year:198?", "Rally", "Sega", "1990", false);
        row("year range, first", "year:1980-1989", "Rally", "Sega", "1980", true);
        row("year range, last", "year:1980-1989", "Rally", "Sega", "1989", true);
        row("year range, after", "year:1980-1989", "Rally", "Sega", "1990", false);
        row("year range, unsure within", "year:1980-1989", "Rally", "Sega", "198?", true);
        row("year range, unsure beyond", "year:1980-1989", "Rally", "Sega", "19??", false);
        row("year range, no year", "year:1980-1989", "Rally", "Sega", "", false);
        row("year range reversed", "year:1989-1980", "Rally", "Sega", "1985", true);
        row("year range open below", "year:-1979", "Rally", "Sega", "1975", true);
        row("year range open above", "year:1990-", "Rally", "Sega", "2001", true);
        row("year range of no numbers", "year:19a0-1990", "Rally", "Sega", "1985", false);
        // Plain texts are searched without Unicode folding: only letters ignore case.
        row("letters without case", "sTrEeT", "STREET Fighter", "Capcom", "1987", true);
        row("found at the very end", "ter", "Street Fighter", "Capcom", "1987", true);
        row("partly found at the end", "terz", "Street Fighter", "Capcom", "1987", false);
        row("symbols keep their code", "`", "Rally @ Night", "Sega", "1995", false);
        row("brackets keep their code", "[x]", "Rally {X}", "Sega", "1995", false);
        row("longer than the texts", "\"rally rally\"", "Rally", "Sega", "1995", false);
        row("terms narrow together", "maker:sega year:198?", "Rally", "Sega", "1991", false);
        row("terms all met", "rally maker:sega year:198?", "Rally", "Sega", "1986", true);
    }
    void searchTerms() {
        QFETCH(QString, search);
        QFETCH(QString, title);
        QFETCH(QString, maker);
        QFETCH(QString, year);
        QFETCH(bool, shown);
        RomsetFinder finder;
        GameListModel model(finder);
        auto g = game(QStringLiteral("zip"), title, year);
        g->Manufacturer = maker;
        model.setGames({g.get()});
        model.setSearchText(search);
        QCOMPARE(model.rowCount(), shown ? 1 : 0);
    }

    void searchParsesOncePerText() {
        const GameSearch search(u"  maker:\"data east\"  \"two  words\" Year:1980-1989 x");
        QCOMPARE(search.terms().size(), size_t(4));
        QCOMPARE(search.terms()[0].field, GameSearch::Field::Maker);
        QCOMPARE(search.terms()[0].text, QStringLiteral("data east"));
        QCOMPARE(search.terms()[1].text, QStringLiteral("two  words"));
        QVERIFY(search.terms()[2].range);
        QCOMPARE(search.terms()[2].from, 1980);
        QCOMPARE(search.terms()[2].to, 1989);
        // The same terms however they are spaced: the list is not narrowed again.
        QVERIFY(search == GameSearch(u"maker:\"DATA EAST\" \"two  words\" year:1980-1989  X"));
        QVERIFY(GameSearch(u" \"\" maker: ").isEmpty());
    }

    void cellsAndIcons() {
        RomsetFinder finder;
        GameListModel model(finder);
        auto g = game(QStringLiteral("zip"), QStringLiteral("Title"), QStringLiteral("1990"), true);
        g->Manufacturer = QStringLiteral("Maker");
        model.setGames({g.get()});
        const auto cell = [&](int column, int role = Qt::DisplayRole) {
            return model.index(0, column).data(role);
        };
        QCOMPARE(cell(0).toString(), QStringLiteral("Title"));
        QCOMPARE(cell(1).toString(), QStringLiteral("zip"));
        QCOMPARE(cell(2).toString(), QStringLiteral("Maker"));
        QCOMPARE(cell(3).toString(), QStringLiteral("1990"));
        QCOMPARE(cell(4).toString(), QStringLiteral("Yes"));
        QCOMPARE(cell(5).toString(), QString());
        QCOMPARE(cell(3, Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::Alignment(Qt::AlignCenter));
        QCOMPARE(model.headerData(5, Qt::Horizontal).toString(),
                 QStringLiteral("Zipfile date/time"));
        QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));

        const auto iconKey = [&] { return cell(0, Qt::DecorationRole).value<QIcon>().cacheKey(); };
        const qint64 notInstalled = iconKey();
        g->Installed = true;
        const qint64 installed = iconKey();
        QVERIFY(installed != notInstalled);
        g->BadRomcheck = true;
        QCOMPARE(iconKey(), installed); // the mark shows only while marking is on
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.setMarkBadRomsets(true);
        QCOMPARE(changed.count(), 1);
        QVERIFY(iconKey() != installed);
    }

    // The favourite and history columns: their texts, a star for a favourite (over the
    // game's icon too), sorts on the numbers (favourites first, never played last), and
    // a row that shows a change of its game.
    void favouriteAndHistoryColumns() {
        RomsetFinder finder;
        GameListModel model(finder);
        TGameObjectList games;
        games.AddGame(
            game(QStringLiteral("fresh"), QStringLiteral("Fresh"), QStringLiteral("1990")));
        games.AddGame(game(QStringLiteral("long"), QStringLiteral("Long"), QStringLiteral("1990")));
        games.AddGame(game(QStringLiteral("fav"), QStringLiteral("Fav"), QStringLiteral("1990")));
        TGameObject* fresh = games.at(0);
        TGameObject* played = games.at(1);
        played->PlayCount = 12;
        played->PlayTime = 3900;
        played->LastPlayed = 1'700'000'000;
        TGameObject* favourite = games.at(2);
        favourite->Favourite = true;
        favourite->PlayCount = 2;
        favourite->PlayTime = 20;
        favourite->LastPlayed = 1'600'000'000;
        model.setGames({fresh, played, favourite});
        const auto cell = [&](int row, int column, int role = Qt::DisplayRole) {
            return model.index(row, column).data(role);
        };
        QCOMPARE(cell(1, GameListModel::PlayCountColumn).toString(), QStringLiteral("12"));
        QCOMPARE(cell(1, GameListModel::PlayTimeColumn).toString(), QStringLiteral("1 h 05 min"));
        QCOMPARE(cell(1, GameListModel::LastPlayedColumn).toString(),
                 lastPlayedText(1'700'000'000));
        QCOMPARE(cell(2, GameListModel::PlayTimeColumn).toString(), QStringLiteral("< 1 min"));
        for (int column :
             {int(GameListModel::PlayCountColumn), int(GameListModel::LastPlayedColumn),
              int(GameListModel::PlayTimeColumn), int(GameListModel::FavouriteColumn)})
            QCOMPARE(cell(0, column).toString(), QString()); // never played, no favourite
        QVERIFY(cell(0, GameListModel::FavouriteColumn, Qt::DecorationRole).isNull());
        QVERIFY(
            !cell(2, GameListModel::FavouriteColumn, Qt::DecorationRole).value<QIcon>().isNull());
        QCOMPARE(cell(2, GameListModel::FavouriteColumn, Qt::AccessibleTextRole).toString(),
                 QStringLiteral("Favourite"));
        QCOMPARE(model.headerData(GameListModel::FavouriteColumn, Qt::Horizontal).toString(),
                 QStringLiteral("Fav"));
        QVERIFY(cell(2, 0, Qt::DecorationRole).value<QIcon>().cacheKey() !=
                cell(0, 0, Qt::DecorationRole).value<QIcon>().cacheKey());

        model.sortOn(GameListModel::FavouriteColumn, false);
        QCOMPARE(order(model), QStringLiteral("fav fresh long"));
        model.sortOn(GameListModel::PlayCountColumn, true);
        QCOMPARE(order(model), QStringLiteral("long fav fresh"));
        model.sortOn(GameListModel::LastPlayedColumn, false);
        QCOMPARE(order(model), QStringLiteral("fav long fresh"));
        // Never played comes last in both directions.
        model.sortOn(GameListModel::LastPlayedColumn, true);
        QCOMPARE(order(model), QStringLiteral("long fav fresh"));
        model.sortOn(GameListModel::PlayTimeColumn, false);
        QCOMPARE(order(model), QStringLiteral("fav long fresh"));
        model.sortOn(GameListModel::PlayTimeColumn, true);
        QCOMPARE(order(model), QStringLiteral("long fav fresh"));
        model.sortOn(GameListModel::PlayCountColumn, false);
        QCOMPARE(order(model), QStringLiteral("fav long fresh"));

        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        fresh->Favourite = true;
        model.gameChanged(fresh);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed[0][0].toModelIndex().row(), model.rowOf(fresh));
        model.setSearchText(QStringLiteral("long"));
        model.gameChanged(fresh); // not shown: nothing to say
        QCOMPARE(changed.count(), 1);

        // Rows in their given order stay so through any sort.
        model.setSearchText(QString());
        model.setGames({played, fresh, favourite}, true);
        model.sortOn(GameListModel::NameColumn, false);
        QCOMPARE(order(model), QStringLiteral("long fresh fav"));
        QVERIFY(model.holds(fresh));
        model.setGames({played});
        QVERIFY(!model.holds(fresh));
        QVERIFY(!model.inGivenOrder());
    }

    void tiesGoByTitleThenZipName() {
        RomsetFinder finder;
        GameListModel model(finder);
        TGameObjectList games;
        games.AddGame(
            game(QStringLiteral("c"), QStringLiteral("Gamma"), QStringLiteral("1990"), true));
        games.AddGame(game(QStringLiteral("a"), QStringLiteral("alpha"), QStringLiteral("1991")));
        games.AddGame(game(QStringLiteral("b"), QStringLiteral("Beta"), QStringLiteral("1990")));
        games.AddGame(
            game(QStringLiteral("d"), QStringLiteral("Alpha"), QStringLiteral("1990"), true));
        model.setGames({games.at(0), games.at(1), games.at(2), games.at(3)});
        const auto zips = [&] {
            QString order;
            for (int row = 0; row < model.rowCount(); ++row)
                order += model.gameAt(row)->ZipName;
            return order;
        };
        model.sortOn(GameListModel::NameColumn, false);
        QCOMPARE(zips(), QStringLiteral("adbc")); // alpha and Alpha tie: zip names decide
        model.sortOn(GameListModel::YearColumn, false);
        QCOMPARE(zips(), QStringLiteral("dbca"));
        model.sortOn(GameListModel::CheatColumn, false);
        QCOMPARE(zips(), QStringLiteral("abdc")); // "No" before "Yes"
        model.sortOn(GameListModel::YearColumn, true);
        QCOMPARE(zips(), QStringLiteral("acbd")); // ties in title order, descending too
    }

    // One sort gives the order that a title sort followed by a sort on the column gives,
    // from any order of the same rows: a start and a click on a header agree.
    void oneOrderWhateverTheStart_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("descending");
        for (int column = 0; column < GameListModel::ColumnCount; ++column) {
            if (column == GameListModel::ZipDateColumn)
                continue; // dates need files: below
            QTest::addRow("column %d ascending", column) << column << false;
            QTest::addRow("column %d descending", column) << column << true;
        }
    }
    void oneOrderWhateverTheStart() {
        QFETCH(int, column);
        QFETCH(bool, descending);
        RomsetFinder finder;
        TGameObjectList games;
        // Few distinct values, so that every column has ties, titles among them.
        for (int i = 0; i < 24; ++i) {
            auto g = game(QStringLiteral("z%1").arg((i * 7) % 24), QStringLiteral("T%1").arg(i % 5),
                          QStringLiteral("19%1").arg(80 + i % 3), i % 2);
            g->Manufacturer = QStringLiteral("M%1").arg(i % 4);
            g->Favourite = i % 3 == 0;
            g->PlayCount = i % 4;
            g->LastPlayed = (i % 3) * 1000;
            g->PlayTime = (i % 5) * 60;
            games.AddGame(std::move(g));
        }
        std::vector<TGameObject*> forward(games.begin(), games.end());
        std::vector<TGameObject*> backward(forward.rbegin(), forward.rend());
        GameListModel onePass(finder);
        onePass.setGames(forward);
        onePass.sortOn(column, descending);
        GameListModel twoPasses(finder);
        twoPasses.setGames(backward);
        twoPasses.sortOn(GameListModel::NameColumn, descending);
        twoPasses.sortOn(column, descending);
        QCOMPARE(order(onePass), order(twoPasses));
    }

    // Sorting compares prepared keys before the texts: on texts that tie over their
    // first bytes, differ in case, hold characters beyond ASCII or below the blank, the
    // order is that of comparing the rows whole.
    void keyedSortKeepsTheOrder() {
        const QStringList pieces = {
            QStringLiteral("a"),         QStringLiteral("A"),        QStringLiteral("_"),
            QStringLiteral("~\u007f"),   QString(QChar(0)),          QStringLiteral("\u0001"),
            QStringLiteral(" "),         QStringLiteral("\u00e9"),   QStringLiteral("\u00c9"),
            QStringLiteral("Super Dod"), QStringLiteral("12345678"), QStringLiteral("\U0001F600")};
        QRandomGenerator random(20261207);
        const auto text = [&] {
            QString t;
            const int n = random.bounded(5);
            for (int i = 0; i < n; ++i)
                t += pieces[random.bounded(int(pieces.size()))];
            return t;
        };
        TGameObjectList games;
        for (int i = 0; i < 400; ++i) {
            auto g = game(text(), text(), text(), random.bounded(2));
            g->Manufacturer = text();
            games.AddGame(std::move(g));
        }
        const std::vector<TGameObject*> rows(games.begin(), games.end());
        RomsetFinder finder;
        for (int column = 0; column < GameListModel::ZipDateColumn; ++column) {
            const auto field = [column](const TGameObject* g) {
                switch (column) {
                case GameListModel::ZipNameColumn:
                    return g->ZipName;
                case GameListModel::ManufacturerColumn:
                    return g->Manufacturer;
                case GameListModel::YearColumn:
                    return g->Year;
                case GameListModel::CheatColumn:
                    return g->HasCheats ? QStringLiteral("Yes") : QStringLiteral("No");
                }
                return QString();
            };
            for (const bool descending : {false, true}) {
                std::vector<TGameObject*> expected = rows;
                std::stable_sort(expected.begin(), expected.end(), [&](auto* a, auto* b) {
                    int c = GameListModel::compareText(field(a), field(b));
                    if (c == 0)
                        c = GameListModel::compareText(a->Description, b->Description);
                    if (c == 0)
                        c = GameListModel::compareText(a->ZipName, b->ZipName);
                    return (descending ? -c : c) < 0;
                });
                GameListModel model(finder);
                model.setGames(rows);
                model.sortOn(column, descending);
                for (int row = 0; row < model.rowCount(); ++row)
                    QVERIFY2(model.gameAt(row) == expected[size_t(row)],
                             qPrintable(QStringLiteral("column %1, row %2").arg(column).arg(row)));
            }
        }
    }

    void gamesWithoutADateSortLastBothWays() {
        FrontEndDir dir;
        dir.writeFile(QStringLiteral("roms/old.zip"), "");
        dir.writeFile(QStringLiteral("roms/new.zip"), "");
        testsupport::setModified(dir.file(QStringLiteral("roms/old.zip")),
                                 QDateTime(QDate(2001, 1, 1), QTime(10, 0)));
        testsupport::setModified(dir.file(QStringLiteral("roms/new.zip")),
                                 QDateTime(QDate(2020, 6, 1), QTime(0, 0)));
        RomsetFinder finder;
        finder.setRomDirs({dir.file(QStringLiteral("roms/")), {}, {}, {}});
        GameListModel model(finder);
        TGameObjectList games;
        games.AddGame(game(QStringLiteral("none1"), QStringLiteral("N1"), QString()));
        games.AddGame(game(QStringLiteral("new"), QStringLiteral("New"), QString()));
        games.AddGame(game(QStringLiteral("none2"), QStringLiteral("N2"), QString()));
        games.AddGame(game(QStringLiteral("old"), QStringLiteral("Old"), QString()));
        model.setGames({games.at(0), games.at(1), games.at(2), games.at(3)});
        model.sortOn(GameListModel::ZipDateColumn, false);
        QCOMPARE(order(model), QStringLiteral("old new none1 none2"));
        model.sortOn(GameListModel::ZipDateColumn, true);
        QCOMPARE(order(model), QStringLiteral("new old none2 none1"));
        QVERIFY(!model.index(0, GameListModel::ZipDateColumn).data().toString().isEmpty());
        QVERIFY(model.index(2, GameListModel::ZipDateColumn).data().toString().isEmpty());
    }

private:
    static QString order(const GameListModel& model) {
        QStringList zips;
        for (int row = 0; row < model.rowCount(); ++row)
            zips.append(model.gameAt(row)->ZipName);
        return zips.join(u' ');
    }
};

QTEST_MAIN(TestGameListModel)
#include "tst_gamelistmodel.moc"
