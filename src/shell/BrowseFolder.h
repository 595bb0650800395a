#pragma once

#include <QDialog>
#include <QString>

class QFileSystemModel;
class QLabel;
class QModelIndex;
class QPushButton;
class QTreeView;

// The path as the folder picker's status line shows it: at most limit characters where
// that can be had by leaving out whole parts. The second part becomes "..." and then,
// while the text is too long and more than three parts remain, the third part goes.
// A path of fewer than three parts is shown as it is.
QString ShortenPath(const QString& path, int limit = 35, QChar separator = u'/');

// A folder picker over the whole file system: the given folder highlighted first, a
// status line with the highlighted folder, OK only on a file-system folder. Placed over
// the window in the foreground when it opens.
class TBrowseFolder final : public QDialog {
    Q_OBJECT

public:
    explicit TBrowseFolder(const QString& title, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TBrowseFolder)

    // In: the folder to highlight first. Out, after OK: the chosen folder, as the
    // platform writes it (no trailing separator but at the root).
    QString directory() const { return m_directory; }
    void setDirectory(const QString& directory);

    // Runs the picker modally; true when a folder was chosen.
    bool Execute();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void highlight(const QString& directory);
    void currentChanged(const QModelIndex& current);
    QString highlightedPath() const;
    void placeOverForeground();

    QString m_directory;
    QString m_pendingScroll; // directory whose loading the first scroll waits for
    QFileSystemModel* m_model = nullptr;
    QTreeView* m_tree = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_ok = nullptr;
};
