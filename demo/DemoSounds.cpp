#include "DemoSounds.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace demo {

namespace {

constexpr int kTicksPerBeat = 96;

void putBigEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out += char((value >> (8 * i)) & 0xff);
}

void putLittleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += char((value >> (8 * i)) & 0xff);
}

// A MIDI variable-length number: seven bits a byte, the high bit on all but the last.
void putVariable(std::string& out, std::uint32_t value) {
    std::string bytes(1, char(value & 0x7f));
    while (value >>= 7)
        bytes.insert(bytes.begin(), char((value & 0x7f) | 0x80));
    out += bytes;
}

struct Note {
    int pitch; // 0: a rest
    int ticks;
};

// One track: an optional tempo, the instrument, then the notes one after another. Note
// ends are note-ons of velocity 0 under running status, as many sequencers write them.
std::string track(int channel, int program, const std::vector<Note>& notes, int tempoMicros) {
    std::string events;
    if (tempoMicros > 0) {
        events += std::string("\x00\xff\x51\x03", 4);
        putBigEndian(events, std::uint32_t(tempoMicros), 3);
    }
    events += '\x00';
    events += char(0xc0 | channel);
    events += char(program);
    int rest = 0;
    for (const Note& note : notes) {
        if (note.pitch == 0) {
            rest += note.ticks;
            continue;
        }
        putVariable(events, std::uint32_t(rest));
        events += char(0x90 | channel);
        events += char(note.pitch);
        events += char(100);
        putVariable(events, std::uint32_t(note.ticks));
        events += char(note.pitch);
        events += '\x00';
        rest = 0;
    }
    putVariable(events, std::uint32_t(rest));
    events += std::string("\xff\x2f\x00", 3);

    std::string chunk = "MTrk";
    putBigEndian(chunk, std::uint32_t(events.size()), 4);
    return chunk + events;
}

std::string midiFile(const std::vector<std::string>& tracks) {
    std::string file = "MThd";
    putBigEndian(file, 6, 4);
    putBigEndian(file, tracks.size() == 1 ? 0 : 1, 2);
    putBigEndian(file, std::uint32_t(tracks.size()), 2);
    putBigEndian(file, kTicksPerBeat, 2);
    for (const std::string& t : tracks)
        file += t;
    return file;
}

// A quick square-lead fanfare, about three seconds.
std::string lumaboltMusic() {
    const int e = kTicksPerBeat / 2; // an eighth
    const std::vector<Note> tune = {
        {72, e}, {76, e}, {79, e}, {84, e}, {83, e}, {79, e}, {76, e},     {79, e},
        {81, e}, {77, e}, {74, e}, {71, e}, {72, e}, {0, e},  {84, e * 2},
    };
    return midiFile({track(0, 80, tune, 400000)});
}

// A marching tune over a walking bass, in two tracks, about four seconds.
std::string cogriderMusic() {
    const int q = kTicksPerBeat;
    const std::vector<Note> melody = {
        {67, q}, {67, q / 2}, {69, q / 2}, {71, q},     {67, q},
        {72, q}, {71, q / 2}, {69, q / 2}, {67, q * 2},
    };
    const std::vector<Note> bass = {
        {43, q}, {47, q}, {50, q}, {47, q}, {48, q}, {45, q}, {43, q * 2},
    };
    return midiFile({track(0, 61, melody, 450000), track(1, 38, bass, 0)});
}

constexpr int kSampleRate = 22050;

std::string wavFile(const std::vector<std::int16_t>& samples) {
    const std::uint32_t dataBytes = std::uint32_t(samples.size() * 2);
    std::string file = "RIFF";
    putLittleEndian(file, 36 + dataBytes, 4);
    file += "WAVEfmt ";
    putLittleEndian(file, 16, 4);
    putLittleEndian(file, 1, 2); // PCM
    putLittleEndian(file, 1, 2); // mono
    putLittleEndian(file, kSampleRate, 4);
    putLittleEndian(file, kSampleRate * 2, 4);
    putLittleEndian(file, 2, 2);
    putLittleEndian(file, 16, 2);
    file += "data";
    putLittleEndian(file, dataBytes, 4);
    for (std::int16_t s : samples)
        putLittleEndian(file, std::uint16_t(s), 2);
    return file;
}

// Sweeps of a sine from one frequency to another, each fading out, one after another.
std::vector<std::int16_t> sweeps(int count, double seconds, double gapSeconds, double from,
                                 double to) {
    const double pi = std::acos(-1.0);
    std::vector<std::int16_t> samples;
    const int length = int(seconds * kSampleRate);
    const int gap = int(gapSeconds * kSampleRate);
    for (int n = 0; n < count; ++n) {
        double phase = 0;
        for (int i = 0; i < length; ++i) {
            const double t = double(i) / length;
            const double frequency = from * std::pow(to / from, t);
            phase += 2 * pi * frequency / kSampleRate;
            const double envelope = (1 - t) * std::min(1.0, i / 200.0);
            samples.push_back(std::int16_t(std::lround(14000 * envelope * std::sin(phase))));
        }
        samples.insert(samples.end(), std::size_t(gap), 0);
    }
    return samples;
}

} // namespace

std::vector<std::pair<std::string, std::string>> demoSounds() {
    return {
        {"Sound/lumabolt.mid", lumaboltMusic()},
        {"Sound/lumabolt.wav", wavFile(sweeps(3, 0.45, 0.1, 2400, 180))}, // laser zaps
        {"Sound/cogrider.mid", cogriderMusic()},
        {"Sound/mirefox.wav", wavFile(sweeps(5, 0.25, 0.12, 160, 520))}, // bubbles
    };
}

} // namespace demo
