#include "GameListModel.h"

#include "GameObject.h"
#include "PlayHistory.h"
#include "RomsetFinder.h"

#include <QtEndian>
#include <algorithm>
#include <limits>

namespace {

const QString kYes = QStringLiteral("Yes");
const QString kNo = QStringLiteral("No");

// The narrow columns, whose values stand in the middle.
bool centred(int column) {
    return column == GameListModel::YearColumn || column == GameListModel::CheatColumn ||
           column == GameListModel::FavouriteColumn || column == GameListModel::PlayCountColumn;
}

} // namespace

// The first sixteen bytes of a row's sort order as two numbers, compared before the
// texts themselves: most comparisons of a sort are then decided without reaching the
// records. The bytes are the sort's fields one after the other, so that comparing keys
// never contradicts comparing the rows, and rows whose keys tie are compared whole.
//
// A text's ASCII characters become one byte each, upper-cased as compareText folds
// them and counted from 1, and a 0 ends the text (a shorter text is the smaller). The
// first character beyond ASCII is larger than any of them: it becomes 0x81 and ends the
// key, since what follows it can no longer be told from the bytes.
struct GameListModel::SortKey {
    quint64 high = 0;
    quint64 low = 0;

    bool operator<(const SortKey& other) const {
        return high != other.high ? high < other.high : low < other.low;
    }
    bool operator==(const SortKey& other) const = default;
};

namespace {

// Collects the key's bytes in order, then reads them as two numbers, the first bytes
// the most significant.
class SortKeyBuilder {
public:
    void addByte(quint8 byte) {
        if (m_used < 16)
            m_bytes[m_used++] = byte;
    }
    void addText(QStringView text) {
        const char16_t* units = text.utf16();
        const qsizetype n = std::min<qsizetype>(text.size(), 16 - m_used);
        for (qsizetype i = 0; i < n; ++i) {
            if (units[i] >= 0x80) {
                m_bytes[m_used] = 0x81;
                m_used = 16;
                return;
            }
            m_bytes[m_used++] = quint8(upperAscii(units[i]) + 1);
        }
        addByte(0);
    }
    void addNumber(quint64 value) {
        for (int shift = 56; shift >= 0; shift -= 8)
            addByte(quint8(value >> shift));
    }
    quint64 high() const { return qFromBigEndian<quint64>(m_bytes); }
    quint64 low() const { return qFromBigEndian<quint64>(m_bytes + 8); }

private:
    quint8 m_bytes[16] = {};
    int m_used = 0;
};

} // namespace

GameListModel::GameListModel(RomsetFinder& romsets, QObject* parent)
    : QAbstractTableModel(parent), m_romsets(romsets) {}

void GameListModel::setGames(const std::vector<TGameObject*>& games, bool inGivenOrder) {
    beginResetModel();
    m_givenOrder = inGivenOrder;
    m_all.clear();
    m_all.reserve(games.size());
    for (TGameObject* game : games)
        m_all.push_back(Row{game, 0, {}, false, -1, nullptr});
    narrow();
    endResetModel();
}

void GameListModel::clear() {
    setGames({});
}

TGameObject* GameListModel::gameAt(int row) const {
    return row >= 0 && size_t(row) < m_shown.size() ? this->row(row).game : nullptr;
}

int GameListModel::unnarrowedRow(int shownRow) const {
    return shownRow >= 0 && size_t(shownRow) < m_shown.size() ? m_shown[size_t(shownRow)] : -1;
}

int GameListModel::shownRowAtOrAfter(int unnarrowedRow) const {
    if (unnarrowedRow < 0)
        return -1;
    const auto at = std::lower_bound(m_shown.begin(), m_shown.end(), unnarrowedRow);
    return at == m_shown.end() ? -1 : int(at - m_shown.begin());
}

