#include "IniDocument.h"

#include "AtomicFile.h"
#include "FileError.h"

#include <QFile>
#include <algorithm>
#include <climits>
#include <cstring>
#include <stdexcept>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr auto kDateTimeFormat = "yyyy-MM-ddTHH:mm:ss";
constexpr qsizetype kBlockSize = 64 * 1024;
const QByteArray kUtf8Bom("\xEF\xBB\xBF");
// Put in front of an 8-bit file whose bytes happen to form UTF-8, so that it is read
// back as 8-bit text. Lines before the first section are dropped at load, so the mark
// never becomes part of the document. The last character is not UTF-8 on its own.
const QByteArray kLatin1Mark("; 8-bit text (ISO 8859-1) \xA4\r\n");

// The next section header line at or after pos, among the lines that end before limit
// (or at it): its position, with name set to the text between the brackets; -1 when
// there is none, with pos at limit. A header is a line that begins with "[" and ends
// with "]".
qsizetype nextHeader(QByteArrayView bytes, qsizetype& pos, qsizetype limit, QByteArrayView& name) {
    const char* const data = bytes.data();
    while (pos < limit) {
        const auto* bracket =
            static_cast<const char*>(std::memchr(data + pos, '[', size_t(limit - pos)));
        if (!bracket)
            break;
        const qsizetype at = bracket - data;
        pos = at + 1;
        if (at > 0 && data[at - 1] != '\n' && data[at - 1] != '\r')
            continue; // not at the start of a line
        const auto* lf = static_cast<const char*>(std::memchr(bracket, '\n', size_t(limit - at)));
        const qsizetype span = lf ? lf - bracket : limit - at;
        const auto* cr = static_cast<const char*>(std::memchr(bracket, '\r', size_t(span)));
        const QByteArrayView line(bracket, cr ? cr - bracket : span);
        pos = at + line.size();
        if (line.size() < 2 || line.back() != ']')
            continue;
        name = line.sliced(1, line.size() - 2);
        return at;
    }
    pos = limit;
    return -1;
}

// The first carriage return or line feed in [p, end), or end.
inline const char16_t* lineBreak(const char16_t* p, const char16_t* end) {
#if defined(__SSE2__) && (defined(__GNUC__) || defined(__clang__))
    // Eight units at a time: settings lines are short, and there are a great many.
    const __m128i cr = _mm_set1_epi16('\r');
    const __m128i lf = _mm_set1_epi16('\n');
    for (; end - p >= 8; p += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hits = _mm_or_si128(_mm_cmpeq_epi16(units, cr), _mm_cmpeq_epi16(units, lf));
        if (const int mask = _mm_movemask_epi8(hits))
            return p + __builtin_ctz(unsigned(mask)) / 2;
    }
#endif
    while (p < end && *p != u'\r' && *p != u'\n')
        ++p;
    return p;
}

