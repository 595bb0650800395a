#pragma once

class QWidget;

// Font heights here are negative pixel counts of the character height, as the window
// layouts were designed at 96 pixels per inch with an 11-pixel window font.
int fontHeight(int pixelSize);
// The factor by which a window's direct children grow: window height / -11, truncated.
int fontScaleFactor(int windowFontHeight);

// The main window's own font height. It is not scaled with the screen, so the factor
// is 1 there and the main window's children keep their fonts at any resolution.
inline constexpr int kMainWindowFontHeight = -12;

// Scales the fonts of the window's direct child controls when the screen is not at
// 96 pixels per inch, by the window's own font height at the screen's resolution.
// Deeper controls are not touched, nor fonts in points, which follow the screen's
// resolution by themselves.
void ScaleFormFonts(QWidget* window);
// The same for a window whose font height is fixed.
void ScaleFormFonts(QWidget* window, int windowFontHeight);
// The scaling itself, for a screen of dpi pixels per inch.
void scaleChildFonts(QWidget* window, int dpi, int windowFontHeight);
