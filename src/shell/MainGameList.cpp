// The main window's game list: its View menu, the fill, the sort, the selection, and
// the Tools menu commands that work on the game list.

#include "MainUnit.h"
#include "Version.h"
#include "core/Prompter.h"
#include "games/GameListModel.h"
#include "games/GameListView.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

namespace {

QAction* addRadio(QMenu* menu, QActionGroup* group, const char* name, const QString& caption,
                  int tag, bool checked = false) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1StringView(name));
    action->setCheckable(true);
    action->setChecked(checked);
    action->setData(tag);
    group->addAction(action);
    return action;
}

} // namespace

void TMain::buildViewMenu() {
    View1 = menuBar()->addMenu(QStringLiteral("&View"));
    View1->setObjectName(QStringLiteral("View1"));

    auto* filters = new QActionGroup(this);
    MSGamesInstalled =
        addRadio(View1, filters, "MSGamesInstalled", QStringLiteral("&Installed Games"), 0);
    MSGamesUninstalled =
        addRadio(View1, filters, "MSGamesUninstalled", QStringLiteral("&Uninstalled Games"), 1);
    MSGamesAll = addRadio(View1, filters, "MSGamesAll", QStringLiteral("&All Games"), 2, true);
    connect(filters, &QActionGroup::triggered, this, &TMain::MenuViewGamesClick);
    View1->addSeparator();

    auto* styles = new QActionGroup(this);
    MSIconsLarge = addRadio(View1, styles, "MSIconsLarge", QStringLiteral("Large Icons"),
                            GameListView::LargeIcons, true);
    MSIconsSmall = addRadio(View1, styles, "MSIconsSmall", QStringLiteral("Small Icons"),
                            GameListView::SmallIcons);
    MSIconsList =
        addRadio(View1, styles, "MSIconsList", QStringLiteral("List"), GameListView::ListStyle);
    MSIconsDetails =
        addRadio(View1, styles, "MSIconsDetails", QStringLiteral("Details"), GameListView::Details);
    connect(styles, &QActionGroup::triggered, this, &TMain::MenuIconsViewClick);
    View1->addSeparator();

    MSListSortby = View1->addMenu(QStringLiteral("Sort by"));
    MSListSortby->setObjectName(QStringLiteral("MSListSortby"));
    auto* sorts = new QActionGroup(this);
    MSSortbyName = addRadio(MSListSortby, sorts, "MSSortbyName", QStringLiteral("&Name"), 0, true);
    MSSortByZipname =
        addRadio(MSListSortby, sorts, "MSSortByZipname", QStringLiteral("&Zipname"), 1);
    MenuSortbyManufacturer =
        addRadio(MSListSortby, sorts, "MenuSortbyManufacturer", QStringLiteral("&Manufacturer"), 2);
    MenuSortByYear = addRadio(MSListSortby, sorts, "MenuSortByYear", QStringLiteral("&Year"), 3);
    MenuSortByCheat = addRadio(MSListSortby, sorts, "MenuSortByCheat", QStringLiteral("&Cheat"), 4);
    MenuSortByZipdate =
        addRadio(MSListSortby, sorts, "MenuSortByZipdate", QStringLiteral("Zip&date"), 5);
    connect(sorts, &QActionGroup::triggered, this, &TMain::MSSortMenuClick);

    MSOrder = View1->addMenu(QStringLiteral("Order"));
    MSOrder->setObjectName(QStringLiteral("MSOrder"));
    auto* orders = new QActionGroup(this);
    MSOrderAscending =
        addRadio(MSOrder, orders, "MSOrderAscending", QStringLiteral("Ascending"), 0, true);
    MSOrderDescending =
        addRadio(MSOrder, orders, "MSOrderDescending", QStringLiteral("Descending"), 1);
    connect(orders, &QActionGroup::triggered, this, &TMain::MSOrderClick);
    View1->addSeparator();

    MenuMarkBadRomsets = View1->addAction(QStringLiteral("Mark &Bad Romsets"));
    MenuMarkBadRomsets->setObjectName(QStringLiteral("MenuMarkBadRomsets"));
    MenuMarkBadRomsets->setCheckable(true);
    MenuMarkBadRomsets->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    connect(MenuMarkBadRomsets, &QAction::triggered, this, &TMain::MenuMarkBadRomsetsClick);
}

