#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

// An INI-style file held whole in memory. Every read and write works on memory;
// only save() touches the disk, through a temporary file renamed over the old one.
//
// The rules are those of the emulator's own files: nothing is trimmed (blanks are part
// of keys and values), names compare without regard to case, the first matching section
// and line win, and a key with a trailing blank matches only keys with that blank.
class IniDocument final {
public:
    IniDocument() = default;
    // Loads the file when it exists; a missing file gives an empty document.
    // Throws FileError when an existing file cannot be read.
    explicit IniDocument(const QString& path);
    // A document for path that starts empty whatever the file holds; saving replaces it.
    static IniDocument emptyFor(const QString& path);
    // Only one section of the file, for reading a few keys of a large file; such a
    // document cannot be saved. Throws FileError as the constructor does.
    static IniDocument sectionOf(const QString& path, QStringView section);

    const QString& path() const { return m_path; }

    QString readString(QStringView section, QStringView key, const QString& defaultValue) const;
    int readInteger(QStringView section, QStringView key, int defaultValue) const;
    bool readBool(QStringView section, QStringView key, bool defaultValue) const;
    QDateTime readDateTime(QStringView section, QStringView key,
                           const QDateTime& defaultValue) const;

    void writeString(QStringView section, QStringView key, const QString& value);
    void writeInteger(QStringView section, QStringView key, int value);
    void writeBool(QStringView section, QStringView key, bool value);
    void writeDateTime(QStringView section, QStringView key, const QDateTime& value);

    // True when the section is present and holds at least one line.
    bool sectionExists(QStringView section) const;
    bool keyExists(QStringView section, QStringView key) const;
    // Every section name as first written, duplicates left out, in file order.
    QStringList sectionNames() const;
    void eraseSection(QStringView section);
    void clear();

    // Replaces the file on disk. Throws FileError (the old file stays whole).
    void save() const;
    QByteArray serialize() const;

    // The text form of date-times in every file of the program: local time to the second.
    static QString dateTimeText(const QDateTime& value);
    static QDateTime parseDateTime(const QString& text);
    // Integer text as the files hold it: decimal, "$" or "0x" hexadecimal.
    static bool parseInteger(QStringView text, int* value);

private:
    struct Section {
        QString name;
        QStringList lines;
    };

    void readFile();
    void load(const QByteArray& bytes);
    const Section* findSection(QStringView name) const;
    Section* findSection(QStringView name);
    Section& sectionForWrite(QStringView name);
    void rebuildIndex();
    static qsizetype findLine(const Section& section, QStringView key);

    QString m_path;
    std::vector<Section> m_sections;
    QHash<QString, qsizetype> m_firstSection; // case-folded name -> index of its first section
    bool m_latin1 = false;                    // loaded as 8-bit text; saved the same way
    QString m_onlySection;                    // case-folded; set for a partial document
};
