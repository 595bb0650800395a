#include "LinkLabel.h"

#include "core/Prompter.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>

TLinkLabel::TLinkLabel(DesktopOpener& opener, QWidget* parent)
    : QLabel(parent), m_opener(opener), m_url(QStringLiteral("https://startkalto.example.org/")),
      m_normalColor(Qt::blue), m_colorMouseOver(Qt::red), m_colorActive(0x80, 0x00, 0x80) {
    setTextFormat(Qt::PlainText);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("LinkLabelMenu"));
    m_copy = m_menu->addAction(QStringLiteral("Copy Link Location"));
    m_copy->setObjectName(QStringLiteral("CopyLinkLocation"));
    connect(m_copy, &QAction::triggered, this,
            [this] { QGuiApplication::clipboard()->setText(m_url); });

    setCursorMouseOver(m_cursor);
    updateColor();
}

void TLinkLabel::setNormalColor(const QColor& color) {
    m_normalColor = color;
    updateColor();
}

void TLinkLabel::setColorMouseOver(const QColor& color) {
    m_colorMouseOver = color;
    updateColor();
}

void TLinkLabel::setColorActive(const QColor& color) {
    m_colorActive = color;
    updateColor();
}

QString TLinkLabel::popupString() const {
    return m_copy->text();
}

void TLinkLabel::setPopupString(const QString& caption) {
    m_copy->setText(caption);
}

void TLinkLabel::setCursorMouseOver(HandCursor cursor) {
    m_cursor = cursor;
    switch (cursor) {
    case HandCursor::None:
        unsetCursor();
        break;
    case HandCursor::Hand1:
        setCursor(Qt::PointingHandCursor);
        break;
    case HandCursor::Hand2:
        setCursor(Qt::OpenHandCursor);
        break;
    case HandCursor::Hand3:
        setCursor(Qt::ClosedHandCursor);
        break;
    }
}

QColor TLinkLabel::currentColor() const {
    return palette().color(foregroundRole());
}

void TLinkLabel::enterEvent(QEnterEvent* event) {
    setState(true, m_pressed);
    QLabel::enterEvent(event);
}

void TLinkLabel::leaveEvent(QEvent* event) {
    setState(false, m_pressed);
    QLabel::leaveEvent(event);
}

void TLinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        setState(true, true);
    QLabel::mousePressEvent(event);
}

void TLinkLabel::mouseMoveEvent(QMouseEvent* event) {
    // While the button is held the label keeps the mouse, and the leave event comes
    // only after the release: whether the pointer is still over the label is seen here.
    if (m_pressed)
        setState(rect().contains(event->position().toPoint()), true);
    QLabel::mouseMoveEvent(event);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_pressed) {
        const bool open = m_hover && rect().contains(event->position().toPoint());
        setState(open, false);
        if (open && !m_url.isEmpty())
            m_opener.open(m_url);
    }
    QLabel::mouseReleaseEvent(event);
}

void TLinkLabel::contextMenuEvent(QContextMenuEvent* event) {
    setState(false, false);
    m_menu->popup(event->globalPos());
    event->accept();
}

void TLinkLabel::setState(bool hover, bool pressed) {
    m_hover = hover;
    m_pressed = pressed;
    updateColor();
}

void TLinkLabel::updateColor() {
    QPalette colors = palette();
    colors.setColor(foregroundRole(),
                    m_hover ? (m_pressed ? m_colorActive : m_colorMouseOver) : m_normalColor);
    setPalette(colors);
}
