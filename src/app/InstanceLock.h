#pragma once

#include <QLockFile>
#include <QString>

// One Lumivane per user: a second one would kill the first one's daemon at start and write
// the same files. Holds lumivane.lock in the storage folder for as long as it lives.
class InstanceLock {
public:
    explicit InstanceLock(const QString& storageFolder);

    bool tryLock();
    // The process holding the lock, when tryLock failed (0 when it cannot be read).
    qint64 holder() const { return m_holder; }

private:
    QString m_path;
    QLockFile m_lock;
    qint64 m_holder = 0;
};
