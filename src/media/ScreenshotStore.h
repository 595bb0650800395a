#pragma once

#include <QSet>
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

// Moves the screenshots of a run (every "*.pcx" file in tempDir, in name order, but the
// leftovers: names of files that lay there before the run) to the game's next free
// gameplay names, then removes tempDir when it is empty. A move that fails leaves the
// file where it is; nothing ever replaces a picture; a gameplay folder on another file
// system gets a copy, and the shot goes once the copy is whole. Returns the new
// pictures' full paths, in the order they were filed.
QStringList CollectRunScreenshots(const QString& tempDir, const QString& gameplayDir,
                                  const QString& zipName, const QSet<QString>& leftovers = {});

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

// Whether a file name is one of the game's pictures, without regard to case: zip + "." +
// picture extension (Plain), or zip + "." + decimal number + "." + picture extension
// (Numbered, a gameplay picture). Another game whose zip name begins with this one's
// and a dot ("a.b" for "a") has pictures of its own.
enum class GamePicture { None, Plain, Numbered };
GamePicture gamePictureName(QStringView name, QStringView zipName);

// The pictures of a game in the order they are shown: its title, its gameplay pictures
// (numbered or plain) in name order, its flyer, marquee and cabinet. Names keep their
// letter case from the disk. Of several titles (flyers, ...) of a game in different
// formats the first in name order shows.
QStringList CollectScreenshots(const PathSet& paths, const QString& zipName,
                               const ScreenshotKinds& kinds);

// How many pictures of each kind a game has on disk, whatever the ScreenShot menu
// shows (of a title in two formats only one shows, but both count).
struct PictureCounts {
    int title = 0;
    int gameplay = 0;
    int flyer = 0;
    int marquee = 0;
    int cabinet = 0;
};
// Counted from the folders' kept listings: no folder is read again while unchanged.
PictureCounts CountScreenshots(const PathSet& paths, const QString& zipName);

// Closes the gaps in the numbering of a game's gameplay pictures (.001, .002, ...) in
// name order, whatever their formats. Never replaces a picture: a name still held by a
// file not yet moved is freed first.
void RenumberGameplay(const QString& gameplayDir, const QString& zipName);

// Makes a picture the game's title: moved (not copied) to the title directory as
// zip + its extension. The game's earlier titles, of any format, go back among its
// gameplay pictures under the next free numbers, so the chosen picture is the title
// that shows. Nothing happens when it is the title already. Between file systems a
// picture moves by a copy, as the run's shots do. False when a picture could not be
// moved (nothing is replaced then).
bool MakeTitle(const QString& picture, const QString& titlesDir, const QString& gameplayDir,
               const QString& zipName);

// Moves the pictures of the older layout (one "pcx" folder, zip + two digits + picture
// extension) into the kinds' folders once, when the user agrees: "01" becomes the title
// unless the game has one, then it joins the others as a gameplay picture under the
// next free numbers. Nothing in the new folders is replaced. zipNames are the games in
// list order.
void MigrateScreenshotStore(const PathSet& paths, const QStringList& zipNames, Prompter& prompter);
