#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <functional>

// The picture formats the store keeps, by extension: PNG through libpng, PCX through
// our own reader, everything else (BMP, JPEG) through Qt's image readers. Any part of
// the program that loads "a picture" goes through here, so each format has one reader.
// What shows through the transparent parts of a picture, and around a picture that
// does not fill the page.
inline const QColor kPictureBackground{0x20, 0x20, 0x20};

struct PictureFormat {
    QString extension;   // lower case, without the dot: "png"
    QString description; // "Portable Network Graphics"
    // Reads the file; transparent pixels show background. Throws FileError.
    std::function<QImage(const QString& path, const QColor& background)> load;
    QString failureText; // what the user is told when the file cannot be shown
};

// Adds or replaces the reader for an extension.
void registerPictureFormat(PictureFormat format);
// The reader for the path's extension; the general one for unregistered extensions.
const PictureFormat& pictureFormatFor(const QString& path);

struct LoadedPicture {
    QImage image;  // null when the file could not be shown
    QString error; // the format's failure text then
};
LoadedPicture loadPicture(const QString& path, const QColor& background);
