#include "PcxWriter.h"
#include "core/FileError.h"
#include "media/PCX.h"

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <initializer_list>

namespace {

using Bytes = std::initializer_list<int>;

QByteArray bytes(Bytes values) {
    QByteArray out;
    for (int v : values)
        out += char(v);
    return out;
}

void put16(QByteArray& b, int pos, int value) {
    b[pos] = char(value & 0xFF);
    b[pos + 1] = char((value >> 8) & 0xFF);
}

// A 128-byte header; the size is stored as Xmax = width - 1, so 65536 wraps to 0.
QByteArray header(int bpp, int planes, int width, int height, int bytesPerLine, int version = 5) {
    QByteArray h(128, '\0');
    h[0] = 10;
    h[1] = char(version);
    h[2] = 1;
    h[3] = char(bpp);
    put16(h, 8, width - 1);
    put16(h, 10, height - 1);
    h[65] = char(planes);
    put16(h, 66, bytesPerLine);
    return h;
}

QByteArray withHeaderColour(QByteArray h, int index, Bytes rgb) {
    h.replace(16 + 3 * index, 3, bytes(rgb));
    return h;
}

// The 769 bytes that end a 256-colour file; entries not given are 0.
QByteArray trailingPalette(std::initializer_list<std::pair<int, Bytes>> entries, int marker = 12) {
    QByteArray p(769, '\0');
    p[0] = char(marker);
    for (const auto& [index, rgb] : entries)
        p.replace(1 + 3 * index, 3, bytes(rgb));
    return p;
}

QList<uint> valuesOf(const QImage& image, bool asIndex) {
    QList<uint> out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            out << (asIndex ? uint(image.pixelIndex(x, y)) : uint(image.pixel(x, y)));
    return out;
}

QString decodeError(const QByteArray& file) {
    try {
        decodePcx(file);
    } catch (const FileError& e) {
        return e.message();
    }
    return {};
}

// Largest difference of any channel of two pictures of the same size and format.
int maxDifference(const QImage& a, const QImage& b) {
    int worst = 0;
    const qsizetype rowBytes = qsizetype(a.width()) * a.depth() / 8;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* p = a.constScanLine(y);
        const uchar* q = b.constScanLine(y);
        for (qsizetype i = 0; i < rowBytes; ++i)
            worst = std::max(worst, std::abs(int(p[i]) - int(q[i])));
    }
    return worst;
}

const QString kDataDir = QStringLiteral(SK_TESTDATA_DIR);

} // namespace

class TestPcx : public QObject {
    Q_OBJECT

    int m_compared = 0;
    int m_worstPalette = 0;
    int m_worstExact = 0;

private slots:
    void cleanupTestCase() {
        if (m_compared)
            qInfo("%d reference pictures compared; largest channel difference %d for palette "
                  "pictures, %d for the others",
                  m_compared, m_worstPalette, m_worstExact);
    }

