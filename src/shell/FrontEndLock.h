#pragma once

#include <QString>
#include <memory>

class QLockFile;

// Keeps a second copy of the program from working on the files of the same front-end
// directory: the first copy holds a lock file there while it runs. A lock left by a
// copy that died is taken over.
class FrontEndLock final {
public:
    FrontEndLock();
    ~FrontEndLock();
    FrontEndLock(const FrontEndLock&) = delete;
    FrontEndLock& operator=(const FrontEndLock&) = delete;

    enum class Outcome { Locked, HeldByAnotherCopy };

    // Claims dir (ending in a separator) for this copy; a directory already claimed
    // is claimed again at once. A directory where no lock file can be made (read-only)
    // is not guarded: the program works there as far as it can.
    Outcome lock(const QString& dir);

    static QString fileName() { return QStringLiteral("StartKALTO.lock"); }

private:
    std::unique_ptr<QLockFile> m_lock;
    QString m_dir;
};
