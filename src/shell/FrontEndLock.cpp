#include "FrontEndLock.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <QSysInfo>

namespace {

// Texts are marked where they stand, for the translation tools.
#define SK_LOCK_TEXT(text) QT_TRANSLATE_NOOP("FrontEndLock", text)

QString tr(const char* text) {
    return QCoreApplication::translate("FrontEndLock", text);
}

QString ageText(qint64 seconds) {
    const auto count = [](qint64 n, const char* one, const char* many) {
        return n == 1 ? tr(one) : tr(many).arg(n);
    };
    if (seconds < 60)
        return tr(SK_LOCK_TEXT("less than a minute"));
    if (seconds < 60 * 60)
        return count(seconds / 60, SK_LOCK_TEXT("1 minute"), SK_LOCK_TEXT("%1 minutes"));
    if (seconds < 48 * 60 * 60)
        return count(seconds / (60 * 60), SK_LOCK_TEXT("1 hour"), SK_LOCK_TEXT("%1 hours"));
    return count(seconds / (24 * 60 * 60), SK_LOCK_TEXT("1 day"), SK_LOCK_TEXT("%1 days"));
}

} // namespace

FrontEndLock::FrontEndLock() = default;
FrontEndLock::~FrontEndLock() = default;

FrontEndLock::Outcome FrontEndLock::lock(const QString& dir) {
    if (m_lock && m_dir == dir)
        return Outcome::Locked;
    return claim(dir, std::make_unique<QLockFile>(dir + fileName()));
}

FrontEndLock::Outcome FrontEndLock::claim(const QString& dir, std::unique_ptr<QLockFile> lock) {
    // Only a dead owner makes a lock stale: a copy that has run for days still owns it.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0) && lock->error() == QLockFile::LockFailedError) {
        m_holder = readHolder(*lock, dir + fileName());
        return Outcome::HeldByAnotherCopy;
    }
    m_lock = std::move(lock);
    m_dir = dir;
    m_holder = Holder();
    return Outcome::Locked;
}

FrontEndLock::Holder FrontEndLock::readHolder(const QLockFile& lock, const QString& path) {
    Holder holder;
    QString application;
    holder.known = lock.getLockInfo(&holder.pid, &holder.host, &application);
    // A lock file that names nobody (cut short on a disk pulled out) has no holder that
    // could be asked either.
    holder.onThisMachine =
        holder.known && (holder.host.isEmpty() || holder.host == QSysInfo::machineHostName());
    if (holder.known)
        holder.since = QFileInfo(path).lastModified();
    return holder;
}

FrontEndLock::Outcome FrontEndLock::takeOver(const QString& dir) {
    auto lock = std::make_unique<QLockFile>(dir + fileName());
    // Another copy may have taken the folder since the question was asked.
    const Holder now = readHolder(*lock, dir + fileName());
    if (now.known != m_holder.known || now.pid != m_holder.pid || now.host != m_holder.host)
        return claim(dir, std::move(lock));
    // A holder that still holds its lock file open where this machine sees its locks
    // (a local disk, most network shares) keeps it.
    lock->removeStaleLockFile();
    return claim(dir, std::move(lock));
}

QString FrontEndLock::describe(const Holder& holder, const QDateTime& now) {
    if (!holder.known)
        return tr(SK_LOCK_TEXT("the lock file %1 does not say which copy holds it"))
            .arg(fileName());
    const QString host = holder.host.isEmpty() ? QSysInfo::machineHostName() : holder.host;
    QString text =
        tr(SK_LOCK_TEXT("process %1 on the computer %2")).arg(QString::number(holder.pid), host);
    if (holder.since.isValid())
        text += tr(SK_LOCK_TEXT(", since %1 (%2 ago)"))
                    .arg(QLocale().toString(holder.since, QLocale::ShortFormat),
                         ageText(std::max<qint64>(0, holder.since.secsTo(now))));
    return text;
}
