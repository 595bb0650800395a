#pragma once

#include "GameIcons.h"
#include "GameSearch.h"
#include "core/Text.h"

#include <QAbstractTableModel>
#include <memory>
#include <vector>

class RomsetFinder;
class TGameObject;

// The rows of the game list view: one per shown game, in view order, over records the
// game list owns. The model reads each record as it is; only the romset date is worked
// out (once per fill, when first asked), since it costs a file-system call.
class GameListModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column {
        NameColumn,
        ZipNameColumn,
        ManufacturerColumn,
        YearColumn,
        CheatColumn,
        ZipDateColumn,
        FavouriteColumn,
        PlayCountColumn,
        LastPlayedColumn,
        PlayTimeColumn,
        ColumnCount
    };
    static constexpr int GameRole = Qt::UserRole + 1;

    explicit GameListModel(RomsetFinder& romsets, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(GameListModel)

    // Replaces every row; the records are not owned and must outlive the rows. The
    // search words stay and narrow the new rows too. Rows in their given order keep it:
    // sortOn leaves them as they are.
    void setGames(const std::vector<TGameObject*>& games, bool inGivenOrder = false);
    bool inGivenOrder() const { return m_givenOrder; }
    // The game's record changed (its favourite mark, its play history): its row shows it.
    void gameChanged(const TGameObject* game);
    void clear();
    TGameObject* gameAt(int row) const;
    // The row of the game, or -1 when it is not shown.
    int rowOf(const TGameObject* game) const;
    // Whether the game is among the rows before the search narrows them.
    bool holds(const TGameObject* game) const;
    // Rows of the list before the search narrows it: the position of a shown row
    // there (-1 for none), and the first shown row at or after such a position (-1
    // when none is shown there).
    int unnarrowedRow(int shownRow) const;
    int shownRowAtOrAfter(int unnarrowedRow) const;

    // Sorts every row on one column. Rows that tie on it go by title, then by zip name,
    // in the same direction; only rows alike in all three keep their order. Rows with an
    // empty cell in a history or date column (never played, no date) come after all the
    // others in either direction.
    void sortOn(int column, bool descending);

    // Shows only the games that match the search (see GameSearch: words, quoted
    // phrases, maker: and year: terms); no terms shows every game. Kept in their
    // sorted order.
    void setSearchText(const QString& text);
    // How many games the rows hold before the search narrows them.
    int unnarrowedCount() const { return int(m_all.size()); }

    // While on, games with a bad romset carry the bad-romset mark.
    void setMarkBadRomsets(bool on);
    bool markBadRomsets() const { return m_markBad; }

    // The list's text comparison: only the ASCII letters are compared without case,
    // everything else by character code; on equal common parts the shorter is smaller.
    static int compareText(QStringView a, QStringView b) { return compareAsciiNoCase(a, b); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Row {
        TGameObject* game = nullptr;
        mutable qint64 dateKey = 0; // seconds since the epoch; largest for no date
        mutable QString dateText;
        mutable bool dateKnown = false;
        mutable qint8 plainText = -1; // title, zip name, maker and year all ASCII; -1: not known
        mutable std::unique_ptr<GameSearch::Folded> folded; // made when first needed
    };

    struct SortKey;

    void ensureDate(const Row& row) const;
    static SortKey sortKey(const Row& row, int column);
    static bool isEmptyCell(const Row& row, int column);
    int compare(const Row& a, const Row& b, int column) const;
    QString text(const Row& row, int column) const;
    const Row& row(int shownRow) const { return m_all[size_t(m_shown[size_t(shownRow)])]; }
    bool matches(const Row& row) const;
    // The shown rows: every row, or those that hold the search words, in sorted order.
    void narrow();

    RomsetFinder& m_romsets;
    std::vector<Row> m_all;   // every row, sorted
    std::vector<int> m_shown; // the rows shown, as indices into m_all
    GameSearch m_search;
    GameIcons m_icons;
    bool m_markBad = false;
    bool m_givenOrder = false;
};
