#include "PngImage.h"

#include "core/FileError.h"

void TPngGraphic::loadFromFile(const QString& path) {
    throw FileError(QStringLiteral("Error Opening File %1!").arg(path));
}
