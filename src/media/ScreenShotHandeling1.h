#pragma once

#include "ScreenShotHandeling.h"

// The viewer of StartKALTO: its timer dialog carries the program's icon.
class TScreenShot1 final : public TScreenShot {
    Q_OBJECT

public:
    TScreenShot1(const PathSet& paths, Prompter& prompter, const ScreenShotPage& page,
                 QWidget* parent = nullptr);
};