bool isAscii(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

IniDocument::IniDocument() = default;
IniDocument::IniDocument(IniDocument&& other) noexcept = default;
IniDocument& IniDocument::operator=(IniDocument&& other) noexcept = default;
IniDocument::~IniDocument() = default;

IniDocument::IniDocument(const QString& path) : m_path(path) {
    readFile();
}

IniDocument IniDocument::emptyFor(const QString& path) {
    IniDocument document;
    document.m_path = path;
    return document;
}

IniDocument IniDocument::sectionOf(const QString& path, QStringView section) {
    IniDocument document;
    document.m_path = path;
    document.m_partial = true;
    document.m_onlySection = section.toString();
    document.readFile();
    return document;
}

IniDocument IniDocument::fromBytes(QByteArrayView bytes, const QString& path) {
    IniDocument document;
    document.m_path = path;
    document.load(bytes);
    return document;
}

void IniDocument::readFile() {
    QFile file(m_path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Cannot read %1:\r%2").arg(m_path, file.errorString()));
    bool cut = false;
    QByteArray bytes = m_partial ? readUpToSection(file, cut) : QByteArray();
    if (!cut && file.error() == QFileDevice::NoError)
        bytes += file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("Cannot read %1:\r%2").arg(m_path, file.errorString()));
    load(bytes);
}

QByteArray IniDocument::readUpToSection(QFile& file, bool& cut) const {
    // Reads reach only the first section of the name, so a large file is read up to the
    // end of that section, when everything up to there is plain ASCII: such text reads
    // alike whether the whole file turns out to be UTF-8 or 8-bit text. Otherwise the
    // rest is read too, and the whole file decides.
    constexpr qint64 kChunk = 64 * 1024;
    QByteArray bytes;
    if (!std::all_of(m_onlySection.begin(), m_onlySection.end(),
                     [](QChar c) { return c.unicode() < 0x80; }))
        return bytes;
    const QByteArray wanted = m_onlySection.toLatin1();
    qsizetype pos = 0;
    bool found = false;
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(kChunk);
        if (chunk.isEmpty())
            break; // an error, which the caller reports
        bytes += chunk;
        // Only whole lines are looked at; the last line is whole at the end of the file.
        const qsizetype limit = file.atEnd() ? bytes.size() : bytes.lastIndexOf('\n') + 1;
        QByteArrayView name;
        for (qsizetype at; (at = nextHeader(bytes, pos, limit, name)) >= 0;) {
            if (found) {
                if (!isAscii(QByteArrayView(bytes).first(at)))
                    return bytes;
                bytes.truncate(at);
                cut = true;
                return bytes;
            }
            found = name.compare(wanted, Qt::CaseInsensitive) == 0;
        }
    }
    return bytes;
}

void IniDocument::load(QByteArrayView bytes) {
    m_bom = bytes.startsWith(QByteArrayView(kUtf8Bom));
    if (m_bom)
        bytes = bytes.sliced(kUtf8Bom.size());
    // The emulator's files are 8-bit text; files that carry UTF-8 are read as such.
    m_latin1 = !bytes.isValidUtf8();
    m_bom = m_bom && !m_latin1;
    const auto decode = [this](QByteArrayView b) {
        return m_latin1 ? QString::fromLatin1(b) : QString::fromUtf8(b);
    };
    if (m_partial) {
        // Only the wanted section's lines are decoded. The rest of a large file is
        // looked at for its headers alone: lines that begin with "[".
        const auto plain = [](QStringView t) {
            return std::all_of(t.begin(), t.end(), [](QChar c) { return c.unicode() < 0x80; });
        };
        const QByteArray wantedName = m_onlySection.toLatin1();
        const bool plainName = plain(m_onlySection);
        const auto matches = [&](QByteArrayView name) {
            if (plainName && name.size() == wantedName.size() &&
                std::all_of(name.begin(), name.end(), [](char c) { return uchar(c) < 0x80; }))
                return name.compare(wantedName, Qt::CaseInsensitive) == 0;
            return NameIndex::equalIgnoringCase(decode(name), m_onlySection);
        };
        QByteArray wanted;
        qsizetype keepFrom = -1;
        qsizetype pos = 0;
        QByteArrayView name;
        for (qsizetype at; (at = nextHeader(bytes, pos, bytes.size(), name)) >= 0;) {
            if (keepFrom >= 0)
                wanted += bytes.sliced(keepFrom, at - keepFrom);
            keepFrom = matches(name) ? at : -1;
        }
        if (keepFrom >= 0)
            wanted += bytes.sliced(keepFrom);
        m_text = decode(wanted);
    } else {
        m_text = decode(bytes);
    }

    const QStringView text(m_text);
    const char16_t* const data = text.utf16();
    const qsizetype size = text.size();
    if (!m_partial) {
        // Room for every line and section at once: a file of forty thousand sections
        // would otherwise be copied into ever larger arrays as it is read.
        const auto count = [bytes](char c) {
            qsizetype n = 0;
            if (bytes.isEmpty())
                return n;
            const char* p = bytes.data();
            const char* const end = p + bytes.size();
            while ((p = static_cast<const char*>(std::memchr(p, c, size_t(end - p))))) {
                ++n;
                ++p;
            }
            return n;
        };
        m_lines.reserve(size_t(count('\n') + 1));
        m_sections.reserve(size_t(count('[')));
    }
    qint32 current = -1;
    qsizetype pos = 0;
    while (pos < size) {
        const qsizetype end = lineBreak(data + pos, data + size) - data;
        const QStringView line = text.sliced(pos, end - pos);
        pos = end;
        if (pos < size) // one line break: CR LF, a lone LF or a lone CR
            pos += (data[pos] == u'\r' && pos + 1 < size && data[pos + 1] == u'\n') ? 2 : 1;

        if (line.isEmpty() || line.front() == u';')
            continue;
        if (line.size() >= 2 && line.front() == u'[' && line.back() == u']') {
            const QStringView name = line.sliced(1, line.size() - 2);
            if (m_partial && !NameIndex::equalIgnoringCase(name, m_onlySection)) {
                current = -1; // its lines are not wanted
                continue;
            }
            m_sections.push_back({name, -1, -1, false});
            current = qint32(m_sections.size()) - 1;
            continue;
        }
        if (current >= 0) {
            const auto eq = std::find(line.begin(), line.end(), u'=');
            addLine(m_sections[size_t(current)], line, eq == line.end() ? -1 : eq - line.begin());
        }
    }
    rebuildIndex();
}

