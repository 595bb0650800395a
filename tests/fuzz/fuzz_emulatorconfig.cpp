// Loads the emulator's configuration from arbitrary bytes and edits it. Beyond not
// crashing: loading loses no byte, a write reads back before and after a reload, the
// same write again changes nothing, a refused write changes nothing, and an erased
// section is gone, also after a reload.
//
// Input: the file's bytes, optionally followed by a NUL byte and NUL-separated triples
// of section, key and value to write; an empty key erases the section.
#include "FuzzCheck.h"
#include "core/FileError.h"
#include "launch/EmulatorConfigFile.h"

#include <QList>
#include <cstdint>

namespace {

QString field(const QByteArray& bytes) {
    return bytes.isValidUtf8() ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> parts =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)).split('\0');

    EmulatorConfigFile file = EmulatorConfigFile::fromBytes(parts.front());
    CHECK(file.bytes() == parts.front());

    for (qsizetype i = 1; i + 2 < parts.size(); i += 3) {
        const QString section = field(parts[i]);
        const QString key = field(parts[i + 1]);
        const QByteArray value = parts[i + 2];
        const QByteArray before = file.bytes();
        if (key.isEmpty()) {
            file.eraseSection(section);
            CHECK(file.bytes().size() <= before.size());
            for (const QString& probe : {QStringLiteral("k"), QStringLiteral("key ")})
                CHECK(!EmulatorConfigFile::fromBytes(file.bytes()).rawValue(section, probe));
            continue;
        }
        try {
            file.writeRaw(section, key, value);
        } catch (const FileError&) {
            CHECK(file.bytes() == before);
            continue;
        }
        CHECK(file.rawValue(section, key) == value);
        const QByteArray after = file.bytes();
        const EmulatorConfigFile reloaded = EmulatorConfigFile::fromBytes(after);
        CHECK(reloaded.rawValue(section, key) == value);
        file.writeRaw(section, key, value);
        CHECK(file.bytes() == after);
    }
    return 0;
}
