#include "PCX.h"

#include "core/FileError.h"

QImage LoadPcxFile(const QString& path) {
    throw FileError(QStringLiteral("PCX reading is not built yet: ") + path);
}

QImage decodePcx(QByteArrayView) {
    throw FileError(QStringLiteral("PCX reading is not built yet"));
}
