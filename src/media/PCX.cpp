#include "PCX.h"

#include "PictureLimits.h"
#include "core/FileError.h"

#include <QBuffer>
#include <QFile>
#include <QList>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace {

constexpr qsizetype kHeaderSize = 128;
constexpr qsizetype kTrailingPaletteSize = 769; // marker byte and 256 entries
constexpr int kMaxLines = 32767;                // the line counter is a signed 16-bit number
// Files above this size are refused before any of their pixel data is read: it allows every
// pixel byte of the largest picture accepted (four bytes a pixel) to be stored as two file
// bytes, and bounds the time a header that promises long lines can take.
constexpr qint64 kMaxFileBytes = 2 * 4 * kMaxPicturePixels + 4096;

// The 16-colour palette of version 3 files, as 6-bit red, green, blue components.
constexpr uint8_t kDefaultPalette[16][3] = {
    {0, 0, 0},   {0, 0, 32},   {0, 32, 0},   {0, 32, 32},  {32, 0, 0}, {32, 0, 32},
    {32, 32, 0}, {42, 42, 42}, {21, 21, 21}, {0, 0, 63},   {0, 63, 0}, {0, 63, 63},
    {63, 0, 0},  {63, 0, 63},  {63, 63, 0},  {63, 63, 63},
};

// How the decoded lines become pixels.
enum class Layout {
    Mono,    // 1 bit, 1 plane (or none): the line's bits as they are
    Planar,  // 1 bit, 2 or more planes: a 16-colour index from the first four planes
    Indexed, // 8 bits, 1 plane: palette indexes with the trailing 256-colour palette
    Rgb,     // 8 bits, 3 planes: red, green, blue planes
    Rgba,    // 8 bits, 4 planes: red, green, blue and alpha planes
    Grey,    // 8 bits, any other plane count: the first plane as grey levels
    Blank,   // 4, 16, 24 or 32 bits: no conversion, a black picture
};

struct Header {
    uint8_t version = 0;
    uint8_t bitsPerPixel = 0;
    int planes = 0;
    int width = 0;
    int height = 0;
    int bytesPerLine = 0;
    Layout layout = Layout::Blank;
    int usedPlanes = 0; // leading planes the conversion reads; the rest are only consumed
};

uint8_t byteAt(QByteArrayView file, qsizetype pos) {
    return pos < file.size() ? static_cast<uint8_t>(file[pos]) : 0;
}

int word(QByteArrayView file, qsizetype pos) {
    return byteAt(file, pos) | (byteAt(file, pos + 1) << 8);
}

Layout layoutOf(int bitsPerPixel, int planes) {
    if (bitsPerPixel == 1)
        return planes <= 1 ? Layout::Mono : Layout::Planar;
    if (bitsPerPixel != 8)
        return Layout::Blank;
    switch (planes) {
    case 1:
        return Layout::Indexed;
    case 3:
        return Layout::Rgb;
    case 4:
        return Layout::Rgba;
    default:
        return Layout::Grey;
    }
}

QImage::Format formatOf(Layout layout) {
    switch (layout) {
    case Layout::Mono:
        return QImage::Format_Mono;
    case Layout::Planar:
    case Layout::Indexed:
    case Layout::Grey:
        return QImage::Format_Indexed8;
    case Layout::Rgba:
        return QImage::Format_RGBA8888;
    case Layout::Rgb:
    case Layout::Blank:
        break;
    }
    return QImage::Format_RGB888;
}

Header readHeader(QByteArrayView file) {
    if (byteAt(file, 0) != 10)
        throw FileError(QStringLiteral("Not a PCX file, or header read error."));
    Header h;
    h.version = byteAt(file, 1);
    h.bitsPerPixel = byteAt(file, 3);
    switch (h.bitsPerPixel) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        throw FileError(QStringLiteral("Not a valid PCX file!"));
    }
    // Both sizes wrap in 16 bits, as the format's fields do: 0..65535 gives 0.
    h.width = (word(file, 8) - word(file, 4) + 1) & 0xFFFF;
    h.height = (word(file, 10) - word(file, 6) + 1) & 0xFFFF;
    h.planes = byteAt(file, 65);
    h.bytesPerLine = word(file, 66);
    h.layout = layoutOf(h.bitsPerPixel, h.planes);
    switch (h.layout) {
    case Layout::Mono:
    case Layout::Grey:
        h.usedPlanes = std::min(h.planes, 1);
        break;
    case Layout::Planar:
        h.usedPlanes = std::min(h.planes, 4);
        break;
    case Layout::Indexed:
    case Layout::Rgb:
    case Layout::Rgba:
        h.usedPlanes = h.planes;
        break;
    case Layout::Blank:
        break;
    }

    const QString size = QStringLiteral("%1 x %2").arg(h.width).arg(h.height);
    if (h.width == 0 || h.height == 0)
        throw FileError(QStringLiteral("Invalid PCX picture size %1 pixels.").arg(size));
    if (h.height > kMaxLines)
        throw FileError(QStringLiteral("PCX picture of %1 pixels has more than %2 lines.")
                            .arg(size)
                            .arg(kMaxLines));
    // By its pixels, not its bytes: a 1-bit picture is shown at four bytes a pixel too.
    if (qint64(h.width) * h.height > kMaxPicturePixels)
        throw FileError(QStringLiteral("PCX picture of %1 pixels is too large to show.").arg(size));
    return h;
}

