#pragma once

#include <QByteArrayView>
#include <QString>

class TGameObjectList;

// The emulator's romset check report, as marks on the games. Only lines holding "|"
// count: the text before the last " | " (or, without one, before the last "|"),
// trimmed, names the game, so a name may hold blanks; "| BAD" anywhere marks its romset
// bad, any other such line marks it good and installed (a bad romset keeps its
// installed flag). Lines naming no game of the list are skipped. The text is read as
// the game list is (UTF-8 when the bytes are UTF-8, else Latin-1, a byte order mark
// dropped).
//
// checkedZip says what the report speaks for. Empty: a check of all romsets, which
// names every set the emulator found, so a game it does not name has no set and loses
// both marks. A zip name: a check of that game alone; when the report does not name
// it, its marks go, and every other game keeps its own.
void ApplyRomcheckReport(TGameObjectList& games, QByteArrayView report, QStringView checkedZip);
// The same from the report file. Throws FileError when it cannot be read; the marks
// stay as they were then.
void ReadRomcheckResults(TGameObjectList& games, const QString& romcheckFile,
                         QStringView checkedZip);