void IniDocument::addLine(Section& section, QStringView text, qsizetype eq) {
    const qint32 index = qint32(m_lines.size());
    m_lines.push_back({text, qint32(eq), -1});
    if (section.last >= 0)
        m_lines[size_t(section.last)].next = index;
    else
        section.first = index;
    section.last = index;
}

void IniDocument::rebuildIndex() {
    m_firstSection.clear();
    m_lastFound = -1;
    m_firstSection.reserve(qsizetype(m_sections.size()));
    for (qint32 i = 0; i < qint32(m_sections.size()); ++i) {
        Section& section = m_sections[size_t(i)];
        section.shadowed = !m_firstSection.insert(section.name, i);
    }
}

QStringView IniDocument::store(std::initializer_list<QStringView> parts) {
    qsizetype length = 0;
    for (QStringView part : parts)
        length += part.size();
    if (length > m_blockFree) {
        const qsizetype size = std::max(length, kBlockSize);
        m_blocks.push_back(std::make_unique_for_overwrite<char16_t[]>(size_t(size)));
        m_blockEnd = m_blocks.back().get();
        m_blockFree = size;
    }
    char16_t* const start = m_blockEnd;
    for (QStringView part : parts) {
        if (part.isEmpty())
            continue; // an empty part may have no text at all
        std::memcpy(m_blockEnd, part.utf16(), size_t(part.size()) * sizeof(char16_t));
        m_blockEnd += part.size();
    }
    m_blockFree -= length;
    return QStringView(start, length);
}

qint32 IniDocument::findSectionIndex(QStringView name) const {
    for (const qint32 guess : {m_lastFound, m_lastFound + 1}) {
        if (guess >= 0 && guess < qint32(m_sections.size())) {
            const Section& section = m_sections[size_t(guess)];
            if (!section.shadowed && NameIndex::equalIgnoringCase(section.name, name))
                return m_lastFound = guess;
        }
    }
    const qint32 index = m_firstSection.value(name);
    if (index != NameIndex::kMissing)
        m_lastFound = index;
    return index;
}

const IniDocument::Section* IniDocument::findSection(QStringView name) const {
    const qint32 index = findSectionIndex(name);
    return index == NameIndex::kMissing ? nullptr : &m_sections[size_t(index)];
}

IniDocument::Section& IniDocument::sectionForWrite(QStringView name) {
    qint32 index = findSectionIndex(name);
    if (index == NameIndex::kMissing) {
        index = qint32(m_sections.size());
        m_sections.push_back({store({name}), -1, -1, false});
        m_firstSection.insert(m_sections.back().name, index);
        m_lastFound = index;
    }
    return m_sections[size_t(index)];
}

const IniDocument::Line* IniDocument::findLine(const Section& section, QStringView key) const {
    for (qint32 i = section.first; i >= 0; i = m_lines[size_t(i)].next) {
        const Line& line = m_lines[size_t(i)];
        if (line.eq == key.size() && NameIndex::equalIgnoringCase(line.text.first(line.eq), key))
            return &line;
    }
    return nullptr;
}

