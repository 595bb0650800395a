#include "DemoCatalog.h"
#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/IniDocument.h"
#include "games/GameListModel.h"
#include "games/GameListView.h"
#include "games/PlayHistory.h"
#include "launch/Execfile.h"
#include "media/ScreenshotStore.h"
#include "shell/GameInfoPage.h"
#include "shell/MainUnit1.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

using testsupport::FrontEndDir;
using testsupport::ScopedEnv;

namespace {

struct Entry {
    const char* zip;
    const char* title;
    const char* maker;
    const char* year;
    const char* archives; // as the archive line holds them
};

// Installed: alpha (zip), betaj (through its parent's zip), delta (unpacked), zeta.
const Entry kCatalog[] = {
    {"alpha", "Alpha Blaster", "Ace", "1984", "name \"alpha\""},
    {"betaj", "Beta Quest", "Bolt", "1982", "name \"betaj\" name \"beta\""},
    {"gamma", "Gamma Run", "Ace", "1984", "name gamma"},
    {"delta", "delta force", "Cosmo", "1990", "name \"delta\""},
    {"eps", "Epsilon", "Bolt", "1982", "name \"eps\""},
    {"zeta", "Zeta", "Ace", "1984", "name \"zeta\""},
};

QByteArray catalogText(int count = int(std::size(kCatalog))) {
    QByteArray text = "# test catalog\r\n";
    for (int i = 0; i < count; ++i) {
        const Entry& e = kCatalog[i];
        text += QByteArray("game (\r\n\tname ") + e.zip + "\r\n\tdescription \"" + e.title +
                "\"\r\n\tmanufacturer \"" + e.maker + "\"\r\n\tyear " + e.year +
                "\r\n\tarchive ( " + e.archives +
                " )\r\n\tvideo ( screen raster x 320 y 240 )\r\n)\r\n\r\n";
    }
    return text;
}

// A style that activates items on a single click, as some desktops' styles do.
class SingleClickStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* result) const override {
        if (hint == QStyle::SH_ItemView_ActivateItemOnSingleClick)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, result);
    }
};

} // namespace

