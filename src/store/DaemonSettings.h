#pragma once

#include <QObject>
#include <QPointer>
#include <qcoro/qcorotask.h>

class SettingsKeeper;
class TransmissionClient;
class TransmissionEngine;

// The daemon's side of the settings: a change of the seeding limit or of the library root is
// sent to the running daemon where it lands, without a restart.
class DaemonSettings final : public QObject {
    Q_OBJECT

public:
    // `engine` (the supervisor, which starts later daemons on the root) may be null.
    DaemonSettings(const SettingsKeeper& settings, TransmissionClient& client,
                   TransmissionEngine* engine, QObject* parent = nullptr);

    // Sends the seeding limit, trying again 1.5 s apart while the daemon does not answer (one
    // still starting). Errors are left for the next launch or change to mend.
    void applySeedRatio(int retries);

private:
    QCoro::Task<> sendSeedRatio(double limit, bool enabled, int retries);
    void moveLibrary(const QString& root);

    const SettingsKeeper& m_settings;
    TransmissionClient& m_client;
    QPointer<TransmissionEngine> m_engine;
};
