#include "PngImage.h"

#include "PictureLimits.h"
#include "core/FileError.h"

#include <QFile>
#include <QPainter>
#include <QSaveFile>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <png.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

FileError readError() {
    return FileError(QStringLiteral("Error Reading File!"));
}

FileError writeError() {
    return FileError(QStringLiteral("Error Writing File!"));
}

FileError openError(const QString& path) {
    return FileError(QStringLiteral("Error Opening File ") + path + QLatin1Char('!'));
}

// libpng reports errors through this handler; it returns to the setjmp of the stage
// that made the failing call. The message is not shown: every read error reads the same.
[[noreturn]] void onPngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// The decoded layouts, chosen by colour type and bit depth (4 bytes per pixel is both
// 8-bit RGB with alpha and 16-bit grey with alpha).
int bytesPerPixelOf(int colorType, int bitDepth) {
    if (bitDepth != 8 && bitDepth != 16)
        return 0;
    const int bytesPerSample = bitDepth / 8;
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
        return bytesPerSample;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2 * bytesPerSample;
    case PNG_COLOR_TYPE_RGB:
        return 3 * bytesPerSample;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4 * bytesPerSample;
    default:
        return 0;
    }
}

// Draws one row of `count` decoded pixels onto a row of a 24-bit picture.
using RowDrawer = void (*)(uchar* dst, const uchar* src, qsizetype count);

// --- Reading -----------------------------------------------------------------------
//
// The functions that hold a setjmp keep nothing but plain C values in their frames, so
// a longjmp out of libpng skips no destructor. Allocation happens between the stages.

struct ReadHeader {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    png_size_t rowBytes = 0;
    int passes = 1;
    // On the viewer's path palette pictures without transparency are read as one index
    // byte a pixel and coloured here, which is quicker than libpng's expansion to RGB.
    bool indexed = false;
    int paletteSize = 0;
    png_color palette[256] = {};
};

// forView: the viewer's path, which draws 8-bit samples onto a 24-bit picture.
bool readHeaderStage(png_structp png, png_infop info, bool forView, ReadHeader* out) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
    const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) == PNG_INFO_tRNS;
    out->indexed = forView && colorType == PNG_COLOR_TYPE_PALETTE && !transparency;

    png_set_invert_alpha(png);
    if (colorType == PNG_COLOR_TYPE_PALETTE && bitDepth <= 8 && !out->indexed)
        png_set_expand(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
        png_set_expand(png);
    if (transparency)
        png_set_expand(png);
    if (bitDepth < 8)
        png_set_packing(png);
    // The viewer draws the high byte of a 16-bit sample: it reads only that, so that an
    // interlaced picture, read whole, takes half the memory.
    if (bitDepth == 16 && forView)
        png_set_strip_16(png);
    else if (bitDepth == 16)
        png_set_swap(png);
    // Interlaced files are read whole, which needs this set up before the update.
    out->passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);

    png_get_IHDR(png, info, &out->width, &out->height, &out->bitDepth, &out->colorType, nullptr,
                 nullptr, nullptr);
    out->rowBytes = png_get_rowbytes(png, info);
    if (out->indexed) {
        png_colorp palette = nullptr;
        if (png_get_PLTE(png, info, &palette, &out->paletteSize) != PNG_INFO_PLTE)
            out->paletteSize = 0;
        out->paletteSize = std::clamp(out->paletteSize, 0, 256);
        std::copy_n(palette, out->paletteSize, out->palette);
    }
    return true;
}

bool readRowsStage(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_image(png, rows);
    return true;
}

// Index bytes to 24-bit RGB. Each pixel is written as 4 bytes but the last, the spare
// byte lying on the next pixel, which is written after it.
void colourRow(uchar* dst, const uchar* indices, png_uint_32 width, const uchar (*colours)[4]) {
    png_uint_32 x = 0;
    for (; x + 1 < width; ++x, dst += 3)
        std::memcpy(dst, colours[indices[x]], 4);
    std::memcpy(dst, colours[indices[x]], 3);
}

