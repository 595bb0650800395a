#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// The emulator's configuration file as its lines, each kept as the bytes it was read
// as, its line ending included. The file belongs to the emulator: every line the
// program does not write stays byte for byte, comments, empty lines and the lines
// before the first section too, whatever the text's encoding.
//
// Things are found where the emulator's own reader finds them: names compare without
// regard to case and without the blanks and tabs around them, and the first matching
// section and line win. A key is the text before the first "=" ("key=value",
// "key = value" and "key\t= value" name the same key); a header is "[", the name and
// "]", with anything after it ("[Directories] ; paths"); a line whose first character
// other than a blank is ";" is a comment. A key found is changed in its own line.
class EmulatorConfigFile final {
public:
    // Loads the file when it exists; a missing file gives an empty one. Throws FileError
    // when an existing file cannot be read.
    explicit EmulatorConfigFile(const QString& path);
    static EmulatorConfigFile fromBytes(QByteArrayView bytes, const QString& path = {});

    // The bytes after the "=" of the key's line, or nothing when there is no such line.
    std::optional<QByteArray> rawValue(QStringView section, QStringView key) const;
    // The value as text: UTF-8 when its bytes are UTF-8, else 8-bit text (ISO 8859-1).
    QString readString(QStringView section, QStringView key, const QString& defaultValue) const;
    bool readBool(QStringView section, QStringView key, bool defaultValue) const;

    // Replaces the key's line in place by key, "=" and value, keeping its line ending;
    // a missing key goes after the last line of its section, a missing section at the
    // end of the file. Throws FileError, changing nothing, when the value holds a line
    // break.
    void writeRaw(QStringView section, QStringView key, QByteArrayView value);
    // Text in the file's own encoding: UTF-8, or 8-bit text when the file held 8-bit
    // text that is not UTF-8 (a character that 8-bit text cannot hold throws FileError).
    void writeString(QStringView section, QStringView key, QStringView value);
    void writeInteger(QStringView section, QStringView key, int value);
    void writeBool(QStringView section, QStringView key, bool value);
    // A path as the file system's bytes of it, whatever the rest of the file holds: the
    // emulator opens exactly those bytes.
    void writePath(QStringView section, QStringView key, const QString& path);

    // Removes every section of that name, in one pass: its header, its lines and the
    // empty lines after them. Comments after its last line stay: they tell of what
    // follows.
    void eraseSection(QStringView section);

    QByteArray bytes() const;
    // Replaces the file on disk, unless it holds these bytes already. Throws FileError
    // (the old file stays whole).
    void save() const;

    // A value's bytes as text, by the rule readString() follows.
    static QString decodeValue(QByteArrayView value);

private:
    struct Line {
        QByteArray text; // without its line ending
        QByteArray end;  // "\r\n", "\n", "\r", or empty for a last line without one
    };
    EmulatorConfigFile() = default;
    void load(QByteArrayView bytes);
    // The line's text as the parser sees it: the first line without a byte order mark.
    QByteArrayView body(qsizetype index) const;
    std::optional<QByteArrayView> sectionName(qsizetype index) const;
    static std::optional<QByteArrayView> headerName(QByteArrayView line);
    bool isContent(qsizetype index) const;
    qsizetype findSection(QStringView section, qsizetype from = 0) const;
    // One past the last line of the section whose header is at header.
    qsizetype sectionEnd(qsizetype header) const;
    qsizetype findKey(qsizetype header, QStringView key) const;
    void insertLine(qsizetype at, QByteArray text);
    [[noreturn]] void refuse(const QString& why) const;

    QString m_path;
    std::vector<Line> m_lines;
    QByteArray m_newline = "\r\n"; // what added lines end with: the file's first ending
    bool m_8bit = false;           // held 8-bit text that is not UTF-8
};
