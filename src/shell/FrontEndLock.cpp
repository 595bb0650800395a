#include "FrontEndLock.h"

#include <QLockFile>

FrontEndLock::FrontEndLock() = default;
FrontEndLock::~FrontEndLock() = default;

FrontEndLock::Outcome FrontEndLock::lock(const QString& dir) {
    if (m_lock && m_dir == dir)
        return Outcome::Locked;
    auto lock = std::make_unique<QLockFile>(dir + fileName());
    // Only a dead owner makes a lock stale: a copy that has run for days still owns it.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0) && lock->error() == QLockFile::LockFailedError)
        return Outcome::HeldByAnotherCopy;
    m_lock = std::move(lock);
    m_dir = dir;
    return Outcome::Locked;
}
