#pragma once

#include <QByteArrayView>

// Whether the bytes are a standard MIDI file that the synthesizer can play: an "MThd"
// header of at least six bytes (format 0, 1 or 2, at least one track, a tick division),
// then as many "MTrk" chunks as the header counts, other chunks skipped, every chunk
// inside the file, and every track a whole run of events up to its end-of-track event.
// SDL_mixer hands a broken file to FluidSynth, which plays silence and only logs an
// error; this check is what makes such a file fail.
bool isPlayableMidi(QByteArrayView bytes);