// Palette components are kept as 6-bit values, as the format's display hardware had them.
uint8_t component(uint8_t value, uint8_t version) {
    if (version == 2 && value < 4)
        value = static_cast<uint8_t>(value * 85); // version 2 stored 2-bit components
    return value >> 2;
}

// head: the file's first bytes (the header); trailer: its last 769 bytes, or all of a shorter
// file.
QList<QRgb> colourTable(QByteArrayView head, QByteArrayView trailer, const Header& h) {
    uint8_t table[256][3] = {};
    for (int i = 0; i < 16 * 3; ++i)
        table[i / 3][i % 3] = component(byteAt(head, 16 + i), h.version);
    if (h.version == 3)
        std::memcpy(table, kDefaultPalette, sizeof kDefaultPalette);

    QList<QRgb> colours;
    switch (h.layout) {
    case Layout::Mono:
        return {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    case Layout::Planar:
        for (int i = 0; i < 16; ++i)
            colours.append(qRgb(4 * table[i][0] + 3, 4 * table[i][1] + 3, 4 * table[i][2] + 3));
        return colours;
    case Layout::Indexed: {
        // The last 769 bytes are taken as the palette whatever the marker byte says: some
        // writers put another value there.
        if (trailer.size() < kTrailingPaletteSize)
            throw FileError(QStringLiteral("Cannot read the 256-colour palette: the file is "
                                           "shorter than %1 bytes.")
                                .arg(kTrailingPaletteSize));
        for (int i = 0; i < 256 * 3; ++i)
            table[i / 3][i % 3] = component(byteAt(trailer, 1 + i), h.version);
        for (const auto& entry : table)
            colours.append(qRgb(4 * entry[0], 4 * entry[1], 4 * entry[2]));
        return colours;
    }
    case Layout::Grey:
        for (int i = 0; i < 256; ++i)
            colours.append(qRgb(i, i, i));
        return colours;
    case Layout::Rgb:
    case Layout::Rgba:
    case Layout::Blank:
        break;
    }
    return colours;
}

// Run-length decoding of the pixel data. Bytes past the end of the file read as 0, which
// decode as single 0 bytes. A run never crosses the end of a scan line: what is left of it
// is dropped with the line's end. Within a line it continues across planes and from the part
// the conversion keeps into the part it only consumes.
//
// The data comes in one piece, or in parts that `more` hands out one after another (empty
// at the end), so that a file is read a block at a time.
class RunDecoder {
public:
    explicit RunDecoder(QByteArrayView data, std::function<QByteArrayView()> more = {})
        : m_pos(reinterpret_cast<const uint8_t*>(data.data())),
          m_end(reinterpret_cast<const uint8_t*>(data.data()) + data.size()),
          m_more(std::move(more)) {}

    // Whether every byte of the data has been taken.
    bool atEnd() { return m_pos == m_end && !refill(m_pos); }

    // Produces the next bytes of the line into [out, outEnd).
    void read(uint8_t* out, uint8_t* const outEnd) {
        if (m_runLeft > 0) {
            const size_t n = std::min(m_runLeft, size_t(outEnd - out));
            std::memset(out, m_runValue, n);
            out += n;
            m_runLeft -= n;
        }
        const uint8_t* pos = m_pos;
        // Far from the end of both the line and the data nothing is checked per byte: 8 bytes
        // without a run byte among them are copied at once, and a run (at most 63 bytes, so it
        // cannot pass the line's end here) is stored as a fixed 8- or 64-byte fill whose excess
        // the following bytes overwrite.
        if (outEnd - out >= 64 && m_end - pos >= 8) {
            uint8_t* const outLast = outEnd - 64;
            const uint8_t* const posLast = m_end - 8;
            while (out <= outLast && pos <= posLast) {
                uint64_t group;
                std::memcpy(&group, pos, 8);
                // A run byte has both top bits set; the shift lines bit 6 up with bit 7.
                if ((group & (group << 1) & 0x8080808080808080ULL) == 0) {
                    std::memcpy(out, pos, 8);
                    out += 8;
                    pos += 8;
                    continue;
                }
                // Runs tend to follow runs: decode tokens until the next single byte.
                for (;;) {
                    const uint8_t b = *pos;
                    if ((b & 0xC0) != 0xC0) {
                        *out++ = b;
                        ++pos;
                        break;
                    }
                    const unsigned n = b & 0x3F;
                    if (n <= 8) {
                        const uint64_t fill = pos[1] * 0x0101010101010101ULL;
                        std::memcpy(out, &fill, 8);
                    } else {
                        std::memset(out, pos[1], 64);
                    }
                    out += n;
                    pos += 2;
                    if (out > outLast || pos > posLast)
                        break;
                }
            }
        }
        while (out < outEnd) {
            if (pos == m_end && !refill(pos)) {
                std::memset(out, 0, size_t(outEnd - out));
                break;
            }
            const uint8_t b = *pos++;
            if ((b & 0xC0) != 0xC0) {
                *out++ = b;
                continue;
            }
            const uint8_t value = pos != m_end || refill(pos) ? *pos++ : 0;
            size_t run = b & 0x3F;
            const size_t room = size_t(outEnd - out);
            if (run > room) {
                m_runLeft = run - room;
                m_runValue = value;
                run = room;
            }
            std::memset(out, value, run);
            out += run;
        }
        m_pos = pos;
    }

    // Consumes the rest of the line, `count` bytes, without keeping them.
    void skipRest(size_t count) {
        count -= std::min(m_runLeft, count);
        const uint8_t* pos = m_pos;
        while (count > 0 && (pos != m_end || refill(pos))) {
            const uint8_t b = *pos++;
            if ((b & 0xC0) != 0xC0) {
                --count;
                continue;
            }
            if (pos != m_end || refill(pos))
                ++pos;
            count -= std::min<size_t>(b & 0x3F, count);
        }
        m_pos = pos;
        m_runLeft = 0;
    }

private:
    // Moves on to the next part of the data; false at its end.
    bool refill(const uint8_t*& pos) {
        while (m_more) {
            const QByteArrayView next = m_more();
            if (next.isEmpty()) {
                m_more = nullptr;
                break;
            }
            pos = m_pos = reinterpret_cast<const uint8_t*>(next.data());
            m_end = m_pos + next.size();
            return true;
        }
        pos = m_pos = m_end;
        return false;
    }

    const uint8_t* m_pos;
    const uint8_t* m_end;
    std::function<QByteArrayView()> m_more;
    size_t m_runLeft = 0;
    uint8_t m_runValue = 0;
};

void planarRow(const uint8_t* line, const Header& h, uint8_t* row) {
    std::memset(row, 0, size_t(h.width));
    const int bytes = std::min(h.bytesPerLine, (h.width + 7) / 8);
    for (int plane = 0; plane < h.usedPlanes; ++plane) {
        const uint8_t* src = line + qsizetype(plane) * h.bytesPerLine;
        const uint8_t bit = uint8_t(1u << plane);
        for (int i = 0; i < bytes; ++i) {
            const uint8_t b = src[i];
            if (b == 0)
                continue;
            uint8_t* dst = row + i * 8;
            const int n = std::min(8, h.width - i * 8);
            for (int k = 0; k < n; ++k)
                if (b & (0x80 >> k))
                    dst[k] |= bit;
        }
    }
}

// Interleaves the first `channels` planes of the line into the row.
void interleaveRow(const uint8_t* line, const Header& h, int channels, uint8_t* row) {
    const int n = std::min(h.width, h.bytesPerLine);
    for (int c = 0; c < channels; ++c) {
        const uint8_t* src = line + qsizetype(c) * h.bytesPerLine;
        uint8_t* dst = row + c;
        for (int x = 0; x < n; ++x, dst += channels)
            *dst = src[x];
    }
    std::memset(row + qsizetype(n) * channels, 0, size_t(h.width - n) * size_t(channels));
}

void decodeRows(RunDecoder& runs, const Header& h, QImage& image) {
    const qsizetype lineBytes = qsizetype(h.planes) * h.bytesPerLine;
    // A line without bytes holds no pixels, and a Blank picture shows none; either way no
    // byte of the pixel data is looked at and the picture stays black (index 0).
    if (lineBytes == 0 || h.layout == Layout::Blank) {
        image.fill(0);
        return;
    }

    const bool direct =
        h.layout == Layout::Mono || h.layout == Layout::Indexed || h.layout == Layout::Grey;
    // Direct layouts decode straight into the picture row: the bytes that hold its pixels,
    // or the whole first plane when that is shorter.
    const qsizetype directBytes =
        std::min<qsizetype>(h.bytesPerLine, h.layout == Layout::Mono ? (h.width + 7) / 8 : h.width);
    const qsizetype keptBytes = direct ? directBytes : qsizetype(h.usedPlanes) * h.bytesPerLine;
    std::vector<uint8_t> line(direct ? 0 : size_t(keptBytes));

    for (int y = 0; y < h.height; ++y) {
        uint8_t* row = image.scanLine(y);
        if (direct) {
            runs.read(row, row + keptBytes);
            std::memset(row + keptBytes, 0, size_t(image.bytesPerLine() - keptBytes));
            if (h.layout == Layout::Mono && h.width % 8 != 0 && keptBytes == (h.width + 7) / 8)
                row[keptBytes - 1] &= uint8_t(0xFF00 >> (h.width % 8)); // drop the padding bits
        } else {
            runs.read(line.data(), line.data() + keptBytes);
        }
        runs.skipRest(size_t(lineBytes - keptBytes));

        switch (h.layout) {
        case Layout::Planar:
            planarRow(line.data(), h, row);
            break;
        case Layout::Rgb:
            interleaveRow(line.data(), h, 3, row);
            break;
        case Layout::Rgba:
            interleaveRow(line.data(), h, 4, row);
            break;
        default:
            break;
        }

        // Past the end of the file every line decodes to zeros.
        if (runs.atEnd()) {
            for (int rest = y + 1; rest < h.height; ++rest)
                std::memset(image.scanLine(rest), 0, size_t(image.bytesPerLine()));
            break;
        }
    }
}

QImage newPicture(const Header& h, const QList<QRgb>& colours) {
    QImage image(h.width, h.height, formatOf(h.layout));
    if (image.isNull())
        throw FileError(QStringLiteral("Not enough memory for a picture of %1 x %2 pixels.")
                            .arg(h.width)
                            .arg(h.height));
    if (!colours.isEmpty())
        image.setColorTable(colours);
    return image;
}

} // namespace

