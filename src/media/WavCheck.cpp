#include "WavCheck.h"

#include <QIODevice>
#include <algorithm>

namespace {

// More chunks than any sound file has: a file made of empty chunks is not walked whole.
constexpr int kMaxChunks = 1024;
// The size a streaming writer puts where it does not know the size yet.
constexpr qint64 kUnknownSize = 0xFFFFFFFF;

quint32 littleEndian32(const char* p) {
    const auto* u = reinterpret_cast<const uchar*>(p);
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}

} // namespace

bool isPlayableWav(QIODevice& device) {
    const qint64 fileSize = device.size();
    char header[12];
    if (!device.seek(0) || device.read(header, 12) != 12)
        return false;
    if (QByteArrayView(header, 4) != "RIFF" || QByteArrayView(header + 8, 4) != "WAVE")
        return false;
    // A recording written to a pipe cannot go back to fill in its sizes: it claims the
    // largest (0xFFFFFFFF), and its chunks end where the file does.
    const qint64 riffEnd = std::min(fileSize, 8 + qint64(littleEndian32(header + 4)));

    bool format = false;
    bool data = false;
    qint64 pos = 12;
    for (int chunks = 0; pos + 8 <= riffEnd; ++chunks) {
        char chunk[8];
        if (chunks == kMaxChunks || !device.seek(pos) || device.read(chunk, 8) != 8)
            return false;
        const QByteArrayView id(chunk, 4);
        qint64 size = littleEndian32(chunk + 4);
        // The sound library reads such sound data as it comes, up to the file's end.
        if (id == "data" && size == kUnknownSize)
            size = riffEnd - pos - 8;
        if (pos + 8 + size > riffEnd)
            return false;
        if (id == "fmt ")
            format = size >= 16;
        else if (id == "data")
            data = true;
        pos += 8 + size + (size & 1);
    }
    return format && data;
}
