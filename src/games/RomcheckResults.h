#pragma once

#include <QByteArrayView>
#include <QString>

class TGameObjectList;

// The emulator's romset check report, as marks on the games. Only lines holding "|"
// count: their first word names the game, "| BAD" anywhere marks its romset bad, any
// other such line marks it good and installed (a bad romset keeps its installed flag).
// Lines naming no game of the list are skipped; games the report does not name keep
// their flags. The text is read as the game list is (UTF-8 when the bytes are UTF-8,
// else Latin-1, a byte order mark dropped).
void ApplyRomcheckReport(TGameObjectList& games, QByteArrayView report);
// The same from the report file. Throws FileError when it cannot be read.
void ReadRomcheckResults(TGameObjectList& games, const QString& romcheckFile);
