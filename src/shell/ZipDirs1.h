#pragma once

#include "ZipDirs.h"

#include <QString>

// The rompaths dialog of this emulator: after every use, confirmed or cancelled, the
// paths go into the emulator's configuration file.
class TZipDirsForm1 final : public TZipDirsForm {
    Q_OBJECT

public:
    TZipDirsForm1(Prompter& prompter, QString emuCfgFile, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TZipDirsForm1)

    // Throws FileError when the emulator's configuration cannot be written.
    void SetDirs(RomDirs& dirs) override;

private:
    QString m_emuCfgFile;
};
