#include "DemoCatalog.h"
#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/IniDocument.h"
#include "games/GameListModel.h"
#include "games/GameListView.h"
#include "shell/ColorText.h"
#include "shell/MainUnit1.h"
#include "shell/SvgPicture.h"
#include "shell/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

using testsupport::FrontEndDir;
using testsupport::ScopedEnv;

namespace {

// alpha and zeta are installed, beta is not; Zeta and zeta differ only in case.
QByteArray catalog(bool caseTwins = false) {
    QByteArray text;
    const auto block = [&](const char* zip, const char* title) {
        text += QByteArray("game (\r\nname ") + zip + "\r\ndescription \"" + title +
                "\"\r\nmanufacturer \"Maker\"\r\nyear 1990\r\narchive ( name \"" + zip +
                "\" )\r\n)\r\n";
    };
    block("alpha", "Alpha");
    block("beta", "Beta");
    block("zeta", "Zeta");
    if (caseTwins)
        block("Zeta", "Zeta Twin");
    return text;
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = std::make_unique<FrontEndDir>();
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_dir->installEmulator();
        m_dir->writeFile(QStringLiteral("Config/Kalto.cfg"),
                         "; the emulator's own comment\r\n[Directories]\r\nrom_dir_0 = roms/\r\n"
                         "ScreenShots = shots\r\n[General]\r\nWibble = 1\r\n");
        m_dir->writeFile(QStringLiteral("roms/alpha.zip"), "");
        m_dir->writeFile(QStringLiteral("roms/zeta.zip"), "");
        setCatalog(catalog());
    }
    void cleanup() {
        m_main.reset();
        m_catalogEnv.reset();
        m_prompter.reset();
        m_dir.reset();
    }

