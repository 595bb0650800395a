#pragma once

#include <QString>

class TGameObjectList;

// Rebuilds the game list from the emulator's list output (the game list file). Every
// old record is freed first. Returns false, with the system's message in *error, when
// the file cannot be opened or read; the list is then empty.
bool ImportGameList(TGameObjectList& games, const QString& path, QString* error);
