#include "InstanceLock.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

InstanceLock::InstanceLock(const QString& storageFolder)
    : m_path(QDir(storageFolder).filePath(QStringLiteral("lumivane.lock")))
    , m_lock(m_path) {
    m_lock.setStaleLockTime(0);
}

bool InstanceLock::tryLock() {
    bool locked = m_lock.tryLock(0);
    QString host;
    QString name;
    // A kill between creating the lock and writing into it leaves a lock naming nobody, which
    // QLockFile never takes for stale: every later start would refuse. One older than a second
    // is no start in progress (the write follows the creation at once).
    if (!locked && !m_lock.getLockInfo(&m_holder, &host, &name) &&
        QFileInfo(m_path).lastModified().msecsTo(QDateTime::currentDateTime()) > 1000 &&
        m_lock.removeStaleLockFile())
        locked = m_lock.tryLock(0);
    return locked;
}