// Where the viewer's path puts each finished row: onto a row of a 24-bit picture.
struct RowTarget {
    uchar* bits;
    qsizetype stride;
    uchar* buffer;             // one decoded row
    RowDrawer drawer;          // none: index bytes coloured from `colours`
    const uchar (*colours)[4]; // 256 entries
    const uchar* background;   // a row of the background colour, or none
};

bool readRowsOntoStage(png_structp png, const ReadHeader* header, const RowTarget* target) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    for (png_uint_32 y = 0; y < header->height; ++y) {
        png_read_row(png, target->buffer, nullptr);
        uchar* dst = target->bits + qsizetype(y) * target->stride;
        if (target->background)
            std::memcpy(dst, target->background, std::size_t(header->width) * 3);
        if (target->drawer)
            target->drawer(dst, target->buffer, qsizetype(header->width));
        else
            colourRow(dst, target->buffer, header->width, target->colours);
    }
    return true;
}

struct ReadState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ReadState() = default;
    ReadState(const ReadState&) = delete;
    ReadState& operator=(const ReadState&) = delete;
    ~ReadState() {
        if (png)
            png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

// One read: the libpng states, the header after the transformations, checked.
class PngReadSession {
public:
    template <typename AttachInput> PngReadSession(AttachInput attachInput, bool forView) {
        m_state.png =
            png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, onPngWarning);
        if (!m_state.png)
            throw readError();
        m_state.info = png_create_info_struct(m_state.png);
        if (!m_state.info)
            throw readError();
        attachInput(m_state.png);
        if (!readHeaderStage(m_state.png, m_state.info, forView, &m_header))
            throw readError();

        // Both dimensions are below 2^31 (libpng's limit), so these products fit in 64 bits.
        m_bytesPerPixel =
            m_header.indexed ? 1 : bytesPerPixelOf(m_header.colorType, m_header.bitDepth);
        if (m_bytesPerPixel == 0 || m_header.width == 0 || m_header.height == 0 ||
            (m_header.indexed && m_header.bitDepth != 8))
            throw readError();
        if (m_header.rowBytes != std::uint64_t(m_header.width) * std::uint64_t(m_bytesPerPixel))
            throw readError();
        // Limited by their pixels, which the viewer holds at up to four bytes each, and by
        // the bytes the decoded image takes.
        if (std::uint64_t(m_header.width) * m_header.height > std::uint64_t(kMaxPicturePixels) ||
            std::uint64_t(m_header.rowBytes) * m_header.height > TPngGraphic::maxPixelBytes)
            throw readError();
    }

    const ReadHeader& header() const { return m_header; }

    // The pixels as the picture type holds them.
    TPngImage readImage() {
        TPngImage image;
        std::vector<png_bytep> rows;
        try {
            image.pixels.resize(std::size_t(m_header.rowBytes) * m_header.height);
            rows.resize(m_header.height);
        } catch (const std::bad_alloc&) {
            throw readError();
        }
        for (std::size_t y = 0; y < rows.size(); ++y)
            rows[y] = image.pixels.data() + y * m_header.rowBytes;
        readRows(rows);

        image.bitDepth = m_header.bitDepth;
        image.bytesPerPixel = m_bytesPerPixel;
        image.colorType = m_header.colorType;
        image.height = int(m_header.height);
        image.width = int(m_header.width);
        return image;
    }

    // 8-bit RGB straight into a 24-bit picture of the right size.
    void readRgbInto(QImage& picture) {
        std::vector<png_bytep> rows(m_header.height);
        for (std::size_t y = 0; y < rows.size(); ++y)
            rows[y] = picture.scanLine(int(y));
        readRows(rows);
    }

    // Any other picture, not interlaced, onto a 24-bit picture of the right size, row by
    // row: `drawer` for the decoded layout (none for indexed pictures), over a `background`
    // row if given.
    void readOnto(QImage& picture, RowDrawer drawer, const uchar* background) {
        uchar colours[256][4] = {};
        paletteColours(colours);
        std::vector<uchar> buffer;
        try {
            buffer.resize(m_header.rowBytes);
        } catch (const std::bad_alloc&) {
            throw readError();
        }
        const RowTarget target{
            picture.bits(), picture.bytesPerLine(), buffer.data(), drawer, colours, background};
        if (!readRowsOntoStage(m_state.png, &m_header, &target))
            throw readError();
    }

    // An interlaced picture, which is read whole, as a 24-bit picture over `background`
    // (red, green, blue): each row is made 24-bit where it was read, so the picture takes
    // the room of the decoded rows and no more.
    QImage readInterlaced(RowDrawer drawer, const uchar* background) {
        const std::size_t width = m_header.width;
        const std::size_t stride = (std::max(m_header.rowBytes, width * 3) + 3) & ~std::size_t(3);
        std::unique_ptr<uchar, decltype(&std::free)> data(
            static_cast<uchar*>(std::malloc(stride * m_header.height)), &std::free);
        if (!data)
            throw readError();
        std::vector<png_bytep> rows(m_header.height);
        for (std::size_t y = 0; y < rows.size(); ++y)
            rows[y] = data.get() + y * stride;
        readRows(rows);

        uchar colours[256][4] = {};
        paletteColours(colours);
        const std::size_t bytes = m_header.indexed ? 1 : std::size_t(m_bytesPerPixel);
        for (png_bytep row : rows) {
            const auto convert = [&](std::size_t x) {
                uchar rgb[3] = {background[0], background[1], background[2]};
                if (drawer)
                    drawer(rgb, row + x * bytes, 1);
                else
                    std::memcpy(rgb, colours[row[x]], 3);
                std::memcpy(row + x * 3, rgb, 3);
            };
            // A pixel of fewer bytes than three grows: the row is worked from its end.
            if (bytes >= 3) {
                for (std::size_t x = 0; x < width; ++x)
                    convert(x);
            } else {
                for (std::size_t x = width; x > 0; --x)
                    convert(x - 1);
            }
        }
        uchar* const bits = data.release();
        QImage picture(bits, int(width), int(m_header.height), qsizetype(stride),
                       QImage::Format_RGB888, std::free, bits);
        if (picture.isNull())
            throw readError();
        return picture;
    }

private:
    // The palette of an indexed picture; indices past it show black, as libpng's do.
    void paletteColours(uchar (&colours)[256][4]) const {
        for (int i = 0; i < m_header.paletteSize; ++i) {
            colours[i][0] = m_header.palette[i].red;
            colours[i][1] = m_header.palette[i].green;
            colours[i][2] = m_header.palette[i].blue;
        }
    }

    void readRows(std::vector<png_bytep>& rows) {
        if (!readRowsStage(m_state.png, rows.data()))
            throw readError();
    }

    ReadState m_state;
    ReadHeader m_header;
    int m_bytesPerPixel = 0;
};