QImage decodePcx(QByteArrayView file) {
    const Header h = readHeader(file);
    QImage image =
        newPicture(h, colourTable(file, file.last(std::min(file.size(), kTrailingPaletteSize)), h));
    RunDecoder runs(file.sliced(std::min(file.size(), kHeaderSize)));
    decodeRows(runs, h, image);
    return image;
}

QImage readPcx(QIODevice& device, qsizetype blockBytes) {
    const auto failed = [&] {
        return FileError(QStringLiteral("Cannot read the PCX file: %1").arg(device.errorString()));
    };
    const qint64 size = device.size();
    if (size > kMaxFileBytes)
        throw FileError(QStringLiteral("Cannot read the PCX file: it is too large for a picture."));
    const QByteArray head = device.read(kHeaderSize);
    const Header h = readHeader(head);
    QByteArray trailer;
    if (h.layout == Layout::Indexed && size >= kTrailingPaletteSize) {
        if (!device.seek(size - kTrailingPaletteSize))
            throw failed();
        trailer = device.read(kTrailingPaletteSize);
    }
    QImage image = newPicture(h, colourTable(head, trailer, h));
    if (size > kHeaderSize && !device.seek(kHeaderSize))
        throw failed();

    QByteArray block(std::max<qsizetype>(blockBytes, 1), Qt::Uninitialized);
    bool readError = false;
    RunDecoder runs({}, [&]() -> QByteArrayView {
        const qint64 n = device.read(block.data(), block.size());
        readError = readError || n < 0;
        return n > 0 ? QByteArrayView(block.constData(), n) : QByteArrayView();
    });
    decodeRows(runs, h, image);
    if (readError)
        throw failed();
    return image;
}

QImage LoadPcxFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
    try {
        return readPcx(file);
    } catch (const FileError&) {
        // The reader's own messages stand; a failed read names the file.
        if (file.error() == QFileDevice::NoError)
            throw;
        throw FileError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    }
}
