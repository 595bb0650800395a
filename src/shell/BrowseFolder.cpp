#include "BrowseFolder.h"

#include "core/Platform.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

QString ShortenPath(const QString& path, int limit, QChar separator) {
    if (path.size() <= limit)
        return path;
    QStringList parts = path.split(separator);
    if (parts.size() < 3)
        return path;
    parts[1] = QStringLiteral("...");
    QString result = parts.join(separator);
    while (result.size() > limit && parts.size() > 3) {
        parts.removeAt(2);
        result = parts.join(separator);
    }
    return result;
}

namespace {

// The whole name space starts at the root here.
const QString kRoot = QStringLiteral("/");

bool hasHiddenPart(const QString& absolutePath) {
    const QStringList parts = absolutePath.split(u'/', Qt::SkipEmptyParts);
    return std::any_of(parts.begin(), parts.end(),
                       [](const QString& part) { return part.startsWith(u'.'); });
}

} // namespace

TBrowseFolder::TBrowseFolder(const QString& title, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Browser"));
    setWindowTitle(title);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    resize(340, 420);

    auto* layout = new QVBoxLayout(this);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("BrowseStatus"));
    m_status->setTextFormat(Qt::PlainText);
    layout->addWidget(m_status);

    m_model = new QFileSystemModel(this);
    m_model->setObjectName(QStringLiteral("BrowseModel"));
    m_model->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    m_model->setRootPath(kRoot);

    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("BrowseTree"));
    m_tree->setModel(m_model);
    m_tree->setHeaderHidden(true);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->setSortingEnabled(true);
    m_tree->sortByColumn(0, Qt::AscendingOrder);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The root itself is the one top-level item, shown open.
    m_tree->expand(m_model->index(kRoot));
    layout->addWidget(m_tree, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setObjectName(QStringLiteral("BrowseOKButton"));
    m_ok->setEnabled(false);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("BrowseCancelButton"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (m_ok->isEnabled())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { currentChanged(current); });
    // The highlighted folder's siblings arrive later; the first scroll waits for them,
    // later loads (the user opening folders) leave the view where the user put it.
    connect(m_model, &QFileSystemModel::directoryLoaded, this, [this](const QString& loaded) {
        if (m_pendingScroll.isEmpty() || loaded != m_pendingScroll)
            return;
        m_pendingScroll.clear();
        m_tree->scrollTo(m_tree->currentIndex(), QAbstractItemView::PositionAtCenter);
    });
}

void TBrowseFolder::setDirectory(const QString& directory) {
    m_directory = directory;
    highlight(directory);
}

bool TBrowseFolder::Execute() {
    if (exec() != QDialog::Accepted)
        return false;
    m_directory = highlightedPath();
    return true;
}

void TBrowseFolder::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    placeOverForeground();
    if (m_tree->currentIndex().isValid())
        m_tree->scrollTo(m_tree->currentIndex(), QAbstractItemView::PositionAtCenter);
}

void TBrowseFolder::highlight(const QString& directory) {
    if (directory.isEmpty())
        return;
    const QFileInfo info(directory); // a relative folder is taken from the working directory
    if (!info.isDir())
        return;
    const QString path = QDir::cleanPath(info.absoluteFilePath());
    // Hidden folders stay out of the tree unless the folder to highlight lies in one.
    // The model applies a new filter only when it sorts; folders it has read already
    // must be visible before the highlight can find them.
    if (hasHiddenPart(path) && !m_model->filter().testFlag(QDir::Hidden)) {
        m_model->setFilter(m_model->filter() | QDir::Hidden);
        m_model->sort(0, Qt::AscendingOrder);
    }
    const QModelIndex index = m_model->index(path);
    if (!index.isValid())
        return;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        m_tree->expand(parent);
    m_tree->expand(index);
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index, QAbstractItemView::PositionAtCenter);
    m_pendingScroll = m_model->filePath(index.parent());
}

void TBrowseFolder::currentChanged(const QModelIndex& current) {
    const QString path = highlightedPath();
    m_status->setText(ShortenPath(path, 35, platform::kSeparator));
    m_ok->setEnabled(current.isValid() && !path.isEmpty());
}

QString TBrowseFolder::highlightedPath() const {
    const QModelIndex current = m_tree->currentIndex();
    if (!current.isValid() || !m_model->isDir(current))
        return {};
    return QDir::toNativeSeparators(m_model->filePath(current));
}

void TBrowseFolder::placeOverForeground() {
    const QWidget* foreground = QApplication::activeWindow();
    if (!foreground || foreground == this)
        return;
    const QRect over = foreground->frameGeometry();
    move(over.x() + (over.width() - frameGeometry().width()) / 2, over.y() + over.height() / 4);
}
