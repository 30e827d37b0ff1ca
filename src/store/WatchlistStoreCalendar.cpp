// The calendar: the current season of every followed series, episode by episode, marked as
// fetched, still to come or missed.

#include "WatchlistStore.h"
#include "model/CalendarFeed.h"

#include <QFileInfo>

QCoro::Task<> WatchlistStore::refreshCalendar(bool force) {
    const Timestamp startedAt = now();
    if (!force && m_lastCalendarRefresh) {
        // A clock set back must not hold the calendar still until it catches up again.
        const double elapsed = startedAt - *m_lastCalendarRefresh;
        if (elapsed >= 0 && elapsed < kCalendarRefreshInterval)
            co_return;
    }
    m_lastCalendarRefresh = startedAt;
    // Two rebuilds may overlap (start-up, then a new subscription); only the newest publishes,
    // so an older, slower one cannot put stale days back.
    const quint64 build = ++m_calendarBuild;

    QList<std::pair<QUuid, int>> selected;
    for (const Show& show : std::as_const(m_shows)) {
        if (show.isEnabled && show.tmdbID)
            selected.append({show.id, *show.tmdbID});
    }
    const QString key = effectiveTMDBKey();

    QPointer<WatchlistStore> self(this);
    QList<CalEvent> events;
    for (const auto& [id, tmdbID] : std::as_const(selected)) {
        const auto info = co_await m_tmdb->seriesAirInfo(tmdbID, key);
        if (!self)
            co_return;
        if (!info || !info->currentSeason)
            continue;
        const auto episodes = co_await m_tmdb->seasonEpisodes(tmdbID, *info->currentSeason, key);
        if (!self)
            co_return;
        // Read the series after the wait: an episode may have landed meanwhile.
        const Show* show = findShow(id);
        if (!show)
            continue;
        const Timestamp at = now();
        for (const Episode& episode : episodes) {
            if (!episode.airDate)
                continue;
            const QString code = episode.id();
            CalEvent::EpisodeState state = CalEvent::EpisodeState::missing;
            if (show->hasDownloaded(code, episode.airDate))
                state = CalEvent::EpisodeState::gotIt;
            else if (*episode.airDate > at)
                state = CalEvent::EpisodeState::upcoming;
            events.append(CalEvent{QUuid::createUuid(), id, show->name, code,
                                   Show::airDayInLocalTime(*episode.airDate), state});
        }
    }
    if (build != m_calendarBuild)
        co_return;
    // A series removed or unsubscribed while TMDB answered has already left the calendar.
    events.removeIf([this](const CalEvent& event) {
        const Show* show = findShow(event.showID);
        return !show || !show->isEnabled;
    });
    m_calendarEvents = std::move(events);
    calendarChanged();
}

void WatchlistStore::removeCalendarEvents(const QUuid& showID) {
    if (m_calendarEvents.removeIf([&](const CalEvent& e) { return e.showID == showID; }) > 0)
        calendarChanged();
}

void WatchlistStore::calendarChanged() {
    Q_EMIT calendarEventsChanged();
    // Like the other files, a failed write is tried again with the next change. An empty
    // calendar where there was none is no change: a first start writes only its settings.
    if (!m_calendarEvents.isEmpty() || QFileInfo::exists(m_files.path(StorageFiles::kCalendar)))
        m_files.saveCalendar(CalendarFeed::render(m_calendarEvents, now()));
}
