#pragma once

#include <QSize>

class QWidget;

// Moves the window so that its frame is centred on the free area of its screen, with
// its top left corner inside that area.
void centreOnScreen(QWidget* window);

// The size brought within the free area of the window's screen, frame included: a
// window of a larger screen would open with its title bar and menus out of reach.
QSize fittedToScreen(const QWidget* window, QSize size);

// The size of a window that has none stored: three quarters of the screen's free area.
QSize firstStartSize(const QWidget* window);
