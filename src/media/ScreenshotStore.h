#pragma once

#include <QString>
#include <QStringList>

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

struct PathSet;
class Prompter;

// Which kinds of pictures a game's list holds (the check marks of the ScreenShot menu).
struct ScreenshotKinds {
    bool title = true;
    bool gameplay = true;
    bool flyer = true;
    bool marquee = true;
    bool cabinet = true;
};

// Whether the name ends in one of the picture extensions the store keeps (".pcx",
// ".jpg", ".bmp", ".png"), whatever its letter case.
bool isPictureName(QStringView name);

// The pictures of a game in the order they are shown: its title, its gameplay pictures
// in name order, its flyer, marquee and cabinet. Names match zip + "." without regard
// to case and keep their letter case from the disk. Of the title, flyer, marquee and
// cabinet only the first name in name order counts: when that is no picture, the kind
// has none.
QStringList CollectScreenshots(const PathSet& paths, const QString& zipName,
                               const ScreenshotKinds& kinds);

// Closes the gaps in a game's gameplay numbering (.001, .002, ...) in name order,
// whatever the extensions. Never replaces a picture: a name still held by a file not
// yet moved is freed first.
void RenumberGameplay(const QString& gameplayDir, const QString& zipName);

// Makes a picture the game's title: moved (not copied) to the title directory as
// zip + its extension, replacing a title of that extension. Nothing happens when it is
// the title already.
void MakeTitle(const QString& picture, const QString& titlesDir, const QString& zipName);

// Moves the pictures of the older layout (one "pcx" folder, zip + two digits) into the
// kinds' folders once, when the user agrees: "01." becomes the title, the others the
// numbered gameplay pictures. zipNames are the games in list order.
void MigrateScreenshotStore(const PathSet& paths, const QStringList& zipNames, Prompter& prompter);