class TestGameListWindow : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = std::make_unique<FrontEndDir>();
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_dir->installEmulator();
        m_dir->writeFile(QStringLiteral("Config/Kalto.cfg"),
                         QByteArray::fromStdString(sk::kaltoCfgText({"roms0/", "roms1/", "", ""})));
        m_dir->writeFile(QStringLiteral("Config/Cheats.cfg"), "[eps:Cheats]\r\nLives=1\r\n");
        m_dir->writeFile(QStringLiteral("roms0/alpha.zip"), "");
        m_dir->writeFile(QStringLiteral("roms1/beta.zip"), "");
        m_dir->writeFile(QStringLiteral("roms0/zeta.zip"), "");
        m_dir->makeDir(QStringLiteral("roms0/delta"));
        writeCatalog(catalogText());
    }
    void cleanup() {
        m_main.reset();
        m_catalogEnv.reset();
        m_prompter.reset();
        m_dir.reset();
    }

    void startupShowsTheCatalog() {
        start();
        QCOMPARE(m_main->windowTitle(),
                 QStringLiteral("StartKALTO 0.27.1 public beta 1 [6 of 6 games]"));
        QCOMPARE(titles(),
                 QStringLiteral("Alpha Blaster|Beta Quest|delta force|Epsilon|Gamma Run|Zeta"));
        QCOMPARE(installedZips(), QStringLiteral("alpha betaj delta zeta"));
        QVERIFY(m_main->games().FindGame(u"eps")->HasCheats);
        QCOMPARE(m_main->games().FindGame(u"betaj")->Archives,
                 (QStringList{QStringLiteral("betaj"), QStringLiteral("beta")}));
        // The remembered index 0 selects the first game.
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("alpha"));
        QCOMPARE(statusPanel(0), QStringLiteral("alpha"));
        QVERIFY(button()->isEnabled());
        // Installed and not installed games look different.
        const auto icon = [&](int row) {
            return model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>().cacheKey();
        };
        QCOMPARE(icon(0), icon(1));
        QVERIFY(icon(0) != icon(3));
        QCOMPARE(m_prompter->shown.size(), 0);
    }

    void filtersAndCaptions() {
        start();
        action("MSGamesInstalled")->trigger();
        QCOMPARE(m_main->windowTitle(),
                 QStringLiteral("StartKALTO 0.27.1 public beta 1 [4 of 6 games]"));
        QCOMPARE(titles(), QStringLiteral("Alpha Blaster|Beta Quest|delta force|Zeta"));
        action("MSGamesUninstalled")->trigger();
        QCOMPARE(m_main->windowTitle(),
                 QStringLiteral("StartKALTO 0.27.1 public beta 1 [2 of 6 games]"));
        QCOMPARE(titles(), QStringLiteral("Epsilon|Gamma Run"));
        // A filter change starts from the first item.
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("eps"));
        QVERIFY(!button()->isEnabled());
        action("MSGamesAll")->trigger();
        QCOMPARE(m_main->windowTitle(),
                 QStringLiteral("StartKALTO 0.27.1 public beta 1 [6 of 6 games]"));
    }

    void yearHeaderClickedTwice() {
        start();
        action("MSIconsDetails")->trigger();
        QTreeView* details = view()->detailsView();
        QVERIFY(view()->currentView() == details);
        clickHeader(GameListModel::YearColumn);
        QCOMPARE(titles(),
                 QStringLiteral("Beta Quest|Epsilon|Alpha Blaster|Gamma Run|Zeta|delta force"));
        QVERIFY(action("MenuSortByYear")->isChecked());
        QVERIFY(action("MSOrderAscending")->isChecked());
        clickHeader(GameListModel::YearColumn);
        QVERIFY(action("MSOrderDescending")->isChecked());
        QCOMPARE(titles(),
                 QStringLiteral("delta force|Zeta|Gamma Run|Alpha Blaster|Epsilon|Beta Quest"));
        QCOMPARE(details->header()->sortIndicatorOrder(), Qt::DescendingOrder);
        QCOMPARE(details->header()->sortIndicatorSection(), int(GameListModel::YearColumn));
        // Another column keeps the direction.
        clickHeader(GameListModel::ManufacturerColumn);
        QCOMPARE(titles(),
                 QStringLiteral("delta force|Epsilon|Beta Quest|Zeta|Gamma Run|Alpha Blaster"));
    }

    void orderMenuSortsInOnePass() {
        start();
        action("MenuSortByYear")->trigger();
        QCOMPARE(titles(),
                 QStringLiteral("Beta Quest|Epsilon|Alpha Blaster|Gamma Run|Zeta|delta force"));
        action("MSOrderDescending")->trigger();
        // Ties go by title in the same direction, as a click on the header sorts them.
        QCOMPARE(titles(),
                 QStringLiteral("delta force|Zeta|Gamma Run|Alpha Blaster|Epsilon|Beta Quest"));
        action("MSSortbyName")->trigger();
        QCOMPARE(titles(),
                 QStringLiteral("Zeta|Gamma Run|Epsilon|delta force|Beta Quest|Alpha Blaster"));
        QCOMPARE(m_main->sortColumn(), 0);
    }

    void sortKeepsTheSelectedGame() {
        start();
        view()->selectRow(2);
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("delta"));
        action("MenuSortByYear")->trigger();
        QCOMPARE(model()->gameAt(view()->selectedRow())->ZipName, QStringLiteral("delta"));
    }

    // Without a remembered game, the remembered position counts: past the end of the
    // list it selects nothing.
    void rememberedIndexPastTheEndSelectsNothing() {
        m_dir->writeFile(QStringLiteral("StartKALTO.ini"),
                         "[StartKALTO]\r\nEmuExePath=./\r\n[Screenshot]\r\nTitle=1\r\n"
                         "[Window]\r\nLGLPos=7\r\nCurrentGame=gone\r\n");
        start();
        QCOMPARE(view()->selectedRow(), -1);
        QCOMPARE(m_main->currentGame(), nullptr);
        QCOMPARE(statusPanel(0), QStringLiteral("none"));
        QVERIFY(!button()->isEnabled());
        QCOMPARE(m_main->rememberedIndex(), 0);
    }

    void selectionFollowsTheKeyboard() {
        start();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        action("MSIconsDetails")->trigger();
        QWidget* list = view()->currentView();
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("betaj"));
        QCOMPARE(m_main->rememberedIndex(), 1);
        QVERIFY(button()->isEnabled());
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("eps"));
        QVERIFY(!button()->isEnabled());
        QCOMPARE(m_main->rememberedIndex(), 0);
        QCOMPARE(statusPanel(0), QStringLiteral("eps"));
        // Switching styles keeps the selection.
        action("MSIconsSmall")->trigger();
        QCOMPARE(view()->selectedRow(), 3);
        QVERIFY(view()->currentView() == view()->iconView());
        m_main->close();
    }

    // A click or an arrow key selects a game in every style: the current game, the
    // status bar and the start button follow.
    void selectionInEveryStyle_data() {
        QTest::addColumn<QByteArray>("style");
        QTest::addColumn<int>("nextKey");
        QTest::newRow("large icons") << QByteArray("MSIconsLarge") << int(Qt::Key_Right);
        QTest::newRow("small icons") << QByteArray("MSIconsSmall") << int(Qt::Key_Right);
        QTest::newRow("list") << QByteArray("MSIconsList") << int(Qt::Key_Down);
        QTest::newRow("details") << QByteArray("MSIconsDetails") << int(Qt::Key_Down);
    }
    void selectionInEveryStyle() {
        QFETCH(QByteArray, style);
        QFETCH(int, nextKey);
        start();
        m_main->resize(900, 600);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        action(style.constData())->trigger();
        QAbstractItemView* list = view()->currentView();
        QTRY_VERIFY(list->visualRect(model()->index(4, 0)).isValid());

        // Epsilon (row 3) is not installed, Zeta (row 5) is.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(model()->index(3, 0)).center());
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("eps"));
        QCOMPARE(statusPanel(0), QStringLiteral("eps"));
        QVERIFY(!button()->isEnabled());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(model()->index(5, 0)).center());
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("zeta"));
        QCOMPARE(statusPanel(0), QStringLiteral("zeta"));
        QVERIFY(button()->isEnabled());
        QCOMPARE(m_main->rememberedIndex(), 5);

        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(model()->index(0, 0)).center());
        QTest::keyClick(list, Qt::Key(nextKey));
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("betaj"));
        QCOMPARE(statusPanel(0), QStringLiteral("betaj"));
        QVERIFY(button()->isEnabled());
        QTest::keyClick(list, Qt::Key(nextKey));
        QTest::keyClick(list, Qt::Key(nextKey));
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("eps"));
        QVERIFY(!button()->isEnabled());
        m_main->close();
    }

    // A real double click or Enter starts a game; a single click never does, even
    // where the desktop's style activates items on a single click.
    void startsOnDoubleClickAndEnterOnly() {
        start();
        SingleClickStyle style;
        for (QAbstractItemView* list : {static_cast<QAbstractItemView*>(view()->iconView()),
                                        static_cast<QAbstractItemView*>(view()->detailsView())})
            list->setStyle(&style);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        QSignalSpy starts(view(), &GameListView::itemActivated);
        for (const char* styleName : {"MSIconsLarge", "MSIconsDetails"}) {
            action(styleName)->trigger();
            QAbstractItemView* list = view()->currentView();
            const QPoint at = list->visualRect(model()->index(1, 0)).center();
            starts.clear();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QCOMPARE(starts.count(), 0);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
            QCOMPARE(starts.count(), 1);
            QTest::keyClick(list, Qt::Key_Return);
            QTest::keyClick(list, Qt::Key_Enter);
            QCOMPARE(starts.count(), 3);
        }
        m_main->close();
        for (QAbstractItemView* list : {static_cast<QAbstractItemView*>(view()->iconView()),
                                        static_cast<QAbstractItemView*>(view()->detailsView())})
            list->setStyle(nullptr);
    }

    // After every fill the selected game is in sight, in every style, however far down
    // the list it stands.
    void selectedGameInSightAfterAFill_data() {
        QTest::addColumn<QByteArray>("style");
        QTest::newRow("large icons") << QByteArray("MSIconsLarge");
        QTest::newRow("small icons") << QByteArray("MSIconsSmall");
        QTest::newRow("list") << QByteArray("MSIconsList");
        QTest::newRow("details") << QByteArray("MSIconsDetails");
    }
    void selectedGameInSightAfterAFill() {
        QFETCH(QByteArray, style);
        QByteArray text;
        for (int i = 0; i < 3000; ++i)
            text += "game (\nname g" + QByteArray::number(i) + "\ndescription \"Game " +
                    QByteArray::number(100000 + i) + "\"\nmanufacturer \"M\"\nyear 1990\n)\n";
        writeCatalog(text);
        const auto inSight = [&] {
            QAbstractItemView* list = view()->currentView();
            const QModelIndex current = list->selectionModel()->currentIndex();
            const QRect item = list->visualRect(current.siblingAtColumn(0));
            const QRect seen = list->viewport()->rect();
            // Wholly in sight from top to bottom, at least partly from side to side.
            return current.isValid() && item.top() >= seen.top() &&
                   item.bottom() <= seen.bottom() && item.intersects(seen);
        };
        // The start fills the list before the window is shown, and the desktop may
        // give the window its size a moment later: the first game is in sight once it
        // has it, in the default style too.
        start();
        m_main->resize(700, 110);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        QTest::qWait(50);
        m_main->resize(700, 500);
        QTRY_VERIFY(inSight());
        action(style.constData())->trigger();
        QTRY_VERIFY(inSight());
        m_main->FillGameList();
        QTRY_VERIFY(inSight());
        QCOMPARE(view()->selectedRow(), 0);
        // So is the 2,501st, however far down the list it stands.
        view()->selectRow(2500);
        m_main->FillGameList();
        QCOMPARE(view()->selectedRow(), 2500);
        QTRY_VERIFY(inSight());
        // Narrowed to one game, the icons in rows show no scroll bar they do not need.
        search()->setText(QStringLiteral("Game 102500"));
        QCOMPARE(model()->rowCount(), 1);
        if (style == "MSIconsLarge" || style == "MSIconsSmall")
            QTRY_VERIFY(!view()->currentView()->verticalScrollBar()->isVisible());
        QVERIFY(inSight());
        QCOMPARE(view()->detailsView()->allColumnsShowFocus(), style == "MSIconsDetails");
        m_main->close();
    }

    // Titles under large icons take two lines at most; a longer one ends in "…" and
    // the tool tip holds it whole.
    void largeIconTitlesEndInAnEllipsis() {
        start();
        const QFont font = view()->font();
        const int width = 96;
        const QString title =
            QStringLiteral("The Extraordinarily Long Adventures of the Galactic Pinball Wizards");
        const QStringList lines = GameListView::titleLines(title, font, width);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[1].endsWith(QChar(0x2026)));
        const QFontMetrics metrics(font);
        for (const QString& line : lines)
            QVERIFY(metrics.horizontalAdvance(line) <= width);
        QVERIFY(title.startsWith(lines[0]));
        QCOMPARE(GameListView::titleLines(QStringLiteral("Zeta"), font, width),
                 QStringList{QStringLiteral("Zeta")});
        // One word wider than the line is broken, not cut off.
        const QStringList word = GameListView::titleLines(QString(40, u'W'), font, width);
        QCOMPARE(word.size(), 2);
        QVERIFY(metrics.horizontalAdvance(word[0]) <= width);
        QCOMPARE(model()->index(0, 0).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("Alpha Blaster"));
    }

    // The search field narrows the list to the games whose title, zip name or maker
    // holds every word, without regard to case or accents, on top of the filter; the
    // caption, the sort and the selection follow what is shown.
    void searchNarrowsTheList() {
        writeCatalog(catalogText() + "game (\r\nname cafe\r\ndescription \"Caf\xe9 Derby\"\r\n"
                                     "manufacturer \"Bolt\"\r\nyear 1985\r\n)\r\n");
        start();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        auto* search = m_main->findChild<QLineEdit*>(QStringLiteral("GameSearch"));
        QVERIFY(search);
        QTest::keyClick(m_main.get(), Qt::Key_K, Qt::ControlModifier);
        QTRY_VERIFY(search->hasFocus());

        QTest::keyClicks(search, QStringLiteral("ace"));
        QCOMPARE(titles(), QStringLiteral("Alpha Blaster|Gamma Run|Zeta"));
        QCOMPARE(m_main->windowTitle(),
                 QStringLiteral("StartKALTO 0.27.1 public beta 1 [3 of 7 games]"));
        // The selected game (Alpha Blaster) is still shown and stays selected.
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("alpha"));
        QTest::keyClicks(search, QStringLiteral(" RUN"));
        QCOMPARE(titles(), QStringLiteral("Gamma Run"));
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("gamma"));
        QCOMPARE(statusPanel(0), QStringLiteral("gamma"));
        QVERIFY(!button()->isEnabled());
        QVERIFY(search->hasFocus());

        search->setText(QStringLiteral("BETAJ"));
        QCOMPARE(titles(), QStringLiteral("Beta Quest"));
        search->setText(QStringLiteral("CAFE"));
        QCOMPARE(titles(), QStringLiteral("Caf\u00e9 Derby"));
        search->setText(QStringLiteral("caf\u00e9 bolt"));
        QCOMPARE(titles(), QStringLiteral("Caf\u00e9 Derby"));
        // Terms by field, and a plain word that matches the year.
        search->setText(QStringLiteral("maker:bolt"));
        QCOMPARE(titles(), QStringLiteral("Beta Quest|Caf\u00e9 Derby|Epsilon"));
        search->setText(QStringLiteral("maker:ace year:1984 \"a r\""));
        QCOMPARE(titles(), QStringLiteral("Gamma Run"));
        search->setText(QStringLiteral("1990"));
        QCOMPARE(titles(), QStringLiteral("delta force"));
        for (const char* form : {"maker:sega", "year:1987", "year:1980-1989", "year:198?"})
            QVERIFY2(search->toolTip().contains(QLatin1StringView(form)), form);
        search->setText(QStringLiteral("nothing like it"));
        QCOMPARE(model()->rowCount(), 0);
        QCOMPARE(statusPanel(0), QStringLiteral("none"));

        // On top of the filter, through a refill and a sort.
        search->setText(QStringLiteral("ace"));
        action("MSGamesInstalled")->trigger();
        QCOMPARE(titles(), QStringLiteral("Alpha Blaster|Zeta"));
        QCOMPARE(m_main->windowTitle(),
                 QStringLiteral("StartKALTO 0.27.1 public beta 1 [2 of 7 games]"));
        action("MSOrderDescending")->trigger();
        QCOMPARE(titles(), QStringLiteral("Zeta|Alpha Blaster"));
        view()->selectRow(0);
        view()->selectRow(1);
        QCOMPARE(m_main->rememberedIndex(), 3); // a position in the list without the search

        // Escape clears it and everything is shown again; the text is not saved.
        search->setFocus();
        QTest::keyClick(search, Qt::Key_Escape);
        QVERIFY(search->text().isEmpty());
        QCOMPARE(titles(), QStringLiteral("Zeta|delta force|Beta Quest|Alpha Blaster"));
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("alpha"));
        // Down goes on to the list.
        search->setFocus();
        QTest::keyClick(search, Qt::Key_Down);
        QVERIFY(view()->currentView()->hasFocus());
        m_main->close();
        QVERIFY(!m_dir->readFile(QStringLiteral("StartKALTO.ini")).contains("ace"));
    }

    // Full screen from the View menu or F11; F11 leaves, and so does an Escape that
    // nothing else takes: the search clears first, a box closes itself, the defaults
    // mode keeps it. The state before full screen is what the close saves.
    void fullScreen() {
        start();
        m_main->resize(640, 480);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
        QAction* item = action("MenuFullScreen");
        QCOMPARE(item->text(), QStringLiteral("Full Scree&n"));
        QCOMPARE(item->shortcut(), QKeySequence(Qt::Key_F11));
        m_main->setWindowState(Qt::WindowMaximized);
        QTRY_VERIFY(m_main->isMaximized());
        QTest::keyClick(m_main.get(), Qt::Key_F11);
        QVERIFY(m_main->isFullScreen());
        QVERIFY(item->isChecked());
        QTest::keyClick(m_main.get(), Qt::Key_F11);
        QVERIFY(!m_main->isFullScreen());
        QVERIFY(m_main->isMaximized());
        QVERIFY(!item->isChecked());

        item->trigger();
        auto* search = m_main->findChild<QLineEdit*>(QStringLiteral("GameSearch"));
        search->setFocus();
        search->setText(QStringLiteral("ace"));
        QTest::keyClick(search, Qt::Key_Escape);
        QVERIFY(search->text().isEmpty());
        QVERIFY(m_main->isFullScreen());
        bool boxClosed = false;
        QTimer::singleShot(0, m_main.get(), [&] {
            QWidget* box = QApplication::activeModalWidget();
            QVERIFY(box);
            QTest::keyClick(box, Qt::Key_Escape);
            boxClosed = !box->isVisible();
        });
        action("About1")->trigger();
        QVERIFY(boxClosed);
        QVERIFY(m_main->isFullScreen());
        action("MenuSetDefaultSettings")->trigger();
        QTest::keyClick(m_main.get(), Qt::Key_Escape);
        QVERIFY(m_main->isFullScreen());
        m_main->findChild<QToolButton*>(QStringLiteral("SetToolCancel"))->click();

        // Closed in full screen: saved as maximised, with the normal size.
        m_main->close();
        const IniDocument saved(m_dir->file(QStringLiteral("StartKALTO.ini")));
        QCOMPARE(saved.readInteger(u"Window", u"State", -1), 2);
        QCOMPARE(saved.readInteger(u"Window", u"Width", -1), 640);
        QCOMPARE(saved.readInteger(u"Window", u"Height", -1), 480);
        m_main.reset();
        start();
        QVERIFY(!m_main->isFullScreen());
        QVERIFY(!action("MenuFullScreen")->isChecked());

        // Full screen from a normal window: the checks that re-read the settings keep
        // it, and a run (which saves) and the close save the normal size, not the
        // screen's. Escape from the list leaves full screen to the normal window.
        m_main->show();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
        m_main->setWindowState(Qt::WindowNoState);
        QTRY_COMPARE(m_main->size(), QSize(640, 480));
        action("MenuFullScreen")->trigger();
        QVERIFY(m_main->isFullScreen());
        QTRY_VERIFY(m_main->width() > 640);
        action("MenuCheckforSupportedgames")->trigger();
        QVERIFY(m_main->isFullScreen());
        action("MenuEnableSecretGames")->trigger();
        QVERIFY(m_main->isFullScreen());
        QVERIFY(action("MenuFullScreen")->isChecked());
        const auto savedSize = [this] {
            const IniDocument saved(m_dir->file(QStringLiteral("StartKALTO.ini")));
            return QSize(saved.readInteger(u"Window", u"Width", -1),
                         saved.readInteger(u"Window", u"Height", -1));
        };
        view()->selectRow(0);
        QTest::keyClick(view()->currentView(), Qt::Key_Return);
        QCOMPARE(m_dir->runs().last(), QStringLiteral("-game alpha -nogui"));
        QCOMPARE(savedSize(), QSize(640, 480));
        QTest::keyClick(view()->currentView(), Qt::Key_Escape);
        QCOMPARE(m_main->windowState(), Qt::WindowStates(Qt::WindowNoState));
        QTRY_COMPARE(m_main->size(), QSize(640, 480));
        action("MenuFullScreen")->trigger();
        m_main->close();
        QCOMPARE(IniDocument(m_dir->file(QStringLiteral("StartKALTO.ini")))
                     .readInteger(u"Window", u"State", -1),
                 0);
        QCOMPARE(savedSize(), QSize(640, 480));
    }

    // Enter in the list or in the search field starts the selected installed game, in
    // every style; on one that is not installed the status bar says why.
    void enterStartsTheSelectedGame_data() { styles(); }
    void enterStartsTheSelectedGame() {
        startInStyle();
        const qsizetype runs = m_dir->runs().size();
        QTest::keyClick(view()->currentView(), Qt::Key_Return);
        view()->selectRow(3);
        QTest::keyClick(view()->currentView(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(statusPanel(1),
                 QStringLiteral("Epsilon is not installed: no romset in the rompaths"));
        QTest::keyClicks(search(), QStringLiteral("zeta"));
        QTest::keyClick(search(), Qt::Key_Return);
        search()->setText(QStringLiteral("gamma"));
        QTest::keyClick(search(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(statusPanel(1),
                 QStringLiteral("Gamma Run is not installed: no romset in the rompaths"));
        QCOMPARE(m_dir->runs().mid(runs), (QStringList{QStringLiteral("-game alpha -nogui"),
                                                       QStringLiteral("-game zeta -nogui")}));
    }

    // A game deselected by a Ctrl+click and selected again by a search can start again:
    // the Start button, Enter and a double click.
    void deselectedGameSelectedAgainStarts() {
        start();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        action("MSIconsDetails")->trigger();
        QAbstractItemView* list = view()->currentView();
        view()->selectRow(0);
        QVERIFY(button()->isEnabled());
        const QPoint at = list->visualRect(model()->index(0, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, at);
        QCOMPARE(view()->selectedRow(), -1);
        QVERIFY(!button()->isEnabled());
        QTest::keyClicks(search(), QStringLiteral("alp"));
        QCOMPARE(selectedZip(), QStringLiteral("alpha"));
        QVERIFY(button()->isEnabled());
        const qsizetype runs = m_dir->runs().size();
        QTest::keyClick(search(), Qt::Key_Return);
        // A double click, as QTest makes it: the click, then the second press.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(m_dir->runs().mid(runs), (QStringList{QStringLiteral("-game alpha -nogui"),
                                                       QStringLiteral("-game alpha -nogui")}));
        m_main->close();
    }

    // The selected game stays selected while it is listed, through changes of filter,
    // style and search, a check and a romcheck of it, in every style; none of them nor a
    // keystroke that keeps it plays its sound again.
    void selectionStaysWhileListed_data() { styles(); }
    void selectionStaysWhileListed() {
        m_dir->writeFile(QStringLiteral("Sound/eps.wav"), "not a sound");
        startInStyle();
        action("MSSndSamples")->trigger();
        view()->selectRow(3);
        QCOMPARE(m_prompter->beeps, 1); // the broken sound
        for (const char* change : {"MSGamesUninstalled", "MSGamesAll", "MSIconsDetails",
                                   "MSIconsSmall", "MenuCheckForInstalledGames"}) {
            action(change)->trigger();
            QVERIFY2(selectedZip() == u"eps", change);
        }
        m_main->findChild<QPushButton*>(QStringLiteral("RomcheckButton"))->click();
        QCOMPARE(m_dir->runs().last(), QStringLiteral("-romcheck eps -verbose"));
        QCOMPARE(selectedZip(), QStringLiteral("eps"));
        QTest::keyClicks(search(), QStringLiteral("bol"));
        QCOMPARE(selectedZip(), QStringLiteral("eps"));
        QCOMPARE(m_prompter->beeps, 1);
        action("MSGamesInstalled")->trigger(); // not listed: the first game shown
        QCOMPARE(selectedZip(), QStringLiteral("betaj"));
    }

    // The first start (no settings file) opens at three quarters of the screen on the
    // first installed game; a later one keeps the file's defaults. The keyboard is in
    // the list at every start, in every style.
    void firstAndLaterStarts_data() { styles(); }
    void firstAndLaterStarts() {
        QFETCH(QByteArray, style);
        QFile::remove(m_dir->file(QStringLiteral("roms0/alpha.zip")));
        start();
        const QSize area = m_main->screen()->availableGeometry().size();
        QCOMPARE(m_main->size(), QSize(area.width() * 3 / 4, area.height() * 3 / 4));
        QCOMPARE(selectedZip(), QStringLiteral("betaj"));
        m_dir->writeFile(QStringLiteral("StartKALTO.ini"),
                         "[StartKALTO]\r\nEmuExePath=./\r\n[Screenshot]\r\nTitle=1\r\n"
                         "[View]\r\nLarge=0\r\n" +
                             style.mid(7) + "=1\r\n");
        start();
        QCOMPARE(m_main->size(), QSize(600, 400));
        QCOMPARE(selectedZip(), QStringLiteral("alpha"));
        m_main->show();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
        QTRY_COMPARE(QApplication::focusWidget(), view()->currentView());
        const bool icons = style == "MSIconsLarge" || style == "MSIconsSmall";
        QTest::keyClick(QApplication::focusWidget(), icons ? Qt::Key_Right : Qt::Key_Down);
        QCOMPARE(selectedZip(), QStringLiteral("betaj"));
    }

    // A restart brings back the sort direction and the selected game, also one that
    // ties with others on the sort column; when its name is not listed, its position in
    // the same order. A search at the close counts for nothing.
    void restartBringsBackTheGame() {
        start();
        action("MSIconsDetails")->trigger();
        clickHeader(GameListModel::YearColumn);
        clickHeader(GameListModel::YearColumn);
        const QString order = titles();
        view()->selectRow(3);
        QCOMPARE(selectedZip(), QStringLiteral("alpha"));
        search()->setText(QStringLiteral("zzzz"));
        m_main->close();
        QByteArray text = m_dir->readFile(QStringLiteral("StartKALTO.ini"));
        for (const char* kept : {"All=1", "SortOrder=1", "LGLPos=3\r\nCurrentGame=alpha\r\n"})
            QVERIFY2(text.contains(kept), kept);
        start();
        QCOMPARE(titles(), order);
        QCOMPARE(selectedZip(), QStringLiteral("alpha"));
        m_main->close();
        text.replace("CurrentGame=alpha", "CurrentGame=gone");
        m_dir->writeFile(QStringLiteral("StartKALTO.ini"), text);
        start();
        QCOMPARE(selectedZip(), QStringLiteral("alpha"));
    }

    // No letter that Alt reaches in the window belongs to two things, so Alt+S opens the
    // Settings menu every time, also while the start button can be pressed.
    void mnemonicsAreUnique() {
        start();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
        QMultiMap<QChar, QString> owners;
        const auto add = [&](QString text, const QString& owner) {
            const qsizetype at = text.replace(QStringLiteral("&&"), QString()).indexOf(u'&');
            if (at >= 0 && at + 1 < text.size())
                owners.insert(text[at + 1].toLower(), owner);
        };
        for (QAction* menu : m_main->menuBar()->actions())
            add(menu->text(), menu->text());
        for (QWidget* widget : m_main->findChildren<QWidget*>()) {
            if (widget->window() != m_main.get())
                continue;
            if (auto* button = qobject_cast<QAbstractButton*>(widget))
                add(button->text(), widget->objectName());
            if (auto* group = qobject_cast<QGroupBox*>(widget))
                add(group->title(), widget->objectName());
            if (auto* tabs = qobject_cast<QTabBar*>(widget))
                for (int i = 0; i < tabs->count(); ++i)
                    add(tabs->tabText(i), tabs->tabText(i));
        }
        for (const QChar letter : owners.uniqueKeys())
            QVERIFY2(owners.count(letter) == 1,
                     qPrintable(QStringList(owners.values(letter)).join(u' ')));
        QVERIFY(button()->isEnabled());
        auto* settings = m_main->findChild<QMenu*>(QStringLiteral("MSSettings"));
        for (int press = 0; press < 2; ++press) {
            QTest::keyClick(m_main.get(), Qt::Key_S, Qt::AltModifier);
            QTRY_VERIFY(settings->isVisible());
            settings->hide();
        }
    }

    // "Set Zipped Rompaths": the paths chosen in the dialog go into the emulator's
    // file and the installed check runs again; after Cancel it runs too.
    void rompathsDialogFromTheMenu() {
        start();
        QCOMPARE(installedZips(), QStringLiteral("alpha betaj delta zeta"));
        m_dir->writeFile(QStringLiteral("more/gamma.zip"), "");
        const auto answerDialog = [&](const QString& path, bool ok) {
            QTimer::singleShot(0, m_main.get(), [=] {
                auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                QCOMPARE(dialog->windowTitle(), QStringLiteral("Zipped Rompaths"));
                dialog->findChild<QLineEdit*>(QStringLiteral("ZipDir2"))->setText(path);
                QTest::mouseClick(
                    dialog->findChild<QPushButton*>(ok ? QStringLiteral("OKButton")
                                                       : QStringLiteral("CancelButton")),
                    Qt::LeftButton);
            });
        };
        answerDialog(QStringLiteral("more"), true);
        action("MenuSetAlternativeRompath")->trigger();
        QCOMPARE(m_main->romDirs()[2], m_dir->file(QStringLiteral("more/")));
        QCOMPARE(IniDocument(m_dir->file(QStringLiteral("Config/Kalto.cfg")))
                     .readString(u"Directories", u"rom_dir_2 ", {}),
                 m_dir->file(QStringLiteral("more/")));
        QCOMPARE(installedZips(), QStringLiteral("alpha betaj gamma delta zeta"));

        QFile::remove(m_dir->file(QStringLiteral("more/gamma.zip")));
        answerDialog(QStringLiteral("/somewhere/else"), false);
        action("MenuSetAlternativeRompath")->trigger();
        QCOMPARE(m_main->romDirs()[2], m_dir->file(QStringLiteral("more/")));
        QCOMPARE(installedZips(), QStringLiteral("alpha betaj delta zeta"));
        QCOMPARE(m_prompter->shown.size(), 0);
    }

    // "About ..." shows the version in the About box of the emulator's window.
    void aboutBoxFromTheMenu() {
        start();
        QString version;
        QString caption;
        QTimer::singleShot(0, m_main.get(), [&] {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(box);
            caption = box->windowTitle();
            version = box->findChild<QLabel*>(QStringLiteral("versionlabel"))->text();
            QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("OKBtn")),
                              Qt::LeftButton);
        });
        action("About1")->trigger();
        QCOMPARE(caption, QStringLiteral("About StartKALTO"));
        QCOMPARE(version, QStringLiteral("0.27.1 public beta 1"));
    }

    void emptyListAndClose() {
        writeCatalog("no games here\r\n");
        start();
        QCOMPARE(m_main->windowTitle(),
                 QStringLiteral("StartKALTO 0.27.1 public beta 1 [0 of 0 games]"));
        QCOMPARE(view()->selectedRow(), -1);
        QCOMPARE(statusPanel(0), QStringLiteral("none"));
        action("MSGamesUninstalled")->trigger();
        m_main->close();
        // A list that shows nothing closes on the installed games.
        QVERIFY(action("MSGamesInstalled")->isChecked());
    }

    void perGameStateSurvivesARestartAndARerun() {
        m_dir->writeFile(QStringLiteral("StartKALTO.ini"),
                         "[StartKALTO]\r\nEmuExePath=./\r\n[Screenshot]\r\nTitle=1\r\n"
                         "[Zeta]\r\nBadRomcheck=1\r\nCurScrShot=4\r\n");
        start();
        TGameObject* zeta = m_main->games().FindGame(u"zeta");
        QVERIFY(zeta->BadRomcheck);
        QCOMPARE(zeta->CurScrShot, 4);
        QVERIFY(!m_main->games().FindGame(u"alpha")->BadRomcheck);

        // Marking bad romsets changes the picture of zeta only.
        const int zetaRow = 5;
        const auto icon = [&](int row) {
            return model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>().cacheKey();
        };
        QCOMPARE(icon(zetaRow), icon(0));
        action("MenuMarkBadRomsets")->trigger();
        QVERIFY(icon(zetaRow) != icon(0));

        zeta->CurScrShot = 9;
        writeCatalog(catalogText() + "game (\r\nname new\r\ndescription \"A New One\"\r\n"
                                     "manufacturer \"N\"\r\nyear 2000\r\n)\r\n");
        const int runsBefore = m_dir->runs().size();
        action("MenuCheckforSupportedgames")->trigger();
        QCOMPARE(m_dir->runs().size(), runsBefore + 1);
        QCOMPARE(m_main->windowTitle(),
                 QStringLiteral("StartKALTO 0.27.1 public beta 1 [7 of 7 games]"));
        QCOMPARE(m_main->games().FindGame(u"zeta")->CurScrShot, 9);
        QVERIFY(m_main->games().FindGame(u"zeta")->BadRomcheck);
        QVERIFY(m_main->games().FindGame(u"new"));
        QCOMPARE(m_prompter->shown.size(), 0);

        m_main->close();
        const IniDocument ini(m_dir->file(QStringLiteral("StartKALTO.ini")));
        QCOMPARE(ini.readInteger(u"zeta", u"CurScrShot", -1), 9);
        QCOMPARE(ini.readInteger(u"new", u"CurScrShot", -1), 0);
        QVERIFY(!ini.readBool(u"alpha", u"BadRomcheck", true));
    }

    // A re-run whose emulator fails keeps every game and mark: seen with an emulator
    // that crashed half-way, after which the close dropped the marks of the games
    // that went missing.
    void failedListRunKeepsTheGamesAndMarks() {
        start();
        m_main->games().FindGame(u"zeta")->CurScrShot = 5;
        {
            ScopedEnv crash("KALTO_SIM_LISTINFO_FAULT", "crash");
            action("MenuCheckforSupportedgames")->trigger();
        }
        QCOMPARE(m_prompter->shown.size(), 1);
        QVERIFY(m_prompter->shown[0].text.startsWith(QStringLiteral("kalto.exe -listinfo")));
        QCOMPARE(model()->rowCount(), 6);
        QCOMPARE(m_main->windowTitle(),
                 QStringLiteral("StartKALTO 0.27.1 public beta 1 [6 of 6 games]"));
        QCOMPARE(m_main->games().FindGame(u"zeta")->CurScrShot, 5);
        QVERIFY(m_main->currentGame());

        // The shell cannot write its capture over a directory: a failed run too.
        m_dir->makeDir(QStringLiteral("KALTOStart.txt"));
        action("MenuCheckforSupportedgames")->trigger();
        QCOMPARE(m_prompter->shown.size(), 2);
        QCOMPARE(model()->rowCount(), 6);
        m_main->close();
        const IniDocument ini(m_dir->file(QStringLiteral("StartKALTO.ini")));
        QCOMPARE(ini.readInteger(u"zeta", u"CurScrShot", -1), 5);
        for (const char* zip : {"alpha", "betaj", "gamma", "delta", "eps", "zeta"})
            QVERIFY2(ini.keyExists(QString::fromLatin1(zip), u"CurScrShot"), zip);
        // No date: the next start asks the emulator again.
        QVERIFY(!ini.keyExists(u"StartKALTO", u"EmuExeDate"));
    }

    void checkForInstalledGames() {
        start();
        action("MSGamesInstalled")->trigger();
        QCOMPARE(model()->rowCount(), 4);
        m_dir->writeFile(QStringLiteral("roms1/gamma.zip"), "");
        action("MenuCheckForInstalledGames")->trigger();
        QCOMPARE(m_main->windowTitle(),
                 QStringLiteral("StartKALTO 0.27.1 public beta 1 [5 of 6 games]"));
        QVERIFY(m_main->games().FindGame(u"gamma")->Installed);
        QCOMPARE(m_prompter->shown.size(), 0);
    }

    // Each renaming asks first with the number of sets it would rename, then says how
    // many it renamed and names those it could not; with nothing to rename it says so
    // and asks nothing.
    void renamingCommands() {
        const auto block = [](const char* zip, const char* archives) {
            return QByteArray("game (\r\nname ") + zip + "\r\ndescription \"" + zip +
                   "\"\r\nmanufacturer \"M\"\r\nyear 2000\r\narchive ( " + archives + " )\r\n)\r\n";
        };
        writeCatalog(catalogText() + block("omega", "name omegalong name omega") +
                     block("sigma", "name sigmalong name sigma"));
        m_dir->writeFile(QStringLiteral("roms0/omega.zip"), "o");
        m_dir->writeFile(QStringLiteral("roms0/sigma.zip"), "s");
        m_dir->makeDir(QStringLiteral("roms0/sigmalong.zip")); // in the way
        start();
        action("MenuRenameShort")->trigger();
        QCOMPARE(m_prompter->texts(),
                 QStringList{QStringLiteral("There is nothing to rename:\revery installed romset "
                                            "that can have its short filename has it already.")});
        QCOMPARE(m_prompter->shown[0].icon, Prompter::Icon::Information);

        m_prompter->answers = {Prompter::Answer::No};
        action("MenuRenameLong")->trigger();
        QCOMPARE(m_prompter->texts().last(),
                 QStringLiteral("Rename 2 romsets to their long filenames ?"));
        QVERIFY(m_dir->exists(QStringLiteral("roms0/omega.zip")));

        m_prompter->answers = {Prompter::Answer::Yes};
        action("MenuRenameLong")->trigger();
        QCOMPARE(m_prompter->shown.last().icon, Prompter::Icon::Warning);
        const QString failed = m_prompter->texts().last();
        // Named as the rompath names it.
        QVERIFY2(failed.startsWith(QStringLiteral("1 of 2 romsets have been\rrenamed to their "
                                                  "long filenames.\r\rThese could not be "
                                                  "renamed:\rroms0/sigma.zip to sigmalong.zip: ")),
                 qPrintable(failed));
        QCOMPARE(m_dir->readFile(QStringLiteral("roms0/omegalong.zip")), QByteArray("o"));
        // The clone is installed through its parent's set, which is not the clone's to
        // rename: the parent and its other clones would lose it.
        QVERIFY(m_dir->exists(QStringLiteral("roms1/beta.zip")));
        QVERIFY(QFileInfo(m_dir->file(QStringLiteral("roms0/delta"))).isDir());

        m_prompter->answers = {Prompter::Answer::Yes};
        action("MenuRenameShort")->trigger();
        QCOMPARE(
            m_prompter->texts().mid(m_prompter->texts().size() - 2),
            (QStringList{QStringLiteral("Rename 1 romset to its short filename ?"),
                         QStringLiteral("1 romset has been\rrenamed to its short filename.")}));
        QCOMPARE(m_dir->readFile(QStringLiteral("roms0/omega.zip")), QByteArray("o"));
        QVERIFY(!m_dir->exists(QStringLiteral("roms1/betaj.zip")));
        action("MenuCheckForInstalledGames")->trigger();
        QCOMPARE(installedZips(), QStringLiteral("alpha betaj delta zeta omega sigma"));
        QCOMPARE(m_prompter->unscripted, 0);
    }

    // The demo directory as the demo command lays it out: every game that make-demo
    // installed, by zip, unpacked directory or parent name, shows as installed.
    void demoDirectory() {
        m_catalogEnv.reset(); // the stand-in's own catalog
        QProcess makeDemo;
        makeDemo.start(QStringLiteral(MAKE_DEMO_PATH),
                       {m_dir->path(), testsupport::kaltoSimPath()});
        QVERIFY(makeDemo.waitForFinished(60000));
        QCOMPARE(makeDemo.exitCode(), 0);
        const QString report = QString::fromUtf8(makeDemo.readAllStandardOutput());
        const auto match =
            QRegularExpression(QStringLiteral("(\\d+) of (\\d+) games installed")).match(report);
        QVERIFY2(match.hasMatch(), qPrintable(report));
        start();
        QCOMPARE(m_main->games().count(), match.captured(2).toInt());
        QCOMPARE(installedZips().split(u' ', Qt::SkipEmptyParts).size(), match.captured(1).toInt());
        // An unpacked romset and a clone found through its parent's zip.
        QVERIFY(m_main->games().FindGame(u"tidecrsh")->Installed);
        QVERIFY(m_main->games().FindGame(u"lumabol2")->Installed);
        QVERIFY(m_main->games().FindGame(u"lumabolt")->HasCheats);
        QVERIFY(!m_main->games().FindGame(u"skyloom")->HasCheats); // an empty cheat section
        // The first start selects a game whose pictures show what the program is for.
        QVERIFY(m_main->currentGame());
        const PictureCounts pictures =
            CountScreenshots(m_main->paths(), m_main->currentGame()->ZipName);
        QVERIFY2(pictures.title > 0 && pictures.gameplay > 0,
                 qPrintable(m_main->currentGame()->ZipName));

        // The romcheck of one game that is not installed leaves it selected.
        const TGameObject* missing =
            *std::find_if(m_main->games().begin(), m_main->games().end(),
                          [](const TGameObject* g) { return !g->Installed; });
        view()->selectRow(model()->rowOf(missing));
        m_main->findChild<QPushButton*>(QStringLiteral("RomcheckButton"))->click();
        QCOMPARE(m_dir->runs().last(),
                 QStringLiteral("-romcheck %1 -verbose").arg(missing->ZipName));
        QVERIFY(!m_main->findChild<QPlainTextEdit*>()->toPlainText().isEmpty()); // it was read
        QCOMPARE(selectedZip(), missing->ZipName);
    }

    // Ctrl+D, the Game menu and the list's right-click menu mark the selected game as a
    // favourite and unmark it, in every style: the star shows over its icon and in the
    // Fav column, the list of favourites holds the marked games, and the mark is saved
    // only where it is set.
    void favourites_data() { styles(); }
    void favourites() {
        startInStyle();
        QAction* item = action("MenuFavourite");
        const auto icon = [&](int row) {
            return model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>().cacheKey();
        };
        const qint64 plain = icon(3);
        view()->selectRow(3); // Epsilon
        QCOMPARE(item->text(), QStringLiteral("Add to &Favourites"));
        QTest::keyClick(view()->currentView(), Qt::Key_D, Qt::ControlModifier);
        QVERIFY(m_main->games().FindGame(u"eps")->Favourite);
        QCOMPARE(item->text(), QStringLiteral("Remove from &Favourites"));
        QVERIFY(icon(3) != plain);
        QVERIFY(!model()
                     ->index(3, GameListModel::FavouriteColumn)
                     .data(Qt::DecorationRole)
                     .value<QIcon>()
                     .isNull());
        QCOMPARE(view()->detailsView()->header()->visualIndex(GameListModel::FavouriteColumn), 0);

        // A right click on Zeta selects it and offers the same item.
        QAbstractItemView* list = view()->currentView();
        QTRY_VERIFY(list->visualRect(model()->index(5, 0)).isValid());
        const QPoint at = list->visualRect(model()->index(5, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, at);
        QCOMPARE(selectedZip(), QStringLiteral("zeta"));
        // The menu event the desktop sends with the click.
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at,
                                    list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &menuEvent);
        auto* popup = m_main->findChild<QMenu*>(QStringLiteral("GameListPopup"));
        QTRY_VERIFY(popup->isVisible());
        QTest::keyClick(popup, Qt::Key_F);
        QTRY_VERIFY(!popup->isVisible());
        QVERIFY(m_main->games().FindGame(u"zeta")->Favourite);

        action("MenuFavouriteGames")->trigger();
        QCOMPARE(titles(), QStringLiteral("Epsilon|Zeta"));
        QCOMPARE(m_main->windowTitle(),
                 QStringLiteral("StartKALTO 0.27.1 public beta 1 [2 of 6 games]"));
        QCOMPARE(selectedZip(), QStringLiteral("zeta"));
        // Unmarked in the list of favourites, a game leaves it; the one beside it is
        // selected.
        view()->selectRow(0);
        item->trigger();
        QCOMPARE(titles(), QStringLiteral("Zeta"));
        QCOMPARE(selectedZip(), QStringLiteral("zeta"));
        m_main->close();
        const QByteArray saved = m_dir->readFile(QStringLiteral("StartKALTO.ini"));
        QVERIFY(saved.contains("[zeta]\r\nBadRomcheck=0\r\nCurScrShot=0\r\nFavourite=1\r\n"));
        QVERIFY(saved.contains("[eps]\r\nBadRomcheck=0\r\nCurScrShot=0\r\n\r\n"));
        QVERIFY(saved.contains("Favourites=1\r\nRecent=0\r\n"));
    }

    // Sorted by what a run or the favourite mark changes, the list sorts again and keeps
    // the selected game selected and startable; games never played come last in either
    // direction.
    void runAndFavouriteSortAgain() {
        start();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        qint64 now = QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC).toMSecsSinceEpoch();
        m_main->setLaunchClock([&] { return now; });
        connect(m_main->ExecEmu(), &TExecFile::waitStarted, this, [&] { now += 60'000; });
        action("MSIconsDetails")->trigger();
        action("MenuSortByLastPlayed")->trigger();
        action("MSOrderDescending")->trigger();
        const auto zips = [&] {
            QStringList result;
            for (int row = 0; row < model()->rowCount(); ++row)
                result.append(model()->gameAt(row)->ZipName);
            return result.join(u' ');
        };
        QCOMPARE(zips(), QStringLiteral("zeta gamma eps delta betaj alpha"));
        for (const char* zip : {"delta", "alpha"}) {
            view()->selectRow(model()->rowOf(m_main->games().FindGame(QString::fromLatin1(zip))));
            button()->click();
            QCOMPARE(selectedZip(), QLatin1StringView(zip));
            QVERIFY(button()->isEnabled());
        }
        QCOMPARE(zips(), QStringLiteral("alpha delta zeta gamma eps betaj"));
        QCOMPARE(view()->detailsView()->header()->sortIndicatorSection(),
                 int(GameListModel::LastPlayedColumn));
        action("MSOrderAscending")->trigger();
        QCOMPARE(zips(), QStringLiteral("delta alpha betaj eps gamma zeta"));

        action("MenuSortByFavourite")->trigger();
        view()->selectRow(model()->rowOf(m_main->games().FindGame(u"zeta")));
        action("MenuFavourite")->trigger();
        QCOMPARE(zips(), QStringLiteral("zeta alpha betaj delta eps gamma"));
        QCOMPARE(selectedZip(), QStringLiteral("zeta"));
        QVERIFY(button()->isEnabled());
        m_main->close();
    }

    // Recently Played: the played games, the last played first whatever the sort, at
    // most fifty. Its header takes no clicks and shows no order; the sort chosen
    // meanwhile is the other lists'.
    void recentlyPlayed() {
        QByteArray catalog;
        QByteArray settings = "[StartKALTO]\r\nEmuExePath=./\r\n[Screenshot]\r\nTitle=1\r\n";
        for (int i = 0; i < 60; ++i) {
            const QByteArray zip = "g" + QByteArray::number(i);
            catalog += "game (\nname " + zip + "\ndescription \"Game " +
                       QByteArray::number(100 + i) + "\"\nmanufacturer \"M\"\nyear " +
                       QByteArray::number(1999 - i) + "\n)\n";
            // Played in an order of their own: the later in the list, the earlier.
            settings += "[" + zip + "]\r\nPlayCount=1\r\nLastPlayed=2020-01-01T00:" +
                        QByteArray::number(59 - i).rightJustified(2, '0') + ":00Z\r\n";
        }
        catalog += "game (\nname never\ndescription \"Aaa Never\"\nmanufacturer \"M\"\nyear 1\n)\n";
        writeCatalog(catalog);
        m_dir->writeFile(QStringLiteral("StartKALTO.ini"), settings);
        start();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        action("MSIconsDetails")->trigger();
        action("MenuRecentGames")->trigger();
        QCOMPARE(m_main->windowTitle(),
                 QStringLiteral("StartKALTO 0.27.1 public beta 1 [50 of 61 games]"));
        const auto zips = [&] {
            QStringList result;
            for (int row = 0; row < model()->rowCount(); ++row)
                result.append(model()->gameAt(row)->ZipName);
            return result;
        };
        QStringList newestFirst;
        for (int i = 0; i < 50; ++i)
            newestFirst.append(QStringLiteral("g%1").arg(i));
        QCOMPARE(zips(), newestFirst);
        QHeaderView* header = view()->detailsView()->header();
        QVERIFY(!header->sectionsClickable());
        QVERIFY(!header->isSortIndicatorShown());
        clickHeader(GameListModel::YearColumn);
        action("MenuSortByYear")->trigger();
        QCOMPARE(zips(), newestFirst);
        // The search narrows it in the same order.
        search()->setText(QStringLiteral("game 11"));
        QCOMPARE(zips(), newestFirst.mid(10, 10)); // Game 110 to Game 119
        search()->clear();
        action("MSGamesAll")->trigger();
        QVERIFY(header->sectionsClickable());
        QCOMPARE(model()->gameAt(0)->ZipName, QStringLiteral("never")); // year 1
        m_main->close();
        QVERIFY(m_dir->readFile(QStringLiteral("StartKALTO.ini")).contains("\r\nSort=3\r\n"));
    }

    // The Info page shows the selected game's details, only while it is in sight, and
    // a clone's parent as a link: it selects the parent, showing it among all games or
    // without the search when those hide it.
    void infoPage() {
        writeCatalog(catalogText() +
                     "game (\r\nname alphab\r\ndescription \"Alpha Blaster (bootleg)\"\r\n"
                     "manufacturer \"Bootleg\"\r\nyear 1985\r\n"
                     "archive ( name \"alphab\" name \"alpha\" )\r\n)\r\n"
                     "game (\r\nname alphaj\r\ndescription \"Alpha Blaster (Japan)\"\r\n"
                     "manufacturer \"Ace\"\r\nyear 1985\r\n"
                     "archive ( name \"alphajpn\" name \"alphaj\" name \"alpha\" )\r\n)\r\n");
        m_dir->writeFile(QStringLiteral("roms1/alphaj.zip"), ""); // renamed to its short name
        m_dir->writeFile(QStringLiteral("StartKALTO.ini"),
                         "[StartKALTO]\r\nEmuExePath=./\r\n[Screenshot]\r\nTitle=1\r\n"
                         "[alphab]\r\nBadRomcheck=1\r\nFavourite=1\r\nPlayCount=3\r\n"
                         "LastPlayed=2024-02-29T12:00:00Z\r\nPlayTime=3900\r\n"
                         "[delta]\r\nGoodRomcheck=1\r\n");
        QImage picture(8, 8, QImage::Format_RGB888);
        picture.fill(Qt::darkCyan);
        for (const char* name : {"Titles/AlphaB.png", "Gameplay/alphab.001.bmp",
                                 "Gameplay/alphab.002.png", "Cabinets/alphab.bmp"}) {
            m_dir->makeDir(QString::fromLatin1(name).section(u'/', 0, 0));
            QVERIFY(picture.save(m_dir->file(QLatin1StringView(name))));
        }
        start();
        m_main->resize(800, 600);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
        auto* info = m_main->findChild<GameInfoPage*>(QStringLiteral("InfoTab"));
        auto* pages = m_main->findChild<QTabWidget*>(QStringLiteral("PageControl"));
        QCOMPARE(pages->indexOf(info),
                 pages->indexOf(m_main->findChild<QWidget*>(QStringLiteral("RomcheckTab"))) + 1);
        view()->selectRow(model()->rowOf(m_main->games().FindGame(u"alphab")));
        QVERIFY(info->lineText(QStringLiteral("Title")).isEmpty()); // out of sight: not yet
        QTest::keyClick(m_main.get(), Qt::Key_I, Qt::AltModifier);
        QTRY_VERIFY(info->isVisible());
        const QStringList expected = {
            "Title=Alpha Blaster (bootleg)",
            "Maker=Bootleg",
            "Year=1985",
            "Zip name=alphab",
            "Parent=Alpha Blaster (alpha)",
            "Rompath=roms0/",
            "Romset file=alpha.zip (the parent's romset)",
            "Romcheck=bad romset",
            "Cheats=No",
            "Played=3 times",
            "Last played=" +
                lastPlayedText(
                    QDateTime(QDate(2024, 2, 29), QTime(12, 0), Qt::UTC).toSecsSinceEpoch()),
            "Play time=1 h 05 min",
            "Pictures=title 1, gameplay 2, flyer 0, marquee 0, cabinet 1"};
        for (const QString& line : expected)
            QCOMPARE(line.section(u'=', 0, 0) + u'=' + info->lineText(line.section(u'=', 0, 0)),
                     line);
        // A clone's own set under its zip name is its own, as the installed check says.
        view()->selectRow(model()->rowOf(m_main->games().FindGame(u"alphaj")));
        QCOMPARE(info->lineText(QStringLiteral("Romset file")), QStringLiteral("alphaj.zip"));
        // An unpacked set and a game not found.
        view()->selectRow(model()->rowOf(m_main->games().FindGame(u"delta")));
        QCOMPARE(info->lineText(QStringLiteral("Romset file")), QStringLiteral("delta (unpacked)"));
        QCOMPARE(info->lineText(QStringLiteral("Parent")), QStringLiteral("none"));
        QCOMPARE(info->lineText(QStringLiteral("Romcheck")), QStringLiteral("good romset"));
        view()->selectRow(model()->rowOf(m_main->games().FindGame(u"betaj")));
        QCOMPARE(info->lineText(QStringLiteral("Parent")),
                 QStringLiteral("beta (not in the game list)"));
        view()->selectRow(model()->rowOf(m_main->games().FindGame(u"gamma")));
        QCOMPARE(info->lineText(QStringLiteral("Romset file")),
                 QStringLiteral("not found in the rompaths"));
        QCOMPARE(info->lineText(QStringLiteral("Played")), QStringLiteral("never"));
        QCOMPARE(info->lineText(QStringLiteral("Romcheck")), QStringLiteral("not checked"));

        // The parent left out by the filter: the list shows all games.
        const auto clickParent = [&] {
            auto* link = info->findChild<QLabel*>(QStringLiteral("InfoParent"));
            QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(3, link->height() / 2));
        };
        action("MenuFavouriteGames")->trigger();
        QCOMPARE(selectedZip(), QStringLiteral("alphab"));
        clickParent();
        QVERIFY(action("MSGamesAll")->isChecked());
        QCOMPARE(selectedZip(), QStringLiteral("alpha"));
        QCOMPARE(info->lineText(QStringLiteral("Title")), QStringLiteral("Alpha Blaster"));
        // ... and hidden by the search: the search goes.
        search()->setText(QStringLiteral("bootleg"));
        QCOMPARE(selectedZip(), QStringLiteral("alphab"));
        clickParent();
        QCOMPARE(search()->text(), QString());
        QCOMPARE(selectedZip(), QStringLiteral("alpha"));
        QCOMPARE(m_prompter->texts(), QStringList());
    }

