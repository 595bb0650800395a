// Decodes a PNG picture from arbitrary bytes and draws it onto a small canvas at a few
// places, some partly outside; decodes it the viewer's way too, which reads some layouts
// differently, and compares. The chunk checksums are set right first: libpng is not
// instrumented, so the fuzzer could not learn them, and nearly every changed input would
// end at the first checksum. Beyond not crashing: a load either fails with the read
// error or gives a picture whose pixel buffer matches its size, and drawing touches only
// the canvas.
#include "FuzzCheck.h"
#include "core/FileError.h"
#include "media/PngImage.h"

#include <QImage>
#include <QPoint>
#include <cstdint>
#include <zlib.h>

namespace {

quint32 bigEndian32(const uchar* p) {
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}

// The input with the checksum of every whole chunk after the signature recomputed.
QByteArray withChunkChecksums(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    auto* p = reinterpret_cast<uchar*>(bytes.data());
    std::size_t pos = 8;
    while (size >= 12 && pos <= size - 12) {
        const quint32 length = bigEndian32(p + pos);
        if (length > size - 12 - pos)
            break;
        const uLong crc = crc32(0, p + pos + 4, uInt(length + 4));
        uchar* out = p + pos + 8 + length;
        out[0] = uchar(crc >> 24);
        out[1] = uchar(crc >> 16);
        out[2] = uchar(crc >> 8);
        out[3] = uchar(crc);
        pos += 12 + std::size_t(length);
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input = withChunkChecksums(data, size);
    const QColor background(40, 90, 160);
    QImage shown;
    bool viewerFailed = false;
    try {
        shown = loadPngPictureFromBytes(input, background);
    } catch (const FileError& e) {
        CHECK(e.message() == QLatin1String("Error Reading File!"));
        viewerFailed = true;
    }

    TPngGraphic picture;
    try {
        picture.loadFromBytes(input);
    } catch (const FileError& e) {
        CHECK(e.message() == QLatin1String("Error Reading File!"));
        CHECK(picture.empty());
        CHECK(viewerFailed);
        return 0;
    }
    CHECK(!viewerFailed);
    const TPngImage* image = picture.image();
    CHECK(image != nullptr);
    CHECK(image->width > 0 && image->height > 0);
    CHECK(image->bitDepth == 8 || image->bitDepth == 16);
    CHECK(image->pixels.size() == std::size_t(image->width) * std::size_t(image->height) *
                                      std::size_t(image->bytesPerPixel));

    // The whole picture as the viewer shows it, up to a size that keeps the runs quick.
    if (qint64(image->width) * image->height <= 1 << 20) {
        QImage whole(image->width, image->height, QImage::Format_RGB888);
        whole.fill(background);
        picture.draw(whole, QPoint(0, 0));
        CHECK(whole == shown);
    }

    QImage canvas(24, 16, QImage::Format_RGB888);
    canvas.fill(background);
    for (const QPoint at : {QPoint(0, 0), QPoint(-3, 5), QPoint(20, -7), QPoint(23, 15)})
        picture.draw(canvas, at);
    CHECK(canvas.size() == QSize(24, 16) && canvas.format() == QImage::Format_RGB888);
    return 0;
}
