#pragma once

class QWidget;

// Moves the window so that its frame is centred on the free area of its screen.
void centreOnScreen(QWidget* window);
