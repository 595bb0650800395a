// The check that decides whether a game's WAV file is handed to the sound library: it
// must answer for any bytes without reading outside them, an accepted file begins as a
// WAV file does, and it is still accepted with bytes appended (the RIFF chunk says where
// the sound ends).
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
        CHECK(playable(bytes + QByteArray(16, '\xff')));
    }
    return 0;
}
