// Decodes arbitrary bytes as a PCX file. It must give a picture or a FileError, and beyond not
// crashing: the picture has the header's size and the format its bits and planes call for, its
// palette indexes stay within the colour table, a 256-colour picture has the pixels a plain
// byte-by-byte decode gives, zeros appended to a file without a trailing palette change
// nothing (bytes past the end read as 0), and reading the file a few bytes at a time gives
// the same picture or error as reading it whole.
#include "FuzzCheck.h"
#include "core/FileError.h"
#include "media/PCX.h"
#include "media/PictureLimits.h"

#include <QBuffer>
#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace {

struct Input {
    const uint8_t* data;
    size_t size;
    uint8_t at(size_t pos) const { return pos < size ? data[pos] : 0; }
    int word(size_t pos) const { return at(pos) | at(pos + 1) << 8; }
};

std::optional<QImage> decode(const QByteArray& bytes) {
    try {
        return decodePcx(bytes);
    } catch (const FileError& e) {
        CHECK(!e.message().isEmpty());
        return std::nullopt;
    }
}

// The same size, format, colours and pixels; compared a row's bytes at a time, which is
// far quicker than QImage's comparison of palette pictures.
bool sameImage(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.format() != b.format() || a.colorTable() != b.colorTable())
        return false;
    const size_t rowBytes = (size_t(a.width()) * size_t(a.depth()) + 7) / 8;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), rowBytes) != 0)
            return false;
    return true;
}

// The same file read from a device in blocks of blockBytes.
std::optional<QImage> readInBlocks(QByteArray bytes, qsizetype blockBytes) {
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    try {
        return readPcx(device, blockBytes);
    } catch (const FileError& e) {
        CHECK(!e.message().isEmpty());
        return std::nullopt;
    }
}

QImage::Format expectedFormat(int bitsPerPixel, int planes) {
    if (bitsPerPixel == 1)
        return planes <= 1 ? QImage::Format_Mono : QImage::Format_Indexed8;
    if (bitsPerPixel != 8)
        return QImage::Format_RGB888;
    if (planes == 3)
        return QImage::Format_RGB888;
    if (planes == 4)
        return QImage::Format_RGBA8888;
    return QImage::Format_Indexed8;
}

// One byte at a time, as the format describes it: the first plane of every line.
void checkAgainstPlainDecode(const Input& in, const QImage& image, int bytesPerLine) {
    size_t pos = 128;
    std::vector<uint8_t> line(static_cast<size_t>(bytesPerLine));
    for (int y = 0; y < image.height(); ++y) {
        size_t produced = 0;
        while (produced < line.size()) {
            const uint8_t b = in.at(pos++);
            if ((b & 0xC0) != 0xC0) {
                line[produced++] = b;
                continue;
            }
            const uint8_t value = in.at(pos++);
            for (int n = b & 0x3F; n > 0 && produced < line.size(); --n)
                line[produced++] = value;
        }
        const uchar* row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x)
            CHECK(row[x] == (x < bytesPerLine ? line[size_t(x)] : 0));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Input in{data, size};
    const int bitsPerPixel = in.at(3), planes = in.at(65), bytesPerLine = in.word(66);
    const int width = (in.word(8) - in.word(4) + 1) & 0xFFFF;
    const int height = (in.word(10) - in.word(6) + 1) & 0xFFFF;
    // Large pictures take the paths small ones take, only slower: a file of a few bytes
    // can ask for a picture of megabytes, decoded three times here. Leave out every
    // picture over 64 KB that the reader would decode, so that the runs are many; those it
    // refuses by their size (before anything is allocated) stay in.
    const bool refusedBySize =
        width == 0 || height == 0 || height > 32767 || qint64(width) * height > kMaxPicturePixels;
    const int depth = QImage::toPixelFormat(expectedFormat(bitsPerPixel, planes)).bitsPerPixel();
    const qint64 pixelBytes = (qint64(width) * depth + 31) / 32 * 4 * height;
    if (!refusedBySize && pixelBytes > (1 << 16))
        return 0;

    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<QImage> image = decode(bytes);
    // In blocks of 1 to 16 bytes (the encoding byte, which the reader ignores, says how
    // many).
    const std::optional<QImage> inBlocks = readInBlocks(bytes, 1 + qsizetype(in.at(2) % 16));
    CHECK(image.has_value() == inBlocks.has_value());
    CHECK(!image || sameImage(*image, *inBlocks));
    if (!image)
        return 0;

    CHECK(!image->isNull());
    CHECK(in.at(0) == 10);
    CHECK(image->width() == width);
    CHECK(image->height() == height);
    CHECK(height <= 32767);
    CHECK(image->format() == expectedFormat(bitsPerPixel, planes));
    const qint64 pixels = qint64(image->width()) * image->height();

    if (image->format() == QImage::Format_Mono)
        CHECK(image->colorCount() == 2);
    if (image->format() == QImage::Format_Indexed8) {
        const bool planar = bitsPerPixel == 1;
        CHECK(image->colorCount() == (planar ? 16 : 256));
        if (planar && pixels <= 1 << 22)
            for (int y = 0; y < image->height(); ++y)
                for (int x = 0; x < image->width(); ++x)
                    CHECK(image->constScanLine(y)[x] < 16);
    }

    const bool trailingPalette = bitsPerPixel == 8 && planes == 1;
    if (trailingPalette && qint64(bytesPerLine) * image->height() <= 1 << 22)
        checkAgainstPlainDecode(in, *image, bytesPerLine);
    if (!trailingPalette && pixels <= 1 << 22) {
        const std::optional<QImage> padded = decode(bytes + QByteArray(64, '\0'));
        CHECK(padded && sameImage(*padded, *image));
    }
    return 0;
}
