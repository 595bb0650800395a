// The main window's game list: its View menu, the fill, the sort, the selection, and
// the Tools menu commands that work on the game list.

#include "MainUnit.h"
#include "Version.h"
#include "core/FileError.h"
#include "core/Prompter.h"
#include "games/GameListModel.h"
#include "games/GameListView.h"
#include "games/PlayHistory.h"
#include "launch/GameSettings.h"
#include "media/ScreenShotHandeling.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

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

    const bool recent = MenuRecentGames->isChecked();
    m_listModel->setGames(gamesToShow(), recent);
    GameList->setSortable(!recent);
    SortOn(m_sortColumn);
    const int row = rowToSelect();
    m_selectFirstInstalled = false;
    if (row >= 0)
        GameList->selectRow(row);

    m_filling = false;
    UpdateSelection();
    updateCaption();
    setUpdatesEnabled(true);
}

std::vector<TGameObject*> TMain::gamesToShow() const {
    // The recently played are in the order they were played, whatever the sort.
    if (MenuRecentGames->isChecked())
        return RecentlyPlayed(m_games, kRecentlyPlayedCount);
    std::vector<TGameObject*> shown;
    shown.reserve(size_t(m_games.count()));
    const bool all = MSGamesAll->isChecked();
    const bool favourites = MenuFavouriteGames->isChecked();
    const bool installed = MSGamesInstalled->isChecked();
    for (const auto& game : m_games) {
        if (all || (favourites ? game->Favourite : game->Installed == installed))
            shown.push_back(game);
    }
    return shown;
}

void TMain::RefreshGameList() {
    TGameObject* selected = m_currentGame;
    m_filling = true;
    m_listModel->setGames(gamesToShow(), MenuRecentGames->isChecked());
    SortOn(m_sortColumn);
    const int row = m_listModel->rowOf(selected);
    if (row >= 0) {
        GameList->selectRow(row, false);
        if (selected->Installed)
            m_rememberedIndex = m_listModel->unnarrowedRow(row);
    }
    m_filling = false;
    if (row < 0)
        UpdateSelection();
    else
        updateStartButton();
    updateCaption();
}

void TMain::updateStartButton() {
    // The button starts the game that is selected and current, when it is installed.
    const TGameObject* selected = m_listModel->gameAt(GameList->selectedRow());
    StartEmuButton->setEnabled(!inDefaultsMode() && selected && selected == m_currentGame &&
                               selected->Installed);
}

int TMain::rowToSelect() const {
    // The selected game stays selected while it is listed; so does the one a start
    // remembers. Otherwise the remembered position counts, in the list as it is
    // without the search: after the list changed, another game may stand there.
    if (const int row = m_listModel->rowOf(m_currentGame); row >= 0)
        return row;
    if (!m_rememberedGame.isEmpty()) {
        if (const int row = m_listModel->rowOf(m_games.FindGame(m_rememberedGame)); row >= 0)
            return row;
    }
    if (m_selectFirstInstalled) {
        for (int row = 0; row < m_listModel->rowCount(); ++row) {
            if (m_listModel->gameAt(row)->Installed)
                return row;
        }
    }
    return m_listModel->shownRowAtOrAfter(m_rememberedIndex);
}

void TMain::updateCaption() {
    setWindowTitle(QStringLiteral("%1 %2 [%3 of %4 games]")
                       .arg(version::kProgramName, version::kVersionText)
                       .arg(m_listModel->rowCount())
                       .arg(m_games.count()));
}

void TMain::GameSearchChanged() {
    // The selected game stays selected while it is shown; otherwise the first game
    // shown is. The typing goes on in the search field.
    TGameObject* before = m_currentGame;
    m_filling = true;
    m_listModel->setSearchText(GameSearch->text());
    const int row = m_listModel->rowOf(before);
    if (row >= 0)
        GameList->selectRow(row, false);
    else if (m_listModel->rowCount() > 0)
        GameList->selectRow(0, false);
    m_filling = false;
    // The game selected again after the list had lost its selection can start again.
    if (row >= 0)
        updateStartButton();
    // The same game still selected: its music plays on and its pictures stay. A search
    // that shows nothing leaves the remembered position as it was.
    if (row < 0) {
        const int remembered = m_rememberedIndex;
        UpdateSelection();
        if (!m_currentGame)
            m_rememberedIndex = remembered;
    }
    updateCaption();
}

void TMain::SortOn(int column) {
    if (column < 0 || column >= GameListModel::ColumnCount)
        column = 0;
    m_sortColumn = column;
    if (QAction* item = sortAction(column))
        item->setChecked(true);
    m_listModel->sortOn(column, descending());
    GameList->setSortIndicator(column, descending());
    // The selected installed game moved: its new place is the one to remember.
    const int row = GameList->selectedRow();
    if (const TGameObject* game = m_listModel->gameAt(row); game && game->Installed)
        m_rememberedIndex = m_listModel->unnarrowedRow(row);
}