IniDocument::SectionReader IniDocument::section(QStringView section) const {
    return SectionReader(*this, findSectionIndex(section));
}

const IniDocument::Line* IniDocument::SectionReader::line(QStringView key) const {
    return m_section == NameIndex::kMissing
               ? nullptr
               : m_document.findLine(m_document.m_sections[size_t(m_section)], key);
}

QString IniDocument::SectionReader::readString(QStringView key, const QString& defaultValue) const {
    const Line* line = this->line(key);
    return line ? line->text.sliced(line->eq + 1).toString() : defaultValue;
}

int IniDocument::SectionReader::readInteger(QStringView key, int defaultValue) const {
    const Line* line = this->line(key);
    int value = 0;
    return line && parseInteger(line->text.sliced(line->eq + 1), &value) ? value : defaultValue;
}

bool IniDocument::SectionReader::readBool(QStringView key, bool defaultValue) const {
    return readInteger(key, defaultValue ? 1 : 0) != 0;
}

QDateTime IniDocument::SectionReader::readDateTime(QStringView key,
                                                   const QDateTime& defaultValue) const {
    const Line* line = this->line(key);
    const QDateTime value = line ? parseDateTime(line->text.sliced(line->eq + 1)) : QDateTime();
    return value.isValid() ? value : defaultValue;
}

bool IniDocument::SectionReader::keyExists(QStringView key) const {
    return line(key) != nullptr;
}

QString IniDocument::readString(QStringView section, QStringView key,
                                const QString& defaultValue) const {
    return this->section(section).readString(key, defaultValue);
}

bool IniDocument::parseInteger(QStringView text, int* value) {
    // Leading blanks are accepted as the emulator's own reader does; anything else
    // around the number makes it no number.
    while (!text.isEmpty() && text.front() == u' ')
        text = text.sliced(1);
    QStringView hex;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X'))
        hex = text.sliced(2);
    else if (text.startsWith(u'$'))
        hex = text.sliced(1);
    if (!hex.isNull()) {
        if (hex.isEmpty() || hex.size() > 8)
            return false;
        quint32 v = 0;
        for (QChar c : hex) {
            const int d = hexDigit(c);
            if (d < 0)
                return false;
            v = v * 16 + quint32(d);
        }
        *value = int(v); // eight hex digits cover the whole 32-bit range, sign included
        return true;
    }
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text = text.sliced(1);
    }
    if (text.isEmpty())
        return false;
    qint64 v = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
        v = v * 10 + (c.unicode() - '0');
        if (v > qint64(INT_MAX) + 1)
            return false;
    }
    v = negative ? -v : v;
    if (v > INT_MAX)
        return false;
    *value = int(v);
    return true;
}

int IniDocument::readInteger(QStringView section, QStringView key, int defaultValue) const {
    return this->section(section).readInteger(key, defaultValue);
}

bool IniDocument::readBool(QStringView section, QStringView key, bool defaultValue) const {
    return this->section(section).readBool(key, defaultValue);
}

QString IniDocument::dateTimeText(const QDateTime& value) {
    return value.isValid()
               ? value.toUTC().toString(QLatin1StringView(kDateTimeFormat)) + QLatin1Char('Z')
               : QString();
}

