// The main window's Settings page: the selected game's settings shown and saved, the
// switch to the default settings, and the mode in which the defaults are edited.

#include "MainUnit.h"
#include "core/FileError.h"
#include "core/Prompter.h"
#include "games/GameListView.h"
#include "launch/GameSettings.h"
#include "launch/SettingsPanel.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QToolButton>

bool TMain::reportFileErrors(const std::function<void()>& operation) {
    try {
        operation();
        return true;
    } catch (const FileError& error) {
        m_prompter.error(error.message());
        return false;
    }
}

void TMain::FillSettingsPanel() {
    m_panelZip = m_currentGame ? m_currentGame->ZipName : QString();
    if (!m_currentGame) {
        m_panelEditable = false;
        ChUseDefSettings->hide();
        SettingsScrollBox->hide();
        return;
    }
    ChUseDefSettings->show();
    TGameSettingsObject settings;
    reportFileErrors(
        [&] { settings = loadEffectiveSettings(m_paths.IniFilesDir, m_currentGame->ZipName); });
    m_settingsPanel->setSettings(settings,
                                 m_currentGame->ScreenWidth + u'x' + m_currentGame->ScreenHeight);
}

void TMain::SaveSettingsPanel() {
    SaveSettings(m_settingsPanel->settings(), m_paths.IniFilesDir, m_panelZip);
}

void TMain::savePanelBeforeChange() {
    // The controls are about to show another game while the keyboard is still in them:
    // what was typed belongs to the game they show, and is saved as leaving would.
    if (m_panelEditable && isInSettingsArea(QApplication::focusWidget()))
        SettingsScrollBoxExit();
}

void TMain::ChUseDefSettingsClick() {
    if (ChUseDefSettings->isChecked()) {
        // Nothing of the hidden controls is saved from here on.
        m_panelEditable = false;
        SettingsScrollBox->hide();
        setToolButtonVisible(SetToolUndo, false);
        // A game that has its own file loses it and shows the defaults; one that had
        // none (every selection of such a game comes here) shows them already.
        if (m_currentGame && !UsesDefaultSettings(m_paths.IniFilesDir, m_currentGame->ZipName)) {
            DropOwnSettings(m_paths.IniFilesDir, m_currentGame->ZipName, true);
            FillSettingsPanel();
        }
    } else {
        // The defaults become the game's own at the next save, not now.
        SettingsScrollBox->show();
        setToolButtonVisible(SetToolUndo, true);
        m_panelEditable = true;
    }
}

void TMain::SettingsScrollBoxExit() {
    if (!m_panelEditable || m_panelZip.isEmpty())
        return;
    reportFileErrors([this] { SaveSettingsPanel(); });
}

void TMain::SettingsResetButtonClick() {
    FillSettingsPanel();
}

void TMain::MenuSetDefaultSettingsClick() {
    if (inDefaultsMode())
        return;
    savePanelBeforeChange();
    m_screenShotTabOnEntry = PageControl->currentWidget() == ScreenShotTab;
    GameList->setEnabled(false);
    GameList->hide();
    // The search would pick a game from the hidden list.
    GameSearch->setEnabled(false);
    StartEmuButton->setEnabled(false);
    m_defaultGame = CreateDefaultGame();
    m_currentGame = m_defaultGame.get();
    FillSettingsPanel();
    PageControl->setCurrentWidget(SettingsTab);
    ChUseDefSettings->hide();
    SettingsScrollBox->show();
    DefSetLabel->show();
    for (QToolButton* button : {SetToolSave, SetToolCancel, SetToolUndo})
        setToolButtonVisible(button, true);
    m_panelEditable = true;
}

void TMain::DefaultSettingsSaveButtonClick() {
    // Defaults that could not be saved stay on screen, so nothing typed is lost.
    if (reportFileErrors([this] { SaveSettingsPanel(); }))
        leaveDefaultsMode();
}

void TMain::DefaultSettingsCancelButtonClick() {
    leaveDefaultsMode();
}

void TMain::leaveDefaultsMode() {
    if (!inDefaultsMode())
        return;
    m_panelEditable = false;
    setToolButtonVisible(SetToolSave, false);
    setToolButtonVisible(SetToolCancel, false);
    DefSetLabel->hide();
    GameList->setEnabled(true);
    GameList->show();
    GameSearch->setEnabled(true);
    if (isInSettingsArea(QApplication::focusWidget()))
        GameList->currentView()->setFocus();
    if (m_currentGame == m_defaultGame.get())
        forgetCurrentGame();
    m_defaultGame.reset();
    UpdateSelection();
    if (m_screenShotTabOnEntry)
        PageControl->setCurrentWidget(ScreenShotTab);
}
