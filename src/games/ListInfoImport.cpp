#include "ListInfoImport.h"

#include "GameObject.h"
#include "shell/Platform.h"
#include "shell/Text.h"

#include <QFile>
#include <QStringDecoder>
#include <cstring>
#include <optional>

namespace {

// Reads a file line by line in large blocks. A line ends at CR LF, a lone LF or a lone
// CR; the view it returns lives until the next call.
class LineReader {
public:
    explicit LineReader(QFile& file) : m_file(file) {}

    std::optional<QByteArrayView> next() {
        for (;;) {
            const char* begin = m_buffer.constData() + m_pos;
            const qsizetype available = m_end - m_pos;
            const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', size_t(available)));
            const qsizetype scan = lf ? lf - begin : available;
            const auto* cr = static_cast<const char*>(std::memchr(begin, '\r', size_t(scan)));
            // A CR at the very end of the block may still pair with an LF in the next one.
            if (cr && (cr + 1 < begin + scan || lf || m_atEnd)) {
                const qsizetype length = cr - begin;
                m_pos += length + (cr + 1 == lf ? 2 : 1);
                return QByteArrayView(begin, length);
            }
            if (lf) {
                m_pos += scan + 1;
                return QByteArrayView(begin, scan);
            }
            if (m_atEnd) {
                if (available == 0)
                    return std::nullopt;
                m_pos = m_end;
                return QByteArrayView(begin, available);
            }
            if (!refill())
                return std::nullopt;
        }
    }

    bool failed() const { return m_failed; }

private:
    static constexpr qsizetype kBlock = 1 << 20;

    // Keeps the unfinished line at the front and reads the next block after it.
    bool refill() {
        const qsizetype keep = m_end - m_pos;
        if (keep > 0 && m_pos > 0)
            std::memmove(m_buffer.data(), m_buffer.constData() + m_pos, size_t(keep));
        m_pos = 0;
        m_end = keep;
        if (m_buffer.size() < keep + kBlock)
            m_buffer.resize(keep + kBlock);
        const qint64 n = m_file.read(m_buffer.data() + keep, kBlock);
        if (n < 0) {
            m_failed = true;
            return false;
        }
        m_atEnd = n == 0;
        m_end += n;
        return true;
    }

    QFile& m_file;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
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

// The emulator writes 8-bit text; a line that carries UTF-8 is read as such.
QString decode(QByteArrayView bytes) {
    bool ascii = true;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

void readArchives(QByteArrayView line, QStringList& archives) {
    QByteArrayView rest = dropWord(dropWord(line)); // "archive" and "("
    while (firstWord(rest) == "name") {
        rest = dropWord(rest);
        QString name = decode(firstWord(rest));
        name.replace(u'"', u' ');
        name = trimmedValue(name);
        // A name that could reach outside a directory never becomes a file name.
        if (platform::isSafeFileName(name))
            archives.append(name);
        rest = dropWord(rest);
    }
}

void readVideo(QByteArrayView line, TGameObject& game) {
    QByteArrayView rest = line;
    for (int i = 0; i < 5; ++i)
        rest = dropWord(rest);
    game.ScreenWidth = decode(firstWord(rest));
    rest = dropWord(dropWord(rest));
    game.ScreenHeight = decode(firstWord(rest));
}

enum class BlockEnd { Closed, EndOfFile };

BlockEnd readBlock(LineReader& reader, TGameObject& game) {
    // The field after a fixed prefix, and for quoted fields without the closing quote.
    // Cutting the bytes gives the same text as cutting the decoded line whenever the
    // prefix and the cut-off end are plain ASCII; other lines are decoded whole first.
    const auto field = [](QByteArrayView text, qsizetype prefix, qsizetype tail) {
        const auto ascii = [](char c) { return static_cast<unsigned char>(c) < 0x80; };
        bool fast = text.size() >= prefix + tail;
        for (qsizetype i = 0; fast && i < prefix; ++i)
            fast = ascii(text[i]);
        if (fast && tail)
            fast = ascii(text.back());
        if (fast)
            return decode(text.sliced(prefix, text.size() - prefix - tail));
        const QString line = decode(text);
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
        *targets[i] = field(text, kPrefix[i], kTail[i]);
        closing = text == ")";
    }
    while (!closing) {
        const auto line = reader.next();
        if (!line)
            return BlockEnd::EndOfFile;
        const QByteArrayView text = trimmed(*line);
        // The first word is what precedes the first blank: only these prefixes match.
        if (begins(text, "archive ")) {
            readArchives(text, game.Archives);
            closing = false; // the archive line never closes the block
        } else if (begins(text, "video ")) {
            readVideo(text, game);
            closing = false;
        } else {
            closing = text.size() == 1 && text.front() == ')';
        }
    }
    return BlockEnd::Closed;
}

} // namespace

bool ImportGameList(TGameObjectList& games, const QString& path, QString* error) {
    games.FreeAll();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot read the game list %1:\r%2").arg(path, file.errorString());
        return false;
    }
    // About a kilobyte per game; a good guess saves growing the name index. Capped, so
    // that a huge file of something else does not reserve memory for nothing.
    games.reserve(std::min<qsizetype>(file.size() / 1024, 200000) + 16);
    LineReader reader(file);
    while (const auto line = reader.next()) {
        if (trimmed(*line) != "game (")
            continue;
        auto game = CreateDefaultGame();
        // A block cut off by the end of the file may hold half-read fields; it is
        // dropped, and the import ends there.
        if (readBlock(reader, *game) == BlockEnd::EndOfFile)
            break;
        if (platform::isSafeFileName(game->ZipName))
            games.AddGame(std::move(game));
    }
    if (reader.failed()) {
        games.FreeAll();
        *error = QStringLiteral("Cannot read the game list %1:\r%2").arg(path, file.errorString());
        return false;
    }
    return true;
}
