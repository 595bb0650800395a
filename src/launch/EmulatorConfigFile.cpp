#include "EmulatorConfigFile.h"

#include "core/AtomicFile.h"
#include "core/FileError.h"
#include "core/IniDocument.h"

#include <QFile>
#include <algorithm>
#include <utility>

namespace {

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");

// Without the blanks and tabs at either end, which the emulator's reader skips.
template <typename View> View trimmedBlanks(View text) {
    const auto blank = [](auto c) { return c == u' ' || c == u'\t'; };
    while (!text.isEmpty() && blank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && blank(text.back()))
        text.chop(1);
    return text;
}

bool sameName(QByteArrayView bytes, QStringView name) {
    return bytes.size() == name.size() &&
           QLatin1StringView(bytes).compare(name, Qt::CaseInsensitive) == 0;
}

} // namespace

EmulatorConfigFile::EmulatorConfigFile(const QString& path) : m_path(path) {
    QFile file(path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Cannot read %1:\r%2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("Cannot read %1:\r%2").arg(path, file.errorString()));
    load(bytes);
}

EmulatorConfigFile EmulatorConfigFile::fromBytes(QByteArrayView bytes, const QString& path) {
    EmulatorConfigFile file;
    file.m_path = path;
    file.load(bytes);
    return file;
}

void EmulatorConfigFile::load(QByteArrayView bytes) {
    m_8bit = !bytes.isValidUtf8();
    bool newlineSeen = false;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype end = pos;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        Line line{bytes.sliced(pos, end - pos).toByteArray(), {}};
        // One line break: CR LF, a lone LF or a lone CR.
        if (end < bytes.size()) {
            const qsizetype length =
                bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1;
            line.end = bytes.sliced(end, length).toByteArray();
            end += length;
        }
        if (!newlineSeen && !line.end.isEmpty()) {
            m_newline = line.end;
            newlineSeen = true;
        }
        m_lines.push_back(std::move(line));
        pos = end;
    }
}

QByteArrayView EmulatorConfigFile::body(qsizetype index) const {
    QByteArrayView text = m_lines[size_t(index)].text;
    return index == 0 && text.startsWith(kUtf8Bom) ? text.sliced(kUtf8Bom.size()) : text;
}

std::optional<QByteArrayView> EmulatorConfigFile::sectionName(qsizetype index) const {
    return headerName(body(index));
}

std::optional<QByteArrayView> EmulatorConfigFile::headerName(QByteArrayView line) {
    // As the emulator reads a header: "[", the name, "]", and whatever after it (a
    // comment, say); blanks around the name do not count.
    const QByteArrayView text = trimmedBlanks(line);
    if (!text.startsWith('['))
        return std::nullopt;
    const qsizetype close = text.indexOf(']');
    if (close < 0)
        return std::nullopt;
    return trimmedBlanks(text.sliced(1, close - 1));
}

bool EmulatorConfigFile::isContent(qsizetype index) const {
    const QByteArrayView text = trimmedBlanks(body(index));
    return !text.isEmpty() && text.front() != ';';
}

qsizetype EmulatorConfigFile::findSection(QStringView section, qsizetype from) const {
    section = trimmedBlanks(section);
    for (qsizetype i = from; i < qsizetype(m_lines.size()); ++i) {
        const auto name = sectionName(i);
        if (name && sameName(*name, section))
            return i;
    }
    return -1;
}

qsizetype EmulatorConfigFile::sectionEnd(qsizetype header) const {
    qsizetype i = header + 1;
    while (i < qsizetype(m_lines.size()) && !sectionName(i))
        ++i;
    return i;
}

qsizetype EmulatorConfigFile::findKey(qsizetype header, QStringView key) const {
    // The emulator reads "key=value", "key = value" and "key\t= value" alike: the key is
    // the text before the "=" without the blanks around it.
    key = trimmedBlanks(key);
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (!isContent(i))
            continue;
        const QByteArrayView text = body(i);
        const qsizetype eq = text.indexOf('=');
        if (eq >= 0 && sameName(trimmedBlanks(text.first(eq)), key))
            return i;
    }
    return -1;
}

std::optional<QByteArray> EmulatorConfigFile::rawValue(QStringView section, QStringView key) const {
    const qsizetype header = findSection(section);
    const qsizetype line = header < 0 ? -1 : findKey(header, key);
    if (line < 0)
        return std::nullopt;
    const QByteArrayView text = body(line);
    return text.sliced(text.indexOf('=') + 1).toByteArray();
}

QString EmulatorConfigFile::decodeValue(QByteArrayView value) {
    return value.isValidUtf8() ? QString::fromUtf8(value) : QString::fromLatin1(value);
}

QString EmulatorConfigFile::readString(QStringView section, QStringView key,
                                       const QString& defaultValue) const {
    const auto value = rawValue(section, key);
    return value ? decodeValue(*value) : defaultValue;
}

bool EmulatorConfigFile::readBool(QStringView section, QStringView key, bool defaultValue) const {
    int value = 0;
    const auto raw = rawValue(section, key);
    return raw && IniDocument::parseInteger(decodeValue(*raw), &value) ? value != 0 : defaultValue;
}

