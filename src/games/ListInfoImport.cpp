#include "ListInfoImport.h"

#include "GameObject.h"
#include "core/Platform.h"
#include "core/Text.h"

#include <QFile>
#include <QIODevice>
#include <QStringDecoder>
#include <cstring>
#include <exception>
#include <functional>
#include <thread>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <optional>
#include <string>
#include <vector>

namespace {

// The first line feed in [p, end), or null.
inline const char* findLineFeed(const char* p, const char* end) {
#if defined(__SSE2__) && (defined(__GNUC__) || defined(__clang__))
    // Most lines are short: sixteen bytes at a time inline beat a call of memchr.
    const __m128i lf = _mm_set1_epi8('\n');
    for (; end - p >= 16; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        if (const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lf)))
            return p + __builtin_ctz(unsigned(mask));
    }
#endif
    return static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
}

// Reads a device line by line in large blocks. A line ends at LF or CR LF; a lone CR
// is part of the line. The view it returns lives until the next call. However long a
// line is, every byte is looked at and moved a bounded number of times.
class LineReader {
public:
    // offset: where in the file the device stands.
    LineReader(QIODevice& device, qsizetype block, qint64 offset = 0)
        : m_device(device), m_block(block), m_base(offset) {}

    // Where in the file the next line begins.
    qint64 offset() const { return m_base + m_pos; }

    std::optional<QByteArrayView> next() {
        for (;;) {
            const char* const data = m_buffer.constData();
            const char* lf = findLineFeed(data + m_scan, data + m_end);
            if (lf) {
                const qsizetype end = lf - data;
                QByteArrayView line(data + m_pos, end - m_pos);
                if (line.endsWith('\r'))
                    line.chop(1);
                m_pos = m_scan = end + 1;
                return line;
            }
            m_scan = m_end; // the next search starts where this one ended
            if (m_atEnd) {
                if (m_pos == m_end)
                    return std::nullopt;
                const QByteArrayView line(data + m_pos, m_end - m_pos);
                m_pos = m_scan = m_end;
                return line;
            }
            if (!refill())
                return std::nullopt;
        }
    }

    // The next line as next() gives it, passing over on the way the lines whose first
    // byte that is neither blank nor a control character is one that `wanted` turns
    // down, without cutting them out one by one. A line it may give is checked again.
    template <typename Wanted> std::optional<QByteArrayView> nextStartingWith(Wanted wanted) {
        for (;;) {
            const char* const data = m_buffer.constData();
            qsizetype p = m_pos;
            while (p < m_end && static_cast<unsigned char>(data[p]) <= 32 && data[p] != '\n')
                ++p;
            if (p == m_end) {
                // Blank so far: the rest of the line is in the next block.
                if (m_atEnd || !refill())
                    return next();
                continue;
            }
            if (data[p] != '\n' && wanted(data[p]))
                return next();
            const char* lf = findLineFeed(data + p, data + m_end);
            if (!lf) {
                m_scan = m_end;
                if (m_atEnd || !refill())
                    return next();
                continue;
            }
            m_pos = m_scan = lf - data + 1;
        }
    }

    bool failed() const { return m_failed; }

private:
    // Keeps the unfinished line at the front and reads the next block after it. The
    // buffer doubles when the line fills it, so a file without line breaks costs a
    // few copies of itself, not one per block.
    bool refill() {
        const qsizetype keep = m_end - m_pos;
        if (keep > 0 && m_pos > 0)
            std::memmove(m_buffer.data(), m_buffer.constData() + m_pos, size_t(keep));
        m_base += m_pos;
        m_scan -= m_pos;
        m_pos = 0;
        m_end = keep;
        if (m_buffer.size() - keep < m_block)
            m_buffer.resize(std::max(keep + m_block, 2 * m_buffer.size()));
        const qint64 n = m_device.read(m_buffer.data() + keep, m_buffer.size() - keep);
        if (n < 0) {
            m_failed = true;
            return false;
        }
        m_atEnd = n == 0;
        m_end += n;
        return true;
    }

