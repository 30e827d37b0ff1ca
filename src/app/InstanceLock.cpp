#include "InstanceLock.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QDir>
#include <QFileInfo>
#include <QThread>

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
    // Qt guards the removal of a stale lock with "<lock>.rmlock"; a kill in that moment leaves
    // it behind, and one left empty makes Qt refuse to take over a dead holder's lock for half
    // a minute. An empty guard is only a removal in progress for a moment: past a second it is
    // dropped and the lock tried again.
    const QString guardPath = m_path + QStringLiteral(".rmlock");
    const auto dropGuard = [&guardPath] {
        QLockFile guard(guardPath);
        guard.setStaleLockTime(0);
        if (takeOver(guard, guardPath, nullptr))
            guard.unlock();
    };
    if (!takeOver(m_lock, m_path, &m_holder)) {
        if (!QFileInfo::exists(guardPath))
            return false;
        QElapsedTimer waited;
        waited.start();
        while (QFileInfo(guardPath).lastModified().msecsTo(QDateTime::currentDateTime()) <= 1000 &&
               waited.elapsed() < 1100)
            QThread::msleep(50);
        dropGuard();
        if (!takeOver(m_lock, m_path, &m_holder))
            return false;
    }
    // Nobody else can be removing ours now, so a leftover guard is taken and dropped.
    if (QFileInfo::exists(guardPath))
        dropGuard();
    return true;
}