    // Real files from other programs, against the reference decodes beside them.
    void referenceFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expect");
        QTest::addColumn<QString>("refFile");
        QFile manifest(kDataDir + QStringLiteral("/reference/manifest.tsv"));
        if (!manifest.open(QIODevice::ReadOnly)) {
            QTest::newRow("no test data") << QString() << QString() << QString();
            return;
        }
        manifest.readLine(); // column names
        while (!manifest.atEnd()) {
            const QStringList f = QString::fromUtf8(manifest.readLine()).trimmed().split('\t');
            // Every PCX file, and every file a reader must reject: the PCX reader rejects
            // those too.
            if (f.size() < 5 || (f[1] != QLatin1String("pcx") && f[4] != QLatin1String("error")))
                continue;
            const bool pcx = f[1] == QLatin1String("pcx");
            // A picture the reference decoders show differently ("skip") is checked for its
            // size only.
            const QString expect = !pcx ? QStringLiteral("not pcx")
                                   : f[4] == QLatin1String("image") && f[2] != f[4]
                                       ? QStringLiteral("size")
                                       : f[4];
            QTest::newRow(qPrintable(f[0])) << f[0] << expect << f[3];
        }
    }

    void referenceFiles() {
        QFETCH(QString, name);
        QFETCH(QString, expect);
        QFETCH(QString, refFile);
        if (name.isEmpty())
            QSKIP(qPrintable(QStringLiteral("reference pictures not found in ") + kDataDir));

        QImage image;
        QString error;
        try {
            image = LoadPcxFile(kDataDir + u'/' + name);
        } catch (const FileError& e) {
            error = e.message();
        }
        if (expect == QLatin1String("not pcx")) {
            QCOMPARE(error, QStringLiteral("Not a PCX file, or header read error."));
            return;
        }
        if (expect == QLatin1String("error")) {
            QVERIFY(!error.isEmpty());
            return;
        }
        // Left to the reader: not crashing is all that is asked. Red, green, blue and alpha
        // planes are shown as other readers show them, so those must match exactly.
        const bool rgba = image.format() == QImage::Format_RGBA8888;
        if (expect == QLatin1String("skip") && !(rgba && refFile != QLatin1String("-")))
            return;
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(!image.isNull());

        QImage reference(kDataDir + QStringLiteral("/reference/") + refFile);
        QVERIFY(!reference.isNull());
        QCOMPARE(image.size(), reference.size());
        if (expect == QLatin1String("size"))
            return;

        const auto format =
            reference.hasAlphaChannel() ? QImage::Format_RGBA8888 : QImage::Format_RGB888;
        const int difference =
            maxDifference(image.convertToFormat(format), reference.convertToFormat(format));
        const bool palette = image.format() == QImage::Format_Indexed8;
        QVERIFY2(difference <= (palette ? 3 : 0), qPrintable(QString::number(difference)));
        int& worst = palette ? m_worstPalette : m_worstExact;
        worst = std::max(worst, difference);
        ++m_compared;
    }

    // Pictures with known pixels: the run-length rules, the layouts, and what headers that
    // promise little or nothing give.
    void pixels_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("asIndex");
        QTest::addColumn<QList<uint>>("expected");
        const auto mono = QImage::Format_Mono;
        const auto indexed = QImage::Format_Indexed8;
        const auto rgb = QImage::Format_RGB888;
        const QByteArray pal = trailingPalette({});

        // 1010 1011 1100 [1111], 0101 1010 0011 [1111]: the padding bits are set.
        QTest::newRow("mono, width 12 in 2 bytes per line")
            << header(1, 1, 12, 2, 2) + bytes({0xAB, 0xC1, 0xCF, 0x5A, 0x3F}) << mono
            << QSize(12, 2) << true
            << QList<uint>{1, 0, 1, 0, 1, 0, 1, 1, 1, 1, 0, 0, 0, 1, 0, 1, 1, 0, 1, 0, 0, 0, 1, 1};
        // Pixel x has index x: plane p holds bit p of it; plane 0's padding bits are set.
        QTest::newRow("16 colours from 4 planes")
            << header(1, 4, 10, 1, 2) + bytes({0x55, 0x7F, 0x33, 0, 0x0F, 0, 0, 0xC1, 0xC0})
            << indexed << QSize(10, 1) << true << QList<uint>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
        QTest::newRow("only the first 4 of 5 planes count")
            << header(1, 5, 8, 1, 1) + bytes({0x80, 0x80, 0x80, 0x80, 0xC1, 0xFF}) << indexed
            << QSize(8, 1) << true << QList<uint>{15, 0, 0, 0, 0, 0, 0, 0};
        QTest::newRow("run cut at the line end, next line starts after it")
            << header(8, 1, 4, 2, 4) + bytes({1, 0xC5, 7, 2, 3, 4, 5}) + pal << indexed
            << QSize(4, 2) << true << QList<uint>{1, 7, 7, 7, 2, 3, 4, 5};
        QTest::newRow("run into the padding cut at the line end")
            << header(8, 1, 3, 2, 4) + bytes({1, 0xC5, 7, 2, 3, 4, 5}) + pal << indexed
            << QSize(3, 2) << true << QList<uint>{1, 7, 7, 2, 3, 4};
        QTest::newRow("run of 0 takes its value byte")
            << header(8, 1, 2, 1, 2) + bytes({0xC0, 0x55, 1, 2}) + pal << indexed << QSize(2, 1)
            << true << QList<uint>{1, 2};
        // Row 1: a run of 8 fills red and spills into green; runs cross planes, not lines.
        QTest::newRow("24-bit, width 5 in 6 bytes per plane")
            << header(8, 3, 5, 2, 6) +
                   bytes({10, 20, 30, 40, 50, 99,   11, 21, 31, 41, 51, 99,   12,
                          22, 32, 42, 52, 99, 0xC8, 5,  1,  2,  3,  4,  0xC6, 9})
            << rgb << QSize(5, 2) << false
            << QList<uint>{qRgb(10, 11, 12), qRgb(20, 21, 22), qRgb(30, 31, 32), qRgb(40, 41, 42),
                           qRgb(50, 51, 52), qRgb(5, 5, 9),    qRgb(5, 5, 9),    qRgb(5, 1, 9),
                           qRgb(5, 2, 9),    qRgb(5, 3, 9)};
        QTest::newRow("RGBA from 4 planes")
            << header(8, 4, 2, 1, 2) + bytes({1, 2, 3, 4, 5, 6, 0xC1, 0xFF, 0x80})
            << QImage::Format_RGBA8888 << QSize(2, 1) << false
            << QList<uint>{qRgba(1, 3, 5, 255), qRgba(2, 4, 6, 128)};
        // 255 planes of 1 byte: plane 0 shows, the 254 others are consumed.
        const QByteArray rest = bytes({0xFF, 1, 0xFF, 1, 0xFF, 1, 0xFF, 1, 0xC2, 1});
        QTest::newRow("8 bits, 255 planes: first plane as grey")
            << header(8, 255, 1, 2, 1) + char(9) + rest + char(10) + rest << indexed << QSize(1, 2)
            << false << QList<uint>{qRgb(9, 9, 9), qRgb(10, 10, 10)};
        QTest::newRow("4 bits: black") << header(4, 1, 3, 1, 2) + bytes({0x11, 0x22}) << rgb
                                       << QSize(3, 1) << false << QList<uint>(3, qRgb(0, 0, 0));
        QTest::newRow("BytesPerLine 0: nothing decoded")
            << header(8, 1, 3, 2, 0) + bytes({1, 2, 3}) + pal << indexed << QSize(3, 2) << true
            << QList<uint>(6, 0);
        QTest::newRow("no planes: nothing decoded")
            << header(1, 0, 8, 2, 1) + bytes({0x3F, 0x3F}) << mono << QSize(8, 2) << true
            << QList<uint>(16, 0);
        QTest::newRow("BytesPerLine short of the width: the rest is 0")
            << header(8, 3, 3, 2, 2) + bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}) << rgb
            << QSize(3, 2) << false << QList<uint>{qRgb(1, 3, 5),  qRgb(2, 4, 6),   qRgb(0, 0, 0),
                                                   qRgb(7, 9, 11), qRgb(8, 10, 12), qRgb(0, 0, 0)};
        // The last byte starts a run whose value lies past the end: it reads as 0.
        QTest::newRow("data ends early: zeros")
            << header(1, 1, 8, 3, 1) + bytes({0x81, 0xC3}) << mono << QSize(8, 3) << true
            << QList<uint>{1, 0, 0, 0, 0, 0, 0, 1} + QList<uint>(16, 0);
    }

    void pixels() {
        QFETCH(QByteArray, file);
        QFETCH(QImage::Format, format);
        QFETCH(QSize, size);
        QFETCH(bool, asIndex);
        QFETCH(QList<uint>, expected);
        const QImage image = decodePcx(file);
        QCOMPARE(image.format(), format);
        QCOMPARE(image.size(), size);
        if (format == QImage::Format_Mono) {
            QCOMPARE(image.colorTable(), (QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}));
            // The line's padding bits are not kept in the last byte of the row.
            const uchar padding = uchar(0xFF >> (size.width() % 8)) * (size.width() % 8 != 0);
            for (int y = 0; y < size.height(); ++y)
                QCOMPARE(image.constScanLine(y)[(size.width() - 1) / 8] & padding, 0);
        }
        QCOMPARE(valuesOf(image, asIndex), expected);
    }

    // How palette components from the file show: 4v + 3 for 16 colours, 4v for 256 colours,
    // version 2's small components scaled, version 3's default palette.
    void palettes_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QList<uint>>("expected");
        // Two pixels of index 0 and 1 from two 1-bit planes, or from an 8-bit plane.
        const QByteArray planar = bytes({0x40, 0});
        const QByteArray indexed = bytes({0, 1});

        QTest::newRow("16 colours: (255, 0, 0)")
            << withHeaderColour(header(1, 2, 2, 1, 1), 1, {255, 0, 0}) + planar
            << QList<uint>{qRgb(3, 3, 3), qRgb(255, 3, 3)};
        QTest::newRow("256 colours: (255, 128, 1)")
            << header(8, 1, 2, 1, 2) + indexed + trailingPalette({{1, {255, 128, 1}}})
            << QList<uint>{qRgb(0, 0, 0), qRgb(252, 128, 0)};
        QTest::newRow("256 colours without the marker")
            << header(8, 1, 2, 1, 2) + indexed + trailingPalette({{1, {40, 80, 120}}}, 0)
            << QList<uint>{qRgb(0, 0, 0), qRgb(40, 80, 120)};
        QTest::newRow("version 2, 16 colours")
            << withHeaderColour(header(1, 2, 2, 1, 1, 2), 1, {1, 2, 3}) + planar
            << QList<uint>{qRgb(3, 3, 3), qRgb(87, 171, 255)};
        QTest::newRow("version 2, 256 colours")
            << header(8, 1, 2, 1, 2, 2) + indexed + trailingPalette({{1, {1, 2, 3}}})
            << QList<uint>{qRgb(0, 0, 0), qRgb(84, 168, 252)};
        QTest::newRow("version 5 does not scale")
            << header(8, 1, 2, 1, 2) + indexed + trailingPalette({{1, {1, 2, 3}}})
            << QList<uint>{qRgb(0, 0, 0), qRgb(0, 0, 0)};
        QTest::newRow("version 3: default 16 colours")
            << withHeaderColour(header(1, 2, 2, 1, 1, 3), 1, {255, 0, 0}) + planar
            << QList<uint>{qRgb(3, 3, 3), qRgb(3, 3, 131)};
        QTest::newRow("version 3, 256 colours: the file's palette")
            << header(8, 1, 2, 1, 2, 3) + indexed + trailingPalette({{1, {200, 100, 40}}})
            << QList<uint>{qRgb(0, 0, 0), qRgb(200, 100, 40)};
    }

    void palettes() {
        QFETCH(QByteArray, file);
        QFETCH(QList<uint>, expected);
        QCOMPARE(valuesOf(decodePcx(file), false), expected);
    }

    void errors_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message"); // empty: any message
        const QString notPcx = QStringLiteral("Not a PCX file, or header read error.");
        const QString invalid = QStringLiteral("Not a valid PCX file!");

        QByteArray eleven = header(8, 1, 1, 1, 2) + trailingPalette({});
        eleven[0] = 0x0B;
        QTest::newRow("first byte 0x0B") << eleven << notPcx;
        QTest::newRow("empty file") << QByteArray() << notPcx;
        QTest::newRow("only the first byte") << QByteArray(1, 10) << invalid;
        QTest::newRow("2 bits per pixel") << header(2, 1, 8, 8, 2) + QByteArray(64, 0) << invalid;
        QTest::newRow("256 colours in 100 bytes") << header(8, 1, 4, 4, 4).left(100) << QString();
        QTest::newRow("65536 wide") << header(8, 3, 65536, 1, 1) << QString();
        QTest::newRow("65536 high") << header(8, 3, 1, 65536, 1) << QString();
        QTest::newRow("32768 lines") << header(1, 1, 8, 32768, 1) << QString();
        QTest::newRow("over 256 MB") << header(8, 3, 65535, 2000, 65535) << QString();
        QTest::newRow("1 bit, more pixels than shown")
            << header(1, 1, 8193, 4096, 1025) << QString();
    }

    void errors() {
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        const QString error = decodeError(file);
        QVERIFY(!error.isEmpty());
        if (!message.isEmpty())
            QCOMPARE(error, message);
    }

    // Random tokens, long runs included, against the line the tokens spell: runs end at the
    // line's end, continue across planes, and the next line starts with the next token.
    void randomRuns_data() {
        QTest::addColumn<int>("planes");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("bytesPerLine");
        QTest::newRow("256 colours") << 1 << 300 << 300;
        QTest::newRow("256 colours, padded lines") << 1 << 250 << 301;
        QTest::newRow("two planes, the second consumed") << 2 << 180 << 200;
    }

    void randomRuns() {
        QFETCH(int, planes);
        QFETCH(int, width);
        QFETCH(int, bytesPerLine);
        const int height = 40;
        const qsizetype lineBytes = qsizetype(planes) * bytesPerLine;
        QRandomGenerator random(7);
        QByteArray data;
        QList<uint> expected;
        for (int y = 0; y < height; ++y) {
            QByteArray line;
            while (line.size() < lineBytes) {
                const int value = random.bounded(256);
                if (value < 0xC0 && random.bounded(3) > 0) {
                    data += char(value);
                    line += char(value);
                } else {
                    const int count = random.bounded(2) ? random.bounded(64) : random.bounded(9);
                    data += char(0xC0 | count);
                    data += char(value);
                    line += QByteArray(count, char(value));
                }
            }
            for (int x = 0; x < width; ++x)
                expected << uchar(line[x]);
        }
        QByteArray file = header(8, planes, width, height, bytesPerLine) + data +
                          (planes == 1 ? trailingPalette({}) : QByteArray());
        const QImage whole = decodePcx(file);
        QCOMPARE(valuesOf(whole, true), expected);
        // Read a block at a time, a run may be cut anywhere: the same picture.
        QBuffer device(&file);
        QVERIFY(device.open(QIODevice::ReadOnly));
        for (const qsizetype blockBytes : {1, 2, 5, 64}) {
            QVERIFY(device.seek(0));
            QCOMPARE(readPcx(device, blockBytes), whole);
        }
    }

    void largestSizes() {
        QCOMPARE(decodePcx(header(1, 1, 1, 32767, 1)).height(), 32767);
        QCOMPARE(decodePcx(header(8, 3, 65535, 1, 65535)).width(), 65535);
    }

    // A picture of the project's own writer, through the file: palette and every pixel.
    void writtenFile() {
        const int w = 301, h = 67;
        std::vector<uint8_t> indexes(size_t(w * h));
        for (size_t i = 0; i < indexes.size(); ++i)
            indexes[i] = uint8_t((i / 5) * 37 % 256); // runs of up to 5, all 256 values
        sk::PcxPalette palette;
        for (size_t i = 0; i < palette.size(); ++i)
            palette[i] = uint8_t(i * 7);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("shot.pcx"));
        QVERIFY(sk::writePcx8(path.toStdString(), w, h, indexes, palette));

        const QImage image = LoadPcxFile(path);
        QCOMPARE(image.size(), QSize(w, h));
        for (int i = 0; i < 256; ++i)
            QCOMPARE(image.color(i), qRgb(palette[3 * i] & 0xFC, palette[3 * i + 1] & 0xFC,
                                          palette[3 * i + 2] & 0xFC));
        for (int y = 0; y < h; ++y)
            QVERIFY(std::equal(indexes.begin() + y * w, indexes.begin() + (y + 1) * w,
                               image.constScanLine(y)));
    }

    void unreadableFiles() {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("none.pcx"));
        try {
            LoadPcxFile(missing);
            QFAIL("a missing file loaded");
        } catch (const FileError& e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("Cannot open ") + missing + ": "),
                     qPrintable(e.message()));
        }
        QVERIFY_THROWS_EXCEPTION(FileError, LoadPcxFile(dir.path()));
    }
};

QTEST_MAIN(TestPcx)
#include "tst_pcx.moc"
