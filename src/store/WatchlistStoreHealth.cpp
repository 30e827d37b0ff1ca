// What the store itself tells at start: storage files set aside at load, a library root that
// is not a local folder, and the daemon's state before the store existed. The running outages
// are the health watch's.

#include "HealthText.h"
#include "HealthWatch.h"
#include "WatchlistStore.h"

void WatchlistStore::reportStartupHealth() {
    for (const StorageFiles::SetAside& aside : std::as_const(m_setAsideAtLoad)) {
        logActivity(HealthText::setAsideLine(aside), ActivityEntry::Kind::error);
        if (m_notifier)
            m_notifier->post(HealthText::setAsideNotice(aside));
    }
    m_setAsideAtLoad.clear();
    reportUnusableRoot();
    // The shell starts the daemon before the store exists: what it saw then is told now.
    if (m_engine)
        m_health->noteEngineHealth(m_engine->health());
}

const EngineHealth& WatchlistStore::engineHealth() const {
    return m_health->engineHealth();
}

const SearchHealth& WatchlistStore::searchHealth() const {
    return m_health->searchHealth();
}
