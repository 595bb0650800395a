#pragma once

#include "About.h"

// The About box of this front-end and its emulator: their logos and credits.
class TAboutBox1 final : public TAboutBox {
    Q_OBJECT

public:
    explicit TAboutBox1(DesktopOpener& opener, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TAboutBox1)
};