void TMain::UpdateSelection() {
    // While the defaults are edited the list is hidden and the pseudo-game is current;
    // leaving that mode selects again.
    if (inDefaultsMode())
        return;
    savePanelBeforeChange();
    const int row = GameList->selectedRow();
    m_currentGame = m_listModel->gameAt(row);
    updateStartButton();
    m_rememberedIndex =
        m_currentGame && m_currentGame->Installed ? m_listModel->unnarrowedRow(row) : 0;
    // An empty selection leaves the game remembered as it was.
    if (m_currentGame)
        m_rememberedGame = m_currentGame->ZipName;
    updateFavouriteItem();
    setStatusPanel(0, m_currentGame ? m_currentGame->ZipName : QStringLiteral("none"));
    setStatusPanel(1, QString(version::kCreditLine));
    FillSettingsPanel();
    if (m_currentGame) {
        ChUseDefSettings->setChecked(
            UsesDefaultSettings(m_paths.IniFilesDir, m_currentGame->ZipName));
        ChUseDefSettingsClick();
    }
    if (m_screenShot)
        m_screenShot->setGame(m_currentGame ? m_currentGame->ZipName : QString(),
                              m_currentGame ? &m_currentGame->CurScrShot : nullptr);
    LoadNewScreenshots();
    // A selection that became empty leaves the sound playing, and so does the same game
    // selected again by a fill: its music plays on.
    if (m_currentGame && m_currentGame->ZipName != m_soundGame)
        PlayGameSound();
    ShowGameDetails();
}

void TMain::updateFavouriteItem() {
    if (!MenuFavourite)
        return;
    const bool game = m_currentGame && !inDefaultsMode();
    MenuFavourite->setEnabled(game);
    MenuFavourite->setText(game && m_currentGame->Favourite
                               ? QStringLiteral("Remove from &Favourites")
                               : QStringLiteral("Add to &Favourites"));
}

void TMain::MenuFavouriteClick() {
    TGameObject* game = m_currentGame;
    if (!game || inDefaultsMode())
        return;
    game->Favourite = !game->Favourite;
    updateFavouriteItem();
    if (MenuFavouriteGames->isChecked() && !game->Favourite) {
        // It leaves the list of favourites: the one after it (or before, at the end)
        // takes its place.
        const int row = GameList->selectedRow();
        const TGameObject* next = m_listModel->gameAt(row + 1);
        if (!next)
            next = m_listModel->gameAt(row - 1);
        if (next)
            m_rememberedGame = next->ZipName;
        FillGameList();
        return;
    }
    m_listModel->gameChanged(game);
    resortAfterChange(GameListModel::FavouriteColumn);
    ShowGameDetails();
}

void TMain::resortAfterChange(int changedColumn) {
    // Sorted by what changed, the list sorts again, so that the order matches the sort
    // indicator; the selected game stays selected and in sight.
    const bool history = changedColumn == GameListModel::PlayCountColumn;
    const bool affected = m_sortColumn == changedColumn ||
                          (history && (m_sortColumn == GameListModel::LastPlayedColumn ||
                                       m_sortColumn == GameListModel::PlayTimeColumn));
    if (!affected || m_listModel->inGivenOrder())
        return;
    SortOn(m_sortColumn);
    GameList->scrollToCurrent();
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
    // Games that tie on the chosen column go by title: one pass does it.
    SortOn(item->data().toInt());
}

void TMain::MSOrderClick(QAction* item) {
    item->setChecked(true);
    SortOn(m_sortColumn);
}

void TMain::GameListColumnClick(int column) {
    if (column == m_sortColumn)
        (descending() ? MSOrderAscending : MSOrderDescending)->setChecked(true);
    SortOn(column);
}

void TMain::GameListSelectItem() {
    UpdateSelection();
}

void TMain::GameListDblClick() {
    StartSelectedGame();
}

void TMain::StartSelectedGame() {
    if (!m_currentGame || inDefaultsMode())
        return;
    // Enter on a game that cannot start says why instead of doing nothing.
    if (!m_currentGame->Installed) {
        setStatusPanel(1, QStringLiteral("%1 is not installed: no romset in the rompaths")
                              .arg(m_currentGame->Description));
        return;
    }
    StartEmuButtonClick();
}

void TMain::StartEmuButtonClick() {
    if (!StartEmuButton->isEnabled() || !m_currentGame)
        return;
    SSTimer->stop();
    StopGameSound();
    LaunchGame();
    if (SToolPlay->isChecked())
        SSTimer->start();
    // The run's screenshots show at once.
    LoadNewScreenshots();
}

void TMain::MenuCheckForInstalledGamesClick() {
    UpdateFlags();
    GameList->clearSelection();
    StartEmuButton->setEnabled(false);
    FillGameList();
}

void TMain::MenuCheckforSupportedgamesClick() {
    // The start-up reads the settings back: when they could not be saved, what was not
    // saved would be lost, so the check waits until a save succeeds.
    try {
        saveSettingsIfRead();
    } catch (const FileError& error) {
        m_prompter.error(error.message() +
                         QStringLiteral("\r\rThe check for new supported games did not run, so "
                                        "that the settings not saved are not lost."));
        return;
    }
    if (runStartup(false))
        FillGameList();
}
