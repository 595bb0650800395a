// The check that decides whether a game's WAV file is handed to the sound library: it
// must answer for any bytes without reading outside them, an accepted file begins as a
// WAV file does, and it is still accepted with bytes appended when its RIFF chunk says
// where the sound ends within the file; one whose RIFF chunk claims more (a recording
// streamed to a pipe) is accepted just the same with the file's own size filled in.
#include "FuzzCheck.h"
#include "media/WavCheck.h"

#include <QBuffer>
#include <QByteArray>
#include <cstddef>
#include <cstdint>

namespace {

bool playable(QByteArray bytes) {
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    return isPlayableWav(device);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (playable(bytes)) {
        CHECK(size >= 44);
        CHECK(bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WAVE");
        const quint32 riffSize = quint32(data[4]) | quint32(data[5]) << 8 | quint32(data[6]) << 16 |
                                 quint32(data[7]) << 24;
        if (8 + qint64(riffSize) <= qint64(size)) {
            CHECK(playable(bytes + QByteArray(16, '\xff')));
        } else {
            QByteArray filledIn = bytes;
            const quint32 fileSize = quint32(size - 8);
            for (int i = 0; i < 4; ++i)
                filledIn[4 + i] = char(fileSize >> (8 * i));
            CHECK(playable(filledIn));
        }
    }
    return 0;
}