void TMain::buildToolsMenu() {
    MenuTools = menuBar()->addMenu(QStringLiteral("&Tools"));
    MenuTools->setObjectName(QStringLiteral("MenuTools"));
    const auto add = [this](const char* name, const QString& caption, void (TMain::*handler)()) {
        QAction* action = MenuTools->addAction(caption);
        action->setObjectName(QLatin1StringView(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    MenuCheckForInstalledGames =
        add("MenuCheckForInstalledGames", QStringLiteral("Check for new &Installed games"),
            &TMain::MenuCheckForInstalledGamesClick);
    MenuCheckforSupportedgames =
        add("MenuCheckforSupportedgames", QStringLiteral("Check for new S&upported games"),
            &TMain::MenuCheckforSupportedgamesClick);
    MenuTools->addSeparator();
    MenuRenameLong = add("MenuRenameLong", QStringLiteral("Rename romsets to &long names"),
                         &TMain::MenuRenameLongClick);
    MenuRenameShort = add("MenuRenameShort", QStringLiteral("Rename romsets to &short names"),
                          &TMain::MenuRenameShortClick);
}

QAction* TMain::sortAction(int column) const {
    const QList<QAction*> items = MSListSortby->actions();
    return column >= 0 && column < items.size() ? items[column] : nullptr;
}

bool TMain::descending() const {
    return MSOrderDescending->isChecked();
}

void TMain::FillGameList() {
    m_filling = true;
    setUpdatesEnabled(false);

    std::vector<TGameObject*> shown;
    shown.reserve(size_t(m_games.count()));
    const bool all = MSGamesAll->isChecked();
    const bool installed = MSGamesInstalled->isChecked();
    for (const auto& game : m_games) {
        if (all || game->Installed == installed)
            shown.push_back(game);
    }
    m_listModel->setGames(shown);
    SortOn(m_sortColumn);
    // By position: after the list changed, another game may stand there.
    if (m_rememberedIndex >= 0 && m_rememberedIndex < m_listModel->rowCount())
        GameList->selectRow(m_rememberedIndex);

    m_filling = false;
    UpdateSelection();
    setWindowTitle(QStringLiteral("%1 %2 [%3 of %4 games]")
                       .arg(version::kProgramName, version::kVersionText)
                       .arg(m_listModel->rowCount())
                       .arg(m_games.count()));
    setUpdatesEnabled(true);
}

void TMain::SortOn(int column) {
    if (column < 0 || column >= GameListModel::ColumnCount)
        column = 0;
    m_sortColumn = column;
    if (QAction* item = sortAction(column))
        item->setChecked(true);
    m_listModel->sortOn(column, descending());
    GameList->setSortIndicator(column, descending());
}

void TMain::UpdateSelection() {
    const int row = GameList->selectedRow();
    m_currentGame = m_listModel->gameAt(row);
    if (m_currentGame && m_currentGame->Installed) {
        StartEmuButton->setEnabled(true);
        m_rememberedIndex = row;
    } else {
        StartEmuButton->setEnabled(false);
        m_rememberedIndex = 0;
    }
    setStatusPanel(0, m_currentGame ? m_currentGame->ZipName : QStringLiteral("none"));
    setStatusPanel(1, QString(version::kCreditLine));
}

void TMain::MenuViewGamesClick(QAction* item) {
    item->setChecked(true);
    m_rememberedIndex = 0;
    FillGameList();
}

void TMain::MenuIconsViewClick(QAction* item) {
    item->setChecked(true);
    GameList->setViewStyle(GameListView::Style(item->data().toInt()));
}

void TMain::MSSortMenuClick(QAction* item) {
    // The title pass first: games that tie on the chosen column stay in title order.
    SortOn(0);
    SortOn(item->data().toInt());
}

void TMain::MSOrderClick(QAction* item) {
    item->setChecked(true);
    SortOn(m_sortColumn);
}

void TMain::GameListColumnClick(int column) {
    if (column == m_sortColumn)
        (descending() ? MSOrderAscending : MSOrderDescending)->setChecked(true);
    SortOn(0);
    SortOn(column);
}

void TMain::GameListSelectItem() {
    UpdateSelection();
}

void TMain::GameListDblClick() {
    StartEmuButtonClick();
}

void TMain::StartEmuButtonClick() {
    if (!StartEmuButton->isEnabled() || !m_currentGame)
        return;
    // Starting the game comes with the launch.
}

void TMain::MenuMarkBadRomsetsClick() {
    m_listModel->setMarkBadRomsets(MenuMarkBadRomsets->isChecked());
}

void TMain::MenuCheckForInstalledGamesClick() {
    UpdateFlags();
    GameList->clearSelection();
    StartEmuButton->setEnabled(false);
    FillGameList();
}

void TMain::MenuCheckforSupportedgamesClick() {
    saveSettingsIfRead();
    if (runStartup(false))
        FillGameList();
}

void TMain::MenuRenameLongClick() {
    RenameRomsets(m_games, m_romsets, RomsetNames::Long);
    m_prompter.information(
        QStringLiteral("All installed romsets have been\rrenamed to their long filenames."));
}

void TMain::MenuRenameShortClick() {
    RenameRomsets(m_games, m_romsets, RomsetNames::Short);
    m_prompter.information(
        QStringLiteral("All installed romsets have been\rrenamed to their short filenames."));
}
