#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <functional>

// Replaces the file at path with bytes, whole or not at all: the bytes go to a
// temporary file beside it, every write and the flush to disk are checked, and only
// then is the temporary file renamed over the old one. A full disk, a file-size limit
// or a directory that refuses new files throws FileError with the system's message,
// and the old file stays as it was.
void writeFileAtomically(const QString& path, QByteArrayView bytes);

// Takes bytes piece by piece, in order.
using ByteSink = std::function<void(QByteArrayView)>;
// The same for bytes made piece by piece: produce() hands them to the sink in order, so
// that a large file is never held whole. An exception from produce() leaves the old
// file as it was.
void writeFileAtomically(const QString& path, const std::function<void(const ByteSink&)>& produce);
// The same, unless the file holds exactly these bytes already: then it is left as it
// is, its time too, and nothing is written or synced to disk.
void writeFileIfChanged(const QString& path, const std::function<void(const ByteSink&)>& produce);

// The temporary file of such a write is named after the file with "." and six letters
// added ("StartKALTO.ini.aBcDeF"); a write killed before its rename leaves it behind.
// The name of the file that a leftover's name stands for, or an empty view. Letters in
// one case or capitalised read as a name a person gave a copy, not as a leftover.
QStringView savedNameOfLeftover(QStringView name);
// Removes from dir the leftovers of the files whose names isSavedName accepts: plain
// files only, never a link or a folder. Returns how many went.
int removeSaveLeftovers(const QString& dir,
                        const std::function<bool(QStringView savedName)>& isSavedName);
