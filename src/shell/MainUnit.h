#pragma once

#include "FrontEndLock.h"
#include "StartUp.h"
#include "core/PathSet.h"
#include "games/GameObject.h"
#include "games/RomsetFinder.h"

#include <QMainWindow>
#include <QPointer>

class DesktopOpener;
class GameListModel;
class GameListView;
class Prompter;
class TExecFile;
class QAction;
class QActionGroup;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QTimer;
class StartupProgress;
class TerminationSignals;

// The generic main window of the front-end: the game list on the left, the page
// control on the right, the menus and the status bar. It owns the path set, the
// process runner and the start-up sequence, and runs the close sequence.
class TMain : public QMainWindow, protected StartUp::Steps {
    Q_OBJECT

public:
    // A termination signal (when given) ends the program the normal way; one that
    // arrives during the start-up ends the emulator's run and tidies up.
    TMain(Prompter& prompter, DesktopOpener& opener, TerminationSignals* terminationSignals,
          QWidget* parent = nullptr);
    ~TMain() override;
    Q_DISABLE_COPY_MOVE(TMain)

    // True once the start-up gave up (a needed file missing, another copy running in
    // the directory, a termination signal): the program ends without saving, with
    // exitCode().
    bool terminating() const { return m_terminating; }
    int exitCode() const { return m_exitCode; }
    static constexpr int kEndedEarlyExitCode = 1;
    // The settings could not be saved at close (the user was told).
    bool saveFailed() const { return m_saveFailed; }

    const PathSet& paths() const { return m_paths; }
    TExecFile* ExecEmu() const { return m_execEmu; }
    const TGameObjectList& games() const { return m_games; }
    GameListModel* listModel() const { return m_listModel; }
    // The game every other part of the window works on, or none.
    TGameObject* currentGame() const { return m_currentGame; }
    // The position of the last selected installed game, reselected by every fill.
    int rememberedIndex() const { return m_rememberedIndex; }
    void setRememberedIndex(int index) { m_rememberedIndex = index; }
    int sortColumn() const { return m_sortColumn; }
    const RomDirs& romDirs() const { return m_romDirs; }

    void MenuExitClick();
    void ExecEmuFail();
    void SaveFrontEndSettings();
    void SaveSettingsAndCleanUp();

    // The game list view.
    void FillGameList();
    void SortOn(int column);
    void UpdateSelection();
    void MenuViewGamesClick(QAction* item);
    void MenuIconsViewClick(QAction* item);
    void MSSortMenuClick(QAction* item);
    void MSOrderClick(QAction* item);
    void GameListColumnClick(int column);
    void GameListSelectItem();
    void GameListDblClick();
    void StartEmuButtonClick();
    void MenuMarkBadRomsetsClick();

    // Tools menu commands on the game list.
    void MenuCheckForInstalledGamesClick();
    void MenuCheckforSupportedgamesClick();
    void MenuRenameLongClick();
    void MenuRenameShortClick();

signals:
    // The program must end now, without the close sequence.
    void programEndRequested(int exitCode);

protected:
    // Runs the start-up; the derived window calls it once it is fully built.
    void FormCreate();
    void FormClose();
    void closeEvent(QCloseEvent* event) override;

    bool LockFrontEndDir() override;
    void ImportOldGameSettings() override {}
    bool ImportGameList() override;
    void LoadFrontEndSettings() override;
    void UpdateFlags() override;

    // Runs the start-up sequence and handles its outcome; false when the program ends.
    bool runStartup(bool checkEmuDate);
    void setStatusPanel(int panel, const QString& text);

    Prompter& m_prompter;
    DesktopOpener& m_opener;
    PathSet m_paths;
    TExecFile* m_execEmu = nullptr;
    StartUp m_startUp;

    QWidget* GameListPanel = nullptr;
    QWidget* StartButtonPanel = nullptr;
    QPushButton* StartEmuButton = nullptr;
    QGroupBox* GrGames = nullptr;
    QSplitter* Splitter = nullptr;
    QTabWidget* PageControl = nullptr;
    QWidget* ScreenShotTab = nullptr;
    QStatusBar* StatusBar = nullptr;
    QLabel* m_statusPanels[2] = {};

    GameListView* GameList = nullptr;

    QMenu* FileMenu = nullptr;
    QAction* MenuExit = nullptr;
    QMenu* View1 = nullptr;
    QAction* MSGamesInstalled = nullptr;
    QAction* MSGamesUninstalled = nullptr;
    QAction* MSGamesAll = nullptr;
    QAction* MSIconsLarge = nullptr;
    QAction* MSIconsSmall = nullptr;
    QAction* MSIconsList = nullptr;
    QAction* MSIconsDetails = nullptr;
    QMenu* MSListSortby = nullptr;
    QAction* MSSortbyName = nullptr;
    QAction* MSSortByZipname = nullptr;
    QAction* MenuSortbyManufacturer = nullptr;
    QAction* MenuSortByYear = nullptr;
    QAction* MenuSortByCheat = nullptr;
    QAction* MenuSortByZipdate = nullptr;
    QMenu* MSOrder = nullptr;
    QAction* MSOrderAscending = nullptr;
    QAction* MSOrderDescending = nullptr;
    QAction* MenuMarkBadRomsets = nullptr;
    QMenu* MenuTools = nullptr;
    QAction* MenuCheckForInstalledGames = nullptr;
    QAction* MenuCheckforSupportedgames = nullptr;
    QAction* MenuRenameLong = nullptr;
    QAction* MenuRenameShort = nullptr;

    TGameObjectList m_games;
    RomsetFinder m_romsets;
    RomDirs m_romDirs;
    GameListModel* m_listModel = nullptr;

private:
    void buildLayout();
    void buildMenus();
    void buildViewMenu();
    void buildToolsMenu();
    QAction* sortAction(int column) const;
    bool descending() const;
    // Whether the installed flags come from the romcheck instead of the disk.
    bool mergedRomsetsSupport() const { return false; }
    void freeGameList();
    // Saves at close and before a re-run, unless the start-up never read the settings.
    void saveSettingsIfRead();
    void onWaitStarted(const QString& commandText);
    void onWaitFinished();
    void showStartupProgress();
    void onTerminationSignal(int signalNumber);
    void endProgram(int exitCode);

    FrontEndLock m_lock;
    bool m_terminating = false;
    int m_exitCode = 0;
    bool m_saveFailed = false;
    bool m_inStartup = false;
    int m_abortSignal = 0;
    QTimer* m_progressDelay = nullptr;
    QPointer<StartupProgress> m_progress;
    bool m_startupCompleted = false; // settings were read: saving them loses nothing
    bool m_closed = false;
    bool m_closePending = false; // a close asked for while the emulator ran

    TGameObject* m_currentGame = nullptr;
    int m_rememberedIndex = 0;
    int m_sortColumn = 0;
    bool m_filling = false; // selection changes made by a fill are handled by the fill
};
