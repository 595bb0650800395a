#pragma once

#include "core/RomDirs.h"

#include <QDialog>
#include <QFont>
#include <QPointer>
#include <array>
#include <utility>
#include <vector>

class Prompter;
class QLabel;
class QLineEdit;
class QPushButton;

// The dialog that edits the four directories of zipped romsets. It accepts only when
// every path that is filled in is a directory that holds zip files, and then stores
// each as an absolute directory ending in a separator.
class TZipDirsForm : public QDialog {
    Q_OBJECT

public:
    explicit TZipDirsForm(Prompter& prompter, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TZipDirsForm)

    // Shows the dialog modally with the given paths; on OK they are replaced by the
    // four edits' texts, otherwise they stay as they were.
    virtual void SetDirs(RomDirs& dirs);

    // Checks the edits in order and stops at the first that fails, telling the user
    // why; an edit that passes holds its normalised text afterwards.
    bool checkPaths();

    void OKButtonClick();
    void BrowseButton0Click() { browse(0); }
    void BrowseButton1Click() { browse(1); }
    void BrowseButton2Click() { browse(2); }
    void BrowseButton3Click() { browse(3); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool checkPath(QLineEdit* edit);
    void browse(int slot);

    Prompter& m_prompter;
    std::array<QLineEdit*, 4> m_edits{};
};
