#include "InstanceLock.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

InstanceLock::InstanceLock(const QString& storageFolder)
    : m_path(QDir(storageFolder).filePath(QStringLiteral("lumivane.lock")))
    , m_lock(m_path) {
    m_lock.setStaleLockTime(0);
}

namespace {

// A kill between creating a lock file and writing into it leaves a lock naming nobody, which
// QLockFile never takes for stale: every later attempt would refuse. One older than a second
// is no start in progress (the write follows the creation at once).
bool takeOver(QLockFile& lock, const QString& path, qint64* holder) {
    if (lock.tryLock(0))
        return true;
    qint64 pid = 0;
    QString host;
    QString name;
    const bool named = lock.getLockInfo(&pid, &host, &name);
    if (holder)
        *holder = pid;
    return !named && QFileInfo(path).lastModified().msecsTo(QDateTime::currentDateTime()) > 1000 &&
           lock.removeStaleLockFile() && lock.tryLock(0);
}

} // namespace

bool InstanceLock::tryLock() {
    if (!takeOver(m_lock, m_path, &m_holder))
        return false;
    // Qt guards the removal of a stale lock with "<lock>.rmlock"; a kill in that moment leaves
    // it behind. Nobody else can be removing ours now, so a leftover is taken and dropped.
    const QString guardPath = m_path + QStringLiteral(".rmlock");
    if (QFileInfo::exists(guardPath)) {
        QLockFile guard(guardPath);
        guard.setStaleLockTime(0);
        if (takeOver(guard, guardPath, nullptr))
            guard.unlock();
    }
    return true;
}