    QIODevice& m_device;
    const qsizetype m_block;
    qint64 m_base; // where in the file the buffer begins
    QByteArray m_buffer;
    qsizetype m_pos = 0;  // start of the current line
    qsizetype m_scan = 0; // where the search for its end goes on
    qsizetype m_end = 0;
    bool m_atEnd = false;
    bool m_failed = false;
};

QByteArrayView trimmed(QByteArrayView line) {
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && static_cast<unsigned char>(line[begin]) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(line[end - 1]) <= 32)
        --end;
    return line.sliced(begin, end - begin);
}

// Whether the text starts with the literal. Inline, since most lines are rom lines
// that fail at the first byte.
template <size_t N> bool begins(QByteArrayView text, const char (&literal)[N]) {
    return text.size() >= qsizetype(N - 1) && text.front() == literal[0] &&
           std::memcmp(text.data(), literal, N - 1) == 0;
}

// Words are separated by single blanks only; a text without a blank has no first word.
qsizetype blankIn(QByteArrayView text) {
    const auto* blank =
        static_cast<const char*>(std::memchr(text.data(), ' ', size_t(text.size())));
    return blank ? blank - text.data() : -1;
}

QByteArrayView firstWord(QByteArrayView text) {
    const qsizetype blank = blankIn(text);
    return blank < 0 ? QByteArrayView() : text.first(blank);
}

QByteArrayView dropWord(QByteArrayView text) {
    const qsizetype blank = blankIn(text);
    return blank < 0 ? text : text.sliced(blank + 1);
}

// Whether all the bytes are plain ASCII; eight at a time.
bool isAscii(QByteArrayView bytes) {
    const char* p = bytes.data();
    qsizetype n = bytes.size();
    quint64 all = 0;
    for (; n >= 8; p += 8, n -= 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        all |= word;
    }
    for (; n > 0; ++p, --n)
        all |= static_cast<unsigned char>(*p);
    return (all & 0x8080808080808080ULL) == 0;
}

// One shared string per distinct text: makers, years, screen sizes and parents' names
// repeat across forty thousand games, and a shared string costs no allocation to make
// or to free. Texts are told apart by their bytes and decoded once.
class TextPool {
public:
    struct Text {
        QString text;
        bool safeName = false; // may become a file name
    };

    const Text& operator()(QByteArrayView bytes) {
        if ((qsizetype(m_texts.size()) + 1) * 2 > qsizetype(m_slots.size()))
            grow();
        const quint32 h = hash(bytes);
        const size_t mask = m_slots.size() - 1;
        for (size_t i = h & mask;; i = (i + 1) & mask) {
            Slot& slot = m_slots[i];
            if (slot.text < 0) {
                slot = {h, qint32(m_texts.size())};
                m_spans.emplace_back(qsizetype(m_bytes.size()), bytes.size());
                m_bytes.append(bytes.data(), size_t(bytes.size()));
                QString text = decodeEmulatorText(bytes);
                const bool safe = platform::isSafeFileName(text);
                m_texts.push_back({std::move(text), safe});
                return m_texts.back();
            }
            if (slot.hash == h && bytesOf(slot.text) == bytes)
                return m_texts[size_t(slot.text)];
        }
    }

private:
    struct Slot {
        quint32 hash = 0;
        qint32 text = -1;
    };

    // Eight bytes at a time: the texts are short, and a byte-wise hash would cost more
    // than the rest of a lookup.
    static quint32 hash(QByteArrayView bytes) {
        const char* p = bytes.data();
        qsizetype n = bytes.size();
        quint64 h = 0x9E3779B97F4A7C15ULL ^ quint64(n);
        const auto mix = [&h](quint64 word) {
            h = (h ^ word) * 0xFF51AFD7ED558CCDULL;
            h ^= h >> 32;
        };
        for (; n >= 8; p += 8, n -= 8) {
            quint64 word;
            std::memcpy(&word, p, 8);
            mix(word);
        }
        if (n > 0) {
            quint64 word = 0;
            std::memcpy(&word, p, size_t(n));
            mix(word);
        }
        mix(h >> 29);
        return quint32(h);
    }

