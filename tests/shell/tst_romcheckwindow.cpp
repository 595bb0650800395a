// The romset checks, the options that depend on them and the needed-files report, run
// for real in the bundled demo with the stand-in emulator.

#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/IniDocument.h"
#include "games/GameListModel.h"
#include "games/GameListView.h"
#include "shell/GameInfoPage.h"
#include "shell/MainUnit1.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

using namespace Qt::StringLiterals;
using testsupport::FrontEndDir;
using testsupport::ScopedEnv;

class TestRomcheckWindow : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = std::make_unique<FrontEndDir>();
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_opener.opened.clear();
        QProcess makeDemo;
        makeDemo.start(QStringLiteral(MAKE_DEMO_PATH),
                       {m_dir->path(), testsupport::kaltoSimPath()});
        QVERIFY(makeDemo.waitForFinished(60000));
        QCOMPARE(makeDemo.exitCode(), 0);
    }
    void cleanup() {
        m_main.reset();
        m_prompter.reset();
        m_dir.reset();
    }

    // The full check marks the demo's bad and incomplete sets, refills the list and asks
    // about the report; the single check shows its details and marks one game.
    void romchecksMarkTheBadSets() {
        start();
        game(u"calkids")->Installed = true;
        m_prompter->answers = {Prompter::Answer::Yes};
        action("MenuRomCheck")->trigger();
        QCOMPARE(m_dir->runs().last(), u"-romcheck"_s);
        QVERIFY(game(u"calkids")->BadRomcheck);
        QVERIFY(game(u"gobbotic")->BadRomcheck);
        QVERIFY(!game(u"lumabolt")->BadRomcheck);
        QVERIFY(game(u"lumabolt")->Installed);
        QCOMPARE(m_prompter->texts().last(), u"Do you want to see the\rFull Romcheck Report ?"_s);
        QCOMPARE(m_opener.opened, QStringList{m_dir->file(u"romcheck.txt"_s)});
        QVERIFY(m_dir->readFile(u"romcheck.txt"_s).contains("calkids"));

        select(u"calkids");
        QPushButton* button = romcheckButton();
        QCOMPARE(button->text(), u"Check romset calkids for CRC32 and Filesize"_s);
        game(u"calkids")->BadRomcheck = false;
        button->click();
        QCOMPARE(m_dir->runs().last(), u"-romcheck calkids -verbose"_s);
        QVERIFY(game(u"calkids")->BadRomcheck);
        const QString memo = m_main->findChild<QPlainTextEdit*>(u"RomcheckMemo"_s)->toPlainText();
        QVERIFY2(memo.contains(u"calkids"_s) && memo.contains(u"ck-02.bin"_s), qPrintable(memo));
        QCOMPARE(m_prompter->shown.size(), 1);
    }

    // A run that ended by itself and printed a result line gives the report, whatever
    // its status: a non-zero one is named in the status bar. A killed run, or one
    // without a result line, keeps the old report and the marks, and says why.
    void romcheckEndings_data() {
        QTest::addColumn<QByteArray>("variable");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("fullSaid"); // the status bar's note, or the error's start
        QTest::addColumn<QString>("singleSaid");
        const QByteArray fault = "KALTO_SIM_ROMCHECK_FAULT";
        const QString full = u"kalto.exe -romcheck "_s;
        const QString single = u"kalto.exe -romcheck calkids -verbose "_s;
        const QString failed = u"did not check the romsets: it "_s;
        QTest::newRow("whole report, status 3")
            << QByteArray("KALTO_SIM_ROMCHECK_BAD_STATUS") << QByteArray("3")
            << full + u"ended with exit status 3; its report was read."_s
            << single + u"ended with exit status 3; its report was read."_s;
        QTest::newRow("half a report, status 4")
            << fault << QByteArray("exit")
            << full + u"ended with exit status 4; its report was read."_s
            << single + failed + u"ended with exit status 4."_s; // half of one line is none
        QTest::newRow("killed") << fault << QByteArray("crash")
                                << full + failed + u"ended abnormally (signal 9"_s
                                << single + failed + u"ended abnormally (signal 9"_s;
        QTest::newRow("no result line")
            << fault << QByteArray("early") << full + failed + u"ended with exit status 4."_s
            << single + failed + u"ended with exit status 4."_s;
    }
    void romcheckEndings() {
        QFETCH(QByteArray, variable);
        QFETCH(QByteArray, value);
        QFETCH(QString, fullSaid);
        QFETCH(QString, singleSaid);
        start();
        const QByteArray old = "calkids | OK\r\n";
        m_dir->writeFile(u"romcheck.txt"_s, old);
        ScopedEnv env(variable.constData(), value);
        const auto check = [&](const QString& said, const std::function<void()>& run) {
            m_prompter->shown.clear();
            m_prompter->answers = {Prompter::Answer::No}; // the full report, not now
            run();
            const QByteArray report = m_dir->readFile(u"romcheck.txt"_s);
            if (said.endsWith(u"its report was read.")) {
                QCOMPARE(statusPanel(1), said);
                QVERIFY(report != old);
                // Every set the report names has its mark from it.
                for (const QByteArray& line : report.split('\n')) {
                    if (line.contains('|'))
                        QCOMPARE(game(QString::fromLatin1(line.split(' ').first()))->BadRomcheck,
                                 line.contains("| BAD"));
                }
            } else {
                QCOMPARE(m_prompter->shown.size(), 1);
                QVERIFY2(m_prompter->texts().first().startsWith(said),
                         qPrintable(m_prompter->texts().first()));
                QCOMPARE(report, old);
                QVERIFY(!game(u"calkids")->BadRomcheck);
            }
        };
        check(fullSaid, [&] { action("MenuRomCheck")->trigger(); });
        game(u"calkids")->BadRomcheck = false;
        m_dir->writeFile(u"romcheck.txt"_s, old);
        select(u"calkids");
        check(singleSaid, [&] { romcheckButton()->click(); });
    }

    // Merged romsets: Cancel (or closing the box) takes the mark back, No runs the
    // installed check, Yes the full check; turning it off changes no flag.
    void mergedRomsetsSupport() {
        start();
        QAction* merged = action("MenuMergedRomsetsSupport");
        m_prompter->answers = {Prompter::Answer::Cancel};
        merged->trigger();
        QVERIFY(!merged->isChecked());
        QVERIFY(m_prompter->texts().last().startsWith(
            u"Merge Romsets Support makes the installed-statusses\rdepend on the romchecks"_s));

        game(u"lumabolt")->BadRomcheck = true;
        m_prompter->answers = {Prompter::Answer::No};
        merged->trigger();
        QVERIFY(merged->isChecked());
        QVERIFY(!game(u"lumabolt")->Installed); // installed follows the marks now
        // Sets no romcheck named count by their own romset alone: a merged clone's
        // files lie in its parent's set, where only a romcheck can see them.
        QVERIFY(game(u"cogrider")->Installed);
        QVERIFY(!game(u"lumabol2")->Installed);
        QVERIFY(!game(u"glimrun")->Installed);

        merged->trigger(); // off: every flag stays
        QVERIFY(!merged->isChecked());
        QVERIFY(!game(u"lumabolt")->Installed);

        const int runs = m_dir->runs().size();
        m_prompter->answers = {Prompter::Answer::Yes, Prompter::Answer::No};
        merged->trigger();
        QCOMPARE(m_dir->runs().size(), runs + 1);
        QCOMPARE(m_dir->runs().last(), u"-romcheck"_s);
        QVERIFY(game(u"lumabolt")->Installed);
        QVERIFY(game(u"lumabol2")->Installed); // named good
        QVERIFY(!game(u"calkids")->Installed); // bad, so not installed with merged sets
        QVERIFY(!game(u"glimrun")->Installed);

        // What the romcheck said outlives a restart.
        m_main->close();
        m_main.reset();
        m_prompter->shown.clear();
        start();
        QVERIFY(action("MenuMergedRomsetsSupport")->isChecked());
        QVERIFY(game(u"lumabol2")->Installed);
        QVERIFY(!game(u"calkids")->Installed && !game(u"glimrun")->Installed);

        // A full check that gives no report takes the option back.
        action("MenuMergedRomsetsSupport")->trigger();
        ScopedEnv fault("KALTO_SIM_ROMCHECK_FAULT", "crash");
        m_prompter->answers = {Prompter::Answer::Yes};
        action("MenuMergedRomsetsSupport")->trigger();
        QVERIFY(!action("MenuMergedRomsetsSupport")->isChecked());
        QVERIFY(m_prompter->texts().last().startsWith(u"kalto.exe -romcheck did not check"_s));
    }

    // With merged romsets the romchecks are the truth: a set deleted since the last
    // full check leaves the installed games at the next one, and the Info page and the
    // needed-files report say so; a single check that finds a set bad takes it out of
    // the installed games at once, also while the list shows only those.
    void romchecksFollowTheSets() {
        start();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        m_prompter->answers = {Prompter::Answer::Yes, Prompter::Answer::No};
        action("MenuMergedRomsetsSupport")->trigger();
        QVERIFY(game(u"lumabolt")->GoodRomcheck && game(u"lumabol2")->Installed);

        QVERIFY(QFile::remove(m_dir->file(u"roms/lumabolt.zip"_s)));
        m_prompter->answers = {Prompter::Answer::No};
        action("MenuRomCheck")->trigger();
        for (const char16_t* zip : {u"lumabolt", u"lumabol2"}) {
            const TGameObject* g = game(zip);
            QVERIFY2(!g->GoodRomcheck && !g->BadRomcheck && !g->Installed,
                     qPrintable(QString::fromUtf16(zip)));
        }
        auto* info = m_main->findChild<GameInfoPage*>(u"InfoTab"_s);
        m_main->findChild<QTabWidget*>(u"PageControl"_s)->setCurrentWidget(info);
        select(u"lumabolt");
        QCOMPARE(info->lineText(u"Romset file"_s), u"not found in the rompaths"_s);
        QCOMPARE(info->lineText(u"Romcheck"_s), u"not checked"_s);
        action("MSReportNeeded")->trigger();
        QVERIFY(m_dir->readFile(u"needed.txt"_s).contains("| lumabolt.zip\r\n"));

        action("MSGamesInstalled")->trigger();
        select(u"mirefox");
        m_dir->writeFile(u"roms/mirefox.zip"_s, "no longer a zip");
        romcheckButton()->click();
        QVERIFY(game(u"mirefox")->BadRomcheck && !game(u"mirefox")->Installed);
        QCOMPARE(m_main->listModel()->rowOf(game(u"mirefox")), -1);
        QVERIFY(m_main->currentGame() && m_main->currentGame()->Installed);
        // What the check said stays in sight.
        QVERIFY(m_main->findChild<QPlainTextEdit*>(u"RomcheckMemo"_s)
                    ->toPlainText()
                    .contains(u"mirefox"_s));
    }

    // Secret games: the section is written or erased, and the list asked for again.
    void secretGames() {
        start();
        const int runs = m_dir->runs().size();
        action("MenuEnableSecretGames")->trigger();
        QCOMPARE(m_dir->runs().size(), runs + 1);
        QCOMPARE(m_dir->runs().last(), u"-listinfo"_s);
        const IniDocument cfg(m_dir->file(u"Config/Kalto.cfg"_s));
        QCOMPARE(cfg.readInteger(u"Romlist", u"gun_lock ", 0), 31745);
        QCOMPARE(cfg.readInteger(u"Romlist", u"grid_seeker ", 0), 58203);
        action("MenuEnableSecretGames")->trigger();
        QVERIFY(!m_dir->readFile(u"Config/Kalto.cfg"_s).contains("Romlist"));
        QVERIFY(!m_main->terminating());
    }

    // The report is written and opened; the demo's pictures and sounds count.
    void neededReport() {
        start();
        action("MSReportNeeded")->trigger();
        QCOMPARE(m_opener.opened, QStringList{m_dir->file(u"needed.txt"_s)});
        const QByteArray report = m_dir->readFile(u"needed.txt"_s);
        QVERIFY(report.startsWith("Needed files for StartKALTO 0.27.1 public beta 1\r\n"));
        QVERIFY(!report.contains("| lumabolt.jpg/pcx/png/bmp"));
        QVERIFY(report.contains("| skyloom.mid"));
        QVERIFY(!report.contains("| lumabolt.mid"));

        // A desktop that cannot open it: said, with the file's name.
        m_opener.fails = true;
        action("MSReportNeeded")->trigger();
        QCOMPARE(m_prompter->texts(),
                 QStringList{u"The desktop could not open\r"_s + m_dir->file(u"needed.txt"_s)});
    }

private:
    void start() {
        m_main = std::make_unique<TMain1>(*m_prompter, m_opener);
        QVERIFY(!m_main->terminating());
        QCOMPARE(m_prompter->shown.size(), 0);
    }
    TGameObject* game(QStringView zip) const { return m_main->games().FindGame(zip); }
    void select(QStringView zip) {
        m_main->findChild<GameListView*>()->selectRow(m_main->listModel()->rowOf(game(zip)));
        QCOMPARE(m_main->currentGame()->ZipName, zip);
    }
    QAction* action(const char* name) const {
        return m_main->findChild<QAction*>(QLatin1StringView(name));
    }
    QPushButton* romcheckButton() const {
        return m_main->findChild<QPushButton*>(u"RomcheckButton"_s);
    }
    QString statusPanel(int panel) const {
        return m_main->findChild<QLabel*>(u"StatusPanel%1"_s.arg(panel))->text();
    }

    std::unique_ptr<FrontEndDir> m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    RecordingOpener m_opener;
    std::unique_ptr<TMain1> m_main;
};

QTEST_MAIN(TestRomcheckWindow)
#include "tst_romcheckwindow.moc"
