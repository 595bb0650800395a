#include "GameListView.h"

#include "GameListModel.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStackedLayout>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QTimer>
#include <QTreeView>

namespace {

// An icon view that can put the text under the icon, as large icons are shown.
class GameIconView final : public QListView {
public:
    using QListView::QListView;

    void setTextUnderIcon(bool on) { m_textUnderIcon = on; }

protected:
    void initViewItemOption(QStyleOptionViewItem* option) const override {
        QListView::initViewItemOption(option);
        if (m_textUnderIcon) {
            option->decorationPosition = QStyleOptionViewItem::Top;
            option->displayAlignment = Qt::AlignHCenter | Qt::AlignTop;
        }
    }

private:
    bool m_textUnderIcon = true;
};

// The details table. While the icon styles are shown it is hidden, and a new list
// would have it lay out all its rows for scroll bars no one sees: that waits until it
// is shown.
class GameDetailsView final : public QTreeView {
public:
    using QTreeView::QTreeView;

protected:
    void updateGeometries() override {
        m_geometriesPending = !isVisible();
        if (!m_geometriesPending)
            QTreeView::updateGeometries();
    }
    void showEvent(QShowEvent* event) override {
        QTreeView::showEvent(event);
        if (m_geometriesPending)
            updateGeometries();
    }

private:
    bool m_geometriesPending = false;
};

} // namespace

QStringList GameListView::titleLines(const QString& text, const QFont& font, int width) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine first = layout.createLine();
    if (!first.isValid()) {
        layout.endLayout();
        return {};
    }
    first.setLineWidth(width);
    const qsizetype rest = first.textStart() + first.textLength();
    layout.endLayout();
    QStringList lines{text.left(rest).trimmed()};
    const QString second = text.mid(rest).trimmed();
    if (!second.isEmpty())
        lines.append(QFontMetrics(font).elidedText(second, Qt::ElideRight, width));
    return lines;
}

namespace {

// Every item of the icon styles has the same size, so forty thousand of them lay out
// without asking each for its size. Large icons are drawn here: the icon above at
// most two lines of title, cut with "…" rather than through the letters of a third.
class GameItemDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void setItemSize(QSize size) { m_size = size; }
    void setLargeIcons(bool on) { m_large = on; }
    void setHotTracking(bool on) { m_hot = on; }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return m_size.isValid() ? m_size : QStyledItemDelegate::sizeHint(option, index);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (!m_large) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString title = opt.text;
        opt.text.clear();
        // The style draws the background, the selection and the icon; the title is ours.
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

        const int margin = 2;
        const QRect textRect(opt.rect.left() + margin,
                             opt.rect.top() + opt.decorationSize.height() + 3 * margin,
                             opt.rect.width() - 2 * margin,
                             opt.rect.height() - opt.decorationSize.height() - 4 * margin);
        const QStringList lines = GameListView::titleLines(title, opt.font, textRect.width());
        const bool selected = opt.state & QStyle::State_Selected;
        const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                           : (opt.state & QStyle::State_Active)
                                               ? QPalette::Active
                                               : QPalette::Inactive;
        painter->save();
        painter->setFont(opt.font);
        painter->setPen(
            opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        const int lineHeight = QFontMetrics(opt.font).height();
        for (qsizetype i = 0; i < lines.size(); ++i)
            painter->drawText(QRect(textRect.left(), textRect.top() + int(i) * lineHeight,
                                    textRect.width(), lineHeight),
                              Qt::AlignHCenter | Qt::AlignTop, lines[i]);
        painter->restore();
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (m_large) {
            // The whole item is the selection: icon and title alike.
            option->showDecorationSelected = true;
        }
        // The star stands in the middle of its narrow column.
        if (index.column() == GameListModel::FavouriteColumn) {
            // Above an empty text, the decoration takes the whole width to align in.
            option->decorationPosition = QStyleOptionViewItem::Top;
            option->decorationAlignment = Qt::AlignCenter;
        }
        // Hot tracking underlines the game under the pointer; without it nothing
        // reacts to the pointer at all.
        if (!(option->state & QStyle::State_MouseOver))
            return;
        if (m_hot && index.column() == GameListModel::NameColumn)
            option->font.setUnderline(true);
        else if (!m_hot)
            option->state &= ~QStyle::State_MouseOver;
    }

private:
    QSize m_size;
    bool m_large = false;
    bool m_hot = true;
};

constexpr int kColumnWidths[GameListModel::ColumnCount] = {160, 70, 90, 50,  50,
                                                           110, 36, 50, 110, 70};

} // namespace

