#pragma once

// A strict reader for archives of stored entries, written independently of the writer so tests
// can check every header field, offset and checksum the writer produces.

#include "Crc32.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sk::test {

struct ReadBackEntry {
    std::string name;
    std::string data;
    uint32_t crc = 0;
    uint16_t flags = 0;
};

namespace detail {

inline uint32_t le(const std::string& b, size_t pos, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[pos + static_cast<size_t>(i)]);
    return v;
}

} // namespace detail

// Returns an empty string when the archive is well formed, otherwise what is wrong with it.
inline std::string readStoredZip(const std::string& b, std::vector<ReadBackEntry>& entries) {
    using detail::le;
    entries.clear();
    if (b.size() < 22)
        return "shorter than an end record";
    const size_t end = b.size() - 22;
    if (le(b, end, 4) != 0x06054b50)
        return "no end record at the end of the file";
    if (le(b, end + 4, 2) != 0 || le(b, end + 6, 2) != 0)
        return "multi-disk fields set";
    const uint32_t count = le(b, end + 10, 2);
    if (le(b, end + 8, 2) != count)
        return "entry counts disagree";
    const uint32_t cdSize = le(b, end + 12, 4);
    const uint32_t cdOffset = le(b, end + 16, 4);
    if (le(b, end + 20, 2) != 0)
        return "unexpected archive comment";
    if (size_t(cdOffset) + cdSize != end)
        return "central directory does not end at the end record";

    size_t cd = cdOffset;
    size_t expectedLocal = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (cd + 46 > end || le(b, cd, 4) != 0x02014b50)
            return "bad central header " + std::to_string(i);
        const uint32_t flags = le(b, cd + 8, 2);
        const uint32_t method = le(b, cd + 10, 2);
        const uint32_t crc = le(b, cd + 16, 4);
        const uint32_t csize = le(b, cd + 20, 4);
        const uint32_t usize = le(b, cd + 24, 4);
        const uint32_t nameLen = le(b, cd + 28, 2);
        const uint32_t extraLen = le(b, cd + 30, 2);
        const uint32_t commentLen = le(b, cd + 32, 2);
        const uint32_t local = le(b, cd + 42, 4);
        if (method != 0 || csize != usize)
            return "entry " + std::to_string(i) + " is not stored";
        if (cd + 46 + nameLen + extraLen + commentLen > end)
            return "central header " + std::to_string(i) + " overruns";
        const std::string name = b.substr(cd + 46, nameLen);
        cd += 46 + nameLen + extraLen + commentLen;

        if (local != expectedLocal)
            return "local header of " + name + " is not where the previous entry ended";
        if (local + 30 > cdOffset || le(b, local, 4) != 0x04034b50)
            return "bad local header for " + name;
        if (le(b, local + 6, 2) != flags || le(b, local + 8, 2) != method ||
            le(b, local + 14, 4) != crc || le(b, local + 18, 4) != csize ||
            le(b, local + 22, 4) != usize)
            return "local and central headers of " + name + " disagree";
        const uint32_t localNameLen = le(b, local + 26, 2);
        const uint32_t localExtraLen = le(b, local + 28, 2);
        if (b.compare(local + 30, localNameLen, name) != 0)
            return "local name differs for " + name;
        const size_t dataPos = local + 30 + localNameLen + localExtraLen;
        if (dataPos + usize > cdOffset)
            return "data of " + name + " overruns the central directory";
        std::string data = b.substr(dataPos, usize);
        if (sk::crc32(data.data(), data.size()) != crc)
            return "crc mismatch for " + name;
        expectedLocal = dataPos + usize;
        entries.push_back({name, std::move(data), crc, static_cast<uint16_t>(flags)});
    }
    if (cd != end)
        return "central directory has trailing bytes";
    if (expectedLocal != cdOffset)
        return "gap between the last entry and the central directory";
    return {};
}

} // namespace sk::test
