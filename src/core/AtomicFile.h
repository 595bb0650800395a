#pragma once

#include <QByteArrayView>
#include <QString>

// Replaces the file at path with bytes, whole or not at all: the bytes go to a
// temporary file beside it, every write and the flush to disk are checked, and only
// then is the temporary file renamed over the old one. A full disk, a file-size limit
// or a directory that refuses new files throws FileError with the system's message,
// and the old file stays as it was.
void writeFileAtomically(const QString& path, QByteArrayView bytes);