GameListView::GameListView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("GameList"));
    m_stack = new QStackedLayout(this);
    m_stack->setContentsMargins(0, 0, 0, 0);

    m_iconView = new GameIconView(this);
    m_iconView->setObjectName(QStringLiteral("GameListIcons"));
    m_iconView->setSelectionMode(QAbstractItemView::SingleSelection);
    // Whole rows, as the details table selects them: the two views share one selection,
    // and a game counts as selected only when its whole row is.
    m_iconView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_iconView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_iconView->setUniformItemSizes(true);
    m_iconView->setWrapping(true);
    m_iconView->setResizeMode(QListView::Adjust);
    m_iconView->setLayoutMode(QListView::SinglePass);
    m_iconView->setMovement(QListView::Static);
    m_iconView->setTextElideMode(Qt::ElideRight);
    m_iconView->setItemDelegate(new GameItemDelegate(m_iconView));
    m_stack->addWidget(m_iconView);

    m_detailsView = new GameDetailsView(this);
    m_detailsView->setObjectName(QStringLiteral("GameListDetails"));
    m_detailsView->setRootIsDecorated(false);
    m_detailsView->setItemsExpandable(false);
    m_detailsView->setUniformRowHeights(true);
    m_detailsView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_detailsView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_detailsView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_detailsView->setSortingEnabled(false);
    m_detailsView->setIconSize(QSize(16, 16));
    m_detailsView->setItemDelegate(new GameItemDelegate(m_detailsView));
    m_detailsView->header()->setObjectName(QStringLiteral("GameListHeader"));
    m_detailsView->header()->setSectionsClickable(true);
    m_detailsView->header()->setSortIndicatorShown(true);
    m_detailsView->header()->setStretchLastSection(false);
    m_detailsView->header()->setSectionsMovable(false);
    // As narrow as a hand-edited width may make a column; the star's column is narrow.
    m_detailsView->header()->setMinimumSectionSize(20);
    m_stack->addWidget(m_detailsView);

    // A real double click or Enter starts a game: "activated" would also come from a
    // single click on desktops whose style activates items that way.
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(m_iconView),
                                    static_cast<QAbstractItemView*>(m_detailsView)}) {
        connect(view, &QAbstractItemView::doubleClicked, this, &GameListView::itemActivated);
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
        // Scrolling by hand ends the following of the selected game (see below).
        for (QScrollBar* bar : {view->verticalScrollBar(), view->horizontalScrollBar()})
            connect(bar, &QAbstractSlider::actionTriggered, this, [this] { m_following = false; });
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
            // The position is the viewport's; a right click selected the game under it.
            if (selectedRow() >= 0)
                emit contextMenuRequested(view->viewport()->mapToGlobal(at));
        });
    }
    connect(m_detailsView->header(), &QHeaderView::sectionClicked, this,
            &GameListView::columnClicked);

    setViewStyle(LargeIcons);
    setHotTracking(true);
}

void GameListView::setHotTracking(bool on) {
    m_hotTracking = on;
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(m_iconView),
                                    static_cast<QAbstractItemView*>(m_detailsView)}) {
        static_cast<GameItemDelegate*>(view->itemDelegate())->setHotTracking(on);
        view->viewport()->setAttribute(Qt::WA_Hover, on);
        view->viewport()->setMouseTracking(on);
        view->viewport()->update();
    }
}

void GameListView::setListFont(const QFont& font, const QColor& textColor) {
    setFont(font);
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(m_iconView),
                                    static_cast<QAbstractItemView*>(m_detailsView)}) {
        view->setFont(font);
        QPalette palette = view->palette();
        if (textColor.isValid()) {
            palette.setColor(QPalette::Text, textColor);
            palette.setColor(QPalette::WindowText, textColor);
        } else {
            palette.setColor(QPalette::Text, this->palette().color(QPalette::Text));
        }
        view->setPalette(palette);
    }
    // The grid of the icon styles follows the font's height.
    setViewStyle(m_style);
}

void GameListView::setSeeThrough(bool on) {
    // The views let what lies behind the list show through (its background picture);
    // the selection and the text stay theirs.
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(m_iconView),
                                    static_cast<QAbstractItemView*>(m_detailsView)}) {
        view->viewport()->setAutoFillBackground(!on);
        QPalette palette = view->palette();
        palette.setColor(QPalette::Base,
                         on ? QColor(Qt::transparent) : this->palette().color(QPalette::Base));
        palette.setColor(QPalette::AlternateBase, palette.color(QPalette::Base));
        view->setPalette(palette);
    }
}

void GameListView::setModel(GameListModel* model) {
    m_model = model;
    m_iconView->setModel(model);
    m_iconView->setModelColumn(GameListModel::NameColumn);
    m_detailsView->setModel(model);
    // One selection for both, so that switching styles keeps the selected game.
    m_detailsView->setSelectionModel(m_iconView->selectionModel());
    for (int column = 0; column < GameListModel::ColumnCount; ++column)
        m_detailsView->setColumnWidth(column, kColumnWidths[column]);
    // The narrow star column stands first, where it is seen in a narrow list; its
    // number stays after the older columns'.
    QHeaderView* header = m_detailsView->header();
    header->moveSection(header->visualIndex(GameListModel::FavouriteColumn), 0);
    connect(model, &QAbstractItemModel::modelReset, this, &GameListView::keepScrollBarSteady);
    keepScrollBarSteady();
}

