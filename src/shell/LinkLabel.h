#pragma once

#include <QColor>
#include <QLabel>
#include <QString>

class DesktopOpener;
class QAction;
class QMenu;

// A label that is a link: it changes colour under the mouse pointer and while pressed,
// opens its address when clicked, and offers to copy the address from its context menu.
class TLinkLabel final : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString Url READ url WRITE setUrl)
    Q_PROPERTY(QColor NormalColor READ normalColor WRITE setNormalColor)
    Q_PROPERTY(QColor ColorMouseOver READ colorMouseOver WRITE setColorMouseOver)
    Q_PROPERTY(QColor ColorActive READ colorActive WRITE setColorActive)
    Q_PROPERTY(QString PopupString READ popupString WRITE setPopupString)
    Q_PROPERTY(HandCursor CursorMouseOver READ cursorMouseOver WRITE setCursorMouseOver)

public:
    // The pointer over the label: the ordinary one or one of three hand shapes.
    enum class HandCursor { None, Hand1, Hand2, Hand3 };
    Q_ENUM(HandCursor)

    explicit TLinkLabel(DesktopOpener& opener, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TLinkLabel)

    QString url() const { return m_url; }
    void setUrl(const QString& url) { m_url = url; }
    // The colour outside hover and press; blue at first.
    QColor normalColor() const { return m_normalColor; }
    void setNormalColor(const QColor& color);
    QColor colorMouseOver() const { return m_colorMouseOver; }
    void setColorMouseOver(const QColor& color);
    QColor colorActive() const { return m_colorActive; }
    void setColorActive(const QColor& color);
    QString popupString() const;
    void setPopupString(const QString& caption);
    HandCursor cursorMouseOver() const { return m_cursor; }
    void setCursorMouseOver(HandCursor cursor);

    bool hover() const { return m_hover; }
    bool pressed() const { return m_pressed; }
    // The colour the text is drawn in now.
    QColor currentColor() const;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void setState(bool hover, bool pressed);
    void updateColor();

    DesktopOpener& m_opener;
    QString m_url;
    QColor m_normalColor;
    QColor m_colorMouseOver;
    QColor m_colorActive;
    HandCursor m_cursor = HandCursor::Hand1;
    bool m_hover = false;
    bool m_pressed = false;
    QMenu* m_menu = nullptr;
    QAction* m_copy = nullptr;
};
