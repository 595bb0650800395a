#include "WindowPlacement.h"

#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace {

// The room the window's frame takes around its contents. Before the window is first
// shown its frame is not known: a title bar and borders are allowed for.
QSize frameExtent(const QWidget* window) {
    const QSize frame = window->frameGeometry().size() - window->geometry().size();
    if (frame.height() > 0)
        return frame;
    const QStyle* style = window->style();
    const int border = std::max(4, style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth));
    return {2 * border, style->pixelMetric(QStyle::PM_TitleBarHeight) + 2 * border};
}

} // namespace

void centreOnScreen(QWidget* window) {
    if (const QScreen* screen = window->screen()) {
        const QRect area = screen->availableGeometry();
        QRect frame = window->frameGeometry();
        frame.moveCenter(area.center());
        // A frame the window manager adds only when the window is shown must fit too:
        // the window moves up or left just enough to keep its lower and right edges in.
        const QSize whole = window->size() + frameExtent(window);
        const int left = std::min(frame.left(), area.left() + area.width() - whole.width());
        const int top = std::min(frame.top(), area.top() + area.height() - whole.height());
        window->move(std::max(left, area.left()), std::max(top, area.top()));
    }
}

QSize fittedToScreen(const QWidget* window, QSize size) {
    const QScreen* screen = window->screen();
    if (!screen)
        return size;
    const QSize room = screen->availableGeometry().size() - frameExtent(window);
    return size.boundedTo(room);
}

QSize firstStartSize(const QWidget* window) {
    const QScreen* screen = window->screen();
    if (!screen)
        return {600, 400};
    const QSize area = screen->availableGeometry().size();
    return {area.width() * 3 / 4, area.height() * 3 / 4};
}
