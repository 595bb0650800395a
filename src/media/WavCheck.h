#pragma once

class QIODevice;

// Whether a WAV file's chunks fit in the file: a "RIFF" chunk of form "WAVE" (one that
// claims more than the file holds ends with the file), and in it chunks (four-letter id,
// 32-bit size, data padded to an even length) that each end within the RIFF chunk, a
// "fmt " chunk of at least 16 bytes and a "data" chunk among them. A "data" chunk of the
// size 0xFFFFFFFF, as a recording streamed to a pipe has, runs to the end of the file.
// SDL_mixer reserves memory by the sizes a file claims, so a file whose other chunk
// claims more than the file holds is refused here. Reads only the chunks' headers.
bool isPlayableWav(QIODevice& device);
