#include "MainUnit1.h"

#include "Version.h"

TMain1::TMain1(Prompter& prompter, DesktopOpener& opener, TerminationSignals* terminationSignals,
               QWidget* parent)
    : TMain(prompter, opener, terminationSignals, parent) {
    setWindowTitle(QString(version::kProgramName));
    FormCreate();
}
