// Loads an INI document from arbitrary bytes and writes into it. Beyond not crashing:
// a document survives its own serialization (same sections, same value for every key,
// same bytes when serialized again), a refused write changes nothing, and what was
// written reads back, before and after a reload.
//
// Input: the file's bytes, optionally followed by a NUL byte and NUL-separated triples
// of section, key and value to write.
#include "FuzzCheck.h"
#include "core/FileError.h"
#include "core/IniDocument.h"

#include <QList>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

// No value holds a line break, so this never reads back from a document.
const QString kMissing = QStringLiteral("\n(missing)");

// Every section and key of a serialized document, in file order. Serialized files are
// plain: a header per section, then key=value lines, all ending in CR LF.
std::vector<std::pair<QString, QString>> keysOf(const QByteArray& serialized, bool latin1) {
    QString text = latin1 ? QString::fromLatin1(serialized) : QString::fromUtf8(serialized);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    std::vector<std::pair<QString, QString>> keys;
    QString section;
    bool inSection = false;
    for (QStringView line : QStringView(text).split(u"\r\n")) {
        if (line.size() >= 2 && line.front() == u'[' && line.back() == u']') {
            section = line.sliced(1, line.size() - 2).toString();
            inSection = true;
        } else if (const qsizetype eq = line.indexOf(u'='); inSection && eq >= 0) {
            keys.emplace_back(section, line.first(eq).toString());
        }
    }
    return keys;
}

// Loads what the document serializes to and checks that nothing was lost or changed.
void checkReload(const IniDocument& document) {
    const QByteArray saved = document.serialize();
    const IniDocument reloaded = IniDocument::fromBytes(saved);
    CHECK(reloaded.serialize() == saved);
    CHECK(reloaded.sectionNames() == document.sectionNames());
    for (const auto& [section, key] : keysOf(saved, document.isLatin1()))
        CHECK(reloaded.readString(section, key, kMissing) ==
              document.readString(section, key, kMissing));
}

// The fields of the write script: UTF-8 when they are, 8-bit text otherwise, as files.
QString field(const QByteArray& bytes) {
    return bytes.isValidUtf8() ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> parts =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)).split('\0');

    IniDocument document = IniDocument::fromBytes(parts.front());
    checkReload(document);

    std::vector<std::pair<QString, QString>> written;
    for (qsizetype i = 1; i + 2 < parts.size(); i += 3) {
        const QString section = field(parts[i]);
        const QString key = field(parts[i + 1]);
        const QString value = field(parts[i + 2]);
        const QByteArray before = document.serialize();
        try {
            document.writeString(section, key, value);
        } catch (const FileError&) {
            CHECK(document.serialize() == before);
            continue;
        }
        CHECK(document.readString(section, key, kMissing) == value);
        written.emplace_back(section, key);
    }
    if (written.empty())
        return 0;

    checkReload(document);
    // By name too: a written line that reloads as something else (a section header) is
    // no key in the serialized text.
    const IniDocument reloaded = IniDocument::fromBytes(document.serialize());
    for (const auto& [section, key] : written)
        CHECK(reloaded.readString(section, key, kMissing) ==
              document.readString(section, key, kMissing));
    return 0;
}