struct MemoryInput {
    const unsigned char* data;
    std::size_t size;
    std::size_t pos;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* input = static_cast<MemoryInput*>(png_get_io_ptr(png));
    if (length > input->size - input->pos)
        png_error(png, "unexpected end of data");
    std::memcpy(out, input->data + input->pos, length);
    input->pos += length;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

FileHandle openForReading(const QString& path) {
    FileHandle file(std::fopen(QFile::encodeName(path).constData(), "rb"));
    if (!file)
        throw openError(path);
    return file;
}

// --- Writing -----------------------------------------------------------------------

bool writeStage(png_structp png, png_infop info, const TPngImage* image, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, png_uint_32(image->width), png_uint_32(image->height), image->bitDepth,
                 image->colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // The stored samples hold inverted alpha, low byte first; the file wants them as usual.
    if (image->colorType & PNG_COLOR_MASK_ALPHA)
        png_set_invert_alpha(png);
    if (image->bitDepth == 16)
        png_set_swap(png);
    png_write_image(png, rows);
    png_write_end(png, info);
    return true;
}

bool writeRgbHeaderStage(png_structp png, png_infop info, png_uint_32 width, png_uint_32 height) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    return true;
}

bool writeRowsStage(png_structp png, png_bytepp rows, png_uint_32 count) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_write_rows(png, rows, count);
    return true;
}

