#include "MainUnit.h"

#include "AccessibleNames.h"
#include "FontScale.h"
#include "InstanceChannel.h"
#include "StartupProgress.h"
#include "SvgPicture.h"
#include "TerminationSignals.h"
#include "Version.h"
#include "WindowPlacement.h"
#include "core/AtomicFile.h"
#include "core/FileError.h"
#include "core/IniDocument.h"
#include "core/Prompter.h"
#include "games/GameListModel.h"
#include "games/GameListView.h"
#include "games/ListInfoImport.h"
#include "launch/BatchFile.h"
#include "launch/EmulatorConfig.h"
#include "launch/Execfile.h"
#include "launch/GameSettings.h"
#include "media/GameSound.h"
#include "media/Pictures.h"
#include "media/ScreenShotHandeling.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QStackedLayout>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TMain::TMain(Prompter& prompter, DesktopOpener& opener, TerminationSignals* terminationSignals,
             QWidget* parent)
    : QMainWindow(parent), m_prompter(prompter), m_opener(opener), m_execEmu(new TExecFile(this)),
      m_startUp(m_paths, prompter, *m_execEmu) {
    setObjectName(QStringLiteral("Main"));
    m_sound = std::make_unique<GameSoundPlayer>();
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
    if (terminationSignals)
        connect(terminationSignals, &TerminationSignals::received, this,
                &TMain::onTerminationSignal);

    // A run of the emulator during the start-up that takes longer than this shows a
    // progress window: before the main window appears there is nothing else to see.
    m_progressDelay = new QTimer(this);
    m_progressDelay->setSingleShot(true);
    m_progressDelay->setInterval(500);
    connect(m_progressDelay, &QTimer::timeout, this, &TMain::showStartupProgress);

    // The slideshow's timer: off until the Play button runs it.
    SSTimer = new QTimer(this);
    SSTimer->setObjectName(QStringLiteral("SSTimer"));
    SSTimer->setInterval(2000);
    connect(SSTimer, &QTimer::timeout, this, &TMain::SSTimerTimer);

    m_channel = new InstanceChannel(this);
    connect(m_channel, &InstanceChannel::raiseRequested, this, &TMain::raiseForSecondStart);

    buildLayout();
    buildMenus();
    buildGamepad();
    MenuHotTrackingClick(); // the tabs and the list as the menu's built-in state says
    resize(600, 400);
}

TMain::~TMain() {
    disconnect(m_focusWatch);
    // The model outlives the records and the finder it reads (it is a child); it
    // must not be asked for anything once they are gone.
    freeGameList();
}

void TMain::setStatusPanel(int panel, const QString& text) {
    m_statusPanels[panel]->setText(text);
}

bool TMain::openDocument(const QString& pathOrUrl) {
    if (OpenDocument(m_opener, pathOrUrl))
        return true;
    m_prompter.error(QStringLiteral("The desktop could not open\r%1").arg(pathOrUrl));
    return false;
}

void TMain::FormCreate() {
    m_screenShot = createScreenShot(
        ScreenShotPage{NoShotImage, SSPanel, SSImage, SSShowName, [this](bool picture) {
                           m_pictureStack->setCurrentWidget(
                               picture ? SSPanel : static_cast<QWidget*>(NoShotImage));
                       }});
    m_screenShot->kinds = [this] {
        return ScreenshotKinds{MSSCRTitle->isChecked(), MSSCRGameplay->isChecked(),
                               MSSCRFlyer->isChecked(), MSSCRMarquee->isChecked(),
                               MSSCRCabinet->isChecked()};
    };
    m_screenShot->scaling = [this] {
        if (MSSCROriginal->isChecked())
            return TScreenShot::Scaling::Original;
        return MSSCRStretched->isChecked() ? TScreenShot::Scaling::Stretched
                                           : TScreenShot::Scaling::Scaled;
    };
    m_screenShot->sharp = [this] { return MSSCRSharp->isChecked(); };
    m_screenShot->pause = [this] {
        const bool playing = SToolPlay->isChecked();
        if (playing)
            SToolPauseClick();
        return playing;
    };
    m_screenShot->resume = [this] { SToolPlayClick(); };
    m_screenShot->background = kPictureBackground;
    connectScreenShotPage();
    ScaleFormFonts(this, kMainWindowFontHeight);
    setAccessibleNames(this);
    // The list's look before any settings: Arial 9 points, the desktop's colours.
    m_listFont = QFont(QStringLiteral("Arial"), 9);
    applyListAppearance();
    if (!runStartup(true))
        return;
    MSSCRControlsClick(); // the slideshow controls and the name label as the menu says
    FillGameList();
    // The arrow keys move through the games as soon as the window is up.
    GameList->currentView()->setFocus();
}