    QByteArrayView bytesOf(qint32 text) const {
        const auto [offset, length] = m_spans[size_t(text)];
        return QByteArrayView(m_bytes.data() + offset, length);
    }

    void grow() {
        std::vector<Slot> table(std::max<size_t>(1024, m_slots.size() * 2));
        const size_t mask = table.size() - 1;
        for (const Slot& slot : m_slots) {
            if (slot.text < 0)
                continue;
            size_t i = slot.hash & mask;
            while (table[i].text >= 0)
                i = (i + 1) & mask;
            table[i] = slot;
        }
        m_slots = std::move(table);
    }

    std::vector<Slot> m_slots;
    std::vector<Text> m_texts; // strings move on growth; their text stays where it is
    std::vector<std::pair<qsizetype, qsizetype>> m_spans;
    std::string m_bytes;
};

// An archive name's word with its quotes made blanks and then trimmed: mostly a view
// into the word, without the quotes around it; a copy only for quotes within.
QByteArrayView archiveName(QByteArrayView word, QByteArray& scratch) {
    const auto edge = [](char c) { return static_cast<unsigned char>(c) <= 32 || c == '"'; };
    qsizetype begin = 0;
    qsizetype end = word.size();
    while (begin < end && edge(word[begin]))
        ++begin;
    while (end > begin && edge(word[end - 1]))
        --end;
    const QByteArrayView name = word.sliced(begin, end - begin);
    if (!name.contains('"'))
        return name;
    scratch = name.toByteArray();
    scratch.replace('"', ' ');
    return scratch;
}

bool equalsAscii(QByteArrayView bytes, const QString& text) {
    if (bytes.size() != text.size())
        return false;
    const char16_t* units = QStringView(text).utf16();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) >= 0x80 || units[i] != uchar(bytes[i]))
            return false;
    }
    return true;
}

void readArchives(QByteArrayView line, TGameObject& game, bool zipSafe, TextPool& pool) {
    QByteArrayView rest = dropWord(dropWord(line)); // "archive" and "("
    QByteArray scratch;
    while (firstWord(rest) == "name") {
        rest = dropWord(rest);
        // Quotes become blanks and the name is trimmed; both work alike on the bytes
        // and on the decoded text, since neither touches a byte of a multibyte letter.
        const QByteArrayView name = archiveName(firstWord(rest), scratch);
        // A name that could reach outside a directory never becomes a file name. The
        // game's own name, mostly the first, shares the zip name's string.
        if (equalsAscii(name, game.ZipName)) {
            if (zipSafe)
                game.Archives.append(game.ZipName);
        } else if (const TextPool::Text& text = pool(name); text.safeName) {
            game.Archives.append(text.text);
        }
        rest = dropWord(rest);
    }
}

void readVideo(QByteArrayView line, TGameObject& game, TextPool& pool) {
    QByteArrayView rest = line;
    for (int i = 0; i < 5; ++i)
        rest = dropWord(rest);
    game.ScreenWidth = pool(firstWord(rest)).text;
    rest = dropWord(dropWord(rest));
    game.ScreenHeight = pool(firstWord(rest)).text;
}

enum class BlockEnd { Closed, EndOfFile };

