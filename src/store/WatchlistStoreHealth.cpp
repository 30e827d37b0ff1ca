// Telling the user what is broken: storage files set aside at start, the download daemon that
// cannot run, indexes that do not answer and a TMDB key that is refused. Each outage is told
// once when it starts and once when it ends; the health is published for the tray and the
// status strip.

#include "HealthText.h"
#include "WatchlistStore.h"

#include <QDir>

QString WatchlistStore::endpointsFilePath() const {
    return QDir(m_env.storageFolder).filePath(QStringLiteral("endpoints.json"));
}

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
        noteEngineHealth(m_engine->health());
}

void WatchlistStore::noteEngineHealth(const EngineHealth& health) {
    if (m_engineHealth != health) {
        m_engineHealth = health;
        Q_EMIT engineHealthChanged();
    }
    if (health.isFailure()) {
        // Restarts that fail the same way, one after the other, are one outage.
        if (m_reportedEngineFailure == health.cause)
            return;
        if (health.cause == EngineHealth::Cause::stoppedAnswering) {
            // The supervisor is already replacing it: one line, and none when it is back.
            logActivity(HealthText::engineFailureLine(health, endpointsFilePath(), QString()),
                        ActivityEntry::Kind::error);
            return;
        }
        m_reportedEngineFailure = health.cause;
        // Without a supervisor (tests), where the shell's daemon would keep its log.
        const QString logFile =
            m_engine ? m_engine->logFilePath()
                     : QDir(m_env.storageFolder)
                           .filePath(QStringLiteral("transmission-config/engine.log"));
        logActivity(HealthText::engineFailureLine(health, endpointsFilePath(), logFile),
                    ActivityEntry::Kind::error);
        if (m_notifier)
            m_notifier->post(HealthText::engineFailureNotice(health, endpointsFilePath(), logFile));
        return;
    }
    if (health.state == EngineHealth::State::running && m_reportedEngineFailure) {
        m_reportedEngineFailure.reset();
        logActivity(HealthText::engineRecoveredLine(), ActivityEntry::Kind::check);
    }
}

void WatchlistStore::noteIndexAnswers(const FeedChecker::IndexTally& tally) {
    if (tally.asked.isEmpty())
        return; // nothing was searched: no news about the indexes
    SearchHealth health = m_searchHealth;
    if (tally.noneAnswered()) {
        if (m_searchHealth.indexesDown())
            return; // the same outage, already told
        health.silentIndexes = tally.asked;
        setSearchHealth(health);
        logActivity(HealthText::indexesSilentLine(tally.asked, endpointsFilePath()),
                    ActivityEntry::Kind::error);
        return;
    }
    if (!m_searchHealth.indexesDown())
        return;
    health.silentIndexes.clear();
    setSearchHealth(health);
    logActivity(HealthText::indexesAnswerAgainLine(tally.answered), ActivityEntry::Kind::check);
}

void WatchlistStore::noteTMDBRequest(LookupFailure failure) {
    // Without this a lost connection reads as series whose schedule is simply not known yet.
    const bool unreachable = failure == LookupFailure::unreachable;
    if (unreachable != m_searchHealth.tmdbUnreachable) {
        SearchHealth health = m_searchHealth;
        health.tmdbUnreachable = unreachable;
        setSearchHealth(health);
        if (unreachable)
            logActivity(HealthText::tmdbUnreachableLine(endpointsFilePath()),
                        ActivityEntry::Kind::error);
        else
            logActivity(HealthText::tmdbAnswersAgainLine(), ActivityEntry::Kind::check);
    }
    // Only an answer tells about the key: an unreachable TMDB says nothing either way.
    if (failure == LookupFailure::refusedKey && !m_searchHealth.tmdbKeyRefused) {
        SearchHealth health = m_searchHealth;
        health.tmdbKeyRefused = true;
        setSearchHealth(health);
        logActivity(HealthText::tmdbKeyRefusedLine(), ActivityEntry::Kind::error);
    } else if (failure == LookupFailure::none && m_searchHealth.tmdbKeyRefused) {
        SearchHealth health = m_searchHealth;
        health.tmdbKeyRefused = false;
        setSearchHealth(health);
        logActivity(HealthText::tmdbKeyAcceptedLine(), ActivityEntry::Kind::check);
    }
}

void WatchlistStore::setSearchHealth(SearchHealth health) {
    if (m_searchHealth == health)
        return;
    m_searchHealth = std::move(health);
    Q_EMIT searchHealthChanged();
}
