#include "AtomicFile.h"

#include "FileError.h"

#include <QDirIterator>
#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cstring>
#include <optional>

namespace {

// One atomic write: a temporary file beside the target, renamed over it by finish().
// Every failure throws FileError with the system's message; the old file stays then.
class AtomicWriter {
public:
    explicit AtomicWriter(const QString& path) : m_path(path), m_file(path) {
        // Unbuffered: a buffered small file would only be written inside commit(),
        // whose write error goes unseen, and the empty temporary file would replace the
        // old one.
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            throw failed();
    }

    // A short write (a file-size limit reached half-way) says nothing of its cause; the
    // write of the rest fails with the system's message. After a failure nothing more
    // is written, and finish() throws.
    void write(QByteArrayView bytes) {
        qsizetype written = 0;
        while (m_ok && written < bytes.size()) {
            const qint64 n = m_file.write(bytes.data() + written, bytes.size() - written);
            if (n <= 0)
                m_ok = false;
            else
                written += qsizetype(n);
        }
    }

    void finish() {
        if (!m_ok || !m_file.flush() || m_file.error() != QFileDevice::NoError) {
            const FileError error = failed();
            m_file.cancelWriting();
            throw error;
        }
        if (!m_file.commit())
            throw failed();
    }

private:
    FileError failed() const {
        return FileError(QStringLiteral("Cannot write %1:\r%2").arg(m_path, m_file.errorString()));
    }

    QString m_path;
    QSaveFile m_file;
    bool m_ok = true;
};

} // namespace

void writeFileAtomically(const QString& path, QByteArrayView bytes) {
    AtomicWriter writer(path);
    writer.write(bytes);
    writer.finish();
}

void writeFileAtomically(const QString& path, const std::function<void(const ByteSink&)>& produce) {
    AtomicWriter writer(path);
    produce([&writer](QByteArrayView bytes) { writer.write(bytes); });
    writer.finish();
}

void writeFileIfChanged(const QString& path, const std::function<void(const ByteSink&)>& produce) {
    // The bytes made are compared with the file's as they come; at the first difference
    // the file is written after all: the part that was the same, then the rest.
    QFile current(path);
    const bool exists = current.open(QIODevice::ReadOnly);
    const qint64 size = exists ? current.size() : 0;
    const uchar* mapped = size > 0 ? current.map(0, size) : nullptr;
    if (size > 0 && !mapped) {
        writeFileAtomically(path, produce);
        return;
    }
    const QByteArrayView old(reinterpret_cast<const char*>(mapped), mapped ? size : 0);
    qsizetype same = 0;
    std::optional<AtomicWriter> writer;
    const auto startWriting = [&] {
        writer.emplace(path);
        writer->write(old.first(same));
    };
    produce([&](QByteArrayView bytes) {
        if (!writer) {
            if (bytes.size() <= old.size() - same &&
                std::memcmp(old.data() + same, bytes.data(), size_t(bytes.size())) == 0) {
                same += bytes.size();
                return;
            }
            startWriting();
        }
        writer->write(bytes);
    });
    if (!writer) {
        if (exists && same == old.size())
            return; // the file holds these bytes already
        startWriting();
    }
    writer->finish();
}

QStringView savedNameOfLeftover(QStringView name) {
    constexpr qsizetype kLetters = 6;
    if (name.size() < kLetters + 2 || name[name.size() - kLetters - 1] != u'.')
        return {};
    const QStringView letters = name.last(kLetters);
    const auto upper = [](QChar c) { return c >= u'A' && c <= u'Z'; };
    const auto lower = [](QChar c) { return c >= u'a' && c <= u'z'; };
    if (!std::all_of(letters.begin(), letters.end(), [&](QChar c) { return upper(c) || lower(c); }))
        return {};
    // A name a person gives a copy ("Kalto.cfg.backup", ".BACKUP", ".Before") is
    // written in one case, or capitalised: such a file is never taken for a leftover.
    // The few leftovers whose random letters look like that stay, as they did before.
    const bool anyUpper = std::any_of(letters.begin(), letters.end(), upper);
    const bool anyLower = std::any_of(letters.begin(), letters.end(), lower);
    const bool capitalised =
        upper(letters.front()) && std::all_of(letters.begin() + 1, letters.end(), lower);
    if (!anyUpper || !anyLower || capitalised)
        return {};
    return name.first(name.size() - kLetters - 1);
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
