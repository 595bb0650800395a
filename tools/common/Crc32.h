#pragma once

#include <cstddef>
#include <cstdint>

namespace sk {

// CRC-32 as used by zip archives, computed by zlib. Pass a previous result as `crc` to
// continue a checksum over data that arrives in pieces.
uint32_t crc32(const void* data, size_t size, uint32_t crc = 0);

} // namespace sk
