#pragma once

#include "MainUnit.h"

// The main window of StartKALTO: the generic window with what belongs to the Kalto
// emulator. Building it runs the whole start-up.
class TMain1 final : public TMain {
    Q_OBJECT

public:
    TMain1(Prompter& prompter, DesktopOpener& opener,
           TerminationSignals* terminationSignals = nullptr, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TMain1)
};