void GameListModel::gameChanged(const TGameObject* game) {
    if (const int row = rowOf(game); row >= 0)
        emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

bool GameListModel::holds(const TGameObject* game) const {
    return std::any_of(m_all.begin(), m_all.end(),
                       [&](const Row& row) { return row.game == game; });
}

int GameListModel::rowOf(const TGameObject* game) const {
    if (!game)
        return -1;
    for (size_t i = 0; i < m_shown.size(); ++i) {
        if (m_all[size_t(m_shown[i])].game == game)
            return int(i);
    }
    return -1;
}

bool GameListModel::matches(const Row& row) const {
    const TGameObject& game = *row.game;
    if (row.plainText < 0)
        row.plainText =
            game.PlainTexts ||
            (GameSearch::isPlain(game.Description) && GameSearch::isPlain(game.ZipName) &&
             GameSearch::isPlain(game.Manufacturer) && GameSearch::isPlain(game.Year));
    // Plain texts need no folding: the terms are folded, and ASCII letters compare
    // without case as they are.
    if (row.plainText)
        return m_search.matches({game.Description, game.ZipName, game.Manufacturer, game.Year});
    if (!row.folded)
        row.folded = std::make_unique<GameSearch::Folded>(game.Description, game.ZipName,
                                                          game.Manufacturer, game.Year);
    return m_search.matches(row.folded->fields());
}

void GameListModel::narrow() {
    m_shown.clear();
    m_shown.reserve(m_all.size());
    for (size_t i = 0; i < m_all.size(); ++i) {
        if (m_search.isEmpty() || matches(m_all[i]))
            m_shown.push_back(int(i));
    }
}

void GameListModel::setSearchText(const QString& text) {
    GameSearch search(text);
    if (search == m_search)
        return;
    beginResetModel();
    m_search = std::move(search);
    narrow();
    endResetModel();
}

void GameListModel::ensureDate(const Row& row) const {
    if (row.dateKnown)
        return;
    const QDateTime date = romsetFileDate(m_romsets.locate(*row.game));
    // No date sorts after every date.
    row.dateKey = date.isValid() ? date.toSecsSinceEpoch() : std::numeric_limits<qint64>::max();
    row.dateText = romsetDateText(date);
    row.dateKnown = true;
}

QString GameListModel::text(const Row& row, int column) const {
    const TGameObject& game = *row.game;
    switch (column) {
    case NameColumn:
        return game.Description;
    case ZipNameColumn:
        return game.ZipName;
    case ManufacturerColumn:
        return game.Manufacturer;
    case YearColumn:
        return game.Year;
    case CheatColumn:
        return game.HasCheats ? kYes : kNo;
    case ZipDateColumn:
        ensureDate(row);
        return row.dateText;
    case FavouriteColumn:
        return {}; // the star shows it
    case PlayCountColumn:
        return game.PlayCount > 0 ? QString::number(game.PlayCount) : QString();
    case LastPlayedColumn:
        return lastPlayedText(game.LastPlayed);
    case PlayTimeColumn:
        return game.PlayCount > 0 || game.PlayTime > 0 ? playTimeText(game.PlayTime) : QString();
    }
    return {};
}

int GameListModel::compare(const Row& a, const Row& b, int column) const {
    const TGameObject& ga = *a.game;
    const TGameObject& gb = *b.game;
    int result = 0;
    switch (column) {
    case NameColumn:
        break;
    case ZipNameColumn:
        result = compareText(ga.ZipName, gb.ZipName);
        break;
    case ManufacturerColumn:
        result = compareText(ga.Manufacturer, gb.Manufacturer);
        break;
    case YearColumn:
        result = compareText(ga.Year, gb.Year);
        break;
    case CheatColumn:
        result = int(ga.HasCheats) - int(gb.HasCheats); // "No" before "Yes"
        break;
    case ZipDateColumn:
        result = a.dateKey < b.dateKey ? -1 : (a.dateKey > b.dateKey ? 1 : 0);
        break;
    case FavouriteColumn:
        result = int(gb.Favourite) - int(ga.Favourite); // the favourites first
        break;
    case PlayCountColumn:
        result = ga.PlayCount < gb.PlayCount ? -1 : (ga.PlayCount > gb.PlayCount ? 1 : 0);
        break;
    case LastPlayedColumn: {
        // Never played sorts after every time, as a romset without a date does.
        const auto key = [](const TGameObject& g) {
            return g.LastPlayed > 0 ? g.LastPlayed : std::numeric_limits<qint64>::max();
        };
        result = key(ga) < key(gb) ? -1 : (key(ga) > key(gb) ? 1 : 0);
        break;
    }
    case PlayTimeColumn:
        result = ga.PlayTime < gb.PlayTime ? -1 : (ga.PlayTime > gb.PlayTime ? 1 : 0);
        break;
    }
    // Ties go by title, then by zip name: every sort of the same rows gives one order,
    // whatever order they were in, so a game keeps its place from one start to the next.
    if (result == 0)
        result = compareText(ga.Description, gb.Description);
    if (result == 0)
        result = compareText(ga.ZipName, gb.ZipName);
    return result;
}

bool GameListModel::isEmptyCell(const Row& row, int column) {
    // A game never played has no history to sort by, a romset without a date no date;
    // thousands of them would otherwise come before the one played last.
    const TGameObject& game = *row.game;
    switch (column) {
    case ZipDateColumn:
        return row.dateKey == std::numeric_limits<qint64>::max();
    case PlayCountColumn:
        return game.PlayCount <= 0;
    case LastPlayedColumn:
        return game.LastPlayed <= 0;
    case PlayTimeColumn:
        return game.PlayCount <= 0 && game.PlayTime <= 0;
    default:
        return false;
    }
}

GameListModel::SortKey GameListModel::sortKey(const Row& row, int column) {
    // The fields in the order compare() weighs them: the column, the title, the zip name.
    const TGameObject& game = *row.game;
    SortKeyBuilder key;
    switch (column) {
    case NameColumn:
        break;
    case ZipNameColumn:
        key.addText(game.ZipName);
        break;
    case ManufacturerColumn:
        key.addText(game.Manufacturer);
        break;
    case YearColumn:
        key.addText(game.Year);
        break;
    case CheatColumn:
        key.addByte(game.HasCheats ? 1 : 0);
        break;
    case ZipDateColumn:
        key.addNumber(quint64(row.dateKey) ^ (quint64(1) << 63)); // signed order as unsigned
        break;
    default:
        return {}; // a column without a key: every row ties, and compare() decides
    }
    key.addText(game.Description);
    key.addText(game.ZipName);
    return {key.high(), key.low()};
}

void GameListModel::sortOn(int column, bool descending) {
    if (column < 0 || column >= ColumnCount || m_givenOrder)
        return;
    if (column == ZipDateColumn) {
        for (const Row& row : m_all)
            ensureDate(row);
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    struct Keyed {
        SortKey key;
        int row;
        bool empty; // no value in the column: after all the others in either direction
    };
    std::vector<Keyed> keyed(m_all.size());
    for (size_t i = 0; i < m_all.size(); ++i)
        keyed[i] = {sortKey(m_all[i], column), int(i), isEmptyCell(m_all[i], column)};
    // Rows alike in everything keep their order: their places decide last, so the
    // quicker unstable sort gives the stable sort's order.
    const int sign = descending ? -1 : 1;
    std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
        if (a.empty != b.empty)
            return b.empty;
        if (a.key != b.key)
            return descending ? b.key < a.key : a.key < b.key;
        if (const int c = compare(m_all[size_t(a.row)], m_all[size_t(b.row)], column))
            return sign * c < 0;
        return a.row < b.row;
    });
    std::vector<int> newPlace(m_all.size());
    for (size_t i = 0; i < keyed.size(); ++i)
        newPlace[size_t(keyed[i].row)] = int(i);
    keyed = {};
    // The rows move to their places in the array they are in, cycle by cycle.
    std::vector<int> place = newPlace;
    for (size_t i = 0; i < place.size(); ++i) {
        while (size_t(place[i]) != i) {
            const size_t j = size_t(place[i]);
            std::swap(m_all[i], m_all[j]);
            std::swap(place[i], place[j]);
        }
    }
    // The same rows stay shown, in their new order.
    std::vector<char> shown(m_all.size(), m_search.isEmpty());
    for (int i : m_shown)
        shown[size_t(newPlace[size_t(i)])] = 1;
    std::vector<int> oldShown = std::move(m_shown);
    m_shown.clear();
    m_shown.reserve(oldShown.size());
    std::vector<int> shownRowOf(m_all.size(), -1);
    for (size_t i = 0; i < m_all.size(); ++i) {
        if (shown[i]) {
            shownRowOf[i] = int(m_shown.size());
            m_shown.push_back(int(i));
        }
    }
    const QModelIndexList persistent = persistentIndexList();
    for (const QModelIndex& from : persistent) {
        const int to = shownRowOf[size_t(newPlace[size_t(oldShown[size_t(from.row())])])];
        changePersistentIndex(from, to < 0 ? QModelIndex() : index(to, from.column()));
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void GameListModel::setMarkBadRomsets(bool on) {
    if (m_markBad == on)
        return;
    m_markBad = on;
    if (!m_shown.empty())
        emit dataChanged(index(0, NameColumn), index(rowCount() - 1, NameColumn),
                         {Qt::DecorationRole});
}

int GameListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_shown.size());
}

int GameListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant GameListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& row = this->row(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return text(row, index.column());
    case Qt::ToolTipRole:
        if (index.column() == FavouriteColumn && row.game->Favourite)
            return QStringLiteral("Favourite");
        return index.column() == NameColumn ? QVariant(row.game->Description) : QVariant();
    case Qt::AccessibleTextRole:
        if (index.column() == FavouriteColumn)
            return row.game->Favourite ? QStringLiteral("Favourite") : QString();
        return {};
    case Qt::DecorationRole:
        if (index.column() == FavouriteColumn)
            return row.game->Favourite ? QVariant(m_icons.favourite()) : QVariant();
        if (index.column() != NameColumn)
            return {};
        return m_icons.game(row.game->Installed, m_markBad && row.game->BadRomcheck,
                            row.game->Favourite);
    case Qt::TextAlignmentRole:
        // Other columns follow the view: left in the table, centred under large icons.
        if (centred(index.column()))
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        if (index.column() == PlayTimeColumn)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return {};
    case GameRole:
        return QVariant::fromValue(static_cast<void*>(row.game));
    }
    return {};
}

QVariant GameListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    static const char* const captions[ColumnCount] = {
        "Name", "Zipname", "Manufacturer", "Year",     "Cheat", "Zipfile date/time",
        "Fav",  "Played",  "Last played",  "Play time"};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(captions[section]);
    if (role == Qt::ToolTipRole && section == FavouriteColumn)
        return QStringLiteral("Favourite");
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(centred(section) ? Qt::AlignCenter
                                                 : section == PlayTimeColumn
                                                     ? (Qt::AlignRight | Qt::AlignVCenter)
                                                     : (Qt::AlignLeft | Qt::AlignVCenter)));
    return {};
}

Qt::ItemFlags GameListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
