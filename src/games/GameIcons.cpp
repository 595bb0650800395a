#include "GameIcons.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <iterator>

namespace {

constexpr int kSizes[] = {16, 32};
constexpr qreal kRatios[] = {1.0, 2.0};

// One picture drawn at every size and pixel ratio, each drawn once.
struct Renders {
    QPixmap at[std::size(kSizes)][std::size(kRatios)];
};

Renders render(const QString& name) {
    const QIcon source(QStringLiteral(":/icons/%1.svg").arg(name));
    Renders renders;
    for (size_t s = 0; s < std::size(kSizes); ++s) {
        for (size_t r = 0; r < std::size(kRatios); ++r) {
            const int size = kSizes[s];
            const qreal ratio = kRatios[r];
            QPixmap pixmap = source.pixmap(QSize(size, size), ratio);
            if (pixmap.isNull()) {
                // A build without its pictures still tells the kinds of games apart.
                pixmap = QPixmap(QSize(size, size) * ratio);
                pixmap.setDevicePixelRatio(ratio);
                pixmap.fill(Qt::transparent);
            }
            renders.at[s][r] = pixmap;
        }
    }
    return renders;
}

// The picture with the badges over it, as an icon of every size and ratio.
QIcon makeIcon(const Renders& base, std::initializer_list<const Renders*> badges = {}) {
    QIcon icon;
    for (size_t s = 0; s < std::size(kSizes); ++s) {
        for (size_t r = 0; r < std::size(kRatios); ++r) {
            QPixmap pixmap = base.at[s][r];
            if (badges.size() > 0) {
                QPainter painter(&pixmap);
                for (const Renders* badge : badges)
                    painter.drawPixmap(QRect(0, 0, kSizes[s], kSizes[s]), badge->at[s][r]);
            }
            icon.addPixmap(pixmap);
        }
    }
    return icon;
}

} // namespace

GameIcons::GameIcons() {
    const Renders games[2] = {render(QStringLiteral("game-missing")),
                              render(QStringLiteral("game-installed"))};
    const Renders bad = render(QStringLiteral("mark-bad"));
    const Renders star = render(QStringLiteral("mark-favourite"));
    for (int installed = 0; installed < 2; ++installed) {
        m_icons[installed][0][0] = makeIcon(games[installed]);
        m_icons[installed][1][0] = makeIcon(games[installed], {&bad});
        m_icons[installed][0][1] = makeIcon(games[installed], {&star});
        m_icons[installed][1][1] = makeIcon(games[installed], {&bad, &star});
    }
    m_badMark = makeIcon(bad);
    m_favourite = makeIcon(render(QStringLiteral("favourite")));
}
