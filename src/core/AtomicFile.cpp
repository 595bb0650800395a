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
    // A short write (a file-size limit reached half-way) says nothing of its cause;
    // the write of the rest fails with the system's message.
    qsizetype written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.data() + written, bytes.size() - written);
        if (n <= 0)
            break;
        written += qsizetype(n);
    }
    if (written != bytes.size() || !file.flush() || file.error() != QFileDevice::NoError) {
        const FileError error = failed();
        file.cancelWriting();
        throw error;
    }
    if (!file.commit())
        throw failed();
}
