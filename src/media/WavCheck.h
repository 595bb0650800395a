#pragma once

class QIODevice;

// Whether a WAV file's chunks fit in the file: a "RIFF" chunk of form "WAVE" that ends
// within the file, and in it chunks (four-letter id, 32-bit size, data padded to an even
// length) that each end within the RIFF chunk, a "fmt " chunk of at least 16 bytes and a
// "data" chunk among them. SDL_mixer reserves memory by the sizes a file claims, so a file
// whose chunk claims gigabytes is refused here. Reads only the chunks' headers.
bool isPlayableWav(QIODevice& device);
