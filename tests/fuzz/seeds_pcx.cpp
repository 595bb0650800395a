// Writes a handful of small PCX files of every kind the reader knows into the directory given:
// seeds for fuzz_pcx. Usage: seeds_pcx <dir>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct Picture {
    int version = 5;
    int bitsPerPixel = 8;
    int planes = 1;
    int width = 1;
    int height = 1;
    int bytesPerLine = 1;
    Bytes headerPalette; // up to 48 bytes
    // Returns the byte of plane `plane` at `index` in line `y`.
    uint8_t (*pixel)(int y, int plane, int index) = nullptr;
    int trailingMarker = -1; // -1: no trailing palette
};

void put16(Bytes& b, size_t pos, int value) {
    b[pos] = uint8_t(value & 0xFF);
    b[pos + 1] = uint8_t((value >> 8) & 0xFF);
}

// Runs of equal bytes become a count byte and the value; a single byte whose top two bits
// are set is written as a run of one.
void encodeLine(Bytes& out, const Bytes& line) {
    for (size_t i = 0; i < line.size();) {
        size_t run = 1;
        while (i + run < line.size() && run < 63 && line[i + run] == line[i])
            ++run;
        if (run > 1 || line[i] >= 0xC0)
            out.push_back(uint8_t(0xC0 | run));
        out.push_back(line[i]);
        i += run;
    }
}

Bytes pcxFile(const Picture& p) {
    Bytes out(128, 0);
    out[0] = 10;
    out[1] = uint8_t(p.version);
    out[2] = 1;
    out[3] = uint8_t(p.bitsPerPixel);
    put16(out, 8, p.width - 1);
    put16(out, 10, p.height - 1);
    for (size_t i = 0; i < p.headerPalette.size() && i < 48; ++i)
        out[16 + i] = p.headerPalette[i];
    out[65] = uint8_t(p.planes);
    put16(out, 66, p.bytesPerLine);
    for (int y = 0; y < p.height; ++y) {
        Bytes line;
        for (int plane = 0; plane < p.planes; ++plane)
            for (int i = 0; i < p.bytesPerLine; ++i)
                line.push_back(p.pixel(y, plane, i));
        encodeLine(out, line);
    }
    if (p.trailingMarker >= 0) {
        out.push_back(uint8_t(p.trailingMarker));
        for (int i = 0; i < 768; ++i)
            out.push_back(uint8_t(i * 7 + 3));
    }
    return out;
}

Bytes rainbow(size_t bytes) {
    Bytes b(bytes);
    for (size_t i = 0; i < bytes; ++i)
        b[i] = uint8_t(i * 37 + 11);
    return b;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <dir>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];

    Picture mono{.bitsPerPixel = 1, .width = 12, .height = 4, .bytesPerLine = 2};
    mono.pixel = [](int y, int, int i) { return uint8_t(i == 0 ? 0xA5 ^ y : 0xFF); };

    Picture planar16{.bitsPerPixel = 1, .planes = 4, .width = 20, .height = 6, .bytesPerLine = 4};
    planar16.headerPalette = rainbow(48);
    planar16.pixel = [](int y, int plane, int i) { return uint8_t((0x3C >> plane) ^ (y * i)); };

    Picture version3{
        .version = 3, .bitsPerPixel = 1, .planes = 3, .width = 10, .height = 3, .bytesPerLine = 2};
    version3.pixel = [](int y, int plane, int i) { return uint8_t(0x81 << (plane + y + i)); };

    Picture version2{
        .version = 2, .bitsPerPixel = 1, .planes = 2, .width = 8, .height = 2, .bytesPerLine = 1};
    version2.headerPalette = {0, 1, 2, 3, 3, 2, 1, 0, 2, 2, 2, 3};
    version2.pixel = [](int y, int plane, int) { return uint8_t(plane ? 0x0F : 0x33 << y); };

    Picture indexed{.width = 24, .height = 8, .bytesPerLine = 24, .trailingMarker = 12};
    indexed.pixel = [](int y, int, int i) { return uint8_t(i < 8 ? 0xC7 : (i / 3) * 40 + y); };

    Picture indexedV2{
        .version = 2, .width = 5, .height = 3, .bytesPerLine = 6, .trailingMarker = 0};
    indexedV2.pixel = [](int y, int, int i) { return uint8_t(y * 6 + i); };

    Picture rgb{.planes = 3, .width = 5, .height = 4, .bytesPerLine = 6};
    rgb.pixel = [](int y, int plane, int i) { return uint8_t(plane * 90 + y * 5 + i * 30); };

    Picture rgba{.planes = 4, .width = 6, .height = 3, .bytesPerLine = 6};
    rgba.pixel = [](int y, int plane, int i) { return uint8_t(plane == 3 ? 255 - i : y + i); };

    Picture blank{.bitsPerPixel = 24, .width = 4, .height = 2, .bytesPerLine = 12};
    blank.pixel = [](int y, int, int i) { return uint8_t(y + i); };

    const struct {
        const char* name;
        const Picture& picture;
    } seeds[] = {
        {"mono.pcx", mono},         {"planar16.pcx", planar16}, {"version3.pcx", version3},
        {"version2.pcx", version2}, {"indexed.pcx", indexed},   {"indexed_v2.pcx", indexedV2},
        {"rgb.pcx", rgb},           {"rgba.pcx", rgba},         {"blank24.pcx", blank},
    };
    for (const auto& seed : seeds) {
        const Bytes bytes = pcxFile(seed.picture);
        std::ofstream file(dir + "/" + seed.name, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!file.flush()) {
            std::fprintf(stderr, "cannot write %s/%s\n", dir.c_str(), seed.name);
            return 1;
        }
    }
    return 0;
}
