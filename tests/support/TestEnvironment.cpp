#include "TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

TestEnvironment::TestEnvironment() {
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

StoreEnvironment TestEnvironment::environment() const {
    StoreEnvironment env;
    env.storageFolder = storageFolder();
    env.defaultLibraryRoot = libraryRoot();
    env.clock = m_clock;
    // Nothing in a test may reach the internet: unreachable loopback addresses by default.
    env.endpoints.pointEveryServiceAt(QUrl("http://127.0.0.1:9"));
    env.endpoints.rpcPort = 9;
    return env;
}

void TestEnvironment::writeStorageFile(const QString& fileName, const QByteArray& bytes) const {
    QDir().mkpath(storageFolder());
    QFile file(storagePath(fileName));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file");
}

QByteArray TestEnvironment::readStorageFile(const QString& fileName) const {
    QFile file(storagePath(fileName));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
