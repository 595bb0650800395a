#include "IniDocument.h"

#include "FileError.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <stdexcept>

namespace {

constexpr auto kDateTimeFormat = "yyyy-MM-ddTHH:mm:ss";

QString folded(QStringView name) {
    return name.toString().toCaseFolded();
}

QStringView keyOf(const QString& line, bool* hasKey) {
    const qsizetype eq = line.indexOf(u'=');
    *hasKey = eq >= 0;
    return QStringView(line).left(eq < 0 ? 0 : eq);
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

IniDocument::IniDocument(const QString& path) : m_path(path) {
    readFile();
}

IniDocument IniDocument::sectionOf(const QString& path, QStringView section) {
    IniDocument document;
    document.m_path = path;
    document.m_onlySection = folded(section);
    document.readFile();
    return document;
}

void IniDocument::readFile() {
    const QString& path = m_path;
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

IniDocument IniDocument::emptyFor(const QString& path) {
    IniDocument document;
    document.m_path = path;
    return document;
}

void IniDocument::load(const QByteArray& rawBytes) {
    QByteArrayView bytes(rawBytes);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);

    // The emulator's files are 8-bit text; files that carry UTF-8 are read as such.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError()) {
        text = QString::fromLatin1(bytes);
        m_latin1 = true;
    }

    Section* current = nullptr;
    qsizetype pos = 0;
    const qsizetype size = text.size();
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QStringView line = QStringView(text).mid(pos, end - pos);
        pos = end;
        if (pos < size) // one line break: CR LF, a lone LF or a lone CR
            pos += (text[pos] == u'\r' && pos + 1 < size && text[pos + 1] == u'\n') ? 2 : 1;

        if (line.isEmpty() || line.front() == u';')
            continue;
        if (line.size() >= 2 && line.front() == u'[' && line.back() == u']') {
            const QStringView name = line.mid(1, line.size() - 2);
            if (!m_onlySection.isNull() && name.compare(m_onlySection, Qt::CaseInsensitive) != 0) {
                current = nullptr; // its lines are not wanted
                continue;
            }
            m_sections.push_back({name.toString(), {}});
            current = &m_sections.back();
            continue;
        }
        if (current)
            current->lines.append(line.toString());
    }
    rebuildIndex();
}

void IniDocument::rebuildIndex() {
    m_firstSection.clear();
    m_firstSection.reserve(qsizetype(m_sections.size()));
    for (qsizetype i = 0; i < qsizetype(m_sections.size()); ++i) {
        const QString key = folded(m_sections[size_t(i)].name);
        if (!m_firstSection.contains(key))
            m_firstSection.insert(key, i);
    }
}

const IniDocument::Section* IniDocument::findSection(QStringView name) const {
    const auto it = m_firstSection.constFind(folded(name));
    return it == m_firstSection.cend() ? nullptr : &m_sections[size_t(*it)];
}

IniDocument::Section* IniDocument::findSection(QStringView name) {
    return const_cast<Section*>(std::as_const(*this).findSection(name));
}

IniDocument::Section& IniDocument::sectionForWrite(QStringView name) {
    if (Section* s = findSection(name))
        return *s;
    m_sections.push_back({name.toString(), {}});
    m_firstSection.insert(folded(name), qsizetype(m_sections.size()) - 1);
    return m_sections.back();
}

qsizetype IniDocument::findLine(const Section& section, QStringView key) {
    for (qsizetype i = 0; i < section.lines.size(); ++i) {
        bool hasKey = false;
        const QStringView lineKey = keyOf(section.lines[i], &hasKey);
        if (hasKey && lineKey.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString IniDocument::readString(QStringView section, QStringView key,
                                const QString& defaultValue) const {
    const Section* s = findSection(section);
    if (!s)
        return defaultValue;
    const qsizetype i = findLine(*s, key);
    if (i < 0)
        return defaultValue;
    const QString& line = s->lines[i];
    return line.mid(line.indexOf(u'=') + 1);
}

bool IniDocument::parseInteger(QStringView text, int* value) {
    // Leading blanks are accepted as the emulator's own reader does; anything else
    // around the number makes it no number.
    while (!text.isEmpty() && text.front() == u' ')
        text = text.mid(1);
    QStringView hex;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X'))
        hex = text.mid(2);
    else if (text.startsWith(u'$'))
        hex = text.mid(1);
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
        text = text.mid(1);
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
    int value = 0;
    return parseInteger(readString(section, key, QString()), &value) ? value : defaultValue;
}

bool IniDocument::readBool(QStringView section, QStringView key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

QString IniDocument::dateTimeText(const QDateTime& value) {
    return value.isValid() ? value.toString(QLatin1StringView(kDateTimeFormat)) : QString();
}

QDateTime IniDocument::parseDateTime(const QString& text) {
    return QDateTime::fromString(text, QLatin1StringView(kDateTimeFormat));
}

QDateTime IniDocument::readDateTime(QStringView section, QStringView key,
                                    const QDateTime& defaultValue) const {
    const QDateTime value = parseDateTime(readString(section, key, QString()));
    return value.isValid() ? value : defaultValue;
}

void IniDocument::writeString(QStringView section, QStringView key, const QString& value) {
    Section& s = sectionForWrite(section);
    QString line = key.toString() + u'=' + value;
    const qsizetype i = findLine(s, key);
    if (i >= 0)
        s.lines[i] = std::move(line);
    else
        s.lines.append(std::move(line));
}

void IniDocument::writeInteger(QStringView section, QStringView key, int value) {
    writeString(section, key, QString::number(value));
}

void IniDocument::writeBool(QStringView section, QStringView key, bool value) {
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniDocument::writeDateTime(QStringView section, QStringView key, const QDateTime& value) {
    writeString(section, key, dateTimeText(value));
}

bool IniDocument::sectionExists(QStringView section) const {
    const Section* s = findSection(section);
    return s && !s->lines.isEmpty();
}

bool IniDocument::keyExists(QStringView section, QStringView key) const {
    const Section* s = findSection(section);
    return s && findLine(*s, key) >= 0;
}

QStringList IniDocument::sectionNames() const {
    QStringList names;
    for (qsizetype i = 0; i < qsizetype(m_sections.size()); ++i) {
        if (m_firstSection.value(folded(m_sections[size_t(i)].name), -1) == i)
            names.append(m_sections[size_t(i)].name);
    }
    return names;
}

void IniDocument::eraseSection(QStringView section) {
    const auto it = m_firstSection.constFind(folded(section));
    if (it == m_firstSection.cend())
        return;
    m_sections.erase(m_sections.begin() + *it);
    rebuildIndex();
}

void IniDocument::clear() {
    m_sections.clear();
    m_firstSection.clear();
}

QByteArray IniDocument::serialize() const {
    QString text;
    for (const Section& s : m_sections) {
        text += u'[' + s.name + QStringLiteral("]\r\n");
        for (const QString& line : s.lines)
            text += line + QStringLiteral("\r\n");
        text += QStringLiteral("\r\n");
    }
    if (m_latin1) {
        // Keep the emulator's 8-bit form unless a value cannot be said in it.
        const bool fits =
            std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x100; });
        if (fits)
            return text.toLatin1();
    }
    return text.toUtf8();
}

void IniDocument::save() const {
    // A partial document would replace the file with one section of it.
    if (!m_onlySection.isNull())
        throw std::logic_error("a partial INI document cannot be saved");
    QSaveFile file(m_path);
    const QByteArray bytes = serialize();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw FileError(QStringLiteral("Cannot write %1:\r%2").arg(m_path, file.errorString()));
}
