#include "MidiCheck.h"

#include <cstring>

namespace {

quint32 bigEndian32(const uchar* p) {
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3];
}

quint16 bigEndian16(const uchar* p) {
    return quint16(p[0] << 8 | p[1]);
}

// Walks a track's events: every event must lie inside the chunk and the track must end
// with its end-of-track event. Running status is kept across meta and system exclusive
// events, as lenient players do.
bool isWholeTrack(const uchar* p, qint64 size) {
    qint64 i = 0;
    auto variableLength = [&](quint32& value) {
        value = 0;
        for (int k = 0; k < 4 && i < size; ++k) {
            const uchar byte = p[i++];
            value = value << 7 | (byte & 0x7f);
            if (!(byte & 0x80))
                return true;
        }
        return false;
    };
    uchar running = 0;
    while (i < size) {
        quint32 delta = 0;
        if (!variableLength(delta) || i >= size)
            return false;
        uchar status = p[i];
        if (status & 0x80)
            ++i;
        else if (running)
            status = running;
        else
            return false;

        if (status == 0xff) {
            if (i >= size)
                return false;
            const uchar type = p[i++];
            quint32 length = 0;
            if (!variableLength(length) || length > size - i)
                return false;
            i += length;
            if (type == 0x2f)
                return true;
        } else if (status == 0xf0 || status == 0xf7) {
            quint32 length = 0;
            if (!variableLength(length) || length > size - i)
                return false;
            i += length;
        } else if (status > 0xf0) {
            return false; // system common and real-time messages have no place in a file
        } else {
            running = status;
            // Program change and channel pressure carry one data byte, the others two.
            const qint64 dataBytes = (status & 0xe0) == 0xc0 ? 1 : 2;
            if (size - i < dataBytes)
                return false;
            i += dataBytes;
        }
    }
    return false;
}

} // namespace

bool isPlayableMidi(QByteArrayView bytes) {
    const auto* data = reinterpret_cast<const uchar*>(bytes.data());
    const qint64 size = bytes.size();
    if (size < 14 || std::memcmp(data, "MThd", 4) != 0)
        return false;
    const quint32 headerLength = bigEndian32(data + 4);
    if (headerLength < 6 || headerLength > size - 8)
        return false;
    const quint16 format = bigEndian16(data + 8);
    const quint16 tracks = bigEndian16(data + 10);
    const quint16 division = bigEndian16(data + 12);
    // FluidSynth has no timing by SMPTE frames, and no ticks per beat means no time.
    if (format > 2 || tracks == 0 || division == 0 || (division & 0x8000))
        return false;

    qint64 pos = 8 + qint64(headerLength);
    for (int found = 0; found < tracks;) {
        if (size - pos < 8)
            return false;
        const bool isTrack = std::memcmp(data + pos, "MTrk", 4) == 0;
        const quint32 length = bigEndian32(data + pos + 4);
        pos += 8;
        if (length > size - pos)
            return false;
        if (isTrack) {
            if (!isWholeTrack(data + pos, length))
                return false;
            ++found;
        }
        pos += length;
    }
    return true;
}
