#include "Crc32.h"

#include <zlib.h>

namespace sk {

uint32_t crc32(const void* data, size_t size, uint32_t crc) {
    // zlib answers a null buffer with the initial value, whatever `crc` was.
    if (size == 0)
        return crc;
    return static_cast<uint32_t>(::crc32_z(crc, static_cast<const Bytef*>(data), size));
}

} // namespace sk
