#pragma once

#include <QWidget>

class QSvgRenderer;

// A picture drawn from an SVG file on a background colour: centred at its own size
// (never larger than a share of the widget), or grown to fit the widget with its
// proportions kept. Behind the game list it is the list's quiet background; on the
// Screenshot page the picture shown when a game has none.
class SvgPicture final : public QWidget {
    Q_OBJECT

public:
    enum class Fit { Centred, Grown };

    SvgPicture(const QString& picture, Fit fit, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(SvgPicture)

    // An invalid colour: the palette's base colour.
    void setColor(const QColor& color);
    QColor color() const { return m_color; }
    // An empty path: no picture, only the colour.
    void setPicture(const QString& picture);
    bool hasPicture() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSvgRenderer* m_picture = nullptr;
    Fit m_fit;
    QColor m_color;
};
