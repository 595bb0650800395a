// Decoding speed of the picture readers, each against Qt's own PNG reader on the same
// picture: a 1024 x 768 screenshot in 256 colours, as PCX and as PNG.
// It reports; missing a target does not make it fail.

#include "Measure.h"
#include "PcxWriter.h"
#include "media/PCX.h"
#include "media/PngImage.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <cmath>
#include <string>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

// A picture like a game's screen: flat areas, gradients, sprites, some noise.
std::vector<uint8_t> screenPixels() {
    std::vector<uint8_t> pixels(size_t(kWidth) * kHeight);
    uint32_t seed = 12345;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint8_t v;
            if (y < 96)
                v = uint8_t(16 + (x / 64) % 8); // a bar of flat tiles
            else if ((x / 48 + y / 48) % 5 == 0)
                v = uint8_t(64 + ((x * 3 + y * 5) / 7) % 64); // sprites with detail
            else
                v = uint8_t(128 + (y - 96) * 64 / (kHeight - 96)); // a sky gradient
            seed = seed * 1103515245u + 12345u;
            if ((seed >> 24) < 6) // a little noise
                v = uint8_t(seed >> 8);
            pixels[size_t(y) * kWidth + size_t(x)] = v;
        }
    }
    return pixels;
}

sk::PcxPalette palette() {
    sk::PcxPalette p{};
    for (int i = 0; i < 256; ++i) {
        p[size_t(i) * 3] = uint8_t(i);
        p[size_t(i) * 3 + 1] = uint8_t(255 - i);
        p[size_t(i) * 3 + 2] = uint8_t((i * 7) & 0xFF);
    }
    return p;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    const std::vector<uint8_t> pixels = screenPixels();
    const sk::PcxPalette colours = palette();

    const QString pcxPath = dir.filePath(QStringLiteral("screen.pcx"));
    const std::string pcx = sk::pcxBytes8(kWidth, kHeight, pixels, colours);
    {
        QFile file(pcxPath);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(pcx.data(), qint64(pcx.size())) != qint64(pcx.size()))
            return 1;
    }
    // The same picture as a PNG with its palette, written by Qt as an image program would.
    QImage indexed(kWidth, kHeight, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i)
        table.append(
            qRgb(colours[size_t(i) * 3], colours[size_t(i) * 3 + 1], colours[size_t(i) * 3 + 2]));
    indexed.setColorTable(table);
    for (int y = 0; y < kHeight; ++y)
        std::copy_n(pixels.data() + size_t(y) * kWidth, kWidth, indexed.scanLine(y));
    const QString pngPath = dir.filePath(QStringLiteral("screen.png"));
    if (!indexed.save(pngPath, "PNG"))
        return 1;

    const auto qtPng = [&] {
        QImageReader reader(pngPath, "png");
        const QImage image = reader.read();
        if (image.isNull())
            std::abort();
    };
    const auto ourPcx = [&] {
        if (LoadPcxFile(pcxPath).isNull())
            std::abort();
    };
    const auto ourPng = [&] {
        if (loadPngPicture(pngPath, Qt::black).isNull())
            std::abort();
    };

    const skbench::Timings pcxTimes = skbench::compareMedians(21, ourPcx, qtPng);
    skbench::reportLine("PCX 1024x768 256 colours / same picture as PNG with Qt's reader",
                        pcxTimes.ratio(), 0.5,
                        QStringLiteral("PCX %1 ms, Qt PNG %2 ms, PCX %3 kB, PNG %4 kB")
                            .arg(pcxTimes.subject, 0, 'f', 2)
                            .arg(pcxTimes.baseline, 0, 'f', 2)
                            .arg(pcx.size() / 1024)
                            .arg(QFile(pngPath).size() / 1024)
                            .toStdString());
    const skbench::Timings pngTimes = skbench::compareMedians(21, ourPng, qtPng);
    skbench::reportLine("PNG 1024x768 through libpng and the draw / Qt's PNG reader",
                        pngTimes.ratio(), 1.2,
                        QStringLiteral("ours %1 ms, Qt %2 ms")
                            .arg(pngTimes.subject, 0, 'f', 2)
                            .arg(pngTimes.baseline, 0, 'f', 2)
                            .toStdString());
    return 0;
}
