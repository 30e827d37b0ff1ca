#include "HealthWatch.h"

#include "ActivityLog.h"
#include "HealthText.h"
#include "Notifier.h"
#include "engine/TransmissionEngine.h"

#include <QDir>

HealthWatch::HealthWatch(ActivityLog& log, Notifier* notifier, TransmissionEngine* engine,
                         QString storageFolder, QObject* parent)
    : QObject(parent)
    , m_log(log)
    , m_notifier(notifier)
    , m_engine(engine)
    , m_storageFolder(std::move(storageFolder)) {
    if (m_engine)
        connect(m_engine, &TransmissionEngine::healthChanged, this,
                &HealthWatch::noteEngineHealth);
}

QString HealthWatch::endpointsFilePath() const {
    return QDir(m_storageFolder).filePath(QStringLiteral("endpoints.json"));
}

QString HealthWatch::engineLogFile() const {
    // Without a supervisor (tests), where the shell's daemon would keep its log.
    return m_engine ? m_engine->logFilePath()
                    : QDir(m_storageFolder)
                          .filePath(QStringLiteral("transmission-config/engine.log"));
}

void HealthWatch::noteEngineHealth(const EngineHealth& health) {
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
            m_log.logActivity(
                HealthText::engineFailureLine(health, endpointsFilePath(), QString()),
                ActivityEntry::Kind::error);
            return;
        }
        m_reportedEngineFailure = health.cause;
        const QString logFile = engineLogFile();
        m_log.logActivity(HealthText::engineFailureLine(health, endpointsFilePath(), logFile),
                          ActivityEntry::Kind::error);
        if (m_notifier)
            m_notifier->post(HealthText::engineFailureNotice(health, endpointsFilePath(), logFile));
        return;
    }
    if (health.state == EngineHealth::State::running && m_reportedEngineFailure) {
        m_reportedEngineFailure.reset();
        m_log.logActivity(HealthText::engineRecoveredLine(), ActivityEntry::Kind::check);
    }
}

void HealthWatch::noteIndexAnswers(const FeedChecker::IndexTally& tally) {
    if (tally.asked.isEmpty())
        return; // nothing was searched: no news about the indexes
    SearchHealth health = m_searchHealth;
    if (tally.noneAnswered()) {
        if (m_searchHealth.indexesDown())
            return; // the same outage, already told
        health.silentIndexes = tally.asked;
        setSearchHealth(health);
        m_log.logActivity(HealthText::indexesSilentLine(tally.asked, endpointsFilePath()),
                          ActivityEntry::Kind::error);
        return;
    }
    if (!m_searchHealth.indexesDown())
        return;
    health.silentIndexes.clear();
    setSearchHealth(health);
    m_log.logActivity(HealthText::indexesAnswerAgainLine(tally.answered),
                      ActivityEntry::Kind::check);
}

void HealthWatch::noteTMDBRequest(LookupFailure failure) {
    // Without this a lost connection reads as series whose schedule is simply not known yet.
    const bool unreachable = failure == LookupFailure::unreachable;
    if (unreachable != m_searchHealth.tmdbUnreachable) {
        SearchHealth health = m_searchHealth;
        health.tmdbUnreachable = unreachable;
        setSearchHealth(health);
        if (unreachable)
            m_log.logActivity(HealthText::tmdbUnreachableLine(endpointsFilePath()),
                              ActivityEntry::Kind::error);
        else
            m_log.logActivity(HealthText::tmdbAnswersAgainLine(), ActivityEntry::Kind::check);
    }
    // An unreachable TMDB says nothing about the key either way.
    if (failure == LookupFailure::refusedKey && !m_searchHealth.tmdbKeyRefused) {
        SearchHealth health = m_searchHealth;
        health.tmdbKeyRefused = true;
        setSearchHealth(health);
        m_log.logActivity(HealthText::tmdbKeyRefusedLine(), ActivityEntry::Kind::error);
    } else if (failure == LookupFailure::none && m_searchHealth.tmdbKeyRefused) {
        SearchHealth health = m_searchHealth;
        health.tmdbKeyRefused = false;
        setSearchHealth(health);
        m_log.logActivity(HealthText::tmdbKeyAcceptedLine(), ActivityEntry::Kind::check);
    }
}

void HealthWatch::setSearchHealth(SearchHealth health) {
    if (m_searchHealth == health)
        return;
    m_searchHealth = std::move(health);
    Q_EMIT searchHealthChanged();
}
