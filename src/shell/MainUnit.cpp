#include "MainUnit.h"

#include "FileError.h"
#include "FontScale.h"
#include "IniDocument.h"
#include "Prompter.h"
#include "Version.h"
#include "games/GameListModel.h"
#include "games/GameListView.h"
#include "games/ListInfoImport.h"
#include "launch/BatchFile.h"
#include "launch/EmulatorConfig.h"
#include "launch/Execfile.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

TMain::TMain(Prompter& prompter, DesktopOpener& opener, QWidget* parent)
    : QMainWindow(parent), m_prompter(prompter), m_opener(opener), m_execEmu(new TExecFile(this)),
      m_startUp(m_paths, prompter, *m_execEmu) {
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("StartFrontEnd"));

    m_execEmu->setObjectName(QStringLiteral("ExecEmu"));
    m_execEmu->setAssociate(false);
    m_execEmu->setWait(true);
    m_execEmu->setWaitStyle(TExecFile::wSuspend);
    m_execEmu->setWindowStyle(TExecFile::wsNorm);
    m_execEmu->setPriority(TExecFile::pcNormal);
    m_execEmu->setInterpreter(platform::scriptInterpreter());
    m_execEmu->OnFail = [this](QObject*) { ExecEmuFail(); };
    connect(m_execEmu, &TExecFile::waitStarted, this, &TMain::onWaitStarted);
    connect(m_execEmu, &TExecFile::waitFinished, this, &TMain::onWaitFinished);

    buildLayout();
    buildMenus();
    resize(600, 400);
}

TMain::~TMain() {
    // The model outlives the records and the finder it reads (it is a child); it
    // must not be asked for anything once they are gone.
    freeGameList();
}

void TMain::buildLayout() {
    auto* central = new QWidget(this);
    auto* centralLayout = new QHBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);

    Splitter = new QSplitter(Qt::Horizontal, central);
    Splitter->setObjectName(QStringLiteral("Splitter"));
    Splitter->setHandleWidth(3);
    Splitter->setChildrenCollapsible(false);
    centralLayout->addWidget(Splitter);

    GameListPanel = new QWidget(Splitter);
    GameListPanel->setObjectName(QStringLiteral("GameListPanel"));
    GameListPanel->setMinimumWidth(145);
    auto* panelLayout = new QVBoxLayout(GameListPanel);
    panelLayout->setContentsMargins(4, 4, 4, 4);

    GrGames = new QGroupBox(QStringLiteral("Games"), GameListPanel);
    GrGames->setObjectName(QStringLiteral("GrGames"));
    auto* gamesLayout = new QVBoxLayout(GrGames);
    gamesLayout->setContentsMargins(2, 2, 2, 2);
    m_listModel = new GameListModel(m_romsets, this);
    m_listModel->setObjectName(QStringLiteral("GameListModel"));
    GameList = new GameListView(GrGames);
    GameList->setModel(m_listModel);
    gamesLayout->addWidget(GameList);
    panelLayout->addWidget(GrGames, 1);

    StartButtonPanel = new QWidget(GameListPanel);
    StartButtonPanel->setObjectName(QStringLiteral("StartButtonPanel"));
    auto* startLayout = new QVBoxLayout(StartButtonPanel);
    startLayout->setContentsMargins(0, 2, 0, 2);
    StartEmuButton = new QPushButton(QStringLiteral("&Start Game"), StartButtonPanel);
    StartEmuButton->setObjectName(QStringLiteral("StartEmuButton"));
    StartEmuButton->setMinimumHeight(35);
    StartEmuButton->setDefault(true);
    StartEmuButton->setEnabled(false);
    startLayout->addWidget(StartEmuButton);
    panelLayout->addWidget(StartButtonPanel);
    connect(StartEmuButton, &QPushButton::clicked, this, &TMain::StartEmuButtonClick);
    connect(GameList, &GameListView::itemActivated, this, &TMain::GameListDblClick);
    connect(GameList, &GameListView::columnClicked, this, &TMain::GameListColumnClick);
    connect(GameList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                if (m_filling)
                    return;
                // Losing the selection disables the start button; the current game
                // stays until the next selection.
                if (!deselected.isEmpty())
                    StartEmuButton->setEnabled(false);
                if (!selected.isEmpty())
                    GameListSelectItem();
            });

    PageControl = new QTabWidget(Splitter);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    ScreenShotTab = new QWidget(PageControl);
    ScreenShotTab->setObjectName(QStringLiteral("ScreenShotTab"));
    PageControl->addTab(ScreenShotTab, QStringLiteral("Screenshot"));

    Splitter->addWidget(GameListPanel);
    Splitter->addWidget(PageControl);
    Splitter->setStretchFactor(0, 0);
    Splitter->setStretchFactor(1, 1);
    Splitter->setSizes({185, 415});
    setCentralWidget(central);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    for (int i = 0; i < 2; ++i) {
        m_statusPanels[i] = new QLabel(StatusBar);
        m_statusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_statusPanels[i]->setAlignment(Qt::AlignCenter);
    }
    m_statusPanels[0]->setMinimumWidth(70);
    m_statusPanels[0]->setText(QStringLiteral("zipname"));
    StatusBar->addWidget(m_statusPanels[0]);
    StatusBar->addWidget(m_statusPanels[1], 1);
    setStatusBar(StatusBar);
}

