#pragma once

class QWidget;

// Font heights here are negative pixel counts of the character height, as the window
// layouts were designed at 96 pixels per inch with an 11-pixel window font.
int fontHeight(int pixelSize);
// The factor by which a window's direct children grow: window height / -11, truncated.
int fontScaleFactor(int windowFontHeight);

// Scales the fonts of the window's direct child controls when the screen is not at
// 96 pixels per inch. Deeper controls are not touched.
void ScaleFormFonts(QWidget* window);