// Reads the block after its "game (" line; zipSafe says whether the zip name may
// become a file name.
BlockEnd readBlock(LineReader& reader, TGameObject& game, bool& zipSafe, TextPool& pool) {
    // The field after a fixed prefix, and for quoted fields without the closing quote.
    // Cutting the bytes gives the same text as cutting the decoded line whenever the
    // prefix and the cut-off end are plain ASCII; other lines are decoded whole first.
    // The title and the zip name are unique enough to be kept out of the pool.
    const auto field = [&pool](QByteArrayView text, qsizetype prefix, qsizetype tail, bool shared) {
        const bool fast = text.size() >= prefix + tail && isAscii(text.first(prefix)) &&
                          (!tail || static_cast<unsigned char>(text.back()) < 0x80);
        if (fast) {
            const QByteArrayView value = text.sliced(prefix, text.size() - prefix - tail);
            return shared ? pool(value).text : decodeEmulatorText(value);
        }
        const QString line = decodeEmulatorText(text);
        return line.mid(prefix, std::max<qsizetype>(0, line.size() - prefix - tail));
    };
    static constexpr qsizetype kPrefix[4] = {5, 13, 14, 5};
    static constexpr qsizetype kTail[4] = {0, 1, 1, 0};
    QString* const targets[4] = {&game.ZipName, &game.Description, &game.Manufacturer, &game.Year};
    bool closing = false;
    for (int i = 0; i < 4; ++i) {
        const auto line = reader.next();
        if (!line)
            return BlockEnd::EndOfFile;
        const QByteArrayView text = trimmed(*line);
        *targets[i] = field(text, kPrefix[i], kTail[i], i >= 2);
        closing = text == ")";
    }
    game.PlainTexts = isPlainAscii(game.ZipName) && isPlainAscii(game.Description) &&
                      isPlainAscii(game.Manufacturer) && isPlainAscii(game.Year);
    zipSafe = platform::isSafeFileName(game.ZipName);
    // Most lines (the roms) are told apart by their first character alone.
    const auto mayMatter = [](char c) { return c == 'a' || c == 'v' || c == ')'; };
    while (!closing) {
        const auto line = reader.nextStartingWith(mayMatter);
        if (!line)
            return BlockEnd::EndOfFile;
        const QByteArrayView raw = *line;
        qsizetype first = 0;
        while (first < raw.size() && static_cast<unsigned char>(raw[first]) <= 32)
            ++first;
        if (first == raw.size() || !mayMatter(raw[first]))
            continue;
        const QByteArrayView text = trimmed(raw.sliced(first));
        // The first word is what precedes the first blank: only these prefixes match.
        if (begins(text, "archive ")) {
            readArchives(text, game, zipSafe, pool);
            closing = false; // the archive line never closes the block
        } else if (begins(text, "video ")) {
            readVideo(text, game, pool);
            closing = false;
        } else {
            closing = text.size() == 1 && text.front() == ')';
        }
    }
    return BlockEnd::Closed;
}

// Reads the game blocks from where the reader stands and hands each game the list
// keeps to keep(). At the start of the file its first line may begin with a byte order
// mark. Stops before the line that begins at stopAt when the reading stands between
// blocks there, and returns true then; reads on to the end otherwise (stopAt -1: always).
template <typename Keep>
bool readGames(LineReader& reader, TextPool& pool, bool atFileStart, qint64 stopAt, Keep&& keep) {
    bool first = atFileStart;
    for (;;) {
        if (reader.offset() == stopAt)
            return true;
        const auto line = reader.next();
        if (!line)
            return false;
        const QByteArrayView text = first ? withoutByteOrderMark(*line) : *line;
        first = false;
        if (trimmed(text) != "game (")
            continue;
        TGameObject game; // as CreateDefaultGame makes it
        bool zipSafe = false;
        // A block cut off by the end of the file may hold half-read fields; it is
        // dropped, and the import ends there.
        if (readBlock(reader, game, zipSafe, pool) == BlockEnd::EndOfFile)
            return false;
        if (zipSafe)
            keep(std::move(game));
    }
}

// The first line at or after `from` that opens a block, or -1 when none does soon.
qint64 blockOpenerFrom(QIODevice& device, qint64 from) {
    if (from <= 0 || !device.seek(from - 1))
        return -1;
    // A line begins after a line feed: the one before `from` may be it.
    LineReader reader(device, 64 * 1024, from - 1);
    reader.next();
    for (int lines = 0; lines < 100000; ++lines) {
        const qint64 at = reader.offset();
        const auto line = reader.next();
        if (!line)
            return -1;
        if (trimmed(*line) == "game (")
            return at;
    }
    return -1;
}

