#include "SvgPicture.h"

#include <QPainter>
#include <QSvgRenderer>

SvgPicture::SvgPicture(const QString& picture, Fit fit, QWidget* parent)
    : QWidget(parent), m_picture(new QSvgRenderer(this)), m_fit(fit) {
    setPicture(picture);
}

void SvgPicture::setPicture(const QString& picture) {
    if (picture.isEmpty())
        m_picture->load(QByteArray());
    else
        m_picture->load(picture);
    update();
}

void SvgPicture::setColor(const QColor& color) {
    m_color = color;
    update();
}

bool SvgPicture::hasPicture() const {
    return m_picture->isValid();
}

void SvgPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_color.isValid() ? m_color : palette().color(QPalette::Base));
    if (!m_picture->isValid())
        return;
    QSizeF size = m_picture->defaultSize();
    if (m_fit == Fit::Grown) {
        size.scale(width(), height(), Qt::KeepAspectRatio);
    } else {
        // Its own size, never more than two thirds of the width or height.
        const qreal room = 2.0 / 3.0 * std::min(width(), height());
        if (size.width() > room || size.height() > room)
            size.scale(room, room, Qt::KeepAspectRatio);
    }
    const QPointF corner((width() - size.width()) / 2, (height() - size.height()) / 2);
    m_picture->render(&painter, QRectF(corner, size));
}
