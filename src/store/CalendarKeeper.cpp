#include "CalendarKeeper.h"

#include "metadata/TMDBClient.h"
#include "model/CalendarFeed.h"
#include "model/Clock.h"
#include "model/StorageFiles.h"

#include <QFileInfo>
#include <QPointer>

CalendarKeeper::CalendarKeeper(TMDBClient& tmdb, const Clock& clock, const StorageFiles& files,
                               const QList<Show>& shows, std::function<QString()> tmdbKey,
                               QObject* parent)
    : QObject(parent)
    , m_tmdb(tmdb)
    , m_clock(clock)
    , m_files(files)
    , m_shows(shows)
    , m_tmdbKey(std::move(tmdbKey)) {}

const Show* CalendarKeeper::findShow(const QUuid& id) const {
    for (const Show& show : m_shows) {
        if (show.id == id)
            return &show;
    }
    return nullptr;
}

QCoro::Task<> CalendarKeeper::refresh(bool force) {
    const Timestamp startedAt = m_clock.now();
    if (!force && m_lastRefresh) {
        // A clock set back must not hold the calendar still until it catches up again.
        const double elapsed = startedAt - *m_lastRefresh;
        if (elapsed >= 0 && elapsed < kRefreshInterval)
            co_return;
    }
    m_lastRefresh = startedAt;
    // Two rebuilds may overlap (start-up, then a new subscription); only the newest publishes,
    // so an older, slower one cannot put stale days back.
    const quint64 build = ++m_build;

    QList<std::pair<QUuid, int>> selected;
    for (const Show& show : m_shows) {
        if (show.isEnabled && show.tmdbID)
            selected.append({show.id, *show.tmdbID});
    }
    const QString key = m_tmdbKey();

    QPointer<CalendarKeeper> self(this);
    QList<CalEvent> events;
    for (const auto& [id, tmdbID] : std::as_const(selected)) {
        const auto info = co_await m_tmdb.seriesAirInfo(tmdbID, key);
        if (!self)
            co_return;
        if (!info || !info->currentSeason)
            continue;
        const auto episodes = co_await m_tmdb.seasonEpisodes(tmdbID, *info->currentSeason, key);
        if (!self)
            co_return;
        // Read the series after the wait: an episode may have landed meanwhile.
        const Show* show = findShow(id);
        if (!show)
            continue;
        const Timestamp at = m_clock.now();
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
    if (build != m_build)
        co_return;
    // A series removed or unsubscribed while TMDB answered has already left the calendar.
    events.removeIf([this](const CalEvent& event) {
        const Show* show = findShow(event.showID);
        return !show || !show->isEnabled;
    });
    m_events = std::move(events);
    publish();
}

void CalendarKeeper::removeSeries(const QUuid& showID) {
    if (m_events.removeIf([&](const CalEvent& e) { return e.showID == showID; }) > 0)
        publish();
}

void CalendarKeeper::publish() {
    Q_EMIT eventsChanged();
    // Like the other files, a failed write is tried again with the next change. An empty
    // calendar where there was none is no change: a first start writes only its settings.
    if (!m_events.isEmpty() || QFileInfo::exists(m_files.path(StorageFiles::kCalendar)))
        m_files.saveCalendar(CalendarFeed::render(m_events, m_clock.now()));
}