private:
    static void styles() {
        QTest::addColumn<QByteArray>("style");
        for (const char* style : {"MSIconsLarge", "MSIconsSmall", "MSIconsList", "MSIconsDetails"})
            QTest::newRow(style) << QByteArray(style);
    }
    void startInStyle() {
        QFETCH(QByteArray, style);
        start();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        action(style.constData())->trigger();
    }
    QLineEdit* search() const {
        return m_main->findChild<QLineEdit*>(QStringLiteral("GameSearch"));
    }
    QString selectedZip() const {
        const TGameObject* game = model()->gameAt(view()->selectedRow());
        return game ? game->ZipName : QString();
    }

    void writeCatalog(const QByteArray& text) {
        m_dir->writeFile(QStringLiteral("catalog.txt"), text);
        if (!m_catalogEnv)
            m_catalogEnv.emplace("KALTO_SIM_CATALOG",
                                 QFile::encodeName(m_dir->file(QStringLiteral("catalog.txt"))));
    }

    void start() {
        m_main.reset(); // one window per folder
        m_main = std::make_unique<TMain1>(*m_prompter, m_opener);
        QVERIFY(!m_main->terminating());
    }

    QAction* action(const char* name) const {
        return testsupport::namedChild<QAction>(m_main.get(), name);
    }

    GameListView* view() const {
        return m_main->findChild<GameListView*>(QStringLiteral("GameList"));
    }
    GameListModel* model() const { return m_main->listModel(); }
    QPushButton* button() const {
        return m_main->findChild<QPushButton*>(QStringLiteral("StartEmuButton"));
    }
    QString statusPanel(int panel) const {
        return m_main->findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(panel))->text();
    }

    QString titles() const {
        QStringList result;
        for (int row = 0; row < model()->rowCount(); ++row)
            result.append(model()->gameAt(row)->Description);
        return result.join(u'|');
    }

    QString installedZips() const {
        QStringList result;
        for (const auto& game : m_main->games())
            if (game->Installed)
                result.append(game->ZipName);
        return result.join(u' ');
    }

    void clickHeader(int column) {
        QHeaderView* header = view()->detailsView()->header();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    std::unique_ptr<FrontEndDir> m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    RecordingOpener m_opener;
    std::optional<ScopedEnv> m_catalogEnv;
    std::unique_ptr<TMain1> m_main;
};

QTEST_MAIN(TestGameListWindow)
#include "tst_gamelistwindow.moc"
