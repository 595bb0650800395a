#include "AtomicFile.h"

#include "FileError.h"

#include <QSaveFile>

void writeFileAtomically(const QString& path, QByteArrayView bytes) {
    QSaveFile file(path);
    const auto failed = [&] {
        return FileError(QStringLiteral("Cannot write %1:\r%2").arg(path, file.errorString()));
    };
    // Unbuffered: a buffered small file would only be written inside commit(), whose
    // write error goes unseen, and the empty temporary file would replace the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw failed();
    if (file.write(bytes.data(), bytes.size()) != bytes.size() || !file.flush() ||
        file.error() != QFileDevice::NoError) {
        const FileError error = failed();
        file.cancelWriting();
        throw error;
    }
    if (!file.commit())
        throw failed();
}