bool writeEndStage(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_write_end(png, info);
    return true;
}

void writeToDevice(png_structp png, png_bytep data, png_size_t length) {
    auto* device = static_cast<QIODevice*>(png_get_io_ptr(png));
    if (device->write(reinterpret_cast<const char*>(data), qint64(length)) != qint64(length))
        png_error(png, "write failed");
}

void flushDevice(png_structp) {}

struct WriteState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    WriteState() = default;
    WriteState(const WriteState&) = delete;
    WriteState& operator=(const WriteState&) = delete;
    ~WriteState() {
        if (png)
            png_destroy_write_struct(&png, info ? &info : nullptr);
    }
    // Makes libpng's write state, which writes into the file.
    void start(QSaveFile& file) {
        png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, onPngWarning);
        if (!png)
            throw writeError();
        info = png_create_info_struct(png);
        if (!info)
            throw writeError();
        png_set_write_fn(png, &file, writeToDevice, flushDevice);
    }
};

// --- Drawing -----------------------------------------------------------------------

// Each channel becomes (t * old + (255 - t) * new) / 255, truncated. The three channels
// are worked on at once, one in each 16-bit lane of a 64-bit word: no lane value exceeds
// 255 * 255, and (x + 1 + (x >> 8)) >> 8 equals x / 255 for every such x.
inline void blendPixel(uchar* dst, std::uint64_t r, std::uint64_t g, std::uint64_t b,
                       std::uint64_t t) {
    constexpr std::uint64_t lowBytes = 0x00FF00FF00FFull;
    const std::uint64_t fresh = r | g << 16 | b << 32;
    const std::uint64_t old =
        std::uint64_t(dst[0]) | std::uint64_t(dst[1]) << 16 | std::uint64_t(dst[2]) << 32;
    std::uint64_t x = t * old + (255 - t) * fresh;
    x = (x + 0x000100010001ull + ((x >> 8) & lowBytes)) >> 8;
    dst[0] = uchar(x);
    dst[1] = uchar(x >> 16);
    dst[2] = uchar(x >> 32);
}

// One row of `count` pixels onto 24-bit RGB. R, G and B are the offsets of the high (or
// only) byte of each sample, T that of the inverted alpha or -1 when there is none.
template <int Step, int R, int G, int B, int T>
void drawRow(uchar* dst, const uchar* src, qsizetype count) {
    for (qsizetype i = 0; i < count; ++i, dst += 3, src += Step) {
        if constexpr (T < 0) {
            dst[0] = src[R];
            dst[1] = src[G];
            dst[2] = src[B];
        } else {
            const unsigned t = src[T];
            if (t == 0) {
                dst[0] = src[R];
                dst[1] = src[G];
                dst[2] = src[B];
            } else if (t != 255) {
                blendPixel(dst, src[R], src[G], src[B], t);
            }
        }
    }
}

void drawRgbRow(uchar* dst, const uchar* src, qsizetype count) {
    std::memcpy(dst, src, std::size_t(count) * 3);
}

#if defined(__SSE2__)
// Blends two RGBt pixels widened to 16-bit lanes; the same arithmetic as blendPixel.
inline __m128i blendTwoPixels(__m128i fresh, __m128i old) {
    const __m128i t = _mm_shufflehi_epi16(_mm_shufflelo_epi16(fresh, 0xFF), 0xFF);
    const __m128i x = _mm_add_epi16(_mm_mullo_epi16(t, old),
                                    _mm_mullo_epi16(_mm_sub_epi16(_mm_set1_epi16(255), t), fresh));
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, _mm_set1_epi16(1)), _mm_srli_epi16(x, 8)),
                          8);
}

