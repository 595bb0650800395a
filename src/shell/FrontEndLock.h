#pragma once

#include <QDateTime>
#include <QString>
#include <memory>

class QLockFile;

// Keeps a second copy of the program from working on the files of the same front-end
// directory: the first copy holds a lock file there while it runs. A lock left by a
// copy that died on this machine is taken over; one left on another machine (the
// folder on a USB disk or a network share) cannot be checked, and is taken over only
// when asked to.
class FrontEndLock final {
public:
    FrontEndLock();
    ~FrontEndLock();
    FrontEndLock(const FrontEndLock&) = delete;
    FrontEndLock& operator=(const FrontEndLock&) = delete;

    enum class Outcome { Locked, HeldByAnotherCopy };

    // Who holds a lock that this copy could not get, as its lock file says.
    struct Holder {
        bool known = false; // the lock file names its holder
        qint64 pid = 0;
        QString host;
        QDateTime since; // when the lock was taken; invalid when unknown
        // A holder on this machine runs: a dead one's lock is taken over at once.
        bool onThisMachine = false;
    };

    // Claims dir (ending in a separator) for this copy; a directory already claimed
    // is claimed again at once. A directory where no lock file can be made (read-only)
    // is not guarded: the program works there as far as it can.
    Outcome lock(const QString& dir);
    // The holder that made the last lock() fail.
    const Holder& holder() const { return m_holder; }
    // Removes the lock that holder() describes and claims dir. Fails (HeldByAnotherCopy)
    // when the lock file has changed hands meanwhile, or its holder still holds it.
    Outcome takeOver(const QString& dir);

    // "process <pid> on the computer <host>, since <time> (<age> ago)", for a message.
    static QString describe(const Holder& holder, const QDateTime& now);

    static QString fileName() { return QStringLiteral("StartKALTO.lock"); }

private:
    Outcome claim(const QString& dir, std::unique_ptr<QLockFile> lock);
    static Holder readHolder(const QLockFile& lock, const QString& path);

    std::unique_ptr<QLockFile> m_lock;
    QString m_dir;
    Holder m_holder;
};
