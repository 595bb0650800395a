#pragma once

#include "ColorText.h"
#include "FrontEndLock.h"
#include "StartUp.h"
#include "core/PathSet.h"
#include "games/GameObject.h"
#include "games/RomsetFinder.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class DesktopOpener;
class Gamepad;
class GameListModel;
class InstanceChannel;
class GameListView;
class IniDocument;
class ScreenShotImage;
struct ScreenShotPage;
class GameSoundPlayer;
class SettingsPanel;
class TScreenShot;
class QStackedLayout;
class SvgPicture;
class Prompter;
class StartupProgress;
class TerminationSignals;
class TExecFile;
class QAction;
class QActionGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollArea;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;

// The generic main window of the front-end: the game list on the left, the page
// control on the right, the menus and the status bar. It owns the path set, the
// process runner and the start-up sequence, and runs the close sequence. Handlers keep
// their names and stay short: the work is done by the list model, the start-up, the
// settings file and, later, the panels of the pages.
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
    // The width the user gave the list panel; while the pages are hidden, the width
    // it goes back to when they are shown.
    int listPanelWidth() const;

    // The process ends right after this window: its game records are left to the
    // system instead of being freed one by one.
    void abandonGameListAtExit();

    virtual void SaveFrontEndSettings() = 0;
    void SaveSettingsAndCleanUp();

    // File menu, window.
    void MenuExitClick();
    void ExecEmuFail();
    void FormResize();
    void ToolBarResize(QToolBar* bar);

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
    // Enter or a double click: starts the selected game, or says why it cannot start.
    void StartSelectedGame();
    void StartEmuButtonClick();
    // Narrows the list to the games that match the search text (on top of the filter).
    void GameSearchChanged();
    // The Game menu: marks the selected game as a favourite, or no longer.
    void MenuFavouriteClick();

    // View options.
    void MSChangelistfontClick();
    void MSListBackgroundcolorClick();
    void MenuHotTrackingClick();
    void MenuViewTabSheetClick();
    void MenuViewStatBarClick();
    // Full screen without the window's frame, and back to the state before it.
    void MenuFullScreenClick();

    // The Settings page.
    virtual void FillSettingsPanel();
    void SaveSettingsPanel();
    void ChUseDefSettingsClick();
    void SettingsScrollBoxExit();
    void SettingsResetButtonClick();
    void DefaultSettingsSaveButtonClick();
    void DefaultSettingsCancelButtonClick();
    bool inDefaultsMode() const { return m_defaultGame != nullptr; }

    // Settings and Tools menus.
    void MenuSetDefaultSettingsClick();
    void MenuSetAlternativeRompathClick();
    void MenuCheckForInstalledGamesClick();
    void MenuCheckforSupportedgamesClick();

    // ScreenShot and Sound menus, slideshow controls.
    void MenuScreenShotClick();
    void MenuScreenShotScalingClick(QAction* item);
    void MSSCRSharpClick();
    void MSSCRShowClick();
    void MSSCRDeleteClick();
    void MSSCRConvertFormatClick();
    void MSSCRControlsClick();
    void MSSCRNameClick();
    void MSSndClick(QAction* item);
    void SToolPlayClick();
    void SToolPauseClick();
    void SToolPrevClick();
    void SToolNextClick();
    void SToolTimerClick();
    void SSTimerTimer();
    void SSPanelResize();
    void SetasTitleshot1Click();
    void ScrshotRenumberClick();
    // The screenshots of the selected game, read again from the disk.
    void LoadNewScreenshots();
    TScreenShot* screenShot() const { return m_screenShot; }
    GameSoundPlayer& soundPlayer() { return *m_sound; }

    // The gamepad's actions, each as the keyboard would do it. None of them reaches the
    // window past an open box or menu: there the D-pad moves between the box's buttons
    // (or the menu's items), A presses the one chosen and B is Escape.
    void GamepadMove(int step);
    void GamepadPage(int step);
    void GamepadPicture(int step);
    void GamepadStart();
    void GamepadEscape();
    void GamepadFullScreen();
    void GamepadFavourite();
    Gamepad* gamepad() const { return m_gamepad; }

    // Help menu. Opening it greys the items whose documents are missing.
    virtual void MenuHelpClick();
    void MenuStartKALTOReadmeClick();
    void MenuStartKALTOFaqClick();
    void MenuStartKALTOHomepageClick();
    void MenuUrlClick(QAction* item);
    void MenuAboutClick();