void EmulatorConfigFile::refuse(const QString& why) const {
    throw FileError(QStringLiteral("Cannot write %1:\r%2").arg(m_path, why));
}

void EmulatorConfigFile::insertLine(qsizetype at, QByteArray text) {
    // A last line without a line ending gets one before anything follows it.
    if (at > 0 && m_lines[size_t(at - 1)].end.isEmpty())
        m_lines[size_t(at - 1)].end = m_newline;
    m_lines.insert(m_lines.begin() + at, Line{std::move(text), m_newline});
}

void EmulatorConfigFile::writeRaw(QStringView section, QStringView key, QByteArrayView value) {
    const auto hasBreak = [](QStringView text) {
        return text.contains(u'\r') || text.contains(u'\n');
    };
    if (hasBreak(section) || hasBreak(key) || value.contains('\r') || value.contains('\n'))
        refuse(QStringLiteral("the value of \"%1\" in [%2] holds a line break, which would "
                              "split it into lines of its own.")
                   .arg(key, section));
    // Names are found by their bytes as 8-bit text.
    const auto wide = [](QStringView text) {
        return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x100; });
    };
    if (wide(section) || wide(key) || key.contains(u'='))
        refuse(QStringLiteral("\"%1\" in [%2] cannot be a key of this file.").arg(key, section));
    // A header holds its name up to the first "]", without the blanks around it.
    if (section.contains(u']') || trimmedBlanks(section) != section)
        refuse(QStringLiteral("[%1] cannot be a section of this file.").arg(section));
    const QByteArray text = key.toLatin1() + '=' + value.toByteArray();
    if (trimmedBlanks(text).startsWith(';') || headerName(text))
        refuse(QStringLiteral("the line \"%1\" would be read back as something else.")
                   .arg(decodeValue(text)));
    qsizetype header = findSection(section);
    if (header < 0) {
        // In the form the emulator's sections have: header, lines, an empty line.
        header = qsizetype(m_lines.size());
        insertLine(header, '[' + section.toLatin1() + ']');
        insertLine(header + 1, text);
        insertLine(header + 2, QByteArray());
        return;
    }
    const qsizetype line = findKey(header, key);
    if (line >= 0) {
        m_lines[size_t(line)].text = text;
        return;
    }
    // After the section's last line, so the empty lines and comments that lead to the
    // next section stay before it.
    qsizetype after = header;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (isContent(i))
            after = i;
    }
    insertLine(after + 1, text);
}

void EmulatorConfigFile::writeString(QStringView section, QStringView key, QStringView value) {
    if (!m_8bit) {
        writeRaw(section, key, value.toUtf8());
        return;
    }
    for (const QChar c : value) {
        if (c.unicode() >= 0x100)
            refuse(QStringLiteral("\"%1\" cannot be written into this file, which holds "
                                  "8-bit text (ISO 8859-1).")
                       .arg(value));
    }
    writeRaw(section, key, value.toLatin1());
}

void EmulatorConfigFile::writeInteger(QStringView section, QStringView key, int value) {
    writeRaw(section, key, QByteArray::number(value));
}

void EmulatorConfigFile::writeBool(QStringView section, QStringView key, bool value) {
    writeRaw(section, key, value ? "1" : "0");
}

void EmulatorConfigFile::writePath(QStringView section, QStringView key, const QString& path) {
    writeRaw(section, key, QFile::encodeName(path));
}

void EmulatorConfigFile::eraseSection(QStringView section) {
    if (findSection(section) < 0)
        return;
    section = trimmedBlanks(section);
    // Every copy of the section goes in one pass over the lines, however many there are.
    std::vector<Line> kept;
    kept.reserve(m_lines.size());
    QByteArray byteOrderMark; // of a first line that goes: the file keeps it
    const qsizetype count = qsizetype(m_lines.size());
    for (qsizetype i = 0; i < count;) {
        const auto name = sectionName(i);
        if (!name || !sameName(*name, section)) {
            kept.push_back(std::move(m_lines[size_t(i)]));
            if (kept.size() == 1)
                kept.front().text.prepend(std::exchange(byteOrderMark, {}));
            ++i;
            continue;
        }
        if (i == 0 && m_lines.front().text.startsWith(kUtf8Bom))
            byteOrderMark = kUtf8Bom.toByteArray();
        const qsizetype end = sectionEnd(i);
        qsizetype last = i;
        for (qsizetype j = i + 1; j < end; ++j) {
            if (isContent(j))
                last = j;
        }
        i = last + 1;
        while (i < end && trimmedBlanks(body(i)).isEmpty())
            ++i;
    }
    m_lines = std::move(kept);
}

QByteArray EmulatorConfigFile::bytes() const {
    QByteArray out;
    for (const Line& line : m_lines)
        out += line.text + line.end;
    return out;
}

void EmulatorConfigFile::save() const {
    // Most saves (every close writes the rompaths) change nothing: the emulator's file
    // then keeps its time and is not written again.
    const QByteArray content = bytes();
    writeFileIfChanged(m_path, [&](const ByteSink& sink) { sink(content); });
}
