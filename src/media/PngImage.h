#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

// One decoded PNG picture as libpng delivers it after the reader's transformations:
// samples in the file's order (red, green, blue, alpha), alpha inverted (0 opaque,
// 255 transparent), 16-bit samples low byte first.
struct TPngImage {
    int bitDepth = 0;      // 8 or 16
    int bytesPerPixel = 0; // 1, 2, 3, 4, 6 or 8
    int colorType = 0;     // 0 grey, 2 RGB, 3 palette, 4 grey with alpha, 6 RGB with alpha
    int height = 0;
    int width = 0;
    std::vector<uint8_t> pixels; // height rows of width * bytesPerPixel bytes, top first
};

// A PNG picture read and written with libpng. Copies share the decoded image; loading
// into one of them replaces what both show.
//
// Errors throw FileError with the fixed texts: "Error Opening File <path>!", "Error
// Reading File!", "Error Writing File!", and for the operations a PNG picture does not
// offer "Cannot set height on a TPngGraphic" and the like.
class TPngGraphic {
public:
    TPngGraphic() = default;

    bool empty() const { return !m_image; }
    int width() const { return m_image ? m_image->width : 0; }
    int height() const { return m_image ? m_image->height : 0; }
    const TPngImage* image() const { return m_image.get(); }

    void setWidth(int);
    void setHeight(int);
    void loadFromStream();
    void saveToStream() const;
    void loadFromClipboard();
    void saveToClipboard() const;

    // A failed load throws and leaves the picture as it was.
    void loadFromFile(const QString& path);
    // The same decoding from bytes in memory.
    void loadFromBytes(QByteArrayView data);
    // Written through a temporary file: a failed save leaves an existing file whole.
    void saveToFile(const QString& path) const;

    // Draws the picture at its own size with its top-left corner at `at`, blending what
    // it lets through over what the canvas shows; clipped to the canvas.
    void draw(QImage& canvas, QPoint at) const;

    // Pictures whose decoded pixels would take more than this are refused, and so are
    // pictures of more pixels than the viewer shows (kMaxPicturePixels).
    static constexpr std::uint64_t maxPixelBytes = 256u * 1024 * 1024;

private:
    void replaceImage(TPngImage&& decoded);

    std::shared_ptr<TPngImage> m_image;
};

// A PNG file as the viewer shows it: drawn onto a new 24-bit picture of its size that
// holds `background`, which shows through transparent pixels. Throws FileError.
QImage loadPngPicture(const QString& path, QColor background);
// The same from bytes in memory.
QImage loadPngPictureFromBytes(QByteArrayView data, QColor background);

// Writes a picture as an 8-bit RGB PNG through libpng, transparent parts drawn over
// `background`. Converts a band of rows at a time, so that little more than the picture is
// held. Throws FileError.
void savePngPicture(const QImage& image, const QString& path, QColor background = Qt::black);
