#include "Pictures.h"

#include "PCX.h"
#include "PictureLimits.h"
#include "PngImage.h"
#include "core/FileError.h"

#include <QFileInfo>
#include <QImageReader>
#include <new>
#include <vector>

namespace {

QImage loadGeneral(const QString& path, const QColor&) {
    QImageReader reader(path);
    // JPEG files from cameras carry their orientation; the pictures of the store do
    // not, and are shown as stored.
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPicturePixels)
        throw FileError(QStringLiteral("The picture is too large to show."));
    // A reader that cannot tell the size beforehand stops at what the viewer holds.
    reader.setAllocationLimit(int(kMaxPicturePixels * 4 / (1024 * 1024)));
    QImage image = reader.read();
    if (image.isNull())
        throw FileError(reader.errorString());
    return image;
}

PictureFormat& general() {
    static PictureFormat format{QString(), QStringLiteral("Pictures"), loadGeneral,
                                QStringLiteral("Invalid file format !")};
    return format;
}

std::vector<PictureFormat>& registry() {
    static std::vector<PictureFormat> formats = {
        {QStringLiteral("png"), QStringLiteral("Portable Network Graphics"),
         [](const QString& path, const QColor& background) {
             return loadPngPicture(path, background);
         },
         QStringLiteral("Invalid PNG file format.")},
        {QStringLiteral("pcx"), QStringLiteral("ZSoft Paintbrush"),
         [](const QString& path, const QColor&) { return LoadPcxFile(path); },
         QStringLiteral("Invalid PCX file format.")},
    };
    return formats;
}

} // namespace

void registerPictureFormat(PictureFormat format) {
    for (PictureFormat& known : registry()) {
        if (known.extension == format.extension) {
            known = std::move(format);
            return;
        }
    }
    registry().push_back(std::move(format));
}

const PictureFormat& pictureFormatFor(const QString& path) {
    const QString extension = QFileInfo(path).suffix().toLower();
    for (const PictureFormat& format : registry()) {
        if (format.extension == extension)
            return format;
    }
    return general();
}

LoadedPicture loadPicture(const QString& path, const QColor& background) {
    const PictureFormat& format = pictureFormatFor(path);
    try {
        QImage image = format.load(path, background);
        if (!image.isNull())
            return {std::move(image), QString()};
    } catch (const FileError&) {
    } catch (const std::bad_alloc&) {
        // No memory for this picture: the program goes on without it.
    }
    return {QImage(), format.failureText};
}
