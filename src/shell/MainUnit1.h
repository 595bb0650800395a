#pragma once

#include "MainUnit.h"
#include "launch/Launch.h"

class GameInfoPage;
class QPlainTextEdit;
class TZipDirsForm1;

// The main window of StartKALTO: the generic window with what belongs to the Kalto
// emulator: its Settings and Tools items, the Romcheck page, the columns of the
// romsets, its half of the settings file and the rom paths of its configuration.
// Building it runs the whole start-up.
class TMain1 final : public TMain {
    Q_OBJECT

public:
    TMain1(Prompter& prompter, DesktopOpener& opener,
           TerminationSignals* terminationSignals = nullptr, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TMain1)

    void SaveFrontEndSettings() override;
    void FillSettingsPanel() override;

    // View, Settings, Tools and Help items of the emulator.
    void MenuMarkBadRomsetsClick();
    void MenuMergedRomsetsSupportClick();
    void MenuSetMameKeysClick();
    void MenuResetKaltodefaultKeysClick();
    void MenuEnableKaltoGuiClick();
    void EnableWibbleKaltoGUIonly1Click();
    void MenuEnableSecretGamesClick();
    void MenuRenameLongClick();
    void MenuRenameShortClick();
    void MSReportNeededClick();
    void MenuRomCheckClick();
    void RomcheckButtonClick();
    void MenuKALTOReadmeClick();
    void MenuKALTOHomepageClick();
    void MenuHelpClick() override;
    // The Info page's link to a clone's parent: selects the parent, showing it first
    // when the filter or the search hides it.
    void InfoParentLinkClick(const QString& zipName);

    // Times the game runs; tests give their own clock (milliseconds since the epoch).
    void setLaunchClock(LaunchClock clock) { m_launchClock = std::move(clock); }

protected:
    void LoadFrontEndSettings() override;
    bool mergedRomsetsSupport() const override;
    void LaunchGame() override;
    void ShowGameDetails() override;
    TScreenShot* createScreenShot(const ScreenShotPage& page) override;
    void runRompathsDialog() override;
    void showAbout() override;

private:
    void buildRomcheckTab();
    void buildInfoTab();
    // The settings file itself, without the rom paths the close also writes into the
    // emulator's file.
    void writeSettingsFile();
    // After a game's run: its play history is on disk at once.
    void saveSettingsAfterRun();
    void buildMenus();
    // Moves the pictures of the older layout into the kinds' folders once.
    void MigrateScreenshotStore();
    // Runs the emulator's romset check of every game (an empty zip name) or of one, and
    // reads its report into the marks; false when there was no new report (the user was
    // told). statusNote gets what the status bar should say once the list is refilled
    // (a report read despite a non-zero status).
    bool runRomcheck(const QString& zipName, QString& statusNote);
    // The check of all romsets; false when it gave no new report.
    bool checkAllRomsets();
    void renameRomsets(RomsetNames names);
    // Before the program writes into the emulator's configuration: a file that has gone
    // is asked of the emulator first, so that it becomes the emulator's whole default
    // file and not one holding only the program's keys.
    void ensureEmulatorConfig();
    QString kaltoReadme() const;

    QWidget* RomcheckTab = nullptr;
    QPlainTextEdit* RomcheckMemo = nullptr;
    QPushButton* RomcheckButton = nullptr;
    GameInfoPage* InfoTab = nullptr;
    bool m_infoStale = false; // the page was out of sight when the game changed
    LaunchClock m_launchClock;

    QAction* MenuMarkBadRomsets = nullptr;
    QAction* MenuMergedRomsetsSupport = nullptr;
    QAction* MenuEnableKaltoGui = nullptr;
    QAction* EnableWibbleKaltoGUIonly1 = nullptr;
    QAction* MenuEnableSecretGames = nullptr;

    TZipDirsForm1* m_zipDirs = nullptr;
};
