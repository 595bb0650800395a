#pragma once

#include "PathSet.h"
#include "StartUp.h"

#include <QMainWindow>

class DesktopOpener;
class Prompter;
class TExecFile;
class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QStatusBar;
class QTabWidget;

// The generic main window of the front-end: the game list on the left, the page
// control on the right, the menus and the status bar. It owns the path set, the
// process runner and the start-up sequence, and runs the close sequence.
class TMain : public QMainWindow, protected StartUp::Steps {
    Q_OBJECT

public:
    TMain(Prompter& prompter, DesktopOpener& opener, QWidget* parent = nullptr);
    ~TMain() override;
    Q_DISABLE_COPY_MOVE(TMain)

    // True once a needed file was found missing: the program ends without saving.
    bool terminating() const { return m_terminating; }
    static constexpr int kNeededFileExitCode = 1;

    const PathSet& paths() const { return m_paths; }
    TExecFile* ExecEmu() const { return m_execEmu; }

    void MenuExitClick();
    void ExecEmuFail();
    void SaveFrontEndSettings();
    void SaveSettingsAndCleanUp();

signals:
    // The program must end now, without the close sequence.
    void programEndRequested(int exitCode);

protected:
    // Runs the start-up; the derived window calls it once it is fully built.
    void FormCreate();
    void FormClose();
    void closeEvent(QCloseEvent* event) override;

    void ImportOldGameSettings() override {}
    bool ImportGameList() override { return true; }
    void LoadFrontEndSettings() override {}
    void UpdateFlags() override {}

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

    QMenu* FileMenu = nullptr;
    QAction* MenuExit = nullptr;

private:
    void buildLayout();
    void buildMenus();
    void onWaitStarted(const QString& commandText);
    void onWaitFinished();
    void endProgram();

    bool m_terminating = false;
    bool m_startupCompleted = false; // settings were read: saving them loses nothing
    bool m_closed = false;
    bool m_closePending = false; // a close asked for while the emulator ran
};
