// The main window's Screenshot page: the viewer's buttons, menu items and timer, and
// the conversion of the picture store to PNG.

#include "MainUnit.h"
#include "core/Prompter.h"
#include "launch/BatchFile.h"
#include "launch/Execfile.h"
#include "media/GameSound.h"
#include "media/SSconvertunit.h"
#include "media/ScreenShotHandeling.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

// The picture folders the converter works through, in order.
const char* const kConvertedFolders[] = {"Titles/", "Flyers/", "Marquees/", "Cabinets/",
                                         "Gameplay/"};

} // namespace

TScreenShot* TMain::createScreenShot(const ScreenShotPage& page) {
    return new TScreenShot(m_paths, m_prompter, page, this);
}

void TMain::connectScreenShotPage() {
    connect(SSImage, &ScreenShotImage::stepRequested, this,
            [this](int direction) { direction < 0 ? SToolPrevClick() : SToolNextClick(); });
    connect(SSImage, &ScreenShotImage::playPauseRequested, this,
            [this] { SToolPlay->isChecked() ? SToolPauseClick() : SToolPlayClick(); });
    connect(SSImage, &ScreenShotImage::deleteRequested, this, &TMain::MSSCRDeleteClick);
    // The Info page counts the game's pictures.
    connect(m_screenShot, &TScreenShot::picturesChanged, this, [this] { ShowGameDetails(); });

    // Every run of the emulator or the converter pauses the slideshow: the window takes
    // no input meanwhile, so a box a step opened could not be closed, and the converter
    // deletes the pictures a step would load. The game's run also gives the sound card
    // to the emulator.
    connect(m_execEmu, &TExecFile::waitStarted, this, [this] { SSTimer->stop(); });
    connect(m_execEmu, &TExecFile::waitFinished, this, [this] {
        if (m_execEmu->isRunning())
            return;
        m_sound->restoreOutput();
        if (SToolPlay->isChecked())
            SSTimer->start();
    });
}

void TMain::showRunScreenshots(const QString& title, const QStringList& shots) {
    if (shots.isEmpty())
        setStatusPanel(1, QStringLiteral("%1: no new screenshots").arg(title));
    else if (shots.size() == 1)
        setStatusPanel(1, QStringLiteral("%1: 1 new screenshot").arg(title));
    else
        setStatusPanel(1, QStringLiteral("%1: %2 new screenshots").arg(title).arg(shots.size()));
    if (m_screenShot)
        m_screenShot->ShowNew(shots.value(0));
}

void TMain::reportLeftoverShots(const QString& title, const QStringList& names) {
    if (names.isEmpty())
        return;
    QStringList listed = names.mid(0, 5);
    if (names.size() > listed.size())
        listed.append(tr("and %1 more").arg(names.size() - listed.size()));
    const QString list = listed.join(u'\r');
    m_prompter.information(
        names.size() == 1
            ? tr("A screenshot in %1 was there before %2 ran. It is no shot of this run, so it "
                 "stays where it is and is not filed as the game's:\r%3")
                  .arg(m_paths.TempDir, title, list)
            : tr("%1 screenshots in %2 were there before %3 ran. They are no shots of this run, "
                 "so they stay where they are and are not filed as the game's:\r%4")
                  .arg(QString::number(names.size()), m_paths.TempDir, title, list));
}

void TMain::LoadNewScreenshots() {
    if (m_screenShot)
        m_screenShot->LoadNew();
}

void TMain::MenuScreenShotClick() {
    if (m_commandsLocked)
        return; // the file commands stay disabled while the emulator runs
    MSSCRDelete->setEnabled(m_screenShot && !m_screenShot->files().isEmpty());
    MSSCRConvertFormat->setEnabled(
        QFileInfo::exists(m_paths.FrontEndDir + QStringLiteral("nconvert.exe")));
}

void TMain::MenuScreenShotScalingClick(QAction* item) {
    item->setChecked(true);
    m_screenShot->Scale();
}

void TMain::MSSCRSharpClick() {
    m_screenShot->Scale();
}

void TMain::MSSCRShowClick() {
    LoadNewScreenshots();
}

void TMain::MSSCRDeleteClick() {
    m_screenShot->Delete();
}

void TMain::SetasTitleshot1Click() {
    m_screenShot->SetAsTitle();
}

void TMain::ScrshotRenumberClick() {
    m_screenShot->Renumber();
}

void TMain::SToolPlayClick() {
    SToolPlay->setChecked(true);
    SSTimer->start();
}

void TMain::SToolPauseClick() {
    SToolPause->setChecked(true);
    SSTimer->stop();
}

void TMain::SToolPrevClick() {
    m_screenShot->Prev();
}

void TMain::SToolNextClick() {
    m_screenShot->Next();
}

void TMain::SToolTimerClick() {
    SSTimer->setInterval(m_screenShot->SetTimer(SSTimer->interval()));
}

void TMain::SSTimerTimer() {
    // The slideshow holds still while a menu, a pop-up or a box is open, so that a command
    // acts on the picture that was shown when its menu opened, and while a run lasts. Nor
    // does it load pictures nobody sees: the window minimised, another page in front, the
    // pages hidden.
    if (QApplication::activePopupWidget() || QApplication::activeModalWidget() ||
        m_execEmu->isRunning() || isMinimized() || !ScreenShotTab->isVisible())
        return;
    m_screenShot->Next();
}

void TMain::SSPanelResize() {
    if (m_screenShot)
        m_screenShot->Scale();
}

void TMain::MSSCRConvertFormatClick() {
    TSSConvert dialog(this);
    if (dialog.exec() == QDialog::Accepted)
        ConvertScreenshots();
}

void TMain::ConvertScreenshots() {
    const bool written = reportFileErrors([this] {
        WriteBatchFile(m_paths, QStringLiteral("NConvert"),
                       m_paths.FrontEndDir + QStringLiteral("nconvert.exe"), std::nullopt);
    });
    // The slideshow would load the pictures the converter is deleting.
    const bool wasPlaying = m_screenShot->pause ? m_screenShot->pause() : false;
    if (written) {
        for (const char* folder : kConvertedFolders) {
            // Relative to the front-end directory, the converter's working directory: a
            // blank in the directory's path would split the argument.
            m_execEmu->setParameters(
                QStringLiteral("-v. -out png -D %1*.*").arg(QLatin1StringView(folder)));
            m_execEmu->Execute();
        }
    }
    // The emulator's runs rely on the standing script.
    reportFileErrors([this] {
        WriteBatchFile(m_paths, QStringLiteral("KALTO"), m_paths.EmuExeFile, m_paths.CaptureFile);
    });
    LoadNewScreenshots();
    if (wasPlaying)
        SToolPlayClick();
}
