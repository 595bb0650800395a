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
    // Nothing is saved while the controls do not show the current game's values: not
    // while its file is read (an error box then takes the focus from the controls), and
    // not when it could not be read (a save would replace that file with other values).
    m_panelZip.clear();
    if (!m_currentGame) {
        m_panelEditable = false;
        ChUseDefSettings->hide();
        SettingsScrollBox->hide();
        return;
    }
    ChUseDefSettings->show();
    const QString zipName = m_currentGame->ZipName;
    const QString gameResolution = m_currentGame->ScreenWidth + u'x' + m_currentGame->ScreenHeight;
    TGameSettingsObject settings;
    const bool read =
        reportFileErrors([&] { settings = loadEffectiveSettings(m_paths.IniFilesDir, zipName); });
    m_settingsPanel->setSettings(read ? settings : TGameSettingsObject(), gameResolution);
    if (read)
        m_panelZip = zipName;
    applyPanelEditable();
}

void TMain::applyPanelEditable() {
    // Settings that are not the game's to edit are shown greyed: the defaults it uses,
    // or the built-in ones when its file could not be read.
    SettingsScrollBox->widget()->setEnabled(m_panelEditable && !m_panelZip.isEmpty());
}

void TMain::SaveSettingsPanel() {
    if (m_panelZip.isEmpty())
        return;
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
        // Nothing of the greyed controls is saved from here on.
        m_panelEditable = false;
        setToolButtonVisible(SetToolUndo, false);
        // A game that has its own file loses it and shows the defaults; one that had
        // none (every selection of such a game comes here) shows them already.
        if (m_currentGame && !UsesDefaultSettings(m_paths.IniFilesDir, m_currentGame->ZipName)) {
            DropOwnSettings(m_paths.IniFilesDir, m_currentGame->ZipName, true);
            FillSettingsPanel();
        }
    } else {
        // The defaults become the game's own at the next save, not now.
        setToolButtonVisible(SetToolUndo, true);
        m_panelEditable = true;
    }
    SettingsScrollBox->show();
    applyPanelEditable();
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
    m_panelEditable = false;
    m_screenShotTabOnEntry = PageControl->currentWidget() == ScreenShotTab;
    GameList->setEnabled(false);
    GameList->hide();
    // The search would pick a game from the hidden list.
    GameSearch->setEnabled(false);
    StartEmuButton->setEnabled(false);
    m_defaultGame = CreateDefaultGame();
    m_currentGame = m_defaultGame.get();
    updateFavouriteItem();
    FillSettingsPanel();
    PageControl->setCurrentWidget(SettingsTab);
    ChUseDefSettings->hide();
    SettingsScrollBox->show();
    DefSetLabel->show();
    for (QToolButton* button : {SetToolSave, SetToolCancel, SetToolUndo})
        setToolButtonVisible(button, true);
    m_panelEditable = true;
    applyPanelEditable();
    DefaultSettingsEscape->setEnabled(true);
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
    DefaultSettingsEscape->setEnabled(false);
    setToolButtonVisible(SetToolSave, false);
    setToolButtonVisible(SetToolCancel, false);
    DefSetLabel->hide();
    GameList->setEnabled(true);
    GameList->show();
    GameSearch->setEnabled(true);
    if (isInSettingsArea(QApplication::focusWidget()))
        GameList->currentView()->setFocus();
    m_defaultGame.reset();
    m_currentGame = nullptr;
    UpdateSelection();
    if (m_screenShotTabOnEntry)
        PageControl->setCurrentWidget(ScreenShotTab);
}
