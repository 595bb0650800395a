#include "games/GameObject.h"
#include "games/PlayHistory.h"

#include <QtTest>
#include <limits>

class TestPlayHistory : public QObject {
    Q_OBJECT

private slots:
    // A run counts unless it ended badly within two seconds; its time is rounded to
    // whole seconds and summed, its end is the last played.
    void runsThatCount_data() {
        QTest::addColumn<qint64>("runMs");
        QTest::addColumn<bool>("endedWell");
        QTest::addColumn<bool>("counts");
        QTest::addColumn<qint64>("addedSeconds");
        QTest::addColumn<qint64>("playTime"); // before the run
        constexpr qint64 most = std::numeric_limits<qint64>::max();
        QTest::newRow("quick and good") << qint64(300) << true << true << qint64(0) << qint64(100);
        QTest::newRow("rounded up") << qint64(61'500) << true << true << qint64(62) << qint64(100);
        QTest::newRow("failed at once")
            << qint64(1'999) << false << false << qint64(0) << qint64(100);
        QTest::newRow("failed after playing")
            << qint64(2'000) << false << true << qint64(2) << qint64(100);
        QTest::newRow("a clock that went back")
            << qint64(-5'000) << true << true << qint64(0) << qint64(100);
        // A hand-edited time near the largest number stops there.
        QTest::newRow("play time at the top")
            << qint64(61'500) << true << true << qint64(0) << most;
        QTest::newRow("play time just below it")
            << qint64(61'500) << true << true << qint64(10) << most - 10;
        QTest::newRow("the longest run")
            << most << true << true << qint64(most / 1000 + 1) << qint64(0);
    }
    void runsThatCount() {
        QFETCH(qint64, runMs);
        QFETCH(bool, endedWell);
        QFETCH(bool, counts);
        QFETCH(qint64, addedSeconds);
        QFETCH(qint64, playTime);
        TGameObject game;
        game.PlayCount = 4;
        game.PlayTime = playTime;
        game.LastPlayed = 1000;
        QCOMPARE(RecordRun(game, runMs, 5000, endedWell), counts);
        QCOMPARE(game.PlayCount, counts ? 5 : 4);
        QCOMPARE(game.PlayTime, playTime + addedSeconds);
        QCOMPARE(game.LastPlayed, counts ? 5000 : 1000);
    }

    // The played games only, the latest first whatever the list order, ties by title
    // and zip name, no more than asked for.
    void recentlyPlayedOrderAndLimit() {
        TGameObjectList games;
        const auto add = [&](const char* zip, const char* title, int count, qint64 last) {
            TGameObject game;
            game.ZipName = QLatin1StringView(zip);
            game.Description = QLatin1StringView(title);
            game.PlayCount = count;
            game.LastPlayed = last;
            games.AddGame(std::move(game));
        };
        add("never", "Never", 0, 900); // a time without a launch is no play
        add("old", "Old", 1, 100);
        add("tieb", "Tie", 2, 500);
        add("newest", "Newest", 1, 700);
        add("tiea", "Tie", 1, 500);
        add("early", "A Tie", 3, 500);
        const auto zips = [](const std::vector<TGameObject*>& list) {
            QStringList names;
            for (const TGameObject* game : list)
                names.append(game->ZipName);
            return names.join(u' ');
        };
        QCOMPARE(zips(RecentlyPlayed(games, kRecentlyPlayedCount)),
                 QStringLiteral("newest early tiea tieb old"));
        QCOMPARE(zips(RecentlyPlayed(games, 2)), QStringLiteral("newest early"));
        QCOMPARE(zips(RecentlyPlayed(games, 0)), QString());
    }

    // The settings file's time reads back to the same second, also on a leap day and
    // at the ends of the range; anything else reads as no time.
    void playedAtTexts_data() {
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<QString>("text");
        QTest::newRow("leap day") << QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59), Qt::UTC)
                                  << "2024-02-29T23:59:59Z";
        QTest::newRow("first second")
            << QDateTime(QDate(1970, 1, 1), QTime(0, 0, 1), Qt::UTC) << "1970-01-01T00:00:01Z";
        QTest::newRow("last year")
            << QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59), Qt::UTC) << "9999-12-31T23:59:59Z";
        QTest::newRow("beyond") << QDateTime(QDate(10000, 1, 1), QTime(0, 0), Qt::UTC) << "";
        QTest::newRow("never") << QDateTime::fromSecsSinceEpoch(0, Qt::UTC) << "";
    }
    void playedAtTexts() {
        QFETCH(QDateTime, time);
        QFETCH(QString, text);
        const qint64 secs = time.toSecsSinceEpoch();
        QCOMPARE(playedAtText(secs), text);
        if (!text.isEmpty())
            QCOMPARE(parsePlayedAt(text), std::optional<qint64>(secs));
    }
    void unreadableTimes() {
        for (const char* text : {"2024-13-01T00:00:00Z", "2024-04-31T00:00:00Z",
                                 "2024-01-01T24:00:00Z", "2024-01-01T00:00:0xZ", "yesterday", ""})
            QVERIFY2(!parsePlayedAt(QString::fromLatin1(text)), text);
    }

    void playTimes() {
        QCOMPARE(playTimeText(0), QStringLiteral("< 1 min"));
        QCOMPARE(playTimeText(59), QStringLiteral("< 1 min"));
        QCOMPARE(playTimeText(12 * 60 + 30), QStringLiteral("12 min"));
        QCOMPARE(playTimeText(3900), QStringLiteral("1 h 05 min"));
        QCOMPARE(playTimeText(125 * 3600), QStringLiteral("125 h 00 min"));
    }
};

QTEST_GUILESS_MAIN(TestPlayHistory)
#include "tst_playhistory.moc"