// The games of the file from `from` to its end, read by a thread of their own.
struct LaterGames {
    TGameObjectList games;
    bool failed = false;
    QString error;
    std::exception_ptr exception;
};

void readLaterGames(const QString& path, qint64 from, LaterGames& out) {
    try {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || !file.seek(from)) {
            out.failed = true;
            out.error = file.errorString();
            return;
        }
        LineReader reader(file, kImportBlockSize, from);
        TextPool pool;
        out.games.reserve(std::min<qint64>((file.size() - from) / 1024, 200000) + 16);
        readGames(reader, pool, false, -1,
                  [&](TGameObject&& game) { out.games.AddGame(std::move(game)); });
        if (reader.failed()) {
            out.failed = true;
            out.error = file.errorString();
        }
    } catch (...) {
        out.exception = std::current_exception();
    }
}

} // namespace

// The emulator writes 8-bit text; a line that carries UTF-8 is read as such.
QString decodeEmulatorText(QByteArrayView bytes) {
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

QByteArrayView withoutByteOrderMark(QByteArrayView bytes) {
    return bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
}

bool ImportGameList(TGameObjectList& games, QIODevice& device, QString* error,
                    qsizetype blockSize) {
    games.FreeAll();
    // About a kilobyte per game; a good guess saves growing the name index. Capped, so
    // that a huge file of something else does not reserve memory for nothing.
    if (!device.isSequential())
        games.reserve(std::min<qint64>(device.size() / 1024, 200000) + 16);
    LineReader reader(device, std::max<qsizetype>(blockSize, 1), device.pos());
    TextPool pool;
    readGames(reader, pool, true, -1, [&](TGameObject&& game) { games.AddGame(std::move(game)); });
    if (reader.failed()) {
        games.FreeAll();
        *error = device.errorString();
        return false;
    }
    return true;
}

bool ImportGameList(TGameObjectList& games, const QString& path, QString* error,
                    qint64 parallelFrom) {
    const auto failed = [&](const QString& reason) {
        games.FreeAll();
        *error = QStringLiteral("Cannot read the game list %1:\r%2").arg(path, reason);
        return false;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(file.errorString());
    // A long list is read in two parts at once, when there is a processor for each: the
    // later part from a block opener near the middle. The first part ends there only
    // when its reading stands between blocks there, as a reading of the whole file would;
    // otherwise (an unclosed block before it) it reads on to the end, and the later
    // part's games are dropped. Either way the records are those of one reading.
    const qint64 size = file.size();
    const qint64 split = size >= parallelFrom && std::thread::hardware_concurrency() > 1
                             ? blockOpenerFrom(file, size / 2)
                             : -1;
    if (split < 0 || !file.seek(0)) {
        QString reason;
        return file.seek(0) && ImportGameList(games, file, &reason, kImportBlockSize)
                   ? true
                   : failed(reason.isEmpty() ? file.errorString() : reason);
    }
    LaterGames later;
    std::thread laterPart(readLaterGames, path, split, std::ref(later));
    games.FreeAll();
    games.reserve(std::min<qint64>(size / 1024, 200000) + 16);
    LineReader reader(file, kImportBlockSize);
    TextPool pool;
    bool stoppedAtSplit = false;
    try {
        stoppedAtSplit = readGames(reader, pool, true, split,
                                   [&](TGameObject&& game) { games.AddGame(std::move(game)); });
    } catch (...) {
        laterPart.join();
        throw;
    }
    laterPart.join();
    if (later.exception)
        std::rethrow_exception(later.exception);
    if (reader.failed())
        return failed(file.errorString());
    if (!stoppedAtSplit)
        return true;
    if (later.failed)
        return failed(later.error);
    games.AppendGames(std::move(later.games));
    return true;
}

bool HoldsGameBlock(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    LineReader reader(file, kImportBlockSize);
    while (const auto line = reader.next()) {
        if (trimmed(*line) == "game (")
            return true;
    }
    return false;
}
