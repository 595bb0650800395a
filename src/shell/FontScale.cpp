#include "FontScale.h"

#include <QVariant>
#include <QWidget>
#include <algorithm>

namespace {
const char* const kDesignFont = "designFont";
} // namespace

int fontHeight(int pixelSize) {
    return -pixelSize;
}

int fontScaleFactor(int windowFontHeight) {
    return windowFontHeight / -11;
}

void scaleChildFonts(QWidget* window, int dpi, int windowFontHeight) {
    if (dpi == 96)
        return;
    const int factor = fontScaleFactor(windowFontHeight);
    // A factor of 0 would give fonts without height; such a window keeps its fonts.
    if (factor <= 1)
        return;
    auto children = window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    std::reverse(children.begin(), children.end());
    for (QWidget* child : children) {
        // Dialogs scale at every showing: each time from the font they were made
        // with, so that the fonts do not grow with every showing.
        QVariant design = child->property(kDesignFont);
        if (!design.isValid()) {
            design = child->font();
            child->setProperty(kDesignFont, design);
        }
        QFont font = design.value<QFont>();
        // A font in points already follows the screen's resolution here; only a font
        // set in pixels needs the factor, or it would be scaled twice.
        if (font.pixelSize() <= 0)
            continue;
        font.setPixelSize(font.pixelSize() * factor);
        child->setFont(font);
    }
}

void ScaleFormFonts(QWidget* window, int windowFontHeight) {
    scaleChildFonts(window, window->logicalDpiY(), windowFontHeight);
}

void ScaleFormFonts(QWidget* window) {
    const int dpi = window->logicalDpiY();
    const QFont font = window->font();
    const int pixels =
        font.pixelSize() > 0 ? font.pixelSize() : qRound(font.pointSizeF() * dpi / 72.0);
    scaleChildFonts(window, dpi, fontHeight(pixels));
}
