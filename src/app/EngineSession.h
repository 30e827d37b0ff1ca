#pragma once

#include "FreedesktopNotifier.h"
#include "TrayNotifier.h"
#include "engine/TransmissionEngine.h"
#include "store/StoreEnvironment.h"
#include "store/WatchlistStore.h"

#include <memory>

// What every start runs, with or without a window: the store with its notifier, then the
// daemon on the library root the store read from the settings, then the seeding limit with
// five retries. Destroying it stops the daemon the way it saves its state.
class EngineSession final {
    Q_DISABLE_COPY_MOVE(EngineSession)

public:
    explicit EngineSession(StoreEnvironment env);
    ~EngineSession();

    // Once the activity lines are connected: logs a bad endpoints.json, starts the daemon and
    // sets the seeding limit.
    void begin();
    // Notices the notification service does not take go to standard output (the default).
    void useConsoleNotices() { m_notifier.setFallback(&m_console); }

    WatchlistStore& store() { return *m_store; }
    FreedesktopNotifier& notifier() { return m_notifier; }
    TransmissionEngine& engine() { return *m_engine; }

    // Reads endpoints.json from the storage folder into `env`; the line to log when it was
    // there but could not be used.
    static std::optional<QString> applyEndpointsFile(StoreEnvironment& env);

private:
    std::unique_ptr<TransmissionEngine> m_engine;
    FreedesktopNotifier m_notifier;
    ConsoleNotifier m_console; // no notification service: the notice goes to the log output
    std::unique_ptr<WatchlistStore> m_store;
    std::optional<QString> m_endpointsProblem;
};
