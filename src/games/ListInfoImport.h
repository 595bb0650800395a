#pragma once

#include <QByteArrayView>
#include <QString>

class QIODevice;
class TGameObjectList;

inline constexpr qsizetype kImportBlockSize = 1 << 20;
// A game list file this long is read in two parts at once.
inline constexpr qint64 kParallelImportFrom = 8 << 20;

// Rebuilds the game list from the emulator's list output (the game list file). Every
// old record is freed first. Returns false, with the system's message in *error, when
// the file cannot be opened or read; the list is then empty. A file of parallelFrom
// bytes or more is read in two parts at once; the records are the same.
bool ImportGameList(TGameObjectList& games, const QString& path, QString* error,
                    qint64 parallelFrom = kParallelImportFrom);

// The same from an open device, read in blocks of blockSize bytes (the records do not
// depend on it). Returns false with the device's message in *error on a read error.
bool ImportGameList(TGameObjectList& games, QIODevice& device, QString* error,
                    qsizetype blockSize = kImportBlockSize);

// Text of the emulator's files as the list is read: 8-bit text (Latin-1), unless the
// bytes are UTF-8.
QString decodeEmulatorText(QByteArrayView bytes);
// The bytes without the UTF-8 byte order mark a file may begin with.
QByteArrayView withoutByteOrderMark(QByteArrayView bytes);

// Whether the file holds at least one game block opening ("game (" on a line of its
// own): the least that a list output worth keeping has.
bool HoldsGameBlock(const QString& path);
