#include "StoredZip.h"

#include "Crc32.h"
#include "FileUtil.h"

#include <cstdint>
#include <limits>
#include <set>

namespace sk {

namespace {

// A fixed timestamp (1980-01-01 00:00, the earliest DOS date) keeps archives byte-identical
// between runs, so regenerated demo and test data do not look modified.
constexpr uint16_t kDosTime = 0;
constexpr uint16_t kDosDate = (0 << 9) | (1 << 5) | 1;
constexpr uint16_t kVersionNeeded = 10; // 1.0: stored entries only
constexpr uint16_t kFlagUtf8 = 1 << 11;

void put16(std::string& out, uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

void put32(std::string& out, uint32_t v) {
    put16(out, static_cast<uint16_t>(v & 0xFFFF));
    put16(out, static_cast<uint16_t>(v >> 16));
}

bool fail(std::string* error, const std::string& message) {
    if (error)
        *error = message;
    return false;
}

bool isAscii(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0x80)
            return false;
    return true;
}

} // namespace

bool buildStoredZip(const std::vector<ZipEntry>& entries, std::string& out, std::string* error) {
    constexpr uint64_t k32 = std::numeric_limits<uint32_t>::max();
    if (entries.size() >= 0xFFFF)
        return fail(error, "too many entries for a zip without zip64");

    std::set<std::string> seen;
    for (const ZipEntry& e : entries) {
        if (e.name.empty() || e.name.size() > 0xFFFF)
            return fail(error, "zip entry name is empty or too long");
        if (e.name.front() == '/' || e.name.find('\\') != std::string::npos)
            return fail(error, "zip entry name must be relative and '/' separated: " + e.name);
        if (!seen.insert(e.name).second)
            return fail(error, "duplicate zip entry: " + e.name);
        if (e.data.size() >= k32)
            return fail(error, "zip entry too large without zip64: " + e.name);
    }

    out.clear();
    std::string central;
    std::vector<uint32_t> offsets;
    for (const ZipEntry& e : entries) {
        if (out.size() >= k32)
            return fail(error, "archive too large without zip64");
        const auto offset = static_cast<uint32_t>(out.size());
        const uint32_t crc = crc32(e.data.data(), e.data.size());
        const auto size = static_cast<uint32_t>(e.data.size());
        const auto nameLen = static_cast<uint16_t>(e.name.size());
        const uint16_t flags = isAscii(e.name) ? 0 : kFlagUtf8;

        put32(out, 0x04034b50);
        put16(out, kVersionNeeded);
        put16(out, flags);
        put16(out, 0); // method: stored
        put16(out, kDosTime);
        put16(out, kDosDate);
        put32(out, crc);
        put32(out, size); // compressed
        put32(out, size); // uncompressed
        put16(out, nameLen);
        put16(out, 0); // extra length
        out += e.name;
        out += e.data;

        put32(central, 0x02014b50);
        put16(central, kVersionNeeded); // made by: MS-DOS attributes, version 1.0
        put16(central, kVersionNeeded);
        put16(central, flags);
        put16(central, 0);
        put16(central, kDosTime);
        put16(central, kDosDate);
        put32(central, crc);
        put32(central, size);
        put32(central, size);
        put16(central, nameLen);
        put16(central, 0); // extra length
        put16(central, 0); // comment length
        put16(central, 0); // disk number
        put16(central, 0); // internal attributes
        put32(central, 0); // external attributes
        put32(central, offset);
        central += e.name;
    }

    if (out.size() + central.size() >= k32)
        return fail(error, "archive too large without zip64");
    const auto centralOffset = static_cast<uint32_t>(out.size());
    const auto centralSize = static_cast<uint32_t>(central.size());
    const auto count = static_cast<uint16_t>(entries.size());
    out += central;
    put32(out, 0x06054b50);
    put16(out, 0); // this disk
    put16(out, 0); // disk with the central directory
    put16(out, count);
    put16(out, count);
    put32(out, centralSize);
    put32(out, centralOffset);
    put16(out, 0); // comment length
    return true;
}

bool writeStoredZip(const std::string& path, const std::vector<ZipEntry>& entries,
                    std::string* error) {
    std::string bytes;
    return buildStoredZip(entries, bytes, error) && writeFileAtomically(path, bytes, error);
}

} // namespace sk
