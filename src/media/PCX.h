#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QString>

// Reads a PCX picture (ZSoft's run-length encoded format, as the emulator writes its
// screenshots). The result is 1 bit per pixel with a black and white palette, 8 bits
// per pixel with a palette, or 24-bit RGB, depending on the file's bits per pixel and
// planes. Whatever the file says, the reader never reads or writes outside its buffers.
//
// Throws FileError: "Not a PCX file, or header read error." (first byte not 10), "Not a
// valid PCX file!" (bits per pixel not 1, 4, 8, 16, 24 or 32), the system's message
// when the file cannot be read, or a message naming a size no picture can have.
QImage LoadPcxFile(const QString& path);

// The same from the bytes of a file.
QImage decodePcx(QByteArrayView file);
