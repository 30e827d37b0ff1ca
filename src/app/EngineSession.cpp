#include "EngineSession.h"

#include <QDir>
#include <QFile>

std::optional<QString> EngineSession::applyEndpointsFile(StoreEnvironment& env) {
    const QString path = QDir(env.storageFolder).filePath(QStringLiteral("endpoints.json"));
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    QString why = QStringLiteral("cannot be read");
    if (file.open(QIODevice::ReadOnly) && file.size() < 1024 * 1024) {
        if (const auto endpoints = withOverrides(env.endpoints, file.readAll(), &why)) {
            env.endpoints = *endpoints;
            return std::nullopt;
        }
    }
    return QStringLiteral("Ignored %1: %2 — using the built-in service addresses").arg(path, why);
}

EngineSession::EngineSession(StoreEnvironment env) {
    m_endpointsProblem = applyEndpointsFile(env);
    // The daemon is given its library once the store has read the settings.
    m_engine = std::make_unique<TransmissionEngine>(QString(), env.storageFolder, env.endpoints,
                                                    env.clock);
    useConsoleNotices();
    m_store = std::make_unique<WatchlistStore>(env, m_engine.get(), &m_notifier);
    m_engine->setLibraryRoot(m_store->rootFolderPath());
}

void EngineSession::begin() {
    if (m_endpointsProblem)
        m_store->logActivity(*m_endpointsProblem, ActivityEntry::Kind::error);
    // Started here, so that what it cannot do at once reaches the lines the caller connected.
    m_engine->start();
    m_store->applySeedRatio(5);
}

EngineSession::~EngineSession() {
    m_engine->stop(); // the supervisor waits for the daemon to end when it goes
    m_store.reset();
    m_engine.reset();
}