// 8-bit RGB with alpha, four pixels a step. Each pixel is read and written as 4 bytes
// (the last of the four as 3), so a step runs only while a further pixel follows: the
// spare byte always lies on the next pixel, which is written after it.
void drawRgbaRow(uchar* dst, const uchar* src, qsizetype count) {
    const __m128i zero = _mm_setzero_si128();
    qsizetype i = 0;
    for (; i + 4 < count; i += 4, src += 16, dst += 12) {
        const __m128i fresh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const int alphaMask = 0x8888;
        if ((_mm_movemask_epi8(_mm_cmpeq_epi8(fresh, _mm_set1_epi8(-1))) & alphaMask) == alphaMask)
            continue; // all four transparent
        __m128i result = fresh;
        if ((_mm_movemask_epi8(_mm_cmpeq_epi8(fresh, zero)) & alphaMask) != alphaMask) {
            std::uint32_t old[4];
            std::memcpy(&old[0], dst, 4);
            std::memcpy(&old[1], dst + 3, 4);
            std::memcpy(&old[2], dst + 6, 4);
            std::memcpy(&old[3], dst + 9, 4);
            const __m128i oldPixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(old));
            result = _mm_packus_epi16(
                blendTwoPixels(_mm_unpacklo_epi8(fresh, zero), _mm_unpacklo_epi8(oldPixels, zero)),
                blendTwoPixels(_mm_unpackhi_epi8(fresh, zero), _mm_unpackhi_epi8(oldPixels, zero)));
        }
        std::uint32_t out[4];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), result);
        std::memcpy(dst, &out[0], 4);
        std::memcpy(dst + 3, &out[1], 4);
        std::memcpy(dst + 6, &out[2], 4);
        std::memcpy(dst + 9, &out[3], 3);
    }
    drawRow<4, 0, 1, 2, 3>(dst, src, count - i);
}
#else
void drawRgbaRow(uchar* dst, const uchar* src, qsizetype count) {
    drawRow<4, 0, 1, 2, 3>(dst, src, count);
}
#endif

RowDrawer rowDrawerFor(int colorType, int bitDepth) {
    if (bitDepth == 8) {
        switch (colorType) {
        case PNG_COLOR_TYPE_GRAY:
            return drawRow<1, 0, 0, 0, -1>;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            return drawRow<2, 0, 0, 0, 1>;
        case PNG_COLOR_TYPE_RGB:
            return drawRgbRow;
        case PNG_COLOR_TYPE_RGB_ALPHA:
            return drawRgbaRow;
        }
    } else if (bitDepth == 16) {
        // Low byte first: the high byte of sample k is at 2k + 1.
        switch (colorType) {
        case PNG_COLOR_TYPE_GRAY:
            return drawRow<2, 1, 1, 1, -1>;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            return drawRow<4, 1, 1, 1, 3>;
        case PNG_COLOR_TYPE_RGB:
            return drawRow<6, 1, 3, 5, -1>;
        case PNG_COLOR_TYPE_RGB_ALPHA:
            return drawRow<8, 1, 3, 5, 7>;
        }
    }
    return nullptr;
}

// The part of the canvas that a picture drawn at `at` covers; empty when none. Computed
// in 64 bits: `at` may lie anywhere, also far outside the canvas.
QRect coveredArea(const TPngImage& image, const QImage& canvas, QPoint at) {
    const qint64 left = std::max<qint64>(at.x(), 0);
    const qint64 top = std::max<qint64>(at.y(), 0);
    const qint64 right = std::min<qint64>(qint64(at.x()) + image.width, canvas.width());
    const qint64 bottom = std::min<qint64>(qint64(at.y()) + image.height, canvas.height());
    if (left >= right || top >= bottom)
        return {};
    return QRect(int(left), int(top), int(right - left), int(bottom - top));
}

// Draws onto a 24-bit canvas; `area` is coveredArea() of the same arguments.
void drawOntoRgb888(const TPngImage& image, RowDrawer drawer, QImage& canvas, QPoint at,
                    const QRect& area) {
    const qsizetype srcStride = qsizetype(image.width) * image.bytesPerPixel;
    const qsizetype dstStride = canvas.bytesPerLine();
    const uchar* src = image.pixels.data() + (qsizetype(area.top()) - at.y()) * srcStride +
                       (qsizetype(area.left()) - at.x()) * image.bytesPerPixel;
    uchar* dst = canvas.bits() + qsizetype(area.top()) * dstStride + qsizetype(area.left()) * 3;
    for (int y = 0; y < area.height(); ++y, src += srcStride, dst += dstStride)
        drawer(dst, src, area.width());
}

} // namespace

