#include "GameIcons.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>

namespace {

constexpr int kSizes[] = {16, 32};
constexpr qreal kRatios[] = {1.0, 2.0};

QPixmap picture(const QString& name, int size, qreal ratio) {
    QPixmap pixmap =
        QIcon(QStringLiteral(":/icons/%1.svg").arg(name)).pixmap(QSize(size, size), ratio);
    if (pixmap.isNull()) {
        // A build without its pictures still tells the kinds of games apart.
        pixmap = QPixmap(QSize(size, size) * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
    }
    return pixmap;
}

// The game's picture at every size and pixel ratio, with the bad-romset mark over it
// when asked for.
QIcon makeIcon(const QString& game, bool bad) {
    QIcon icon;
    for (int size : kSizes) {
        for (qreal ratio : kRatios) {
            QPixmap pixmap = game.isEmpty() ? picture(QStringLiteral("mark-bad"), size, ratio)
                                            : picture(game, size, ratio);
            if (bad && !game.isEmpty()) {
                QPainter painter(&pixmap);
                painter.drawPixmap(QRect(0, 0, size, size),
                                   picture(QStringLiteral("mark-bad"), size, ratio));
            }
            icon.addPixmap(pixmap);
        }
    }
    return icon;
}

} // namespace

GameIcons::GameIcons() {
    const QString pictures[2] = {QStringLiteral("game-missing"), QStringLiteral("game-installed")};
    for (int installed = 0; installed < 2; ++installed)
        for (int bad = 0; bad < 2; ++bad)
            m_icons[installed][bad] = makeIcon(pictures[installed], bad);
    m_badMark = makeIcon(QString(), false);
}
