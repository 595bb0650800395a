#pragma once

#include "NameIndex.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class QFile;

// An INI-style file held whole in memory. Every read and write works on memory;
// only save() touches the disk, through a temporary file renamed over the old one.
//
// The rules are those of the emulator's own files: nothing is trimmed (blanks are part
// of keys and values), names compare without regard to case, the first matching section
// and line win, and a key with a trailing blank matches only keys with that blank.
//
// The text is kept as it was read: lines that are not written keep their bytes, and a
// file read as 8-bit text is saved as 8-bit text. Loading makes no copy per line: lines
// are views into the decoded file, and written lines are views into a few large blocks.
class IniDocument final {
    struct Line;

public:
    IniDocument();
    // Loads the file when it exists; a missing file gives an empty document.
    // Throws FileError when an existing file cannot be read.
    explicit IniDocument(const QString& path);
    IniDocument(IniDocument&& other) noexcept;
    IniDocument& operator=(IniDocument&& other) noexcept;
    IniDocument(const IniDocument&) = delete;
    IniDocument& operator=(const IniDocument&) = delete;
    ~IniDocument();

    // A document for path that starts empty whatever the file holds; saving replaces it.
    static IniDocument emptyFor(const QString& path);
    // Only one section of the file, for reading a few keys of a large file; such a
    // document cannot be saved. Throws FileError as the constructor does.
    static IniDocument sectionOf(const QString& path, QStringView section);
    // The document the bytes of a file would give; saving it writes to path.
    static IniDocument fromBytes(QByteArrayView bytes, const QString& path = {});

    const QString& path() const { return m_path; }
    // Read as 8-bit text: saved as 8-bit text, and texts outside it cannot be written.
    bool isLatin1() const { return m_latin1; }

    // One section, found once, for reading several of its keys: a file of forty thousand
    // game sections is read a few keys per game. It reads as the document's own reads
    // do, and is valid while the document is not changed.
    class SectionReader {
    public:
        QString readString(QStringView key, const QString& defaultValue) const;
        int readInteger(QStringView key, int defaultValue) const;
        bool readBool(QStringView key, bool defaultValue) const;
        QDateTime readDateTime(QStringView key, const QDateTime& defaultValue) const;
        bool keyExists(QStringView key) const;

    private:
        friend class IniDocument;
        SectionReader(const IniDocument& document, qint32 section)
            : m_document(document), m_section(section) {}
        const Line* line(QStringView key) const;
        const IniDocument& m_document;
        qint32 m_section; // NameIndex::kMissing when there is no such section
    };
    SectionReader section(QStringView section) const;

    QString readString(QStringView section, QStringView key, const QString& defaultValue) const;
    int readInteger(QStringView section, QStringView key, int defaultValue) const;
    bool readBool(QStringView section, QStringView key, bool defaultValue) const;
    QDateTime readDateTime(QStringView section, QStringView key,
                           const QDateTime& defaultValue) const;

    // A value holding a line break, a key holding "=", or (in an 8-bit document) a
    // character that 8-bit text cannot hold would corrupt the file: such a write throws
    // FileError and changes nothing.
    void writeString(QStringView section, QStringView key, QStringView value);
    void writeInteger(QStringView section, QStringView key, int value);
    void writeBool(QStringView section, QStringView key, bool value);
    void writeDateTime(QStringView section, QStringView key, const QDateTime& value);

    // True when the section is present and holds at least one line.
    bool sectionExists(QStringView section) const;
    bool keyExists(QStringView section, QStringView key) const;
    // Every section name as first written, duplicates left out, in file order.
    QStringList sectionNames() const;
    // The same names, each handed to visit as a view into the document: no copies, for
    // walking the sections of a large file.
    template <typename Visit> void forEachSectionName(Visit&& visit) const {
        for (const Section& section : m_sections) {
            if (!section.shadowed)
                visit(section.name);
        }
    }
    // Every key line of the section in file order, as views into the document (key, then
    // value): one lookup for all the keys a reader wants. A key may come more than once;
    // the first is the one the reads return. False when the section is missing.
    template <typename Visit> bool forEachKey(QStringView section, Visit&& visit) const {
        const Section* s = findSection(section);
        if (!s)
            return false;
        for (qint32 i = s->first; i >= 0; i = m_lines[size_t(i)].next) {
            const Line& line = m_lines[size_t(i)];
            if (line.eq >= 0)
                visit(line.text.first(line.eq), line.text.sliced(line.eq + 1));
        }
        return true;
    }
    void eraseSection(QStringView section);
    void clear();
    // Room for what a document about to be written will hold.
    void reserve(qsizetype sections, qsizetype lines);

    // Replaces the file on disk. Throws FileError (the old file stays whole).
    void save() const;
    QByteArray serialize() const;

    // The text form of date-times in every file of the program: UTC to the second with
    // its "Z". The older form without "Z", local time, still reads.
    static QString dateTimeText(const QDateTime& value);
    static QDateTime parseDateTime(QStringView text);
    // Integer text as the files hold it: decimal, "$" or "0x" hexadecimal.
    static bool parseInteger(QStringView text, int* value);

private:
    struct Line {
        QStringView text; // the whole line
        qint32 eq;        // position of the first "=", or -1
        qint32 next;      // the section's next line, or -1
    };
    struct Section {
        QStringView name;
        qint32 first = -1;
        qint32 last = -1;
        bool shadowed = false; // an earlier section has the same name: lookups never land here
    };
    void readFile();
    // The file's first bytes, up to the end of the section a partial document keeps;
    // cut says whether the rest is left unread.
    QByteArray readUpToSection(QFile& file, bool& cut) const;
    void load(QByteArrayView bytes);
    void addLine(Section& section, QStringView text, qsizetype eq);
    qint32 findSectionIndex(QStringView name) const;
    const Section* findSection(QStringView name) const;
    Section& sectionForWrite(QStringView name);
    const Line* findLine(const Section& section, QStringView key) const;
    void rebuildIndex();
    // Copies the parts, joined, into the document's own storage.
    QStringView store(std::initializer_list<QStringView> parts);
    void checkWritable(QStringView section, QStringView key, QStringView value) const;

    QString m_path;
    QString m_text; // the file as read; loaded lines are views into it
    std::vector<std::unique_ptr<char16_t[]>> m_blocks;
    qsizetype m_blockFree = 0;
    char16_t* m_blockEnd = nullptr;
    std::vector<Section> m_sections;
    std::vector<Line> m_lines;
    NameIndex m_firstSection{Qt::CaseInsensitive}; // name -> index of its first section
    // The section found last: files are mostly read and written in their own order, so
    // the next lookup is often for it or the one after it.
    mutable qint32 m_lastFound = -1;
    bool m_latin1 = false;  // loaded as 8-bit text; saved the same way
    bool m_bom = false;     // the UTF-8 file began with a byte order mark
    bool m_partial = false; // only m_onlySection was kept: cannot be saved
    QString m_onlySection;
};