QDateTime IniDocument::parseDateTime(QStringView text) {
    // The form the program writes, "yyyy-MM-ddTHH:mm:ssZ", is read digit by digit: a
    // settings file may hold thousands of them, and a time in UTC must not pass through
    // local time, where the hour that the clock skips in spring does not exist.
    if (text.size() == 20 && text.back() == u'Z') {
        int fields[6] = {};
        bool digits = true;
        static constexpr qsizetype kStart[6] = {0, 5, 8, 11, 14, 17};
        for (int f = 0; f < 6 && digits; ++f) {
            for (qsizetype i = kStart[f]; i < kStart[f] + (f == 0 ? 4 : 2); ++i) {
                const char16_t c = text[i].unicode();
                digits = digits && c >= u'0' && c <= u'9';
                fields[f] = fields[f] * 10 + (c - u'0');
            }
        }
        if (digits && text[4] == u'-' && text[7] == u'-' && text[10] == u'T' && text[13] == u':' &&
            text[16] == u':') {
            const QDate date(fields[0], fields[1], fields[2]);
            const QTime time(fields[3], fields[4], fields[5]);
            if (fields[0] < 1 || !date.isValid() || !time.isValid())
                return {};
            return QDateTime(date, time, Qt::UTC);
        }
    }
    const bool utc = text.endsWith(u'Z');
    const QDateTime local = QDateTime::fromString(
        utc ? text.chopped(1).toString() : text.toString(), QLatin1StringView(kDateTimeFormat));
    if (!local.isValid() || !utc)
        return local;
    return QDateTime(local.date(), local.time(), Qt::UTC);
}

QDateTime IniDocument::readDateTime(QStringView section, QStringView key,
                                    const QDateTime& defaultValue) const {
    return this->section(section).readDateTime(key, defaultValue);
}

void IniDocument::checkWritable(QStringView section, QStringView key, QStringView value) const {
    const auto hasBreak = [](QStringView text) {
        return text.contains(u'\r') || text.contains(u'\n');
    };
    const auto tooWide = [this](QStringView text) {
        return m_latin1 &&
               std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x100; });
    };
    const auto refuse = [&](const QString& why) {
        throw FileError(QStringLiteral("Cannot write %1:\r%2").arg(m_path, why));
    };
    if (hasBreak(section) || hasBreak(key) || hasBreak(value))
        refuse(QStringLiteral("the value of \"%1\" in [%2] holds a line break, which would "
                              "split it into lines of its own.")
                   .arg(key, section));
    if (key.contains(u'='))
        refuse(QStringLiteral("the key \"%1\" holds \"=\".").arg(key));
    // A line that began with ";" would be a comment, one in brackets a section header.
    if (key.startsWith(u';') || (key.startsWith(u'[') && value.endsWith(u']')))
        refuse(QStringLiteral("the line \"%1=%2\" would be read back as something else.")
                   .arg(key, value));
    for (QStringView text : {value, key, section}) {
        if (tooWide(text))
            refuse(QStringLiteral("\"%1\" cannot be written into this file, which holds "
                                  "8-bit text (ISO 8859-1).")
                       .arg(text));
    }
}

void IniDocument::writeString(QStringView section, QStringView key, QStringView value) {
    checkWritable(section, key, value);
    Section& s = sectionForWrite(section);
    const QStringView text = store({key, u"=", value});
    for (qint32 i = s.first; i >= 0; i = m_lines[size_t(i)].next) {
        Line& line = m_lines[size_t(i)];
        if (line.eq == key.size() && NameIndex::equalIgnoringCase(line.text.first(line.eq), key)) {
            line.text = text;
            return;
        }
    }
    addLine(s, text, key.size());
}

void IniDocument::writeInteger(QStringView section, QStringView key, int value) {
    char16_t buffer[16];
    char16_t* end = buffer + std::size(buffer);
    char16_t* p = end;
    qint64 v = value;
    const bool negative = v < 0;
    if (negative)
        v = -v;
    do {
        *--p = char16_t(u'0' + v % 10);
        v /= 10;
    } while (v);
    if (negative)
        *--p = u'-';
    writeString(section, key, QStringView(p, end - p));
}

void IniDocument::writeBool(QStringView section, QStringView key, bool value) {
    writeString(section, key, value ? u"1" : u"0");
}

void IniDocument::writeDateTime(QStringView section, QStringView key, const QDateTime& value) {
    writeString(section, key, dateTimeText(value));
}

bool IniDocument::sectionExists(QStringView section) const {
    const Section* s = findSection(section);
    return s && s->first >= 0;
}

bool IniDocument::keyExists(QStringView section, QStringView key) const {
    return this->section(section).keyExists(key);
}

QStringList IniDocument::sectionNames() const {
    QStringList names;
    for (qint32 i = 0; i < qint32(m_sections.size()); ++i) {
        if (m_firstSection.value(m_sections[size_t(i)].name) == i)
            names.append(m_sections[size_t(i)].name.toString());
    }
    return names;
}

