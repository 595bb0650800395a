// The main window's Screenshot page: the viewer's buttons, menu items and timer, and
// the conversion of the picture store to PNG.

#include "MainUnit.h"
#include "core/Prompter.h"
#include "launch/BatchFile.h"
#include "launch/Execfile.h"
#include "media/SSconvertunit.h"
#include "media/ScreenShotHandeling.h"

#include <QAction>
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

void TMain::LoadNewScreenshots() {
    if (m_screenShot)
        m_screenShot->LoadNew();
}

void TMain::MenuScreenShotClick() {
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
}
