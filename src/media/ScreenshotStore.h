#pragma once

#include <QString>

// The picture store: five folders of pictures named after each game's zip name. A
// gameplay picture is named zip + "." + number + extension (mygame.001.pcx). Names
// are matched without regard to case; files the program makes get lower-case names.

// A gameplay picture's number: three digits at least ("001", "099", "1000").
QString NumberText(int number);

// The first free gameplay picture name of the game, as a full path ending in ".pcx".
// A number counts as taken whatever the extension of its picture.
QString NextGameplayName(const QString& gameplayDir, const QString& zipName);

// Moves the screenshots of a run (every "*.pcx" file in tempDir, in name order) to the
// game's next free gameplay names, then removes tempDir when it is empty. A move that
// fails leaves the file where it is; nothing ever replaces a picture. Returns how many
// screenshots were filed.
int CollectRunScreenshots(const QString& tempDir, const QString& gameplayDir,
                          const QString& zipName);
