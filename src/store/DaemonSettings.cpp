#include "DaemonSettings.h"

#include "SettingsKeeper.h"
#include "SleepUnlessGone.h"
#include "engine/TransmissionClient.h"
#include "engine/TransmissionEngine.h"
#include "model/LibraryLayout.h"

#include <chrono>

using namespace std::chrono_literals;

DaemonSettings::DaemonSettings(const SettingsKeeper& settings, TransmissionClient& client,
                               TransmissionEngine* engine, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_client(client)
    , m_engine(engine) {
    connect(&settings, &SettingsKeeper::seedingChanged, this, [this] { applySeedRatio(5); });
    connect(&settings, &SettingsKeeper::libraryRootChanged, this, &DaemonSettings::moveLibrary);
}

void DaemonSettings::applySeedRatio(int retries) {
    sendSeedRatio(m_settings.settings().seedRatioLimit, m_settings.settings().seedRatioEnabled,
                  retries);
}

QCoro::Task<> DaemonSettings::sendSeedRatio(double limit, bool enabled, int retries) {
    QPointer<DaemonSettings> self(this);
    for (int attempt = 0;; ++attempt) {
        const RPCStatus probe = co_await m_client.sessionGet();
        if (!self)
            co_return;
        if (probe.ok())
            break;
        if (attempt >= retries)
            co_return; // the limit goes out again at the next launch or settings change
        co_await SleepUnlessGone(this, 1500ms);
        if (!self)
            co_return;
    }
    co_await m_client.setSeedRatio(limit, enabled);
    if (!self)
        co_return;
    co_await m_client.setQueueStalled();
}

void DaemonSettings::moveLibrary(const QString& root) {
    // Torrents added from now on go to the new root and stage in its working folder; a daemon
    // the supervisor starts later is given it too.
    if (m_engine)
        m_engine->setLibraryRoot(root);
    const LibraryLayout layout(root);
    [](QPointer<TransmissionClient> client, QString root, QString working) -> QCoro::Task<> {
        if (client)
            co_await client->setFolders(root, working);
    }(&m_client, layout.root(), layout.workingFolder());
}
