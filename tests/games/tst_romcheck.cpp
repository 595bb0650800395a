// The romset check's report read into the games' marks, the needed-files report, and the
// secret games' section of the emulator's configuration.

#include "TestSupport.h"
#include "core/FileError.h"
#include "core/IniDocument.h"
#include "core/PathSet.h"
#include "games/GameObject.h"
#include "games/RomcheckResults.h"
#include "launch/EmulatorConfig.h"
#include "launch/NeededReport.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using testsupport::FrontEndDir;

namespace {

TGameObject game(const QString& zip, bool installed, bool bad = false) {
    TGameObject g;
    g.ZipName = zip;
    g.Description = zip.toUpper();
    g.Installed = installed;
    g.BadRomcheck = bad;
    return g;
}

} // namespace

class TestRomcheck : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = std::make_unique<FrontEndDir>();
        m_paths.setFrontEndDir(m_dir->path());
    }
    void cleanup() { m_dir.reset(); }

    // A check of all romsets: only lines with "|" count; the name is the text before
    // the last " | ", trimmed, blanks within it included; "| BAD" (bar, blank,
    // capitals) is the only bad mark; a good line installs, a bad one leaves the
    // installed flag alone; unknown names change nothing, and a game the report does
    // not name has no set: it loses both marks. Names are read as the list reads them:
    // UTF-8 where the bytes are UTF-8, else Latin-1, after a byte order mark.
    void reportMarksTheGames() {
        TGameObjectList games;
        for (const char* zip : {"good", "bad", "nobar", "lower", "tight", "silent", "absent", "sky",
                                "sky loom", "end"})
            games.AddGame(game(QLatin1StringView(zip), false, QByteArray(zip) == "silent"));
        for (const QString& zip : {u"first"_s, u"caf\u00e9"_s, u"na\u00efve"_s})
            games.AddGame(game(zip, false));
        games.FindGame(u"absent")->Installed = true;
        games.FindGame(u"bad")->Installed = true;
        games.FindGame(u"sky")->GoodRomcheck = true;
        ApplyRomcheckReport(games,
                            "\xEF\xBB\xBF"
                            "first | BAD\r\n"
                            "Kalto romset check | version 1\r\n"
                            "caf\xC3\xA9 | OK\r\n"
                            "na\xEFve | OK\r\n"
                            "  good        | OK\r\n"
                            "bad         | BAD wrong CRC in b.bin\n"
                            "nobar OK no bar here\n"
                            "lower | bad\n"
                            "tight |BAD\n"
                            "sky loom    | BAD missing sl-01.bin\n"
                            "end |\n"
                            "nosuchgame | BAD\n"
                            "| BAD\n"
                            "\tabsent | BAD\r",
                            {});
        const auto flags = [&](const char16_t* zip) {
            const TGameObject* g = games.FindGame(QStringView(zip));
            return std::tuple{g->Installed, g->BadRomcheck, g->GoodRomcheck};
        };
        QCOMPARE(flags(u"good"), std::tuple(true, false, true));
        QCOMPARE(flags(u"bad"), std::tuple(true, true, false)); // installed stays as it was
        QCOMPARE(flags(u"absent"), std::tuple(true, true, false));
        QCOMPARE(flags(u"nobar"), std::tuple(false, false, false));  // no bar: not named
        QCOMPARE(flags(u"lower"), std::tuple(true, false, true));    // lower case counts as good
        QCOMPARE(flags(u"tight"), std::tuple(true, false, true));    // no blank after the bar: good
        QCOMPARE(flags(u"end"), std::tuple(true, false, true));      // a bar that ends the line
        QCOMPARE(flags(u"silent"), std::tuple(false, false, false)); // not named: marks go
        QCOMPARE(flags(u"sky loom"), std::tuple(false, true, false));
        QCOMPARE(flags(u"sky"), std::tuple(false, false, false)); // not its line
        QCOMPARE(flags(u"first"), std::tuple(false, true, false));
        QCOMPARE(flags(u"caf\u00e9"), std::tuple(true, false, true));
        QCOMPARE(flags(u"na\u00efve"), std::tuple(true, false, true));

        // A good line later clears the bad mark, a bad one the good mark; a missing
        // report says so and changes nothing.
        ApplyRomcheckReport(games, "bad | OK\ngood | BAD", {});
        QCOMPARE(flags(u"bad"), std::tuple(true, false, true));
        QCOMPARE(flags(u"good"), std::tuple(true, true, false));
        QCOMPARE(flags(u"first"), std::tuple(false, false, false));
        QVERIFY_THROWS_EXCEPTION(FileError,
                                 ReadRomcheckResults(games, m_dir->file(u"romcheck.txt"_s), {}));
        QCOMPARE(flags(u"good"), std::tuple(true, true, false));
    }

    // A check of one game speaks for that game alone: a report that does not name it
    // clears its marks, and every other game keeps its own.
    void singleCheckSpeaksForItsGame() {
        TGameObjectList games;
        for (const char* zip : {"one", "other", "sky loom"})
            games.AddGame(game(QLatin1StringView(zip), true));
        games.FindGame(u"one")->GoodRomcheck = true;
        games.FindGame(u"other")->BadRomcheck = true;
        ApplyRomcheckReport(games, "Kalto romset check\nDone: 0 found\n", u"one");
        const TGameObject* one = games.FindGame(u"one");
        QVERIFY(!one->GoodRomcheck && !one->BadRomcheck);
        QVERIFY(games.FindGame(u"other")->BadRomcheck);

        ApplyRomcheckReport(games, "sky loom | BAD missing sl-01.bin\n  sl-01.bin: missing\n",
                            u"Sky Loom");
        QVERIFY(games.FindGame(u"sky loom")->BadRomcheck);
        QVERIFY(games.FindGame(u"other")->BadRomcheck);
    }

    // Every heading even without games, names cut or filled to 40 characters, an
    // uninstalled bad set only under uninstalled, and pictures matched as zip + "." +
    // any extension without regard to case, for every game of a name.
    void neededReport() {
        const QString heading = u"Needed files for StartKALTO 0.27.1 public beta 1"_s;
        const QStringList empty = lines({}, m_paths, heading);
        QCOMPARE(empty.mid(0, 4), (QStringList{heading, u" "_s, u"--"_s, u"0 Uninstalled roms"_s}));
        QCOMPARE(empty.filter(QRegularExpression(u"^0 "_s)).size(), 8);
        QCOMPARE(empty.last(), u"--"_s);
        QCOMPARE(empty.size(), 3 + 8 * 2 + 7 * 3 + 1);

        for (const char* file :
             {"Titles/abc.png", "Titles/abcd.png", "Flyers/ABC.JPG", "Gameplay/abc.001.pcx",
              "Marquees/a.b.png", "Sound/abc.mid", "Cabinets/abc"})
            m_dir->writeFile(QLatin1StringView(file), "x");
        const QString longTitle = QString(41, u'L');
        const std::vector<NeededGame> games = {
            {u"Alpha"_s, u"abc"_s, true, false},
            {longTitle, u"abcd"_s, false, true},
            {u"Dotted"_s, u"a.b"_s, true, true},
            {u"Alpha Again"_s, u"ABC"_s, true, false}, // abc's files are its files too
        };
        const QStringList report = lines(games, m_paths, heading);
        const auto section = [&](const QString& title) {
            const qsizetype at = report.indexOf(QRegularExpression(u"\\d+ "_s + title + u".*"_s));
            QStringList body;
            for (qsizetype i = at + 2; i < report.size() && report[i] != u"--"; ++i)
                body.append(report[i]);
            return std::pair{report.value(at), body};
        };
        const QString cut = QString(40, u'L');
        QCOMPARE(section(u"Uninstalled roms"_s),
                 std::pair(u"1 Uninstalled roms"_s, QStringList{cut + u" | abcd.zip"_s}));
        QCOMPARE(section(u"Bad romsets"_s).second,
                 QStringList{u"Dotted"_s.leftJustified(40) + u" | a.b.zip"_s});
        // abc.png is abc's title; abcd.png is abcd's and nobody else's.
        QCOMPARE(section(u"Missing Titles"_s).second,
                 QStringList{u"Dotted"_s.leftJustified(40) + u" | a.b.jpg/pcx/png/bmp"_s});
        QCOMPARE(section(u"Missing Flyers"_s).second.size(), 2);
        QCOMPARE(section(u"Missing Marquees"_s).second.size(), 3);
        QCOMPARE(section(u"Missing Cabinets"_s).second.size(), 4); // "abc" has no extension
        QCOMPARE(section(u"Missing Gameplayshots"_s).first,
                 u"2 Missing Gameplayshots in directory "_s + m_paths.GameplayDir);
        QCOMPARE(
            section(u"Missing Midi-files"_s).second,
            (QStringList{cut + u" | abcd.mid"_s, u"Dotted"_s.leftJustified(40) + u" | a.b.mid"_s}));

        const QString written = WriteNeededReport(games, m_paths, heading);
        QCOMPARE(written, m_dir->file(u"needed.txt"_s));
        const QByteArray bytes = m_dir->readFile(u"needed.txt"_s);
        QVERIFY(bytes.startsWith(heading.toUtf8() + "\r\n \r\n--\r\n"));
        QCOMPARE(bytes.count("\r\n"), report.size());
    }

    // On, off, on leaves exactly one section with the two keys; off without the
    // section leaves the file as it was, and off after on gives it back.
    void secretGamesSection() {
        const QString cfg = m_dir->file(u"Config/Kalto.cfg"_s);
        const QByteArray original = "; comment\n[General]\nWibble = 0\n";
        m_dir->writeFile(u"Config/Kalto.cfg"_s, original);
        WriteSecretGames(cfg, false);
        QCOMPARE(m_dir->readFile(u"Config/Kalto.cfg"_s), original);
        WriteSecretGames(cfg, true);
        WriteSecretGames(cfg, false);
        WriteSecretGames(cfg, true);
        const QByteArray text = m_dir->readFile(u"Config/Kalto.cfg"_s);
        QCOMPARE(text.count("[Romlist]"), 1);
        QVERIFY(text.contains("[Romlist]\ngun_lock =31745\ngrid_seeker =58203\n"));
        WriteSecretGames(cfg, false);
        QCOMPARE(m_dir->readFile(u"Config/Kalto.cfg"_s), original);
    }

private:
    static QStringList lines(const std::vector<NeededGame>& games, const PathSet& paths,
                             const QString& heading) {
        QStringList result =
            QString::fromUtf8(NeededReportText(games, paths, heading)).split(u"\r\n"_s);
        if (result.last().isEmpty())
            result.removeLast(); // after the last line's end
        return result;
    }

    std::unique_ptr<FrontEndDir> m_dir;
    PathSet m_paths;
};

QTEST_MAIN(TestRomcheck)
#include "tst_romcheck.moc"