bool TMain::runStartup(bool checkEmuDate) {
    m_startupCompleted = false;
    m_inStartup = true;
    StartUp::Result result = StartUp::Result::GameListUnreadable;
    try {
        result = m_startUp.RunStartup(checkEmuDate, *this);
    } catch (const FileError& error) {
        if (!m_startUp.abortRequested())
            m_prompter.error(error.message());
    }
    m_inStartup = false;
    // A signal during the sequence's last box, or during a box that ended it anyway,
    // still ends the program at once; a folder another copy holds is left alone.
    if (m_startUp.abortRequested() && result != StartUp::Result::AlreadyRunning &&
        result != StartUp::Result::WorkingDirectoryMissing) {
        DeleteWorkFiles(m_paths);
        result = StartUp::Result::Aborted;
    }
    switch (result) {
    case StartUp::Result::Completed:
        m_startupCompleted = true;
        break;
    case StartUp::Result::GameListUnreadable:
        break;
    case StartUp::Result::Aborted:
        endProgram(128 + m_abortSignal);
        return false;
    case StartUp::Result::AlreadyRunning:
        // Handing over to the copy that runs is an ordinary end.
        if (m_abortSignal != 0)
            endProgram(128 + m_abortSignal);
        else
            endProgram(m_raisedRunningCopy ? 0 : kEndedEarlyExitCode);
        return false;
    case StartUp::Result::NeededFileMissing:
    case StartUp::Result::WorkingDirectoryMissing:
        endProgram(kEndedEarlyExitCode);
        return false;
    }
    return true;
}

bool TMain::LockFrontEndDir() {
    if (m_lock.lock(m_paths.FrontEndDir) == FrontEndLock::Outcome::Locked) {
        m_channel->listen(m_paths.FrontEndDir);
        return true;
    }
    // Started again from the menu, say: the copy that runs comes to the front instead.
    if (InstanceChannel::askToRaise(m_paths.FrontEndDir)) {
        m_raisedRunningCopy = true;
        return false;
    }
    const FrontEndLock::Holder& holder = m_lock.holder();
    const QString heldBy = FrontEndLock::describe(holder, QDateTime::currentDateTime());
    if (holder.onThisMachine) {
        m_prompter.errorCancel(tr("StartKALTO already runs in the folder %1\r"
                                  "Only one copy of the program can work on the files of a folder. "
                                  "Please use the window of the copy that runs.\r\r"
                                  "It is held by %2.")
                                   .arg(m_paths.FrontEndDir, heldBy));
        return false;
    }
    // Held on another machine, where this one cannot see whether the copy still runs:
    // one that died there (the disk pulled out, the computer switched off) would lock
    // the folder for good.
    if (!m_prompter.choose(
            Prompter::Icon::Question,
            tr("StartKALTO already runs in the folder %1\r"
               "It is held by %2.\r\r"
               "If that copy no longer runs (its computer was switched off, or the disk was "
               "taken away while it ran), StartKALTO can take the folder over. A copy that "
               "still runs there would lose what it saves.")
                .arg(m_paths.FrontEndDir, heldBy),
            tr("&Take Over"), tr("&Quit")))
        return false;
    if (m_lock.takeOver(m_paths.FrontEndDir) == FrontEndLock::Outcome::Locked) {
        m_channel->listen(m_paths.FrontEndDir);
        return true;
    }
    m_prompter.errorCancel(
        tr("StartKALTO could not take over the folder %1\r"
           "It is held by %2.")
            .arg(m_paths.FrontEndDir,
                 FrontEndLock::describe(m_lock.holder(), QDateTime::currentDateTime())));
    return false;
}