void GameListView::keepScrollBarSteady() {
    // The icon styles wrap their items at the view's edge. A list too long for any screen
    // shows its scroll bar from the start: one that appeared only after the first layout
    // would narrow the view, and every item would be laid out a second time.
    const QSize grid = m_iconView->gridSize();
    const QScreen* screen = this->screen();
    const QSize room = screen ? screen->availableVirtualSize() : QSize(8192, 8192);
    const bool overflows = m_model && qint64(grid.width()) * grid.height() * m_model->rowCount() >
                                          qint64(room.width()) * room.height();
    const bool rows = m_iconView->flow() == QListView::LeftToRight;
    const auto policy = overflows ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded;
    m_iconView->setVerticalScrollBarPolicy(rows ? policy : Qt::ScrollBarAsNeeded);
    m_iconView->setHorizontalScrollBarPolicy(rows ? Qt::ScrollBarAsNeeded : policy);
}

QItemSelectionModel* GameListView::selectionModel() const {
    return m_iconView->selectionModel();
}

QAbstractItemView* GameListView::currentView() const {
    return m_style == Details ? static_cast<QAbstractItemView*>(m_detailsView) : m_iconView;
}

void GameListView::setViewStyle(Style style) {
    m_style = style;
    if (style != Details) {
        // Large icons put up to two lines of title under a 32-pixel icon; the small
        // styles put one line beside a 16-pixel icon, in rows or in columns.
        const bool large = style == LargeIcons;
        const int line = fontMetrics().height();
        const int icon = large ? 32 : 16;
        const int width = style == ListStyle ? 220 : (large ? 104 : 180);
        const int height = large ? icon + 2 * line + 12 : std::max(20, line + 6);
        static_cast<GameIconView*>(m_iconView)->setTextUnderIcon(large);
        auto* delegate = static_cast<GameItemDelegate*>(m_iconView->itemDelegate());
        delegate->setItemSize(QSize(width - 4, height - 4));
        delegate->setLargeIcons(large);
        m_iconView->setFlow(style == ListStyle ? QListView::TopToBottom : QListView::LeftToRight);
        m_iconView->setIconSize(QSize(icon, icon));
        m_iconView->setGridSize(QSize(width, height));
        m_iconView->setWordWrap(large);
        keepScrollBarSteady();
    }
    // A hidden table would otherwise lay out all its rows whenever the current game
    // changes, only to draw a focus frame no one sees.
    m_detailsView->setAllColumnsShowFocus(style == Details);
    QWidget* shown = currentView();
    const bool hadFocus = m_stack->currentWidget() && m_stack->currentWidget()->hasFocus();
    m_stack->setCurrentWidget(shown);
    if (hadFocus)
        shown->setFocus();
    scrollToCurrent();
}

int GameListView::selectedRow() const {
    if (!selectionModel())
        return -1;
    const QModelIndexList indexes = selectionModel()->selectedIndexes();
    return indexes.isEmpty() ? -1 : indexes.first().row();
}

void GameListView::selectRow(int row, bool focus) {
    if (!m_model || row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex index = m_model->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    if (focus)
        currentView()->setFocus();
    scrollToCurrent();
}

void GameListView::scrollToCurrent() {
    m_scrollPending = true;
    m_following = true;
    scrollToCurrentAfterLayout();
}

void GameListView::scrollToCurrentAfterLayout() {
    if (!m_scrollPending)
        return;
    const QModelIndex current = selectionModel() ? selectionModel()->currentIndex() : QModelIndex();
    if (!current.isValid()) {
        m_scrollPending = false;
        return;
    }
    QAbstractItemView* view = currentView();
    // A hidden view has no size yet: it scrolls once it is shown.
    if (!view->isVisible())
        return;
    view->scrollTo(view == m_iconView ? current.siblingAtColumn(GameListModel::NameColumn)
                                      : current);
    m_scrollPending = false;
}

bool GameListView::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::KeyPress:
        m_following = false;
        break;
    default:
        break;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (selectedRow() >= 0)
                emit itemActivated();
            return true;
        }
    }
    // A view that is shown, or grows to its size, after a fill scrolls again: an
    // item scrolled into a view of a few pixels would sit at the wrong place in the
    // full one. This goes on until the user scrolls, clicks or types.
    if (event->type() == QEvent::Show || event->type() == QEvent::Resize) {
        QAbstractItemView* view = currentView();
        if ((watched == view || watched == view->viewport()) && (m_scrollPending || m_following)) {
            m_scrollPending = true;
            QTimer::singleShot(0, this, [this] { scrollToCurrentAfterLayout(); });
        }
    }
    return QWidget::eventFilter(watched, event);
}

void GameListView::clearSelection() {
    if (selectionModel())
        selectionModel()->clearSelection();
}

void GameListView::setSortIndicator(int column, bool descending) {
    m_detailsView->header()->setSortIndicator(column, descending ? Qt::DescendingOrder
                                                                 : Qt::AscendingOrder);
}

void GameListView::setSortable(bool on) {
    m_detailsView->header()->setSectionsClickable(on);
    m_detailsView->header()->setSortIndicatorShown(on);
}

int GameListView::columnWidth(int column) const {
    return m_detailsView->columnWidth(column);
}

void GameListView::setColumnWidth(int column, int width) {
    m_detailsView->setColumnWidth(column, width);
}
