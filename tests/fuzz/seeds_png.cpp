// Writes a handful of small, varied PNG pictures with libpng as seeds for fuzz_png:
// grey at 1, 8 and 16 bits, palettes with and without transparency, RGB, RGB with alpha
// at 8 and 16 bits, and interlaced files.
//   seeds_png <dir>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <csetjmp>
#include <cstdio>
#include <png.h>
#include <vector>

namespace {

struct Seed {
    const char* name;
    int width;
    int height;
    int colorType;
    int bitDepth;
    bool interlaced;
    int paletteSize;  // entries of a made-up palette
    int alphaEntries; // tRNS entries of the palette
    bool keyColour;   // tRNS of a grey or RGB picture
};

[[noreturn]] void onError(png_structp png, png_const_charp message) {
    std::fprintf(stderr, "libpng: %s\n", message);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

void append(png_structp png, png_bytep data, png_size_t length) {
    static_cast<QByteArray*>(png_get_io_ptr(png))
        ->append(reinterpret_cast<const char*>(data), qsizetype(length));
}

void noFlush(png_structp) {}

struct Tables {
    png_color palette[256];
    png_byte alpha[256];
    png_color_16 key;
};

// Holds the setjmp; only plain values in this frame.
bool writeStage(png_structp png, png_infop info, const Seed* seed, const Tables* tables,
                png_bytepp rows) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, png_uint_32(seed->width), png_uint_32(seed->height), seed->bitDepth,
                 seed->colorType, seed->interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (seed->paletteSize > 0)
        png_set_PLTE(png, info, tables->palette, seed->paletteSize);
    if (seed->alphaEntries > 0)
        png_set_tRNS(png, info, tables->alpha, seed->alphaEntries, nullptr);
    if (seed->keyColour)
        png_set_tRNS(png, info, nullptr, 0, &tables->key);
    png_write_info(png, info);
    if (seed->interlaced)
        png_set_interlace_handling(png);
    png_write_image(png, rows);
    png_write_end(png, info);
    return true;
}

QByteArray encode(const Seed& seed) {
    const int channels = seed.colorType == PNG_COLOR_TYPE_RGB          ? 3
                         : seed.colorType == PNG_COLOR_TYPE_RGB_ALPHA  ? 4
                         : seed.colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                       : 1;
    const int rowBytes = (seed.width * channels * seed.bitDepth + 7) / 8;
    std::vector<png_byte> samples(std::size_t(rowBytes) * std::size_t(seed.height));
    unsigned state = 12345;
    for (png_byte& b : samples) {
        state = state * 1103515245u + 12345u;
        b = png_byte(state >> 16);
    }
    if (seed.paletteSize > 0 && seed.bitDepth == 8)
        for (png_byte& b : samples)
            b = png_byte(b % seed.paletteSize);
    std::vector<png_bytep> rows;
    for (int y = 0; y < seed.height; ++y)
        rows.push_back(samples.data() + std::size_t(y) * std::size_t(rowBytes));

    Tables tables{};
    for (int i = 0; i < 256; ++i) {
        tables.palette[i] = png_color{png_byte(i * 7), png_byte(255 - i), png_byte(i * 3)};
        tables.alpha[i] = png_byte(i * 37);
    }
    const int keyMax = (1 << seed.bitDepth) - 1;
    tables.key.gray = png_uint_16(samples[0] & keyMax);
    tables.key.red = tables.key.green = tables.key.blue = png_uint_16(samples[0]);

    QByteArray out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return {};
    }
    png_set_write_fn(png, &out, append, noFlush);
    const bool ok = writeStage(png, info, &seed, &tables, rows.data());
    png_destroy_write_struct(&png, &info);
    return ok ? out : QByteArray();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: seeds_png <dir>\n");
        return 2;
    }
    const Seed seeds[] = {
        {"grey1.png", 13, 5, PNG_COLOR_TYPE_GRAY, 1, false, 0, 0, false},
        {"grey8.png", 9, 4, PNG_COLOR_TYPE_GRAY, 8, false, 0, 0, false},
        {"grey16-key.png", 5, 5, PNG_COLOR_TYPE_GRAY, 16, false, 0, 0, true},
        {"grey-alpha8.png", 6, 3, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, 0, 0, false},
        {"palette4-trns.png", 7, 6, PNG_COLOR_TYPE_PALETTE, 4, false, 16, 5, false},
        {"palette8.png", 8, 3, PNG_COLOR_TYPE_PALETTE, 8, false, 200, 0, false},
        {"palette2-interlaced.png", 11, 9, PNG_COLOR_TYPE_PALETTE, 2, true, 4, 4, false},
        {"rgb8.png", 10, 6, PNG_COLOR_TYPE_RGB, 8, false, 0, 0, false},
        {"rgb8-key.png", 4, 4, PNG_COLOR_TYPE_RGB, 8, false, 0, 0, true},
        {"rgba8.png", 8, 8, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, 0, 0, false},
        {"rgba16.png", 4, 4, PNG_COLOR_TYPE_RGB_ALPHA, 16, false, 0, 0, false},
        {"rgb16-interlaced.png", 11, 9, PNG_COLOR_TYPE_RGB, 16, true, 0, 0, false},
    };
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    for (const Seed& seed : seeds) {
        const QByteArray png = encode(seed);
        QFile file(dir.filePath(QLatin1String(seed.name)));
        if (png.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(png) != png.size()) {
            std::fprintf(stderr, "seeds_png: cannot write %s\n", seed.name);
            return 1;
        }
    }
    return 0;
}
