#pragma once

#include "model/EngineHealth.h"
#include "model/Lookup.h"
#include "model/SearchHealth.h"
#include "search/FeedChecker.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class ActivityLog;
class Notifier;
class TransmissionEngine;

// What is broken, told once: the download daemon that cannot run, indexes that do not answer,
// TMDB out of reach or refusing the key. Each outage is logged when it starts and when it ends,
// not at every report; the health is published for the tray and the status strip.
class HealthWatch final : public QObject {
    Q_OBJECT

public:
    // `engine` (the daemon's supervisor) may be null where no daemon is supervised; `notifier`
    // may be null too. `storageFolder` holds endpoints.json, which the lines point to.
    HealthWatch(ActivityLog& log, Notifier* notifier, TransmissionEngine* engine,
                QString storageFolder, QObject* parent = nullptr);

    const EngineHealth& engineHealth() const { return m_engineHealth; }
    const SearchHealth& searchHealth() const { return m_searchHealth; }
    QString endpointsFilePath() const;

    // A supervisor report: a new failure is logged and notified once, a recovery logged once.
    void noteEngineHealth(const EngineHealth& health);
    // What a whole check cycle heard from the indexes.
    void noteIndexAnswers(const FeedChecker::IndexTally& tally);
    // The outcome of one TMDB request; only an answer tells about the key.
    void noteTMDBRequest(LookupFailure failure);

Q_SIGNALS:
    void engineHealthChanged();
    void searchHealthChanged();

private:
    void setSearchHealth(SearchHealth health);
    QString engineLogFile() const;

    ActivityLog& m_log;
    Notifier* m_notifier;
    QPointer<TransmissionEngine> m_engine;
    QString m_storageFolder;
    EngineHealth m_engineHealth;
    std::optional<EngineHealth::Cause> m_reportedEngineFailure;
    SearchHealth m_searchHealth;
};