void IniDocument::eraseSection(QStringView section) {
    const qint32 index = m_firstSection.value(section);
    if (index == NameIndex::kMissing)
        return;
    m_sections.erase(m_sections.begin() + index);
    rebuildIndex();
}

void IniDocument::reserve(qsizetype sections, qsizetype lines) {
    m_sections.reserve(size_t(sections));
    m_lines.reserve(size_t(lines));
    m_firstSection.reserve(sections);
}

void IniDocument::clear() {
    m_sections.clear();
    m_lines.clear();
    m_firstSection.clear();
    m_lastFound = -1;
}

QByteArray IniDocument::serialize() const {
    // Two passes over the text: the exact size, then the bytes into a buffer of that
    // size, so that a file of forty thousand sections is written in one piece.
    const bool latin1 = m_latin1;
    qsizetype size = m_bom ? kUtf8Bom.size() : 0;
    const auto measure = [&](QStringView text) {
        size += text.size();
        if (latin1)
            return;
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u >= 0x80)
                size += u < 0x800 || c.isSurrogate() ? 1 : 2; // a pair's units: 2 + 2 bytes
        }
    };
    for (const Section& s : m_sections) {
        measure(s.name);
        size += 6; // "[", "]", CR LF, and the empty line's CR LF
        for (qint32 i = s.first; i >= 0; i = m_lines[size_t(i)].next) {
            measure(m_lines[size_t(i)].text);
            size += 2;
        }
    }
    QByteArray out(size, Qt::Uninitialized);
    char* dst = out.data();
    const auto put = [&](QStringView text) {
        const char16_t* src = text.utf16();
        const qsizetype n = text.size();
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t u = src[i];
            if (u < 0x80 || latin1) {
                *dst++ = char(u);
            } else if (u < 0x800) {
                *dst++ = char(0xC0 | (u >> 6));
                *dst++ = char(0x80 | (u & 0x3F));
            } else if (QChar::isHighSurrogate(u) && i + 1 < n &&
                       QChar::isLowSurrogate(src[i + 1])) {
                const char32_t cp = QChar::surrogateToUcs4(u, src[++i]);
                *dst++ = char(0xF0 | (cp >> 18));
                *dst++ = char(0x80 | ((cp >> 12) & 0x3F));
                *dst++ = char(0x80 | ((cp >> 6) & 0x3F));
                *dst++ = char(0x80 | (cp & 0x3F));
            } else if (QChar::isSurrogate(u)) {
                // A unit without its pair: two bytes were counted for it; "?" and a blank
                // would change the text's meaning less than invalid UTF-8 does.
                *dst++ = '?';
                *dst++ = ' ';
            } else {
                *dst++ = char(0xE0 | (u >> 12));
                *dst++ = char(0x80 | ((u >> 6) & 0x3F));
                *dst++ = char(0x80 | (u & 0x3F));
            }
        }
    };
    const auto putBytes = [&](const char* bytes, qsizetype n) {
        std::memcpy(dst, bytes, size_t(n));
        dst += n;
    };
    if (m_bom)
        putBytes(kUtf8Bom.constData(), kUtf8Bom.size());
    for (const Section& s : m_sections) {
        *dst++ = '[';
        put(s.name);
        putBytes("]\r\n", 3);
        for (qint32 i = s.first; i >= 0; i = m_lines[size_t(i)].next) {
            put(m_lines[size_t(i)].text);
            putBytes("\r\n", 2);
        }
        putBytes("\r\n", 2);
    }
    Q_ASSERT(dst == out.constData() + out.size());
    if (latin1) {
        const bool plain =
            std::all_of(out.cbegin(), out.cend(), [](char c) { return uchar(c) < 0x80; });
        if (!plain && out.isValidUtf8())
            out.prepend(kLatin1Mark);
    }
    return out;
}

void IniDocument::save() const {
    // A partial document would replace the file with one section of it.
    if (m_partial)
        throw std::logic_error("a partial INI document cannot be saved");
    writeFileAtomically(m_path, serialize());
}