void TPngGraphic::setWidth(int) {
    throw FileError(QStringLiteral("Cannot set width on a TPngGraphic"));
}

void TPngGraphic::setHeight(int) {
    throw FileError(QStringLiteral("Cannot set height on a TPngGraphic"));
}

void TPngGraphic::loadFromStream() {
    throw FileError(QStringLiteral("Cannot load a TPngGraphic from a Stream"));
}

void TPngGraphic::saveToStream() const {
    throw FileError(QStringLiteral("Cannot save a TPngGraphic to a Stream"));
}

void TPngGraphic::loadFromClipboard() {
    throw FileError(QStringLiteral("Cannot load a TPngGraphic from the Clipboard"));
}

void TPngGraphic::saveToClipboard() const {
    throw FileError(QStringLiteral("Cannot save a TPngGraphic to the Clipboard"));
}

void TPngGraphic::replaceImage(TPngImage&& decoded) {
    // Written into the shared object, so that every copy shows the new picture.
    if (m_image)
        *m_image = std::move(decoded);
    else
        m_image = std::make_shared<TPngImage>(std::move(decoded));
}

void savePngPicture(const QImage& image, const QString& path, QColor background) {
    if (image.isNull())
        throw writeError();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw openError(path);
    WriteState state;
    state.start(file);
    if (!writeRgbHeaderStage(state.png, state.info, png_uint_32(image.width()),
                             png_uint_32(image.height())))
        throw writeError();

    // About a million pixels a band.
    const int bandRows = std::max(1, (1 << 20) / image.width());
    std::vector<png_bytep> rows;
    for (int y = 0; y < image.height(); y += bandRows) {
        const int count = std::min(bandRows, image.height() - y);
        const QImage part = image.copy(0, y, image.width(), count);
        QImage rgb;
        if (part.hasAlphaChannel()) {
            rgb = QImage(part.size(), QImage::Format_RGB888);
            if (!rgb.isNull()) {
                rgb.fill(background);
                QPainter painter(&rgb);
                painter.drawImage(0, 0, part);
            }
        } else if (!part.isNull()) {
            rgb = part.convertToFormat(QImage::Format_RGB888);
        }
        if (rgb.isNull())
            throw writeError();
        rows.resize(std::size_t(count));
        for (int i = 0; i < count; ++i)
            rows[std::size_t(i)] = rgb.scanLine(i);
        if (!writeRowsStage(state.png, rows.data(), png_uint_32(count)))
            throw writeError();
    }
    if (!writeEndStage(state.png, state.info))
        throw writeError();
    if (!file.flush() || file.error() != QFileDevice::NoError || !file.commit())
        throw writeError();
}

void TPngGraphic::loadFromFile(const QString& path) {
    const FileHandle file = openForReading(path);
    PngReadSession session([&](png_structp png) { png_init_io(png, file.get()); }, false);
    replaceImage(session.readImage());
}

void TPngGraphic::loadFromBytes(QByteArrayView data) {
    MemoryInput input{reinterpret_cast<const unsigned char*>(data.data()), std::size_t(data.size()),
                      0};
    PngReadSession session([&](png_structp png) { png_set_read_fn(png, &input, readFromMemory); },
                           false);
    replaceImage(session.readImage());
}

void TPngGraphic::saveToFile(const QString& path) const {
    if (!m_image)
        return;
    const TPngImage& image = *m_image;
    const int bytesPerPixel = bytesPerPixelOf(image.colorType, image.bitDepth);
    const std::size_t rowBytes = std::size_t(std::max(image.width, 0)) * std::size_t(bytesPerPixel);
    if (bytesPerPixel == 0 ||
        image.pixels.size() != rowBytes * std::size_t(std::max(image.height, 0)))
        throw writeError();

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw openError(path);

    WriteState state;
    state.start(file);

    // libpng copies each row before transforming it, so the rows are only read.
    std::vector<png_bytep> rows(std::size_t(std::max(image.height, 0)));
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = const_cast<png_bytep>(image.pixels.data() + y * rowBytes);
    if (!writeStage(state.png, state.info, &image, rows.data()))
        throw writeError();
    if (!file.flush() || file.error() != QFileDevice::NoError || !file.commit())
        throw writeError();
}