signals:
    // The program must end now, without the close sequence.
    void programEndRequested(int exitCode);

protected:
    // Runs the start-up; the derived window calls it once it is fully built.
    void FormCreate();
    void FormClose();
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    bool LockFrontEndDir() override;
    void ImportOldGameSettings() override;
    bool ImportGameList() override;
    void UpdateFlags() override;

    // The generic half of the settings file: written first, read last.
    void SaveViewSettings(IniDocument& ini);
    void LoadViewSettings(const IniDocument& ini);
    // Runs the item's action when its check mark differs from the stored state, so
    // that it ends checked exactly when state is true.
    static void bringToState(QAction* item, bool state);
    // A column's width from [Columns]: a hand-edited 0 would hide the column for good.
    static constexpr int kLeastColumnWidth = 20;
    static int readColumnWidth(const IniDocument& ini, QStringView key, int defaultWidth);

    // The selected game's music or samples, as the Sound menu chooses, from the
    // beginning; stopped, and the sound output closed, before a game's run.
    void PlayGameSound();
    void StopGameSound();
    // Start is enabled exactly while the current game is selected and installed.
    void updateStartButton();
    // The viewer of the window's kind, made once the page exists.
    virtual TScreenShot* createScreenShot(const ScreenShotPage& page);
    // Converts every picture of the store to PNG with the converter in the front-end
    // directory.
    void ConvertScreenshots();
    // The viewer's keys, and the slideshow and the sound output around the runs.
    void connectScreenShotPage();
    // After a game: the status bar says how many shots the run made, and the viewer
    // shows the first of them.
    void showRunScreenshots(const QString& title, const QStringList& shots);
    // Shots that lay in the temporary folder before the game's run stay there: the user
    // is told of them once.
    void reportLeftoverShots(const QString& title, const QStringList& names);
    // Starts the current game in the emulator and tidies up after it.
    virtual void LaunchGame() = 0;
    // The selected game changed, or what is known of it: pages that show it follow.
    virtual void ShowGameDetails() {}
    // The list filled again after its games changed (a run moved one up the recently
    // played), the selected game kept without the work of a new selection.
    void RefreshGameList();
    // A game's value in a column changed (the favourite column, or the play history,
    // named by PlayCountColumn): a list sorted by it sorts again.
    void resortAfterChange(int changedColumn);
    // The settings file was read at the start-up: saving it loses nothing.
    bool settingsRead() const { return m_startupCompleted; }
    // Runs a file operation; a file that cannot be written is reported, and false
    // returned, instead of ending what the user was doing.
    bool reportFileErrors(const std::function<void()>& operation);

    // Whether the installed flags come from the romcheck instead of the disk.
    virtual bool mergedRomsetsSupport() const { return false; }
    // The rompaths dialog and the About box of the window's kind.
    virtual void runRompathsDialog() = 0;
    virtual void showAbout() = 0;
    // Runs the start-up sequence and handles its outcome; false when the program ends.
    bool runStartup(bool checkEmuDate);
    void setStatusPanel(int panel, const QString& text);
    // False, once the user has been told, when the desktop cannot open it.
    bool openDocument(const QString& pathOrUrl);
    // Applies the list's font, colours and hot tracking to the list.
    void applyListAppearance();
    // A menu item: named, captioned, with a shortcut when given, checkable or part
    // of a radio group when given.
    QAction* addItem(QMenu* menu, const char* name, const QString& caption,
                     const QKeySequence& shortcut = {});
    QAction* addToggle(QMenu* menu, const char* name, const QString& caption, bool checked,
                       const QKeySequence& shortcut = {});
    QAction* addRadio(QMenu* menu, QActionGroup* group, const char* name, const QString& caption,
                      int tag, bool checked = false, const QKeySequence& shortcut = {});
    QToolButton* addToolButton(QToolBar* bar, const char* name, const QString& caption,
                               const QString& hint, const QString& icon);

    Prompter& m_prompter;
    DesktopOpener& m_opener;
    PathSet m_paths;
    TExecFile* m_execEmu = nullptr;
    StartUp m_startUp;
    QTimer* SSTimer = nullptr;

    // The list panel.
    QWidget* GameListPanel = nullptr;
    QWidget* StartButtonPanel = nullptr;
    QPushButton* StartEmuButton = nullptr;
    QGroupBox* GrGames = nullptr;
    QLineEdit* GameSearch = nullptr;
    SvgPicture* Image1 = nullptr;
    GameListView* GameList = nullptr;
    QSplitter* Splitter = nullptr;

    // The pages.
    QTabWidget* PageControl = nullptr;
    QWidget* ScreenShotTab = nullptr;
    SvgPicture* NoShotImage = nullptr;
    QLabel* SSShowName = nullptr;
    QToolBar* SToolBar = nullptr;
    QToolButton* SToolPlay = nullptr;
    QToolButton* SToolPause = nullptr;
    QToolButton* SToolPrev = nullptr;
    QToolButton* SToolNext = nullptr;
    QToolButton* SToolTimer = nullptr;
    QToolButton* SToolKill = nullptr;
    QToolButton* SToolClose = nullptr;
    QWidget* SSPanel = nullptr;
    ScreenShotImage* SSImage = nullptr;
    QStackedLayout* m_pictureStack = nullptr;
    TScreenShot* m_screenShot = nullptr;
    std::unique_ptr<GameSoundPlayer> m_sound;
    QMenu* ScrSchPopup = nullptr;
    QWidget* SettingsTab = nullptr;
    QLabel* DefSetLabel = nullptr;
    QCheckBox* ChUseDefSettings = nullptr;
    QScrollArea* SettingsScrollBox = nullptr;
    QToolBar* SettingsToolbar = nullptr;
    QToolButton* SetToolSave = nullptr;
    QToolButton* SetToolCancel = nullptr;
    QToolButton* SetToolUndo = nullptr;
    QAction* DefaultSettingsEscape = nullptr; // Escape while the defaults are edited: Cancel
    SettingsPanel* m_settingsPanel = nullptr;

    QStatusBar* StatusBar = nullptr;
    QLabel* m_statusPanels[2] = {};

    // Menus: the items the window's logic reads; every item is found by its name.
    QMenu* FileMenu = nullptr;
    QMenu* View1 = nullptr;
    QAction* MSGamesInstalled = nullptr;
    QAction* MSGamesUninstalled = nullptr;
    QAction* MSGamesAll = nullptr;
    QAction* MenuFavouriteGames = nullptr;
    QAction* MenuRecentGames = nullptr;
    QAction* MSIconsLarge = nullptr;
    QAction* MSIconsSmall = nullptr;
    QAction* MSIconsList = nullptr;
    QAction* MSIconsDetails = nullptr;
    QMenu* MSListSortby = nullptr;
    QAction* MSSortbyName = nullptr;
    QMenu* MSOrder = nullptr;
    QAction* MSOrderAscending = nullptr;
    QAction* MSOrderDescending = nullptr;
    QAction* MSHotTracking = nullptr;
    QAction* MSTabsheet = nullptr;
    QAction* MSStatbar = nullptr;
    QAction* MenuFullScreen = nullptr;
    QAction* m_viewBeforeTabSheet = nullptr; // where the window's own View items go
    QMenu* MenuGame = nullptr;
    QAction* MenuFavourite = nullptr;
    QMenu* GameListPopup = nullptr; // the list's right-click menu
    QMenu* MSSettings = nullptr;
    QMenu* MenuTools = nullptr;
    QMenu* MenuScreenShot = nullptr;
    QAction* MSSCROriginal = nullptr;
    QAction* MSSCRScaled = nullptr;
    QAction* MSSCRStretched = nullptr;
    QAction* MSSCRSharp = nullptr;
    QAction* MSSCRTitle = nullptr;
    QAction* MSSCRGameplay = nullptr;
    QAction* MSSCRFlyer = nullptr;
    QAction* MSSCRMarquee = nullptr;
    QAction* MSSCRCabinet = nullptr;
    QAction* MSSCRDelete = nullptr;
    QAction* MSSCRConvertFormat = nullptr;
    QAction* MSSCRControls = nullptr;
    QAction* MSSCRName = nullptr;
    QMenu* Sound1 = nullptr;
    QAction* MSSndMusic = nullptr;
    QAction* MSSndSamples = nullptr;
    QAction* MSSndNone = nullptr;
    QMenu* MenuHelp = nullptr;

    TGameObjectList m_games;
    RomsetFinder m_romsets;
    RomDirs m_romDirs;
    GameListModel* m_listModel = nullptr;

    // The list's look, kept as the settings file keeps it.
    QFont m_listFont;
    ColorSetting m_listTextColor{ColorSetting::kWindowText};
    ColorSetting m_listBackColor{ColorSetting::kWindow};

