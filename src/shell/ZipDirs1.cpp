#include "ZipDirs1.h"

#include "launch/EmulatorConfig.h"

#include <QIcon>

TZipDirsForm1::TZipDirsForm1(Prompter& prompter, QString emuCfgFile, QWidget* parent)
    : TZipDirsForm(prompter, parent), m_emuCfgFile(std::move(emuCfgFile)) {
    setWindowIcon(QIcon(QStringLiteral(":/icons/rompaths.svg")));
}

void TZipDirsForm1::SetDirs(RomDirs& dirs) {
    TZipDirsForm::SetDirs(dirs);
    WriteRomDirs(m_emuCfgFile, dirs);
}
