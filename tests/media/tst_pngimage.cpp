#include "core/FileError.h"
#include "media/PngImage.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>
#include <climits>
#include <csetjmp>
#include <functional>
#include <png.h>
#include <vector>

namespace {

// --- A small PNG writer on libpng, independent of the product code ---

// A picture as the file stores it: samples in rows, 16-bit big-endian, below 8 bits packed.
struct PngFile {
    int width = 1;
    int height = 1;
    int colorType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    QByteArray samples;
    QList<QRgb> palette;
    QByteArray paletteAlpha; // tRNS of a palette picture
    QList<int> transparent;  // tRNS of a grey (1 value) or RGB (3 values) picture
    bool interlaced = false;
};

int channelsOf(int colorType) {
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    default:
        return 4;
    }
}

int rowBytesOf(const PngFile& desc) {
    return (desc.width * channelsOf(desc.colorType) * desc.bitDepth + 7) / 8;
}

[[noreturn]] void testPngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void testPngWarning(png_structp, png_const_charp) {}

void appendToByteArray(png_structp png, png_bytep data, png_size_t length) {
    static_cast<QByteArray*>(png_get_io_ptr(png))
        ->append(reinterpret_cast<const char*>(data), qsizetype(length));
}
void noFlush(png_structp) {}

struct EncodeArgs {
    const PngFile* desc;
    const png_color* palette;
    int paletteSize;
    const png_byte* paletteAlpha;
    int paletteAlphaCount;
    const png_color_16* transparent;
    png_bytepp rows;
    bool headerOnly;
};

// Holds the setjmp; only plain values in this frame.
bool encodeStage(png_structp png, png_infop info, const EncodeArgs* args) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    const PngFile& desc = *args->desc;
    png_set_IHDR(png, info, png_uint_32(desc.width), png_uint_32(desc.height), desc.bitDepth,
                 desc.colorType, desc.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (args->paletteSize > 0)
        png_set_PLTE(png, info, args->palette, args->paletteSize);
    if (args->paletteAlphaCount > 0 || args->transparent)
        png_set_tRNS(png, info, args->paletteAlpha, args->paletteAlphaCount, args->transparent);
    png_write_info(png, info);
    if (args->headerOnly)
        return true;
    if (desc.interlaced)
        png_set_interlace_handling(png);
    png_write_image(png, args->rows);
    png_write_end(png, info);
    return true;
}

// The PNG file of `desc`; with headerOnly just the signature and the header chunks.
QByteArray encodePng(const PngFile& desc, bool headerOnly = false) {
    QByteArray out;
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, testPngError, testPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return {};
    }
    png_set_write_fn(png, &out, appendToByteArray, noFlush);

    std::vector<png_color> palette;
    for (QRgb c : desc.palette)
        palette.push_back(png_color{png_byte(qRed(c)), png_byte(qGreen(c)), png_byte(qBlue(c))});
    png_color_16 transparent{};
    if (desc.transparent.size() == 1) {
        transparent.gray = png_uint_16(desc.transparent[0]);
    } else if (desc.transparent.size() == 3) {
        transparent.red = png_uint_16(desc.transparent[0]);
        transparent.green = png_uint_16(desc.transparent[1]);
        transparent.blue = png_uint_16(desc.transparent[2]);
    }
    QByteArray samples = desc.samples;
    samples.resize(headerOnly ? 0 : qsizetype(rowBytesOf(desc)) * desc.height);
    std::vector<png_bytep> rows;
    for (int y = 0; !headerOnly && y < desc.height; ++y)
        rows.push_back(reinterpret_cast<png_bytep>(samples.data()) + y * rowBytesOf(desc));
    const EncodeArgs args{&desc,
                          palette.data(),
                          int(palette.size()),
                          reinterpret_cast<const png_byte*>(desc.paletteAlpha.constData()),
                          int(desc.paletteAlpha.size()),
                          desc.transparent.isEmpty() ? nullptr : &transparent,
                          rows.data(),
                          headerOnly};
    const bool ok = encodeStage(png, info, &args);
    png_destroy_write_struct(&png, &info);
    return ok ? out : QByteArray();
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

// Big-endian 16-bit samples, as a PNG file holds them.
QByteArray words(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v >> 8)).append(char(v & 0xFF));
    return out;
}

PngFile pngFile(int width, int height, int colorType, int bitDepth, const QByteArray& samples) {
    PngFile s;
    s.width = width;
    s.height = height;
    s.colorType = colorType;
    s.bitDepth = bitDepth;
    s.samples = samples;
    return s;
}

