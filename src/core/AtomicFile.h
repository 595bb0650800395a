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

// The temporary file of such a write is named after the file with "." and six letters
// added ("StartKALTO.ini.aBcDeF"); a write killed before its rename leaves it behind.
// The name of the file that a leftover's name stands for, or an empty view.
QStringView savedNameOfLeftover(QStringView name);
// Removes from dir the leftovers of the files whose names isSavedName accepts: plain
// files only, never a link or a folder. Returns how many went.
int removeSaveLeftovers(const QString& dir,
                        const std::function<bool(QStringView savedName)>& isSavedName);
