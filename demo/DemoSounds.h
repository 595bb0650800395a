#pragma once

#include <string>
#include <utility>
#include <vector>

namespace demo {

// The demo's game sounds, made here: short standard MIDI tunes (music) and 16-bit PCM
// WAV effects (samples). Each entry is a path relative to the front-end directory
// ("Sound/lumabolt.mid") and the file's bytes.
std::vector<std::pair<std::string, std::string>> demoSounds();

} // namespace demo