    // A given window state is saved byte for byte: sections and keys in their fixed
    // order, flags as 1 and 0, CR LF; the rom paths go back into the emulator's file.
    void savedFileByteForByte() {
        start();
        m_main->resize(700, 500);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        action("MSGamesInstalled")->trigger();
        action("MSIconsDetails")->trigger();
        action("MenuSortByYear")->trigger();
        action("MSOrderDescending")->trigger();
        action("MSHotTracking")->trigger();
        action("MSStatbar")->trigger();
        m_prompter->fontAnswers.append(Prompter::FontChoice{
            QFont(QStringLiteral("DejaVu Sans"), 11, QFont::Bold, true), QColor(0x20, 0x40, 0x80)});
        action("MSListChangefont")->trigger();
        m_prompter->colorAnswers.append(QColor(Qt::red));
        action("MSListBackgroundcolor")->trigger();
        m_main->findChild<QSplitter*>(QStringLiteral("Splitter"))->setSizes({230, 470});
        view()->selectRow(1);
        action("MSSCRStretched")->trigger();
        action("MSSCRTitle")->trigger();
        action("MSSCRName")->trigger();
        button("SToolPause")->click();
        action("MSSCRSharp")->trigger();
        action("MSSndSamples")->trigger();
        view()->setColumnWidth(GameListModel::NameColumn, 200);
        action("MenuEnableKaltoGui")->trigger();
        action("MenuEnableSecretGames")->trigger();
        action("MenuMarkBadRomsets")->trigger();
        TGameObject* zeta = m_main->games().FindGame(u"zeta");
        zeta->CurScrShot = 4;
        // A favourite with its history; written only where there is one.
        zeta->Favourite = true;
        zeta->PlayCount = 3;
        zeta->LastPlayed =
            QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58), Qt::UTC).toSecsSinceEpoch();
        zeta->PlayTime = 3725;
        m_main->close();

        const QString date =
            IniDocument::dateTimeText(StartUp::fileDate(m_dir->file(QStringLiteral("kalto.exe"))));
        const QByteArray expected =
            "[StartKALTO]\r\nVersion=0.27.1 public beta 1\r\nEmuExeDate=" + date.toLatin1() +
            "\r\nEmuExePath=./\r\n\r\n"
            "[View]\r\nInstalled=1\r\nUnInstalled=0\r\nAll=0\r\nFavourites=0\r\nRecent=0\r\n"
            "Large=0\r\nSmall=0\r\nList=0\r\n"
            "Details=1\r\nHotTracking=0\r\nStatBar=0\r\nTabSheet=1\r\nSort=3\r\nSortOrder=1\r\n"
            "MarkBadRomsets=1\r\n\r\n"
            "[GameList]\r\nFontType=DejaVu Sans\r\nFontSize=11\r\nFgColor=$00804020\r\n"
            "FontStyle=3\r\nBgColor=clRed\r\n\r\n"
            "[Window]\r\nState=0\r\nWidth=700\r\nHeight=500\r\nGLPWidth=230\r\nLGLPos=1\r\n"
            "CurrentGame=alpha\r\n\r\n"
            "[Screenshot]\r\nOriginal=0\r\nScaled=0\r\nStretched=1\r\nTimer=2\r\nTitle=0\r\n"
            "Flyer=1\r\nMarquee=1\r\nCabinet=1\r\nGame=1\r\nShowName=0\r\nShowControls=1\r\n"
            "Play=0\r\nSharp=0\r\n\r\n"
            "[Sound]\r\nMusic=0\r\nSamples=1\r\nNone=0\r\n\r\n"
            "[Columns]\r\nName=200\r\nZipName=70\r\nManufacturer=90\r\nYear=50\r\nCheats=50\r\n"
            "Zipdate=110\r\nFav=36\r\nPlayed=50\r\nLast played=110\r\nPlay time=70\r\n\r\n"
            "[Tools]\r\nKaltoGUI=1\r\nMergedRomsetsSupport=0\r\nEnableSecretGames=1\r\n\r\n"
            "[alpha]\r\nBadRomcheck=0\r\nCurScrShot=0\r\n\r\n"
            "[beta]\r\nBadRomcheck=0\r\nCurScrShot=0\r\n\r\n"
            "[zeta]\r\nBadRomcheck=0\r\nCurScrShot=4\r\nFavourite=1\r\nPlayCount=3\r\n"
            "LastPlayed=2024-02-29T23:59:58Z\r\nPlayTime=3725\r\n\r\n";
        QCOMPARE(m_dir->readFile(QStringLiteral("StartKALTO.ini")), expected);
        // The emulator's file keeps what it had, with the rom paths written back.
        const IniDocument cfg(m_dir->file(QStringLiteral("Config/Kalto.cfg")));
        QCOMPARE(cfg.readString(u"Directories", u"rom_dir_0 ", {}), QStringLiteral("roms/"));
        QCOMPARE(cfg.readString(u"Directories", u"rom_dir_3 ", QStringLiteral("-")), QString());
        QCOMPARE(cfg.readString(u"Directories", u"ScreenShots ", {}), QStringLiteral(" shots"));
        QCOMPARE(cfg.readString(u"General", u"Wibble ", {}), QStringLiteral(" 1"));
    }

    // Every option comes back from a close and a start, a maximised window with its
    // normal size among them.
    void everyOptionSurvivesACloseAndAStart() {
        start();
        m_main->resize(640, 480);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        // A list of favourites that shows one: saved as it is.
        m_main->games().FindGame(u"beta")->Favourite = true;
        action("MenuFavouriteGames")->trigger();
        action("MSIconsList")->trigger();
        action("MenuSortByPlayTime")->trigger();
        action("MSTabsheet")->trigger();
        action("MSSCROriginal")->trigger();
        action("MSSCRControls")->trigger();
        action("MSSCRSharp")->trigger();
        action("MSSndNone")->trigger();
        // No full romcheck now: the installed flags follow the marks, and zeta's is bad.
        m_main->games().FindGame(u"zeta")->BadRomcheck = true;
        m_prompter->answers.append(Prompter::Answer::No);
        action("MenuMergedRomsetsSupport")->trigger();
        m_prompter->colorAnswers.append(QColor(1, 2, 3));
        action("MSListBackgroundcolor")->trigger();
        m_main->setWindowState(Qt::WindowMaximized);
        QTRY_VERIFY(m_main->isMaximized());
        m_main->close();
        const IniDocument saved(m_dir->file(QStringLiteral("StartKALTO.ini")));
        QCOMPARE(saved.readInteger(u"Window", u"State", -1), 2);
        QCOMPARE(saved.readInteger(u"Window", u"Width", -1), 640);
        QCOMPARE(saved.readInteger(u"Window", u"Height", -1), 480);

        start();
        QVERIFY(action("MenuFavouriteGames")->isChecked());
        QCOMPARE(m_main->listModel()->rowCount(), 1);
        QCOMPARE(m_main->listModel()->gameAt(0)->ZipName, QStringLiteral("beta"));
        QVERIFY(action("MSIconsList")->isChecked());
        QCOMPARE(view()->viewStyle(), GameListView::ListStyle);
        QCOMPARE(m_main->sortColumn(), int(GameListModel::PlayTimeColumn));
        QVERIFY(!action("MSTabsheet")->isChecked());
        QVERIFY(action("MSSCROriginal")->isChecked());
        QVERIFY(!action("MSSCRScaled")->isChecked());
        QVERIFY(!action("MSSCRControls")->isChecked());
        QVERIFY(!action("MSSCRSharp")->isChecked());
        QVERIFY(action("MSSndNone")->isChecked());
        QVERIFY(action("MenuMergedRomsetsSupport")->isChecked());
        QVERIFY(action("EnableWibbleKaltoGUIonly1")->isChecked()); // from the emulator's file
        QVERIFY(m_main->windowState() & Qt::WindowMaximized);
        QCOMPARE(m_main->findChild<SvgPicture*>(QStringLiteral("Image1"))->color(),
                 QColor(1, 2, 3));
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        QVERIFY(!m_main->findChild<QTabWidget*>(QStringLiteral("PageControl"))->isVisible());
        m_main->setWindowState(Qt::WindowNoState);
        QTRY_COMPARE(m_main->size(), QSize(640, 480));
    }

    // The re-run of the start-up brings every option back as it was.
    void rerunKeepsTheOptions() {
        start();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        action("MSStatbar")->trigger();
        action("MSHotTracking")->trigger();
        action("MSTabsheet")->trigger();
        action("MenuMarkBadRomsets")->trigger();
        action("MenuCheckforSupportedgames")->trigger();
        QVERIFY(!action("MSStatbar")->isChecked());
        QVERIFY(!m_main->findChild<QStatusBar*>(QStringLiteral("StatusBar"))->isVisible());
        QVERIFY(!action("MSHotTracking")->isChecked());
        QVERIFY(!view()->hotTracking());
        QVERIFY(!action("MSTabsheet")->isChecked());
        QVERIFY(!m_main->findChild<QTabWidget*>(QStringLiteral("PageControl"))->isVisible());
        QVERIFY(action("MenuMarkBadRomsets")->isChecked());
        QVERIFY(m_main->listModel()->markBadRomsets());
        QCOMPARE(m_prompter->shown.size(), 0);
        // Shown again, the pages come back beside the list.
        action("MSTabsheet")->trigger();
        QVERIFY(m_main->findChild<QTabWidget*>(QStringLiteral("PageControl"))->isVisible());
    }

    // A file of an older version: its game sections, their count and keys nobody reads
    // are gone after the first save; its colours and a colour that reads as nothing.
    void olderFileAndItsColours() {
        m_dir->writeFile(QStringLiteral("StartKALTO.ini"),
                         "[StartKALTO]\r\nEmuExePath=./\r\nNumOfGames=2\r\nOldKey=1\r\n"
                         "[Game0]\r\nZipName=alpha\r\n[Game1]\r\nZipName=beta\r\n"
                         "[GameList]\r\nFgColor=banana\r\nBgColor=CLBLUE\r\nFontSize=12\r\n"
                         "[Weird]\r\nx=1\r\n[zeta]\r\nCurScrShot=7\r\n");
        start();
        QCOMPARE(m_main->games().FindGame(u"zeta")->CurScrShot, 7);
        auto* list = view()->currentView();
        // The unreadable text colour keeps its default; the rest of the load went on.
        QCOMPARE(list->palette().color(QPalette::Text),
                 ColorSetting(ColorSetting::kWindowText).toColor(list->palette()));
        QCOMPARE(list->font().pointSize(), 12);
        m_main->close();
        const IniDocument saved(m_dir->file(QStringLiteral("StartKALTO.ini")));
        for (const char* gone : {"Game0", "Game1", "Weird"})
            QVERIFY2(!saved.sectionExists(QString::fromLatin1(gone)), gone);
        QVERIFY(!saved.keyExists(u"StartKALTO", u"NumOfGames"));
        QVERIFY(!saved.keyExists(u"StartKALTO", u"OldKey"));
        QCOMPARE(saved.readString(u"GameList", u"FgColor", {}), QStringLiteral("clWindowText"));
        QCOMPARE(saved.readString(u"GameList", u"BgColor", {}), QStringLiteral("clBlue"));
        QCOMPARE(saved.readInteger(u"zeta", u"CurScrShot", -1), 7);
    }

    // The list's colours as the dialogs leave them: confirmed unchanged, they go on
    // following the desktop (a dark scheme turns the list's text light) and are saved as
    // the desktop's; a colour changed in the dialog is kept as chosen.
    void unchangedColoursFollowTheDesktop() {
        start();
        const QPalette desktop = QApplication::palette();
        const QColor text = ColorSetting(ColorSetting::kWindowText).toColor(view()->palette());
        const QColor back = ColorSetting(ColorSetting::kWindow).toColor(view()->palette());
        m_prompter->fontAnswers.append(
            Prompter::FontChoice{QFont(QStringLiteral("DejaVu Sans"), 11), text});
        m_prompter->colorAnswers.append(back);
        action("MSListChangefont")->trigger();
        action("MSListBackgroundcolor")->trigger();
        QCOMPARE(m_prompter->fontRequests.value(0).color, text);
        QCOMPARE(m_prompter->colorRequests.value(0), back);
        QPalette dark = desktop;
        dark.setColor(QPalette::Text, QColor(0xEE, 0xEE, 0xEE));
        dark.setColor(QPalette::Base, QColor(0x30, 0x30, 0x30));
        QApplication::setPalette(dark);
        QTRY_COMPARE(view()->currentView()->palette().color(QPalette::Text),
                     QColor(0xEE, 0xEE, 0xEE));
        QApplication::setPalette(desktop);
        m_main->close();
        IniDocument saved(m_dir->file(QStringLiteral("StartKALTO.ini")));
        QCOMPARE(saved.readString(u"GameList", u"FgColor", {}), QStringLiteral("clWindowText"));
        QCOMPARE(saved.readString(u"GameList", u"BgColor", {}), QStringLiteral("clWindow"));
        QCOMPARE(saved.readInteger(u"GameList", u"FontSize", 0), 11);

        start();
        m_prompter->fontAnswers.append(
            Prompter::FontChoice{QFont(QStringLiteral("DejaVu Sans"), 11), QColor(0, 0, 0x80)});
        m_prompter->colorAnswers.append(QColor(0xFF, 0xFF, 0));
        action("MSListChangefont")->trigger();
        action("MSListBackgroundcolor")->trigger();
        m_main->close();
        saved = IniDocument(m_dir->file(QStringLiteral("StartKALTO.ini")));
        QCOMPARE(saved.readString(u"GameList", u"FgColor", {}), QStringLiteral("clNavy"));
        QCOMPARE(saved.readString(u"GameList", u"BgColor", {}), QStringLiteral("clYellow"));
    }

    // Games of one section: names alike without case share it. A game that has no
    // section yet was never named by a romcheck, bad or good, also while merged romsets
    // are supported.
    void sharedAndMissingGameSections() {
        setCatalog(catalog(true));
        m_dir->writeFile(QStringLiteral("StartKALTO.ini"),
                         "[StartKALTO]\r\nEmuExePath=./\r\n[Tools]\r\nMergedRomsetsSupport=1\r\n"
                         "[ZETA]\r\nBadRomcheck=0\r\nCurScrShot=3\r\nGoodRomcheck=1\r\n");
        start();
        QCOMPARE(m_main->games().count(), 4);
        for (TGameObject* game : m_main->games()) {
            const bool zeta = game->ZipName.compare(u"zeta", Qt::CaseInsensitive) == 0;
            QCOMPARE(game->CurScrShot, zeta ? 3 : 0);
            QVERIFY(!game->BadRomcheck);
            QCOMPARE(game->GoodRomcheck, zeta);
        }
        m_main->close();
        const QByteArray saved = m_dir->readFile(QStringLiteral("StartKALTO.ini"));
        QCOMPARE(saved.count("[zeta]") + saved.count("[Zeta]"), 1);
    }

    // Hand-edited numbers are brought into range: nothing overflows, no column vanishes,
    // every radio group keeps one item, a window larger than the screen fits its free
    // area, and one closed while minimised opens in the normal state.
    void handEditedValuesAreBounded() {
        m_dir->writeFile(QStringLiteral("StartKALTO.ini"),
                         "[StartKALTO]\r\nEmuExePath=./\r\n[View]\r\nInstalled=0\r\n"
                         "UnInstalled=0\r\nAll=0\r\nSort=17\r\nSortOrder=9\r\n"
                         "[Window]\r\nState=1\r\nWidth=1900\r\nHeight=1000\r\n"
                         "GLPWidth=2147483647\r\nLGLPos=-4\r\n"
                         "[Screenshot]\r\nTitle=1\r\nOriginal=0\r\nScaled=0\r\nStretched=0\r\n"
                         "Timer=0\r\n[Sound]\r\nMusic=0\r\nSamples=0\r\nNone=0\r\n"
                         "[Columns]\r\nName=0\r\nYear=999999999\r\n[zeta]\r\nCurScrShot=-2\r\n");
        start();
        for (const char* checked :
             {"MSGamesAll", "MSSCRScaled", "MSSndMusic", "MSSortbyName", "MSOrderAscending"})
            QVERIFY2(action(checked)->isChecked(), checked);
        QCOMPARE(m_main->windowState(), Qt::WindowNoState);
        QCOMPARE(m_main->games().FindGame(u"zeta")->CurScrShot, 0);
        const QRect area = m_main->screen()->availableGeometry();
        centreOnScreen(m_main.get());
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        QVERIFY(area.contains(m_main->frameGeometry()));
        // The title bar a window manager puts above it would still fit on the screen.
        QVERIFY(m_main->geometry().bottom() +
                    m_main->style()->pixelMetric(QStyle::PM_TitleBarHeight) <=
                area.bottom());
        QVERIFY(m_main->listPanelWidth() < m_main->width());
        QCOMPARE(m_main->rememberedIndex(), 0);
        m_main->close();
        const IniDocument saved(m_dir->file(QStringLiteral("StartKALTO.ini")));
        QVERIFY(saved.readInteger(u"Window", u"GLPWidth", -1) <
                saved.readInteger(u"Window", u"Width", -1));
        QCOMPARE(saved.readInteger(u"Screenshot", u"Timer", -1), 1);
        QVERIFY(saved.readInteger(u"Columns", u"Name", -1) >= 20);
        QCOMPARE(saved.readInteger(u"Columns", u"Year", -1), 4000);
    }

    // The list keeps the width the user gave it when the pages were hidden at the close:
    // shown again after a start, it goes back to that width.
    void listWidthSurvivesHiddenPages() {
        start();
        m_main->resize(700, 450);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        m_main->findChild<QSplitter*>(QStringLiteral("Splitter"))->setSizes({260, 437});
        QTRY_COMPARE(m_main->listPanelWidth(), 260);
        action("MSTabsheet")->trigger();
        m_main->close();
        start();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        action("MSTabsheet")->trigger();
        QTRY_COMPARE(m_main->findChild<QWidget*>(QStringLiteral("GameListPanel"))->width(), 260);
    }

    void colourTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QColor>("shown");
        QTest::newRow("named") << "clRed"
                               << "clRed" << QColor(255, 0, 0);
        QTest::newRow("name without case") << "CLNAVY"
                                           << "clNavy" << QColor(0, 0, 128);
        QTest::newRow("hexadecimal, red low") << "$00804020"
                                              << "$00804020" << QColor(0x20, 0x40, 0x80);
        QTest::newRow("hexadecimal of a name") << "$000000FF"
                                               << "clRed" << QColor(255, 0, 0);
        QTest::newRow("decimal") << "65280"
                                 << "clLime" << QColor(0, 255, 0);
        QTest::newRow("a desktop colour") << "clWindow"
                                          << "clWindow" << QColor();
    }
    void colourTexts() {
        QFETCH(QString, text);
        QFETCH(QString, written);
        QFETCH(QColor, shown);
        const auto setting = ColorSetting::fromText(text);
        QVERIFY(setting);
        QCOMPARE(setting->text(), written);
        if (shown.isValid())
            QCOMPARE(setting->toColor(QPalette()), shown);
        else
            QCOMPARE(setting->toColor(QPalette()), QPalette().color(QPalette::Base));
        QVERIFY(!ColorSetting::fromText(QStringLiteral("banana")));
        QCOMPARE(ColorSetting::fromColor(QColor(0x12, 0x34, 0x56)).text(),
                 QStringLiteral("$00563412"));
    }

private:
    void setCatalog(const QByteArray& text) {
        m_dir->writeFile(QStringLiteral("catalog.txt"), text);
        if (!m_catalogEnv)
            m_catalogEnv.emplace("KALTO_SIM_CATALOG",
                                 QFile::encodeName(m_dir->file(QStringLiteral("catalog.txt"))));
        QFile::remove(m_dir->file(QStringLiteral("listinfo.txt")));
    }
    void start() {
        m_main.reset();
        m_main = std::make_unique<TMain1>(*m_prompter, m_opener);
        QVERIFY(!m_main->terminating());
    }
    QAction* action(const char* name) const {
        return testsupport::namedChild<QAction>(m_main.get(), name);
    }
    QToolButton* button(const char* name) const {
        return m_main->findChild<QToolButton*>(QLatin1StringView(name));
    }
    GameListView* view() const {
        return m_main->findChild<GameListView*>(QStringLiteral("GameList"));
    }

    std::unique_ptr<FrontEndDir> m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    RecordingOpener m_opener;
    std::optional<ScopedEnv> m_catalogEnv;
    std::unique_ptr<TMain1> m_main;
};

QTEST_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