void TMain::raiseForSecondStart() {
    // Over a game that runs the window would only be in the way: it comes once the run
    // has ended.
    if (m_execEmu->isRunning()) {
        m_raiseAfterRun = true;
        return;
    }
    // A dialog open in front of the window is what the user has to answer first.
    QWidget* target = QApplication::activeModalWidget();
    if (!target)
        target = this;
    if (!target->isVisible())
        return; // still starting: the window shows once the start-up is done
    target->setWindowState((target->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    target->raise();
    target->activateWindow();
}

void TMain::endProgram(int exitCode) {
    m_terminating = true;
    m_exitCode = exitCode;
    emit programEndRequested(exitCode);
}

void TMain::onTerminationSignal(int signalNumber) {
    if (m_inStartup) {
        // The start-up stops at its next step and tidies up; what keeps it waiting
        // now (a run of the emulator, a dialog) is ended.
        m_abortSignal = signalNumber;
        m_startUp.requestAbort();
        m_execEmu->terminateRuns();
        for (int i = 0; i < 16; ++i) {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                break;
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
        }
        return;
    }
    // A game or a romcheck that runs now ends first; the close follows its end.
    if (m_execEmu->isRunning())
        m_execEmu->terminateRuns();
    close();
}

void TMain::showStartupProgress() {
    if (!m_inStartup || !m_execEmu->isRunning() || m_progress)
        return;
    m_progress = new StartupProgress(StartupProgress::describe(m_execEmu->parameters()), this);
    connect(m_progress, &StartupProgress::cancelRequested, m_execEmu, &TExecFile::terminateRuns);
    m_execEmu->setInputExempt(m_progress);
    // The main window is not shown yet: the progress window stands on its own.
    m_progress->adjustSize();
    centreOnScreen(m_progress);
    m_progress->show();
}

void TMain::ExecEmuFail() {
    m_prompter.errorCancel(QStringLiteral("Failed to execute BatchFile, Please contact support"));
}

QList<QAction*> TMain::commandsLockedInRuns() const {
    // What changes the list, the games' records or the files, and the sound the
    // emulator has meanwhile.
    QList<QAction*> items = {MSGamesInstalled,   MSGamesUninstalled, MSGamesAll,
                             MenuFavouriteGames, MenuRecentGames,    MSSCRDelete,
                             MSSCRConvertFormat};
    for (const QMenu* menu : {MSListSortby, MSOrder, MenuGame, GameListPopup, MSSettings, MenuTools,
                              Sound1, ScrSchPopup}) {
        for (QAction* item : menu->actions()) {
            if (!item->isSeparator() && !items.contains(item))
                items.append(item);
        }
    }
    return items;
}

QList<QWidget*> TMain::controlsLockedInRuns() const {
    // Containers only: their children keep their own enabled state, which comes back
    // with the container's.
    QList<QWidget*> controls = {GameListPanel, SToolBar};
    for (int page = 0; page < PageControl->count(); ++page) {
        if (PageControl->widget(page) != ScreenShotTab)
            controls.append(PageControl->widget(page));
    }
    return controls;
}

void TMain::lockCommandsForRun(bool locked) {
    // Input is dropped during a run, but a desktop's global menu or an accessibility
    // tool reaches the commands without it: they are disabled instead.
    if (locked == m_commandsLocked)
        return;
    m_commandsLocked = locked;
    if (locked) {
        m_focusBeforeRun = QApplication::focusWidget();
        m_lockedCommands.clear();
        for (QAction* item : commandsLockedInRuns()) {
            if (item->isEnabled()) {
                item->setEnabled(false);
                m_lockedCommands.append(item);
            }
        }
        for (QWidget* control : controlsLockedInRuns())
            control->setEnabled(false);
        return;
    }
    for (const QPointer<QAction>& item : std::as_const(m_lockedCommands)) {
        if (item)
            item->setEnabled(true);
    }
    m_lockedCommands.clear();
    for (QWidget* control : controlsLockedInRuns())
        control->setEnabled(true);
    if (m_focusBeforeRun && m_focusBeforeRun->isEnabled() && m_focusBeforeRun->isVisible())
        m_focusBeforeRun->setFocus();
    m_focusBeforeRun = nullptr;
}

void TMain::onWaitStarted(const QString&) {
    lockCommandsForRun(true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setStatusPanel(1, QStringLiteral("Running kalto.exe %1 ...").arg(m_execEmu->parameters()));
    if (m_inStartup)
        m_progressDelay->start();
}

void TMain::onWaitFinished() {
    m_progressDelay->stop();
    if (m_progress) {
        m_execEmu->setInputExempt(nullptr);
        m_progress->hide();
        m_progress->deleteLater();
        m_progress = nullptr;
    }
    QApplication::restoreOverrideCursor();
    setStatusPanel(1, QString(version::kCreditLine));
    if (m_closePending) {
        m_closePending = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
    if (m_execEmu->isRunning())
        return; // an inner run ended; the outer one still waits
    lockCommandsForRun(false);
    if (std::exchange(m_raiseAfterRun, false))
        raiseForSecondStart();
}

void TMain::forgetCurrentGame() {
    // While the defaults are edited their pseudo-game stays current: it is no record of
    // the list, and the controls show its values.
    m_currentGame = m_defaultGame.get();
    updateFavouriteItem();
    if (m_screenShot)
        m_screenShot->setGame(QString(), nullptr);
}

void TMain::ImportOldGameSettings() {
    // Settings that cannot be converted are said; the games are read all the same.
    reportFileErrors(
        [this] { ::ImportOldGameSettings(m_paths.FrontEndIniFile, m_paths.IniFilesDir); });
}

bool TMain::ImportGameList() {
    // The view must never hold records that the import frees.
    m_listModel->clear();
    forgetCurrentGame();
    QString error;
    if (::ImportGameList(m_games, m_paths.ListInfoFile, &error))
        return true;
    m_prompter.error(error);
    return false;
}

void TMain::UpdateFlags() {
    m_romsets.setRomDirs(m_romDirs);
    m_games.UpdateFlags(m_romsets, mergedRomsetsSupport(), m_paths.emuCheatsFile());
}

void TMain::freeGameList() {
    m_listModel->clear();
    forgetCurrentGame();
    m_games.FreeAll();
}

void TMain::abandonGameListAtExit() {
    m_listModel->clear();
    forgetCurrentGame();
    m_games.AbandonAtExit();
}

void TMain::SaveSettingsAndCleanUp() {
    // A save that fails keeps the launch script: the program goes on using it.
    SaveFrontEndSettings();
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

void TMain::changeEvent(QEvent* event) {
    // The check mark follows the window, also when the desktop ends full screen.
    if (event->type() == QEvent::WindowStateChange && MenuFullScreen)
        MenuFullScreen->setChecked(isFullScreen());
    QMainWindow::changeEvent(event);
    // The desktop's colours changed (a dark scheme, say): the list's colours that
    // follow the desktop and the pictures' backgrounds are looked up again, once the
    // children have the new palette too (they get it after this window).
    if (event->type() == QEvent::PaletteChange && GameList) {
        QTimer::singleShot(0, this, [this] {
            GameList->setSeeThrough(true);
            applyListAppearance();
            NoShotImage->setColor(palette().color(QPalette::Window));
        });
    }
}

void TMain::FormClose() {
    // What was typed into the settings is the game's, as leaving them would save it.
    savePanelBeforeChange();
    // The panel's width is known only while it is shown.
    m_listPanelWidth = listPanelWidth();
    hide();
    // A list that shows nothing is saved as the installed games, so the next start
    // shows something. The search is not saved: it does not count.
    if (m_listModel->unnarrowedCount() == 0)
        MenuViewGamesClick(MSGamesInstalled);
    try {
        saveSettingsIfRead();
    } catch (const FileError& error) {
        m_saveFailed = true;
        m_prompter.error(error.message());
        DeleteWorkFiles(m_paths);
    }
    // Nothing shows or reads a record any more. The records themselves go with the
    // window, which goes right after this: forty thousand of them take longer to free
    // than the settings take to save, and the close waits for neither then.
    m_listModel->clear();
    forgetCurrentGame();
}
