// The view options that belong to the window: the list's font and colours, hot
// tracking, the tab sheet, the status bar, the least sizes, and the dialogs of the
// Settings and Help menus.

#include "MainUnit.h"
#include "SvgPicture.h"
#include "core/Prompter.h"
#include "games/GameListView.h"

#include <QAction>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QSplitter>
#include <QSplitterHandle>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>

void TMain::applyListAppearance() {
    GameList->setListFont(m_listFont, m_listTextColor.toColor(GameList->palette()));
    Image1->setColor(m_listBackColor.toColor(GameList->palette()));
}

void TMain::MSChangelistfontClick() {
    const auto chosen =
        m_prompter.chooseFont({m_listFont, m_listTextColor.toColor(GameList->palette())});
    if (!chosen)
        return;
    m_listFont = chosen->font;
    m_listTextColor = m_listTextColor.afterChoice(chosen->color, GameList->palette());
    applyListAppearance();
}

void TMain::MSListBackgroundcolorClick() {
    const auto chosen = m_prompter.chooseColor(m_listBackColor.toColor(GameList->palette()));
    if (!chosen)
        return;
    m_listBackColor = m_listBackColor.afterChoice(*chosen, GameList->palette());
    applyListAppearance();
}

void TMain::MenuHotTrackingClick() {
    // The tabs and the list react to the pointer exactly while it is checked.
    const bool on = MSHotTracking->isChecked();
    PageControl->tabBar()->setAttribute(Qt::WA_Hover, on);
    PageControl->tabBar()->update();
    GameList->setHotTracking(on);
}

int TMain::listPanelWidth() const {
    // Beside the pages the panel's width is the user's; with the pages hidden, or the
    // window not laid out, it is the width the panel goes back to.
    if (PageControl->isHidden() || !GameListPanel->isVisible())
        return m_listPanelWidth;
    return GameListPanel->width();
}

void TMain::setListPanelWidth(int width) {
    m_listPanelWidth = width;
    if (PageControl->isHidden())
        return;
    const int total = std::max(Splitter->width(), width + 3 + 100);
    Splitter->setSizes({width, total - width - Splitter->handleWidth()});
}

void TMain::MenuViewTabSheetClick() {
    // Hidden pages: the list takes the whole width and the splitter stays still. Shown
    // again: the list goes back to the width it had.
    if (!MSTabsheet->isChecked()) {
        m_listPanelWidth = listPanelWidth();
        PageControl->hide();
        Splitter->handle(1)->setEnabled(false);
    } else {
        PageControl->show();
        Splitter->handle(1)->setEnabled(true);
        setListPanelWidth(m_listPanelWidth);
    }
}

void TMain::MenuViewStatBarClick() {
    StatusBar->setVisible(MSStatbar->isChecked());
}

void TMain::MenuFullScreenClick() {
    const bool wanted = MenuFullScreen->isChecked();
    if (wanted == isFullScreen())
        return;
    if (wanted) {
        m_stateBeforeFullScreen = windowState() & ~(Qt::WindowMinimized | Qt::WindowFullScreen);
        setWindowState((windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized)) |
                       Qt::WindowFullScreen);
    } else {
        setWindowState(m_stateBeforeFullScreen);
    }
}

void TMain::keyPressEvent(QKeyEvent* event) {
    // Escape comes here only when nothing in the window took it (the search field
    // clears itself first, a box closes itself). The defaults mode keeps it too.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && isFullScreen() &&
        !inDefaultsMode()) {
        MenuFullScreen->trigger();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TMain::FormResize() {
    // The list panel never takes more than the window leaves it.
    const int room = centralWidget()->width() - 3;
    if (PageControl->isVisible() && GameListPanel->width() > room)
        setListPanelWidth(std::max(GameListPanel->minimumWidth(), room));
}

void TMain::MenuSetAlternativeRompathClick() {
    // Whichever button closed the dialog, and whether or not the emulator's file could
    // take the paths, the installed check runs again.
    reportFileErrors([this] { runRompathsDialog(); });
    MenuCheckForInstalledGamesClick();
}

void TMain::MenuAboutClick() {
    showAbout();
}
