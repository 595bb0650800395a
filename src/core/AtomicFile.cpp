#include "AtomicFile.h"

#include "FileError.h"

#include <QDirIterator>
#include <QFile>
#include <QSaveFile>
#include <algorithm>

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

QStringView savedNameOfLeftover(QStringView name) {
    constexpr qsizetype kLetters = 6;
    if (name.size() < kLetters + 2 || name[name.size() - kLetters - 1] != u'.')
        return {};
    const QStringView letters = name.last(kLetters);
    const bool random = std::all_of(letters.begin(), letters.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    });
    return random ? name.first(name.size() - kLetters - 1) : QStringView();
}

int removeSaveLeftovers(const QString& dir,
                        const std::function<bool(QStringView savedName)>& isSavedName) {
    int removed = 0;
    QDirIterator it(dir, QDir::Files | QDir::NoSymLinks);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        const QStringView saved = savedNameOfLeftover(name);
        if (!saved.isEmpty() && isSavedName(saved) && QFile::remove(it.filePath()))
            ++removed;
    }
    return removed;
}
