#pragma once

#include "model/Clock.h"
#include "store/StoreEnvironment.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A store environment inside a fresh temporary folder, with a manual clock:
// <tmp>/data for the six files and <tmp>/library for the library root.
class TestEnvironment {
public:
    TestEnvironment();

    StoreEnvironment environment() const;
    ManualClock& clock() { return *m_clock; }

    QString root() const { return m_dir.path(); }
    QString storageFolder() const { return root() + "/data"; }
    QString libraryRoot() const { return root() + "/library"; }
    QString storagePath(const QString& fileName) const { return storageFolder() + '/' + fileName; }

    void writeStorageFile(const QString& fileName, const QByteArray& bytes) const;
    QByteArray readStorageFile(const QString& fileName) const;

private:
    QTemporaryDir m_dir;
    std::shared_ptr<ManualClock> m_clock = std::make_shared<ManualClock>();
};
