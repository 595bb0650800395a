#include "FontScale.h"

#include <QWidget>
#include <algorithm>

int fontHeight(int pixelSize) {
    return -pixelSize;
}

int fontScaleFactor(int windowFontHeight) {
    return windowFontHeight / -11;
}

void ScaleFormFonts(QWidget* window) {
    const int dpi = window->logicalDpiY();
    if (dpi == 96)
        return;
    const QFont windowFont = window->font();
    const int pixels = windowFont.pixelSize() > 0 ? windowFont.pixelSize()
                                                  : qRound(windowFont.pointSizeF() * dpi / 72.0);
    const int factor = fontScaleFactor(fontHeight(pixels));
    // A factor of 0 would give fonts without height; such a window keeps its fonts.
    if (factor <= 1)
        return;
    auto children = window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    std::reverse(children.begin(), children.end());
    for (QWidget* child : children) {
        QFont font = child->font();
        if (font.pixelSize() > 0)
            font.setPixelSize(font.pixelSize() * factor);
        else
            font.setPointSizeF(font.pointSizeF() * factor);
        child->setFont(font);
    }
}
