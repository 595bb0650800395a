// Decodes a picture of the store exactly as the viewer does and writes what it shows as
// an 8-bit RGB PNG, so anyone can check a picture that looks wrong:
//   kalto-picture IN OUT.png
// On a file the viewer cannot show it writes nothing, prints the viewer's message and
// exits with status 1.

#include "core/FileError.h"
#include "media/Pictures.h"
#include "media/PngImage.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: kalto-picture IN OUT.png\n");
        return 2;
    }
    // Qt's JPEG and BMP readers need the GUI library, not a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString in = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);

    const LoadedPicture picture = loadPicture(in, kPictureBackground);
    if (picture.image.isNull()) {
        std::fprintf(stderr, "%s\n", picture.error.toLocal8Bit().constData());
        return 1;
    }
    try {
        savePngPicture(picture.image, out, kPictureBackground);
    } catch (const FileError& error) {
        std::fprintf(stderr, "%s\n", error.message().toLocal8Bit().constData());
        return 1;
    }
    std::printf("%s: %dx%d\n", argv[1], picture.image.width(), picture.image.height());
    return 0;
}
