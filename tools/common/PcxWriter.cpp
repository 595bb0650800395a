#include "PcxWriter.h"

#include "FileUtil.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>

namespace sk {

namespace {

constexpr int kHeaderSize = 128;
constexpr size_t kMaxRun = 63; // the run count lives in the low six bits of its byte

void put16(std::string& out, size_t pos, int value) {
    out[pos] = static_cast<char>(value & 0xFF);
    out[pos + 1] = static_cast<char>((value >> 8) & 0xFF);
}

// One scan line: a run of two or more, or a single byte whose top two bits are set (it would
// read as a count), is written as a count byte and the value; other bytes stand for themselves.
void encodeLine(std::string& out, const uint8_t* line, size_t length) {
    size_t i = 0;
    while (i < length) {
        const uint8_t value = line[i];
        size_t run = 1;
        while (i + run < length && run < kMaxRun && line[i + run] == value)
            ++run;
        if (run > 1 || value >= 0xC0)
            out += static_cast<char>(0xC0 | run);
        out += static_cast<char>(value);
        i += run;
    }
}

} // namespace

std::string pcxBytes8(int width, int height, const std::vector<uint8_t>& pixels,
                      const PcxPalette& palette) {
    if (width < 1 || height < 1 || width > 65535 || height > 65535)
        throw std::invalid_argument("PCX picture size out of range");
    const size_t w = static_cast<size_t>(width), h = static_cast<size_t>(height);
    if (pixels.size() != w * h)
        throw std::invalid_argument("PCX pixel count does not match the picture size");
    const size_t bytesPerLine = w + (w & 1);

    std::string out(kHeaderSize, '\0');
    out[0] = 0x0A; // manufacturer
    out[1] = 5;    // version: 256-colour palette at the end
    out[2] = 1;    // run-length encoding
    out[3] = 8;    // bits per pixel per plane
    put16(out, 4, 0);
    put16(out, 6, 0);
    put16(out, 8, width - 1);
    put16(out, 10, height - 1);
    put16(out, 12, 72);
    put16(out, 14, 72);
    // The 16-colour header palette is unused at 8 bits; it repeats the first entries.
    for (size_t i = 0; i < 48; ++i)
        out[16 + i] = static_cast<char>(palette[i]);
    out[65] = 1; // planes
    put16(out, 66, static_cast<int>(bytesPerLine));
    put16(out, 68, 1); // palette info: colour

    std::vector<uint8_t> line(bytesPerLine, 0);
    for (size_t y = 0; y < h; ++y) {
        std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(y * w), w, line.begin());
        encodeLine(out, line.data(), line.size());
    }
    out += '\x0C';
    out.append(reinterpret_cast<const char*>(palette.data()), palette.size());
    return out;
}

bool writePcx8(const std::string& path, int width, int height, const std::vector<uint8_t>& pixels,
               const PcxPalette& palette, std::string* error) {
    std::string bytes;
    try {
        bytes = pcxBytes8(width, height, pixels, palette);
    } catch (const std::invalid_argument& e) {
        if (error)
            *error = path + ": " + e.what();
        return false;
    }
    return writeFileAtomically(path, bytes, error);
}

} // namespace sk
