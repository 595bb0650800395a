// The check that decides whether a game's MIDI file is handed to the synthesizer: it
// must answer for any bytes without reading outside them, and an accepted file must
// still be accepted with bytes appended (chunks after the counted tracks are ignored).
#include "FuzzCheck.h"
#include "media/MidiCheck.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so that a read past the end is caught.
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (isPlayableMidi(bytes)) {
        CHECK(size >= 14);
        CHECK(bytes.startsWith("MThd"));
    }
    return 0;
}
