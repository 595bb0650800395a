#pragma once

#include <QListView>
#include <QWidget>

class GameListModel;
class QItemSelectionModel;
class QStackedLayout;
class QTreeView;

// The game list control: one model shown in one of four styles (large icons, small
// icons, list, details with columns). The icon styles and the details table share one
// selection, so switching styles keeps the selected game.
class GameListView final : public QWidget {
    Q_OBJECT

public:
    enum Style { LargeIcons, SmallIcons, ListStyle, Details };

    explicit GameListView(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(GameListView)

    void setModel(GameListModel* model);
    void setViewStyle(Style style);
    Style viewStyle() const { return m_style; }

    QAbstractItemView* currentView() const;
    QListView* iconView() const { return m_iconView; }
    QTreeView* detailsView() const { return m_detailsView; }
    QItemSelectionModel* selectionModel() const;

    // The selected row, or -1.
    int selectedRow() const;
    // Selects the row, makes it current, gives the list the focus and scrolls to it
    // (again once the view has laid out its items).
    void selectRow(int row, bool focus = true);
    void scrollToCurrent();
    void clearSelection();

    // Hot tracking: the game under the pointer is underlined; without it nothing in
    // the list reacts to the pointer.
    void setHotTracking(bool on);
    bool hotTracking() const { return m_hotTracking; }
    // The list's font and text colour (an invalid colour: the desktop's).
    void setListFont(const QFont& font, const QColor& textColor);
    // Lets what lies behind the list show through the views.
    void setSeeThrough(bool on);

    // A title under a large icon: at most two lines that fit width, wrapped at word
    // boundaries (or inside a word too long for a line), the second ending in "…"
    // when the title goes on.
    static QStringList titleLines(const QString& text, const QFont& font, int width);

    void setSortIndicator(int column, bool descending);
    // A list in an order of its own (the recently played) has no column to sort by: its
    // header shows no sort indicator and takes no clicks.
    void setSortable(bool on);
    int columnWidth(int column) const;
    void setColumnWidth(int column, int width);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // A double click or Enter on an item.
    void itemActivated();
    void columnClicked(int column);
    // A right click on a game (which selects it), or the menu key while one is selected.
    void contextMenuRequested(const QPoint& globalPos);

private:
    void scrollToCurrentAfterLayout();
    void keepScrollBarSteady();

    QStackedLayout* m_stack = nullptr;
    QListView* m_iconView = nullptr;
    QTreeView* m_detailsView = nullptr;
    GameListModel* m_model = nullptr;
    Style m_style = LargeIcons;
    bool m_hotTracking = true;
    bool m_scrollPending = false; // the current item is to be scrolled into sight
    bool m_following = false;     // ...and kept there while the view takes its size
};
