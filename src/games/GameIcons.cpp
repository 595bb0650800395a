#include "GameIcons.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSizes[] = {16, 32};

// Drawn on a 32-unit canvas and scaled, so both sizes share one shape.
void drawCartridge(QPainter& p, bool installed) {
    const QColor body = installed ? QColor(0x2e, 0x8b, 0x57) : QColor(0x9a, 0x9a, 0x9a);
    const QColor edge = installed ? QColor(0x1b, 0x5e, 0x3a) : QColor(0x6e, 0x6e, 0x6e);
    const QColor label = installed ? QColor(0xf4, 0xf9, 0xf1) : QColor(0xe4, 0xe4, 0xe4);

    QPainterPath shell;
    shell.moveTo(5, 3);
    shell.lineTo(27, 3);
    shell.quadTo(29, 3, 29, 5);
    shell.lineTo(29, 25);
    shell.lineTo(26, 29);
    shell.lineTo(6, 29);
    shell.lineTo(3, 25);
    shell.lineTo(3, 5);
    shell.quadTo(3, 3, 5, 3);
    p.setPen(QPen(edge, 1.5));
    p.setBrush(body);
    p.drawPath(shell);

    p.setPen(Qt::NoPen);
    p.setBrush(label);
    p.drawRoundedRect(QRectF(7, 6, 18, 12), 2, 2);

    // The contacts along the bottom edge.
    p.setBrush(installed ? QColor(0xf2, 0xc1, 0x4e) : QColor(0xc8, 0xc8, 0xc8));
    for (int i = 0; i < 5; ++i)
        p.drawRect(QRectF(8 + i * 3.5, 23, 2, 4));

    if (installed) {
        // A play sign on the label.
        QPainterPath play;
        play.moveTo(13, 8.5);
        play.lineTo(20, 12);
        play.lineTo(13, 15.5);
        play.closeSubpath();
        p.setBrush(body);
        p.drawPath(play);
    }
}

void drawBadMark(QPainter& p) {
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(QColor(0xd3, 0x2f, 0x2f));
    p.drawEllipse(QRectF(16, 16, 15, 15));
    p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(20.5, 20.5), QPointF(26.5, 26.5));
    p.drawLine(QPointF(26.5, 20.5), QPointF(20.5, 26.5));
}

QIcon makeIcon(bool cartridge, bool installed, bool bad) {
    QIcon icon;
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    for (int size : kSizes) {
        QPixmap pixmap(QSize(size, size) * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        if (cartridge)
            drawCartridge(p, installed);
        if (bad)
            drawBadMark(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

GameIcons::GameIcons() {
    for (int installed = 0; installed < 2; ++installed)
        for (int bad = 0; bad < 2; ++bad)
            m_icons[installed][bad] = makeIcon(true, installed, bad);
    m_badMark = makeIcon(false, false, true);
}
