#include "GameListView.h"

#include "GameListModel.h"

#include <QHeaderView>
#include <QStackedLayout>
#include <QStyledItemDelegate>
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

// Every item of the icon styles has the same size, so forty thousand of them lay out
// without asking each for its size; large icons get room for two lines of title.
class FixedSizeDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void setItemSize(QSize size) { m_size = size; }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return m_size.isValid() ? m_size : QStyledItemDelegate::sizeHint(option, index);
    }

private:
    QSize m_size;
};

constexpr int kColumnWidths[GameListModel::ColumnCount] = {160, 70, 90, 50, 50, 110};

} // namespace

GameListView::GameListView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("GameList"));
    m_stack = new QStackedLayout(this);
    m_stack->setContentsMargins(0, 0, 0, 0);

    m_iconView = new GameIconView(this);
    m_iconView->setObjectName(QStringLiteral("GameListIcons"));
    m_iconView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_iconView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_iconView->setUniformItemSizes(true);
    m_iconView->setWrapping(true);
    m_iconView->setResizeMode(QListView::Adjust);
    m_iconView->setLayoutMode(QListView::Batched);
    m_iconView->setBatchSize(2000);
    m_iconView->setMovement(QListView::Static);
    m_iconView->setTextElideMode(Qt::ElideRight);
    m_iconView->setItemDelegate(new FixedSizeDelegate(m_iconView));
    m_stack->addWidget(m_iconView);

    m_detailsView = new QTreeView(this);
    m_detailsView->setObjectName(QStringLiteral("GameListDetails"));
    m_detailsView->setRootIsDecorated(false);
    m_detailsView->setItemsExpandable(false);
    m_detailsView->setUniformRowHeights(true);
    m_detailsView->setAllColumnsShowFocus(true);
    m_detailsView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_detailsView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_detailsView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_detailsView->setSortingEnabled(false);
    m_detailsView->setIconSize(QSize(16, 16));
    m_detailsView->header()->setSectionsClickable(true);
    m_detailsView->header()->setSortIndicatorShown(true);
    m_detailsView->header()->setStretchLastSection(false);
    m_detailsView->header()->setSectionsMovable(false);
    m_stack->addWidget(m_detailsView);

    connect(m_iconView, &QAbstractItemView::activated, this, &GameListView::itemActivated);
    connect(m_detailsView, &QAbstractItemView::activated, this, &GameListView::itemActivated);
    connect(m_detailsView->header(), &QHeaderView::sectionClicked, this,
            &GameListView::columnClicked);

    setViewStyle(LargeIcons);
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
        static_cast<FixedSizeDelegate*>(m_iconView->itemDelegate())
            ->setItemSize(QSize(width - 4, height - 4));
        m_iconView->setFlow(style == ListStyle ? QListView::TopToBottom : QListView::LeftToRight);
        m_iconView->setIconSize(QSize(icon, icon));
        m_iconView->setGridSize(QSize(width, height));
        m_iconView->setWordWrap(large);
    }
    QWidget* shown = currentView();
    const bool hadFocus = m_stack->currentWidget() && m_stack->currentWidget()->hasFocus();
    m_stack->setCurrentWidget(shown);
    if (hadFocus)
        shown->setFocus();
    if (const QModelIndex current =
            selectionModel() ? selectionModel()->currentIndex() : QModelIndex();
        current.isValid())
        currentView()->scrollTo(current);
}

int GameListView::selectedRow() const {
    if (!selectionModel())
        return -1;
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void GameListView::selectRow(int row) {
    if (!m_model || row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex index = m_model->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    currentView()->setFocus();
    currentView()->scrollTo(index);
}

void GameListView::clearSelection() {
    if (selectionModel())
        selectionModel()->clearSelection();
}

void GameListView::setSortIndicator(int column, bool descending) {
    m_detailsView->header()->setSortIndicator(column, descending ? Qt::DescendingOrder
                                                                 : Qt::AscendingOrder);
}

int GameListView::columnWidth(int column) const {
    return m_detailsView->columnWidth(column);
}

void GameListView::setColumnWidth(int column, int width) {
    m_detailsView->setColumnWidth(column, width);
}