private:
    void buildLayout();
    void buildListPanel();
    void buildScreenShotTab();
    void buildSettingsTab();
    void buildStatusBar();
    void buildMenus();
    void buildFileMenu();
    void buildViewMenu();
    void buildGameMenu();
    void buildSettingsMenu();
    void buildToolsMenu();
    void buildScreenShotMenu();
    void buildSoundMenu();
    void buildHelpMenu();
    void buildGamepad();
    bool gamepadReachesWindow() const;
    QAction* sortAction(int column) const;
    bool descending() const;
    void freeGameList();
    // Saves at close and before a re-run, unless the start-up never read the settings.
    void saveSettingsIfRead();
    void onWaitStarted(const QString& commandText);
    void onWaitFinished();
    void showStartupProgress();
    void onTerminationSignal(int signalNumber);
    void endProgram(int exitCode);
    // A second start of the program asked for this window.
    void raiseForSecondStart();
    // While the emulator runs, the commands that change the list or the files are
    // disabled, and the controls that do so.
    void lockCommandsForRun(bool locked);
    QList<QAction*> commandsLockedInRuns() const;
    QList<QWidget*> controlsLockedInRuns() const;
    void setListPanelWidth(int width);
    void setToolButtonVisible(QToolButton* button, bool visible);
    // The settings controls and their tool bar: leaving both saves.
    bool isInSettingsArea(const QWidget* widget) const;
    // The controls take input exactly when they show values that are the current
    // game's to edit.
    void applyPanelEditable();
    void leaveDefaultsMode();
    void savePanelBeforeChange();
    // No game is current any more (its record may go).
    void forgetCurrentGame();
    // The row a fill selects, or -1.
    int rowToSelect() const;
    // The games the filter lets through, and whether they keep that order.
    std::vector<TGameObject*> gamesToShow() const;
    // The Game menu's item says what it will do to the selected game.
    void updateFavouriteItem();
    // "StartKALTO <version> [<shown> of <all> games]".
    void updateCaption();

    FrontEndLock m_lock;
    Gamepad* m_gamepad = nullptr;
    InstanceChannel* m_channel = nullptr;
    bool m_raisedRunningCopy = false; // the copy that holds the lock came to the front
    bool m_terminating = false;
    int m_exitCode = 0;
    bool m_saveFailed = false;
    bool m_inStartup = false;
    int m_abortSignal = 0;
    QTimer* m_progressDelay = nullptr;
    QPointer<StartupProgress> m_progress;
    bool m_startupCompleted = false; // settings were read: saving them loses nothing
    bool m_closed = false;
    bool m_closePending = false;  // a close asked for while the emulator ran
    bool m_raiseAfterRun = false; // a second start asked for the window during a run
    bool m_commandsLocked = false;
    QList<QPointer<QAction>> m_lockedCommands; // disabled for the run, enabled after it
    QPointer<QWidget> m_focusBeforeRun;

    TGameObject* m_currentGame = nullptr;
    // The Settings page: the pseudo-game whose settings are the defaults while they
    // are edited, the game whose settings the controls show, and whether saving them
    // is what leaving the controls does.
    std::unique_ptr<TGameObject> m_defaultGame;
    bool m_screenShotTabOnEntry = false;
    QString m_panelZip;
    QMetaObject::Connection m_focusWatch; // ends before the window's widgets go
    bool m_panelEditable = false;
    int m_rememberedIndex = 0;
    // The zip name of the game selected last (also while a search shows nothing), kept
    // across a start; a fill selects it when the selected game is not listed.
    QString m_rememberedGame;
    bool m_selectFirstInstalled = false; // the first start: no game remembered yet
    QString m_soundGame; // the zip name whose sound was started last, until it is stopped
    int m_sortColumn = 0;
    bool m_filling = false;     // selection changes made by a fill are handled by the fill
    int m_listPanelWidth = 185; // the user's list width, kept while the pages are hidden
    Qt::WindowStates m_stateBeforeFullScreen; // kept as the window's state while full screen
    bool m_windowPlaced = false;              // the settings gave the window its size and state
};