// A picture of width x height with varied samples in every channel, the same each run.
QByteArray noise(const PngFile& shape, quint32 seed) {
    QByteArray out(qsizetype(rowBytesOf(shape)) * shape.height, Qt::Uninitialized);
    for (char& b : out) {
        seed = seed * 1664525u + 1013904223u;
        b = char(seed >> 24);
    }
    return out;
}

QString messageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const FileError& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

const QRgb canvasColour = qRgb(40, 90, 160);
const QRgb white = qRgb(255, 255, 255);
const QRgb black = qRgb(0, 0, 0);

QRgb grey(int v) {
    return qRgb(v, v, v);
}

#ifdef SK_TESTDATA_DIR
const QString testdataDir = QStringLiteral(SK_TESTDATA_DIR);
#else
const QString testdataDir;
#endif

struct ManifestEntry {
    QString name;
    QString kind;
    QString expect;
    QString refFile;
};

QList<ManifestEntry> readManifest() {
    QList<ManifestEntry> entries;
    QFile file(testdataDir + QStringLiteral("/reference/manifest.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    file.readLine(); // column names
    while (!file.atEnd()) {
        const QStringList cols = QString::fromUtf8(file.readLine()).chopped(1).split(u'\t');
        if (cols.size() >= 4)
            entries.append({cols[0], cols[1], cols[2], cols[3]});
    }
    return entries;
}

// Components of a JPEG's frame (3 for YCbCr, 4 for CMYK), 0 when none is found.
int jpegComponents(const QByteArray& data) {
    for (qsizetype i = 2; i + 9 < data.size();) {
        if (uchar(data[i]) != 0xFF)
            return 0;
        const uchar marker = uchar(data[i + 1]);
        if (marker >= 0xC0 && marker <= 0xC2)
            return uchar(data[i + 9]);
        i += 2 + (uchar(data[i + 2]) << 8 | uchar(data[i + 3]));
    }
    return 0;
}

QString mismatch(int x, int y, QRgb got, QRgb expected) {
    return QStringLiteral("pixel (%1, %2): %3 instead of %4")
        .arg(x)
        .arg(y)
        .arg(got, 8, 16)
        .arg(expected, 8, 16);
}

int channelDifference(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

} // namespace

class TestPngImage : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    void cleanupTestCase() {
        if (m_compared > 0)
            qInfo("reference pictures: %d PNG compared (max difference %d), %d rejected as "
                  "expected, %d JPEG compared (max difference %d)",
                  m_compared, m_maxDifference, m_rejected, m_jpegCompared, m_jpegMaxDifference);
    }

    void referencePngs_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expect");
        QTest::addColumn<QString>("refFile");
        if (!QFileInfo::exists(testdataDir + QStringLiteral("/reference/manifest.tsv"))) {
            QTest::newRow("no test data") << QString() << QString() << QString();
            return;
        }
        for (const ManifestEntry& e : readManifest()) {
            if (e.kind == u"png")
                QTest::newRow(qPrintable(e.name)) << e.name << e.expect << e.refFile;
        }
    }

    // Every PNG of the shared collection, drawn as the viewer does over a background that
    // shows through transparent pixels.
    void referencePngs() {
        QFETCH(QString, name);
        QFETCH(QString, expect);
        QFETCH(QString, refFile);
        if (name.isEmpty())
            QSKIP("The shared test pictures are not on this machine (../shared/testdata/images)");
        const QString path = testdataDir + u'/' + name;
        const QColor background(17, 130, 240);

        if (expect == u"error") {
            QCOMPARE(messageOf([&] { loadPngPicture(path, background); }),
                     QStringLiteral("Error Reading File!"));
            ++m_rejected;
            return;
        }
        if (expect != u"image") {
            messageOf([&] { loadPngPicture(path, background); });
            return;
        }
        QImage decoded;
        QCOMPARE(messageOf([&] { decoded = loadPngPicture(path, background); }),
                 QStringLiteral("<no error>"));
        const QImage reference(testdataDir + QStringLiteral("/reference/") + refFile);
        QVERIFY(!reference.isNull());
        QCOMPARE(decoded.format(), QImage::Format_RGB888);
        QCOMPARE(decoded.size(), reference.size());

        // Transparent reference pixels composited with the drawing's own integer formula:
        // only rounding may differ.
        const int tolerance = reference.hasAlphaChannel() ? 1 : 0;
        const QImage ref = reference.convertToFormat(QImage::Format_ARGB32);
        const QRgb bg = background.rgb();
        int worst = 0;
        for (int y = 0; y < ref.height(); ++y) {
            for (int x = 0; x < ref.width(); ++x) {
                const QRgb r = ref.pixel(x, y);
                const int t = 255 - qAlpha(r);
                const QRgb expected = qRgb((t * qRed(bg) + (255 - t) * qRed(r)) / 255,
                                           (t * qGreen(bg) + (255 - t) * qGreen(r)) / 255,
                                           (t * qBlue(bg) + (255 - t) * qBlue(r)) / 255);
                const int diff = channelDifference(decoded.pixel(x, y), expected);
                worst = std::max(worst, diff);
                if (diff > tolerance)
                    QFAIL(qPrintable(mismatch(x, y, decoded.pixel(x, y), expected)));
            }
        }
        // The picture type's own load and draw give the viewer's picture exactly.
        TPngGraphic picture;
        picture.loadFromFile(path);
        QImage canvas(decoded.size(), QImage::Format_RGB888);
        canvas.fill(background);
        picture.draw(canvas, QPoint(0, 0));
        QCOMPARE(canvas, decoded);

        ++m_compared;
        m_maxDifference = std::max(m_maxDifference, worst);
    }

    void referenceJpegs_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("refFile");
        if (!QFileInfo::exists(testdataDir + QStringLiteral("/reference/manifest.tsv"))) {
            QTest::newRow("no test data") << QString() << QString();
            return;
        }
        for (const ManifestEntry& e : readManifest()) {
            if (e.kind == u"jpeg" && e.expect == u"image")
                QTest::newRow(qPrintable(e.name)) << e.name << e.refFile;
        }
    }

    // JPEG goes through the toolkit's reader (libjpeg); it must agree with the reference
    // within a few levels. A CMYK file's conversion is the decoder's own: size only.
    void referenceJpegs() {
        QFETCH(QString, name);
        QFETCH(QString, refFile);
        if (name.isEmpty())
            QSKIP("The shared test pictures are not on this machine (../shared/testdata/images)");
        const QString path = testdataDir + u'/' + name;
        QImageReader reader(path);
        const QImage decoded = reader.read().convertToFormat(QImage::Format_RGB888);
        QVERIFY2(!decoded.isNull(), qPrintable(reader.errorString()));
        const QImage reference = QImage(testdataDir + QStringLiteral("/reference/") + refFile)
                                     .convertToFormat(QImage::Format_RGB888);
        QCOMPARE(decoded.size(), reference.size());

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        if (jpegComponents(file.readAll()) == 4)
            return;
        int worst = 0;
        for (int y = 0; y < reference.height(); ++y)
            for (int x = 0; x < reference.width(); ++x)
                worst =
                    std::max(worst, channelDifference(decoded.pixel(x, y), reference.pixel(x, y)));
        QVERIFY2(worst <= 4, qPrintable(QStringLiteral("differs by %1").arg(worst)));
        ++m_jpegCompared;
        m_jpegMaxDifference = std::max(m_jpegMaxDifference, worst);
    }

    void decodeAndDraw_data() {
        QTest::addColumn<QByteArray>("png");
        QTest::addColumn<int>("colorType");
        QTest::addColumn<int>("bytesPerPixel");
        QTest::addColumn<QList<QRgb>>("expected");

        PngFile palette = pngFile(3, 1, PNG_COLOR_TYPE_PALETTE, 8, bytes({0, 1, 2}));
        palette.palette = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
        QTest::newRow("palette") << encodePng(palette) << int(PNG_COLOR_TYPE_RGB) << 3
                                 << QList<QRgb>{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
        // Entry 1 transparent, entry 2 beyond the tRNS entries and so opaque.
        palette.paletteAlpha = bytes({255, 0});
        QTest::newRow("palette, transparent entry shows the canvas")
            << encodePng(palette) << int(PNG_COLOR_TYPE_RGB_ALPHA) << 4
            << QList<QRgb>{qRgb(255, 0, 0), canvasColour, qRgb(0, 0, 255)};

        PngFile short_ = pngFile(3, 1, PNG_COLOR_TYPE_PALETTE, 8, bytes({1, 2, 255}));
        short_.palette = {white, qRgb(1, 2, 3)};
        QTest::newRow("palette, index past the palette is black")
            << encodePng(short_) << int(PNG_COLOR_TYPE_RGB) << 3
            << QList<QRgb>{qRgb(1, 2, 3), black, black};

        PngFile bw = pngFile(8, 1, PNG_COLOR_TYPE_PALETTE, 1, bytes({0b10110010}));
        bw.palette = {black, white};
        QTest::newRow("1-bit palette")
            << encodePng(bw) << int(PNG_COLOR_TYPE_RGB) << 3
            << QList<QRgb>{white, black, white, white, black, black, white, black};

        QTest::newRow("grey 2-bit spread to 8")
            << encodePng(pngFile(4, 1, PNG_COLOR_TYPE_GRAY, 2, bytes({0b00011011})))
            << int(PNG_COLOR_TYPE_GRAY) << 1
            << QList<QRgb>{grey(0), grey(85), grey(170), grey(255)};
        PngFile grey4 = pngFile(2, 1, PNG_COLOR_TYPE_GRAY, 4, bytes({0x5F}));
        grey4.transparent = {5};
        QTest::newRow("grey 4-bit, transparent value")
            << encodePng(grey4) << int(PNG_COLOR_TYPE_GRAY_ALPHA) << 2
            << QList<QRgb>{canvasColour, grey(255)};
        QTest::newRow("grey 8") << encodePng(
                                       pngFile(3, 1, PNG_COLOR_TYPE_GRAY, 8, bytes({0, 77, 255})))
                                << int(PNG_COLOR_TYPE_GRAY) << 1
                                << QList<QRgb>{grey(0), grey(77), grey(255)};

        // Alpha 64 over the canvas (40, 90, 160): inverted alpha 191, each channel
        // (191 * canvas + 64 * 200) / 255, truncated.
        const QRgb blended200 = qRgb(80, 117, 170);
        QTest::newRow("grey with alpha 8") << encodePng(pngFile(3, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8,
                                                                bytes({200, 255, 200, 0, 200, 64})))
                                           << int(PNG_COLOR_TYPE_GRAY_ALPHA) << 2
                                           << QList<QRgb>{grey(200), canvasColour, blended200};
        QTest::newRow("RGBA 8") << encodePng(pngFile(
                                       3, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8,
                                       bytes({1, 2, 3, 255, 1, 2, 3, 0, 200, 200, 200, 64})))
                                << int(PNG_COLOR_TYPE_RGB_ALPHA) << 4
                                << QList<QRgb>{qRgb(1, 2, 3), canvasColour, blended200};
        PngFile rgbKey = pngFile(2, 1, PNG_COLOR_TYPE_RGB, 8, bytes({1, 2, 3, 4, 5, 6}));
        rgbKey.transparent = {1, 2, 3};
        QTest::newRow("RGB, transparent colour")
            << encodePng(rgbKey) << int(PNG_COLOR_TYPE_RGB_ALPHA) << 4
            << QList<QRgb>{canvasColour, qRgb(4, 5, 6)};

        // 16-bit samples: the high byte counts, alpha included.
        QTest::newRow("grey 16") << encodePng(pngFile(2, 1, PNG_COLOR_TYPE_GRAY, 16,
                                                      words({0x12FF, 0xAB00})))
                                 << int(PNG_COLOR_TYPE_GRAY) << 2
                                 << QList<QRgb>{grey(0x12), grey(0xAB)};
        PngFile grey16Key = pngFile(2, 1, PNG_COLOR_TYPE_GRAY, 16, words({0x1234, 0x1235}));
        grey16Key.transparent = {0x1234};
        QTest::newRow("grey 16, transparent value")
            << encodePng(grey16Key) << int(PNG_COLOR_TYPE_GRAY_ALPHA) << 4
            << QList<QRgb>{canvasColour, grey(0x12)};
        QTest::newRow("grey with alpha 16")
            << encodePng(pngFile(3, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 16,
                                 words({0x80FF, 0xFFFF, 0x8000, 0x0000, 0xC812, 0x40FF})))
            << int(PNG_COLOR_TYPE_GRAY_ALPHA) << 4
            << QList<QRgb>{grey(0x80), canvasColour, blended200};
        QTest::newRow("RGB 16") << encodePng(pngFile(1, 1, PNG_COLOR_TYPE_RGB, 16,
                                                     words({0x1234, 0x5678, 0x9ABC})))
                                << int(PNG_COLOR_TYPE_RGB) << 6
                                << QList<QRgb>{qRgb(0x12, 0x56, 0x9A)};
        QTest::newRow("RGBA 16") << encodePng(pngFile(
                                        3, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16,
                                        words({0x0100, 0x0200, 0x03FF, 0xFF00, 0x1111, 0x2222,
                                               0x3333, 0x00FF, 0xC800, 0xC8FF, 0xC877, 0x40FF})))
                                 << int(PNG_COLOR_TYPE_RGB_ALPHA) << 8
                                 << QList<QRgb>{qRgb(1, 2, 3), canvasColour, blended200};
    }

    // The layouts after the reader's transformations and how each is drawn over a canvas.
    void decodeAndDraw() {
        QFETCH(QByteArray, png);
        QFETCH(int, colorType);
        QFETCH(int, bytesPerPixel);
        QFETCH(QList<QRgb>, expected);
        QVERIFY(!png.isEmpty());

        TPngGraphic picture;
        picture.loadFromBytes(png);
        QCOMPARE(picture.width(), expected.size());
        QCOMPARE(picture.height(), 1);
        QCOMPARE(picture.image()->colorType, colorType);
        QCOMPARE(picture.image()->bytesPerPixel, bytesPerPixel);

        QImage canvas(picture.width(), 1, QImage::Format_RGB888);
        canvas.fill(canvasColour);
        picture.draw(canvas, QPoint(0, 0));
        for (int x = 0; x < expected.size(); ++x)
            QCOMPARE(QString::number(canvas.pixel(x, 0), 16), QString::number(expected[x], 16));
        // The viewer's path reads some layouts its own way; it must show the same.
        QCOMPARE(loadPngPictureFromBytes(png, canvasColour), canvas);
    }

    // The example of alpha 128 over white: inverted alpha 127, (127 * 255 + 128 * s) / 255.
    void halfAlphaOverWhite() {
        const QString path = m_dir.filePath(QStringLiteral("half.png"));
        writeFile(path, encodePng(pngFile(3, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8,
                                          bytes({0, 100, 255, 128, 7, 8, 9, 128, 0, 0, 0, 128}))));
        const QImage shown = loadPngPicture(path, Qt::white);
        QCOMPARE(shown.format(), QImage::Format_RGB888);
        QCOMPARE(shown.pixel(0, 0), qRgb(127, 177, 255));
        QCOMPARE(shown.pixel(1, 0), qRgb(130, 131, 131));
        QCOMPARE(shown.pixel(2, 0), qRgb(127, 127, 127));
    }

    void blendOverVariedCanvas_data() {
        QTest::addColumn<int>("colorType");
        QTest::addColumn<int>("bitDepth");
        QTest::newRow("RGBA 8") << int(PNG_COLOR_TYPE_RGB_ALPHA) << 8;
        QTest::newRow("RGBA 16") << int(PNG_COLOR_TYPE_RGB_ALPHA) << 16;
        QTest::newRow("grey with alpha 8") << int(PNG_COLOR_TYPE_GRAY_ALPHA) << 8;
        QTest::newRow("grey with alpha 16") << int(PNG_COLOR_TYPE_GRAY_ALPHA) << 16;
    }

    // Every pixel over a canvas of varied colours, exactly (t * old + (255 - t) * new) / 255
    // with t = 255 - alpha: runs of opaque, of clear and of mixed pixels, rows of several
    // lengths (the picture is partly outside the canvas on the right).
    void blendOverVariedCanvas() {
        QFETCH(int, colorType);
        QFETCH(int, bitDepth);
        PngFile picture = pngFile(37, 4, colorType, bitDepth, {});
        picture.samples = noise(picture, 11);
        const int channels = channelsOf(colorType);
        const int bytesPerSample = bitDepth / 8;
        const int stride = channels * bytesPerSample;
        auto sample = [&](int x, int y, int c) {
            return uchar(picture.samples[(y * picture.width + x) * stride + c * bytesPerSample]);
        };
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                const int alphaAt =
                    (y * picture.width + x) * stride + (channels - 1) * bytesPerSample;
                if (x < 8)
                    picture.samples[alphaAt] = char(255);
                else if (x < 16)
                    picture.samples[alphaAt] = 0;
            }
        }
        TPngGraphic graphic;
        graphic.loadFromBytes(encodePng(picture));

        QImage canvas(40, 5, QImage::Format_RGB888);
        const QByteArray canvasNoise = noise(pngFile(40, 5, PNG_COLOR_TYPE_RGB, 8, {}), 5);
        for (int y = 0; y < 5; ++y)
            std::memcpy(canvas.scanLine(y), canvasNoise.constData() + y * 120, 120);
        const QImage before = canvas;
        const QPoint at(5, 1);
        graphic.draw(canvas, at);

        for (int y = 0; y < canvas.height(); ++y) {
            for (int x = 0; x < canvas.width(); ++x) {
                const int px = x - at.x(), py = y - at.y();
                QRgb expected = before.pixel(x, y);
                if (px >= 0 && py >= 0 && py < picture.height) {
                    const int a = sample(px, py, channels - 1);
                    const int t = 255 - a;
                    const QRgb fresh = channels == 2 ? grey(sample(px, py, 0))
                                                     : qRgb(sample(px, py, 0), sample(px, py, 1),
                                                            sample(px, py, 2));
                    expected = qRgb((t * qRed(expected) + a * qRed(fresh)) / 255,
                                    (t * qGreen(expected) + a * qGreen(fresh)) / 255,
                                    (t * qBlue(expected) + a * qBlue(fresh)) / 255);
                }
                if (canvas.pixel(x, y) != expected)
                    QFAIL(qPrintable(mismatch(x, y, canvas.pixel(x, y), expected)));
            }
        }
    }

    void placement_data() {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QImage::Format>("format");
        QTest::newRow("corner") << QPoint(0, 0) << QImage::Format_RGB888;
        QTest::newRow("inside") << QPoint(2, 1) << QImage::Format_RGB888;
        QTest::newRow("clipped right and bottom") << QPoint(6, 5) << QImage::Format_RGB888;
        QTest::newRow("clipped left and top") << QPoint(-2, -1) << QImage::Format_RGB888;
        QTest::newRow("just outside right") << QPoint(8, 0) << QImage::Format_RGB888;
        QTest::newRow("just outside above") << QPoint(0, -2) << QImage::Format_RGB888;
        QTest::newRow("far away") << QPoint(INT_MAX - 1, INT_MAX - 1) << QImage::Format_RGB888;
        QTest::newRow("far away negative") << QPoint(INT_MIN, INT_MIN) << QImage::Format_RGB888;
        QTest::newRow("32-bit canvas, clipped") << QPoint(6, -1) << QImage::Format_RGB32;
        QTest::newRow("alpha canvas") << QPoint(1, 1) << QImage::Format_ARGB32;
        QTest::newRow("palette canvas") << QPoint(-1, 4) << QImage::Format_Indexed8;
    }

    // The picture is drawn once at its own size with its top-left corner at the point, and
    // nothing outside the canvas is touched.
    void placement() {
        QFETCH(QPoint, at);
        QFETCH(QImage::Format, format);
        PngFile shape = pngFile(3, 2, PNG_COLOR_TYPE_RGB_ALPHA, 8, {});
        // The top right pixel is transparent.
        shape.samples = bytes({10, 20, 30, 255, 40, 50, 60, 255, 70, 80, 90, 0,
                               11, 21, 31, 255, 41, 51, 61, 255, 71, 81, 91, 255});
        TPngGraphic picture;
        picture.loadFromBytes(encodePng(shape));

        QImage canvas(8, 6, QImage::Format_RGB888);
        canvas.fill(canvasColour);
        canvas = canvas.convertToFormat(format);
        picture.draw(canvas, at);
        QCOMPARE(canvas.size(), QSize(8, 6));

        for (int y = 0; y < canvas.height(); ++y) {
            for (int x = 0; x < canvas.width(); ++x) {
                const qint64 px = qint64(x) - at.x(), py = qint64(y) - at.y();
                QRgb expected = canvasColour;
                if (px >= 0 && px < 3 && py >= 0 && py < 2 && !(px == 2 && py == 0))
                    expected = qRgb(10 + 30 * int(px) + int(py), 20 + 30 * int(px) + int(py),
                                    30 + 30 * int(px) + int(py));
                QCOMPARE(canvas.pixel(x, y) | 0xFF000000u, expected);
            }
        }
    }

    void roundTrip_data() {
        QTest::addColumn<int>("colorType");
        QTest::addColumn<int>("bitDepth");
        QTest::addColumn<bool>("interlaced");
        QTest::newRow("grey 8") << int(PNG_COLOR_TYPE_GRAY) << 8 << false;
        QTest::newRow("grey with alpha 8") << int(PNG_COLOR_TYPE_GRAY_ALPHA) << 8 << false;
        QTest::newRow("RGB 8") << int(PNG_COLOR_TYPE_RGB) << 8 << false;
        QTest::newRow("RGB 8, interlaced") << int(PNG_COLOR_TYPE_RGB) << 8 << true;
        QTest::newRow("RGBA 8") << int(PNG_COLOR_TYPE_RGB_ALPHA) << 8 << false;
        QTest::newRow("grey 16") << int(PNG_COLOR_TYPE_GRAY) << 16 << false;
        QTest::newRow("grey with alpha 16") << int(PNG_COLOR_TYPE_GRAY_ALPHA) << 16 << false;
        QTest::newRow("RGB 16") << int(PNG_COLOR_TYPE_RGB) << 16 << false;
        QTest::newRow("RGBA 16, interlaced") << int(PNG_COLOR_TYPE_RGB_ALPHA) << 16 << true;
    }

    // Samples are held low byte first with alpha inverted, and saving undoes both.
    void roundTrip() {
        QFETCH(int, colorType);
        QFETCH(int, bitDepth);
        QFETCH(bool, interlaced);
        PngFile original = pngFile(13, 11, colorType, bitDepth, {});
        original.samples = noise(original, 7);
        original.interlaced = interlaced;
        const QString source = m_dir.filePath(QStringLiteral("source.png"));
        const QString saved = m_dir.filePath(QStringLiteral("saved.png"));
        writeFile(source, encodePng(original));

        TPngGraphic picture;
        picture.loadFromFile(source);
        const TPngImage& image = *picture.image();
        const int channels = channelsOf(colorType);
        const int bytesPerSample = bitDepth / 8;
        QCOMPARE(image.colorType, colorType);
        QCOMPARE(image.bitDepth, bitDepth);
        QCOMPARE(image.bytesPerPixel, channels * bytesPerSample);
        QCOMPARE(qsizetype(image.pixels.size()), original.samples.size());
        const bool alpha = colorType & PNG_COLOR_MASK_ALPHA;
        for (qsizetype i = 0; i < original.samples.size(); ++i) {
            const qsizetype sample = i / bytesPerSample;
            const qsizetype fileByte = bytesPerSample == 2 ? (i ^ 1) : i;
            uchar expected = uchar(original.samples[fileByte]);
            if (alpha && sample % channels == channels - 1)
                expected = 255 - expected;
            QCOMPARE(image.pixels[std::size_t(i)], expected);
        }

        // The load is checked above, so a reload that gives the same bytes proves that the
        // saved file holds the original samples.
        picture.saveToFile(saved);
        TPngGraphic reloaded;
        reloaded.loadFromFile(saved);
        QCOMPARE(reloaded.image()->colorType, colorType);
        QCOMPARE(reloaded.image()->bitDepth, bitDepth);
        QCOMPARE(reloaded.width(), 13);
        QCOMPARE(reloaded.height(), 11);
        QVERIFY(reloaded.image()->pixels == image.pixels);
    }

    // Copies share one image: loading into either changes what both show, and a failed
    // load changes neither.
    void copiesShareTheImage() {
        const QByteArray small = encodePng(pngFile(1, 1, PNG_COLOR_TYPE_GRAY, 8, bytes({9})));
        const QByteArray wide =
            encodePng(pngFile(4, 2, PNG_COLOR_TYPE_GRAY, 8, QByteArray(8, 'x')));
        TPngGraphic first;
        first.loadFromBytes(small);
        TPngGraphic second(first);
        TPngGraphic third;
        third = second;
        QCOMPARE(second.image(), first.image());
        QCOMPARE(third.image(), first.image());

        second.loadFromBytes(wide);
        QCOMPARE(first.image(), second.image());
        QCOMPARE(first.width(), 4);
        QCOMPARE(third.height(), 2);

        QCOMPARE(messageOf([&] { third.loadFromBytes(QByteArray("not a picture")); }),
                 QStringLiteral("Error Reading File!"));
        QCOMPARE(first.width(), 4);
        QVERIFY(first.image()->pixels == std::vector<uint8_t>(8, 'x'));
    }

    void unreadable_data() {
        QTest::addColumn<QByteArray>("contents");
        PngFile big = pngFile(64, 64, PNG_COLOR_TYPE_RGB, 8, {});
        big.samples = noise(big, 3);
        const QByteArray whole = encodePng(big);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not a PNG") << QByteArray("GIF89a not a png at all");
        QTest::newRow("signature only") << whole.left(8);
        QTest::newRow("cut in the image data") << whole.left(whole.size() * 6 / 10);
        QByteArray badCrc = whole;
        badCrc[29] = char(badCrc[29] ^ 0x55); // the header chunk's checksum
        QTest::newRow("header checksum wrong") << badCrc;

        // Headers of pictures too large to hold, followed by the start of the image data.
        PngFile huge = pngFile(1000000, 1000000, PNG_COLOR_TYPE_RGB_ALPHA, 16, {});
        QTest::newRow("a million by a million")
            << encodePng(huge, true) + bytes({0, 0, 0, 0, 'I', 'D', 'A', 'T'});
        huge = pngFile(20000, 20000, PNG_COLOR_TYPE_GRAY, 8, {});
        QTest::newRow("400 MB of pixels")
            << encodePng(huge, true) + bytes({0, 0, 0, 0, 'I', 'D', 'A', 'T'});
    }

    // Files that are not whole PNG pictures fail with the read error, from a file and
    // from memory alike, and leave the picture empty.
    void unreadable() {
        QFETCH(QByteArray, contents);
        const QString path = m_dir.filePath(QStringLiteral("bad.png"));
        writeFile(path, contents);
        TPngGraphic fromFile;
        QCOMPARE(messageOf([&] { fromFile.loadFromFile(path); }),
                 QStringLiteral("Error Reading File!"));
        QVERIFY(fromFile.empty());
        TPngGraphic fromMemory;
        QCOMPARE(messageOf([&] { fromMemory.loadFromBytes(contents); }),
                 QStringLiteral("Error Reading File!"));
        QVERIFY(fromMemory.empty());
        QCOMPARE(messageOf([&] { loadPngPicture(path, Qt::black); }),
                 QStringLiteral("Error Reading File!"));
    }

    void fileErrors() {
        const QString missing = m_dir.filePath(QStringLiteral("no such file.png"));
        TPngGraphic picture;
        QCOMPARE(messageOf([&] { picture.loadFromFile(missing); }),
                 QStringLiteral("Error Opening File ") + missing + u'!');
        QVERIFY(picture.empty());
        QCOMPARE(picture.width(), 0);
        QCOMPARE(messageOf([&] { loadPngPicture(missing, Qt::black); }),
                 QStringLiteral("Error Opening File ") + missing + u'!');

        // An empty picture draws and saves nothing.
        QImage canvas(2, 2, QImage::Format_RGB888);
        canvas.fill(canvasColour);
        picture.draw(canvas, QPoint(0, 0));
        QCOMPARE(canvas.pixel(1, 1), canvasColour);
        const QString target = m_dir.filePath(QStringLiteral("empty.png"));
        picture.saveToFile(target);
        QVERIFY(!QFile::exists(target));

        picture.loadFromBytes(encodePng(pngFile(1, 1, PNG_COLOR_TYPE_GRAY, 8, bytes({1}))));
        const QString noFolder = m_dir.filePath(QStringLiteral("missing/out.png"));
        QCOMPARE(messageOf([&] { picture.saveToFile(noFolder); }),
                 QStringLiteral("Error Opening File ") + noFolder + u'!');
        QVERIFY(!QFile::exists(noFolder));
    }

    void refusedOperations() {
        TPngGraphic picture;
        const std::pair<std::function<void()>, const char*> refused[] = {
            {[&] { picture.setHeight(10); }, "Cannot set height on a TPngGraphic"},
            {[&] { picture.setWidth(10); }, "Cannot set width on a TPngGraphic"},
            {[&] { picture.loadFromStream(); }, "Cannot load a TPngGraphic from a Stream"},
            {[&] { picture.saveToStream(); }, "Cannot save a TPngGraphic to a Stream"},
            {[&] { picture.loadFromClipboard(); }, "Cannot load a TPngGraphic from the Clipboard"},
            {[&] { picture.saveToClipboard(); }, "Cannot save a TPngGraphic to the Clipboard"},
        };
        for (const auto& [action, message] : refused)
            QCOMPARE(messageOf(action), QString::fromLatin1(message));
    }

private:
    void writeFile(const QString& path, const QByteArray& contents) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(contents), contents.size());
    }

    QTemporaryDir m_dir;
    int m_compared = 0;
    int m_maxDifference = 0;
    int m_rejected = 0;
    int m_jpegCompared = 0;
    int m_jpegMaxDifference = 0;
};

QTEST_MAIN(TestPngImage)
#include "tst_pngimage.moc"
