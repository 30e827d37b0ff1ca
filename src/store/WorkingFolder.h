#pragma once

#include "DataGuard.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <qcoro/qcorotask.h>

#include <functional>

class ActivityLog;
class SettingsKeeper;
class TransmissionClient;
class TransmissionEngine;

// The daemon's staging folder below the library root: where it lies, what may be deleted, its
// size for the settings view, emptying it, and removing torrents the daemon still holds that
// nobody follows. The root also holds the sorted library, so nothing here ever measures or
// deletes the root.
class WorkingFolder final : public QObject {
    Q_OBJECT

public:
    // `isFollowed` tells whether a torrent (any case of its hash) is followed; `engine` (the
    // supervisor, which knows the daemon's folders) may be null.
    WorkingFolder(TransmissionClient& client, TransmissionEngine* engine,
                  const SettingsKeeper& settings, ActivityLog& log,
                  std::function<bool(const QString& hash)> isFollowed, QObject* parent = nullptr);

    // "Incomplete" below the library root; never the library itself.
    QString path() const;
    DataGuard guard(DataScope scope) const;

    const QString& sizeLabel() const { return m_sizeLabel; }
    // Measures the folder off the main thread and publishes the size label.
    QCoro::Task<> refreshSize();

    // Removes the torrents of `hashes` (data only from here), then empties the folder.
    QCoro::Task<> empty(QStringList hashes);

    // Removes the torrents the daemon holds that nobody follows; their data goes only when it
    // lies here. False when the daemon did not answer.
    QCoro::Task<bool> tidyLeftovers();
    // The same at start, tried a few times while the daemon may still be starting.
    QCoro::Task<> tidyLeftoversAtStart(int attempts);

Q_SIGNALS:
    void sizeLabelChanged();

private:
    TransmissionClient& m_client;
    QPointer<TransmissionEngine> m_engine;
    const SettingsKeeper& m_settings;
    ActivityLog& m_log;
    std::function<bool(const QString&)> m_isFollowed;
    QString m_sizeLabel = QStringLiteral("Calculating…");
    quint64 m_sizeMeasurement = 0; // the newest measurement started; only it publishes
    bool m_tidying = false; // one tidy-up at a time, or two would remove and count the same
};