void TPngGraphic::draw(QImage& canvas, QPoint at) const {
    if (!m_image || canvas.isNull())
        return;
    const TPngImage& image = *m_image;
    const RowDrawer drawer = rowDrawerFor(image.colorType, image.bitDepth);
    if (!drawer || image.bytesPerPixel != bytesPerPixelOf(image.colorType, image.bitDepth) ||
        image.width <= 0 || image.height <= 0 ||
        image.pixels.size() <
            std::size_t(image.width) * std::size_t(image.height) * std::size_t(image.bytesPerPixel))
        return;

    const QRect area = coveredArea(image, canvas, at);
    if (area.isEmpty())
        return;
    switch (canvas.format()) {
    case QImage::Format_RGB888:
        drawOntoRgb888(image, drawer, canvas, at, area);
        return;
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Indexed8:
        // A painter cannot draw on palette pictures: the canvas becomes 24-bit.
        canvas = canvas.convertToFormat(QImage::Format_RGB888);
        drawOntoRgb888(image, drawer, canvas, at, area);
        return;
    default: {
        // Draws onto a 24-bit copy of the covered part and puts that back.
        QImage work = canvas.copy(area).convertToFormat(QImage::Format_RGB888);
        const QPoint workAt = at - area.topLeft();
        drawOntoRgb888(image, drawer, work, workAt, coveredArea(image, work, workAt));
        QPainter painter(&canvas);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(area.topLeft(), work);
        return;
    }
    }
}

namespace {

// The viewer's picture: the PNG drawn at the top-left of a new 24-bit picture of its size
// that holds `background`. Opaque 8-bit RGB and indexed pictures are read straight into
// it, which gives the same pixels as the drawing, without the copy.
template <typename AttachInput> QImage decodePicture(AttachInput attachInput, QColor background) {
    PngReadSession session(attachInput, true);
    const ReadHeader& header = session.header();
    const RowDrawer drawer =
        header.indexed ? nullptr : rowDrawerFor(header.colorType, header.bitDepth);
    if (header.passes > 1) {
        const uchar colour[3] = {uchar(background.red()), uchar(background.green()),
                                 uchar(background.blue())};
        return session.readInterlaced(drawer, colour);
    }
    QImage picture(int(header.width), int(header.height), QImage::Format_RGB888);
    if (picture.isNull())
        throw readError();
    if (header.colorType == PNG_COLOR_TYPE_RGB && header.bitDepth == 8) {
        session.readRgbInto(picture);
        return picture;
    }
    // Only pictures with alpha let the background show through.
    std::vector<uchar> backgroundRow;
    if (header.colorType & PNG_COLOR_MASK_ALPHA) {
        backgroundRow.resize(std::size_t(header.width) * 3);
        for (std::size_t i = 0; i < backgroundRow.size(); i += 3) {
            backgroundRow[i] = uchar(background.red());
            backgroundRow[i + 1] = uchar(background.green());
            backgroundRow[i + 2] = uchar(background.blue());
        }
    }
    session.readOnto(picture, drawer, backgroundRow.empty() ? nullptr : backgroundRow.data());
    return picture;
}

} // namespace

QImage loadPngPicture(const QString& path, QColor background) {
    const FileHandle file = openForReading(path);
    return decodePicture([&](png_structp png) { png_init_io(png, file.get()); }, background);
}

QImage loadPngPictureFromBytes(QByteArrayView data, QColor background) {
    MemoryInput input{reinterpret_cast<const unsigned char*>(data.data()), std::size_t(data.size()),
                      0};
    return decodePicture([&](png_structp png) { png_set_read_fn(png, &input, readFromMemory); },
                         background);
}