void TMain::buildMenus() {
    FileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    FileMenu->setObjectName(QStringLiteral("FileMenu"));
    MenuExit = FileMenu->addAction(QStringLiteral("E&xit"));
    MenuExit->setObjectName(QStringLiteral("MenuExit"));
    connect(MenuExit, &QAction::triggered, this, &TMain::MenuExitClick);
    buildViewMenu();
    buildToolsMenu();
}

void TMain::setStatusPanel(int panel, const QString& text) {
    m_statusPanels[panel]->setText(text);
}

void TMain::FormCreate() {
    ScaleFormFonts(this);
    runStartup(true);
    FillGameList();
}

bool TMain::runStartup(bool checkEmuDate) {
    m_startupCompleted = false;
    try {
        switch (m_startUp.RunStartup(checkEmuDate, *this)) {
        case StartUp::Result::Completed:
            m_startupCompleted = true;
            break;
        case StartUp::Result::NeededFileMissing:
            endProgram();
            return false;
        case StartUp::Result::GameListUnreadable:
            break;
        }
    } catch (const FileError& error) {
        m_prompter.error(error.message());
    }
    return true;
}

void TMain::endProgram() {
    m_terminating = true;
    emit programEndRequested(kNeededFileExitCode);
}

void TMain::ExecEmuFail() {
    m_prompter.errorCancel(QStringLiteral("Failed to execute BatchFile, Please contact support"));
}

void TMain::onWaitStarted(const QString&) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setStatusPanel(1, QStringLiteral("Running kalto.exe %1 ...").arg(m_execEmu->parameters()));
}

void TMain::onWaitFinished() {
    QApplication::restoreOverrideCursor();
    setStatusPanel(1, QString(version::kCreditLine));
    if (m_closePending) {
        m_closePending = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void TMain::MenuExitClick() {
    close();
}

void TMain::SaveFrontEndSettings() {
    IniDocument ini = IniDocument::emptyFor(m_paths.FrontEndIniFile);
    ini.writeString(u"StartKALTO", u"Version", QString(version::kVersionText));
    ini.writeDateTime(u"StartKALTO", u"EmuExeDate", StartUp::fileDate(m_paths.EmuExeFile));
    ini.writeString(u"StartKALTO", u"EmuExePath", m_paths.EmuDir);
    for (const auto& game : m_games) {
        ini.writeBool(game->ZipName, u"BadRomcheck", game->BadRomcheck);
        ini.writeInteger(game->ZipName, u"CurScrShot", game->CurScrShot);
    }
    ini.save();
}

bool TMain::ImportGameList() {
    // The view must never hold records that the import frees.
    m_listModel->clear();
    m_currentGame = nullptr;
    QString error;
    if (::ImportGameList(m_games, m_paths.ListInfoFile, &error))
        return true;
    m_prompter.error(error);
    return false;
}

void TMain::LoadFrontEndSettings() {
    const IniDocument ini(m_paths.FrontEndIniFile);
    const bool merged = mergedRomsetsSupport();
    for (const auto& game : m_games) {
        // A game never romchecked counts as bad while merged romsets are supported.
        game->BadRomcheck = ini.readBool(game->ZipName, u"BadRomcheck", merged);
        game->CurScrShot = ini.readInteger(game->ZipName, u"CurScrShot", 0);
    }
    m_romDirs = ReadRomDirs(m_paths.EmuCfgFile);
}

void TMain::UpdateFlags() {
    m_romsets.setRomDirs(m_romDirs);
    m_games.UpdateFlags(m_romsets, mergedRomsetsSupport(), m_paths.emuCheatsFile());
}

void TMain::freeGameList() {
    m_listModel->clear();
    m_currentGame = nullptr;
    m_games.FreeAll();
}

void TMain::SaveSettingsAndCleanUp() {
    try {
        SaveFrontEndSettings();
    } catch (...) {
        DeleteWorkFiles(m_paths);
        throw;
    }
    DeleteWorkFiles(m_paths);
}

void TMain::saveSettingsIfRead() {
    if (m_startupCompleted) {
        SaveSettingsAndCleanUp();
    } else {
        // The settings were never read completely; writing them now would replace
        // the stored ones with defaults and drop every game's marks.
        DeleteWorkFiles(m_paths);
    }
}

void TMain::closeEvent(QCloseEvent* event) {
    if (m_execEmu->isRunning()) {
        // The emulator still runs: close once it has ended, so the settings written
        // then are those the run left.
        m_closePending = true;
        event->ignore();
        return;
    }
    if (!m_closed) {
        m_closed = true;
        FormClose();
    }
    event->accept();
}

void TMain::FormClose() {
    hide();
    // A list that shows nothing is saved as the installed games, so the next start
    // shows something.
    if (m_listModel->rowCount() == 0)
        MenuViewGamesClick(MSGamesInstalled);
    try {
        saveSettingsIfRead();
    } catch (const FileError& error) {
        m_prompter.error(error.message());
    }
    freeGameList();
}
