#pragma once

#include <QString>

// The desktop's trash, as the freedesktop.org trash specification lays it out: a file
// goes to the user's own trash when it lies on the same file system, else to the trash
// at the top of its own file system (".Trash/<uid>" when the administrator made
// ".Trash", else ".Trash-<uid>"). Every entry has an info file naming the original place,
// so that the desktop can put it back.
struct TrashResult {
    enum class Outcome {
        Trashed, // in the trash; entry names it there
        NoTrash, // this user has no trash at all: nothing was done
        Failed,  // there is a trash, but the file could not go there: nothing was done
    };
    Outcome outcome = Outcome::Failed;
    QString entry; // the file's path inside the trash
    QString error; // why it failed, in the system's words
};

// The user's own trash: $XDG_DATA_HOME/Trash.
QString homeTrashDir();

// Moves a file to the trash. Ends in every case: a name that is taken is tried again
// under another name a bounded number of times, any other failure ends the attempt. A
// name too long for the info file's name is shortened in the trash (the info file keeps
// it whole). The info file is written beside and renamed into place, never over another,
// so the trash never holds a half-written one; on failure the file stays where it was
// and nothing is left in the trash.
TrashResult moveToTrash(const QString& file, const QString& homeTrash = homeTrashDir());
