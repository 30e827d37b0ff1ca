#pragma once

#include "model/CalEvent.h"
#include "model/Show.h"
#include "model/Timestamp.h"

#include <QList>
#include <QObject>
#include <QUuid>
#include <qcoro/qcorotask.h>

#include <functional>
#include <optional>

class Clock;
class StorageFiles;
class TMDBClient;

// The calendar: the current season of every followed series, episode by episode, marked as
// fetched, still to come or missed; published to the views and written as calendar.ics.
class CalendarKeeper final : public QObject {
    Q_OBJECT

public:
    static constexpr double kRefreshInterval = 300.0; // seconds between unforced rebuilds

    // `shows` is the store's list, read at each rebuild; `tmdbKey` gives the key in use.
    CalendarKeeper(TMDBClient& tmdb, const Clock& clock, const StorageFiles& files,
                   const QList<Show>& shows, std::function<QString()> tmdbKey,
                   QObject* parent = nullptr);

    const QList<CalEvent>& events() const { return m_events; }
    std::optional<Timestamp> lastRefresh() const { return m_lastRefresh; }

    // Rebuilds from TMDB; unforced calls within the interval of the last rebuild do nothing.
    QCoro::Task<> refresh(bool force);
    // Takes a series off the calendar at once (removed or unsubscribed).
    void removeSeries(const QUuid& showID);

Q_SIGNALS:
    void eventsChanged();

private:
    const Show* findShow(const QUuid& id) const;
    void publish();

    TMDBClient& m_tmdb;
    const Clock& m_clock;
    const StorageFiles& m_files;
    const QList<Show>& m_shows;
    std::function<QString()> m_tmdbKey;
    QList<CalEvent> m_events;
    std::optional<Timestamp> m_lastRefresh;
    quint64 m_build = 0; // the newest rebuild started; only it publishes
};
