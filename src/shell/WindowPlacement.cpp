#include "WindowPlacement.h"

#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

void centreOnScreen(QWidget* window) {
    if (const QScreen* screen = window->screen()) {
        const QRect area = screen->availableGeometry();
        QRect frame = window->frameGeometry();
        frame.moveCenter(area.center());
        frame.moveTopLeft(
            QPoint(std::max(frame.left(), area.left()), std::max(frame.top(), area.top())));
        window->move(frame.topLeft());
    }
}

QSize fittedToScreen(const QWidget* window, QSize size) {
    const QScreen* screen = window->screen();
    if (!screen)
        return size;
    QSize room = screen->availableGeometry().size();
    // Before the window is first shown its frame is not known: a title bar and borders
    // are allowed for.
    QSize frame = window->frameGeometry().size() - window->geometry().size();
    if (frame.height() <= 0) {
        const QStyle* style = window->style();
        const int border = std::max(4, style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth));
        frame = QSize(2 * border, style->pixelMetric(QStyle::PM_TitleBarHeight) + 2 * border);
    }
    room -= frame;
    return size.boundedTo(room);
}

QSize firstStartSize(const QWidget* window) {
    const QScreen* screen = window->screen();
    if (!screen)
        return {600, 400};
    const QSize area = screen->availableGeometry().size();
    return {area.width() * 3 / 4, area.height() * 3 / 4};
}
