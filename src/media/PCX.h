#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QString>

class QIODevice;

// Reads a PCX picture (ZSoft's run-length encoded format, as the emulator writes its
// screenshots). Whatever the file says, the reader never reads or writes outside its buffers.
//
// The picture's format follows from the file's bits per pixel and planes:
// - 1 bit, 1 plane: Format_Mono, colour table {black, white};
// - 1 bit, 2 or more planes: Format_Indexed8 with the 16-colour palette, each pixel's index
//   built from the first four planes (further planes are read past);
// - 8 bits, 1 plane: Format_Indexed8 with the 256-colour palette from the file's last 769
//   bytes, whatever its marker byte;
// - 8 bits, 3 planes: Format_RGB888; 8 bits, 4 planes: Format_RGBA8888, the fourth plane
//   being alpha;
// - 8 bits, any other number of planes: Format_Indexed8 with a grey ramp, showing the first
//   plane as grey levels;
// - 4, 16, 24 or 32 bits: Format_RGB888, all black (the pixel data is not shown).
// Bytes past the end of the file read as 0. A line of no bytes (no planes, or 0 bytes per
// line) decodes to nothing and consumes nothing, so the picture is all index 0 or black;
// pixels past the bytes a plane holds are 0.
//
// Throws FileError: "Not a PCX file, or header read error." (first byte not 10), "Not a
// valid PCX file!" (bits per pixel not 1, 4, 8, 16, 24 or 32), the system's message
// when the file cannot be read, or a message naming a size no picture can have: a width or
// height of 0, more than 32767 lines, more pixels than the viewer shows (kMaxPicturePixels),
// or a 256-colour file too short to hold its palette.
QImage LoadPcxFile(const QString& path);

// The same from the bytes of a file.
QImage decodePcx(QByteArrayView file);

// The same from a device that can seek, read a block of blockBytes at a time: only the
// picture and one block are held, whatever the size of the file.
QImage readPcx(QIODevice& device, qsizetype blockBytes = 1024 * 1024);
