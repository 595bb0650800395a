#include "MainUnit1.h"

#include "Version.h"

TMain1::TMain1(Prompter& prompter, DesktopOpener& opener, QWidget* parent)
    : TMain(prompter, opener, parent) {
    setWindowTitle(QString(version::kProgramName));
    FormCreate();
}
