#include "EpisodeDrawerModel.h"

#include <QPointer>

#include <algorithm>

using namespace EpisodeDrawerTexts;

namespace {

constexpr int kSnoozeDays = 7;

} // namespace

EpisodeDrawerModel::EpisodeDrawerModel(const Watchlist& watchlist, QObject* parent)
    : QObject(parent)
    , m_watchlist(watchlist) {
    // The rows read the published state on demand; its changes only need a fresh look.
    const PublishedState* store = &m_watchlist.state;
    connect(store, &PublishedState::showsChanged, this, &EpisodeDrawerModel::publish);
    connect(store, &PublishedState::historyChanged, this, &EpisodeDrawerModel::publish);
    connect(store, &PublishedState::settingsChanged, this, &EpisodeDrawerModel::publish);
    connect(store, &PublishedState::episodeSearchFinished, this,
            &EpisodeDrawerModel::onSearchFinished);
}

EpisodeDrawerModel::~EpisodeDrawerModel() = default;

const Show* EpisodeDrawerModel::show() const {
    const auto& shows = m_watchlist.state.shows();
    const auto it =
        std::find_if(shows.cbegin(), shows.cend(), [&](const Show& s) { return s.id == m_showID; });
    return it == shows.cend() ? nullptr : &*it;
}

QString EpisodeDrawerModel::showName() const {
    const Show* s = show();
    return s ? s->name : m_name;
}

// --- opening -----------------------------------------------------------------------------------

void EpisodeDrawerModel::open(const QUuid& showID) {
    m_showID = showID;
    m_name = showName();
    m_candidates.clear();
    m_seasons.clear();
    m_selectedSeason = 0;
    m_episodes.clear();
    m_episodesFailure = LookupFailure::none;
    m_loadingEpisodes = false;
    ++m_episodeLoadToken;
    m_switchTargetID.reset();
    m_alternates.clear();
    m_loadingAlternates = false;
    ++m_alternatesToken;
    m_grabbingEps.clear();
    m_altOfferEp.reset();
    m_epAlternates.clear();
    m_noReleaseEps.clear();
    m_unreachableEps.clear();
    // A download that needs the user is the reason to look; otherwise the episode list.
    m_tab = m_watchlist.state.hasFlaggedDownload(showID) ? Tab::recent : Tab::episodes;
    // A resolution choice the store holds for this series is the offer of its episode.
    if (const auto pick = m_watchlist.state.pendingQualityPicks().constFind(showID);
        pick != m_watchlist.state.pendingQualityPicks().cend() && !pick->alternates.isEmpty())
        m_epAlternates.insert(pick->episodeCode, pick->alternates);
    begin();
}

void EpisodeDrawerModel::begin() {
    const quint64 token = ++m_openToken;
    m_failure = LookupFailure::none;
    const Show* s = show();
    if (!m_watchlist.catalogue.hasKey()) {
        m_phase = Phase::noKey;
    } else if (!s) {
        m_phase = Phase::notFound;
    } else if (s->tmdbID) {
        m_phase = Phase::loading;
        seasonsTask(token, *s->tmdbID);
    } else {
        m_phase = Phase::loading;
        searchTask(token);
    }
    publish();
}

void EpisodeDrawerModel::retry() {
    if (m_phase != Phase::failed)
        return;
    const Show* s = show();
    if (m_failedStep == Step::seasons && s && s->tmdbID) {
        const quint64 token = ++m_openToken;
        m_phase = Phase::loading;
        publish();
        seasonsTask(token, *s->tmdbID);
        return;
    }
    begin();
}

void EpisodeDrawerModel::fail(LookupFailure failure, Step step) {
    m_phase = failure == LookupFailure::noKey ? Phase::noKey : Phase::failed;
    m_failure = failure;
    m_failedStep = step;
}

QCoro::Task<> EpisodeDrawerModel::searchTask(quint64 openToken) {
    QPointer<EpisodeDrawerModel> self(this);
    try {
        const auto found = co_await m_watchlist.catalogue.searchSeries(showName());
        if (!self || openToken != m_openToken)
            co_return;
        if (found.failure != LookupFailure::none) {
            fail(found.failure, Step::search);
        } else if (found.value.isEmpty()) {
            m_phase = Phase::notFound;
        } else if (found.value.size() == 1 ||
                   found.value.first().name.compare(showName(), Qt::CaseInsensitive) == 0) {
            link(found.value.first());
            co_return;
        } else {
            m_candidates = found.value;
            m_phase = Phase::needsPick;
        }
        publish();
    } catch (...) {
        // Never leave an exception to the event loop; the drawer stays where it was.
    }
}

void EpisodeDrawerModel::pickCandidate(int index) {
    if (m_phase != Phase::needsPick || index < 0 || index >= m_candidates.size())
        return;
    link(m_candidates.at(index));
}

void EpisodeDrawerModel::link(const SeriesResult& match) {
    m_watchlist.operations.linkTMDBMatch(m_showID, match);
    m_candidates.clear();
    const quint64 token = ++m_openToken;
    m_phase = Phase::loading;
    publish();
    seasonsTask(token, match.id);
}

QCoro::Task<> EpisodeDrawerModel::seasonsTask(quint64 openToken, int tmdbID) {
    QPointer<EpisodeDrawerModel> self(this);
    try {
        const auto found = co_await m_watchlist.catalogue.seriesSeasons(tmdbID);
        if (!self || openToken != m_openToken)
            co_return;
        if (found.failure != LookupFailure::none) {
            fail(found.failure, Step::seasons);
            publish();
            co_return;
        }
        if (!found.value || found.value->seasons.isEmpty()) {
            m_phase = Phase::notFound;
            publish();
            co_return;
        }
        m_seasons = found.value->seasons;
        m_phase = Phase::ready;
        loadSeason(m_seasons.last());
    } catch (...) {
    }
}

// --- seasons -----------------------------------------------------------------------------------

void EpisodeDrawerModel::selectSeason(int season) {
    if (m_phase != Phase::ready || !m_seasons.contains(season))
        return;
    loadSeason(season);
}

void EpisodeDrawerModel::loadSeason(int season) {
    m_selectedSeason = season;
    m_episodes.clear();
    m_episodesFailure = LookupFailure::none;
    m_altOfferEp.reset();
    const Show* s = show();
    if (!s || !s->tmdbID) {
        m_loadingEpisodes = false;
        publish();
        return;
    }
    const quint64 token = ++m_episodeLoadToken;
    m_loadingEpisodes = true;
    publish();
    episodesTask(token, *s->tmdbID, season);
}

QCoro::Task<> EpisodeDrawerModel::episodesTask(quint64 seasonToken, int tmdbID, int season) {
    QPointer<EpisodeDrawerModel> self(this);
    try {
        const auto found = co_await m_watchlist.catalogue.seasonEpisodes(tmdbID, season);
        // A quicker switch to another season wins.
        if (!self || seasonToken != m_episodeLoadToken)
            co_return;
        m_episodes = found.value;
        m_episodesFailure = found.failure;
        m_loadingEpisodes = false;
        publish();
    } catch (...) {
    }
}

QString EpisodeDrawerModel::seasonLabel(int season) {
    return QStringLiteral("Season %1").arg(season);
}

QString EpisodeDrawerModel::episodesNote() const {
    if (m_loadingEpisodes)
        return QStringLiteral("Loading season %1").arg(m_selectedSeason);
    if (m_episodesFailure != LookupFailure::none)
        return tmdbFailureText(m_episodesFailure);
    if (m_episodes.isEmpty())
        return QStringLiteral("No episodes listed for this season.");
    return {};
}

// --- episode rows ------------------------------------------------------------------------------

bool EpisodeDrawerModel::inProgress(const QString& code) const {
    const auto& downloads = m_watchlist.state.activeDownloads();
    return std::any_of(downloads.cbegin(), downloads.cend(), [&](const ActiveDownload& d) {
        return d.kind == ActiveDownload::Kind::episode && d.showID == m_showID &&
               d.episodeCode == code;
    });
}

QList<EpisodeDrawerModel::EpisodeRow> EpisodeDrawerModel::episodeRows() const {
    QList<EpisodeRow> rows;
    if (m_loadingEpisodes)
        return rows;
    const Show* s = show();
    const Timestamp now = m_watchlist.state.now();
    for (const Episode& e : m_episodes) {
        EpisodeRow row;
        row.code = e.id();
        row.name = e.name;
        row.dateText = airDateText(e.airDate, now);
        RowFacts facts;
        facts.downloaded = s && s->hasDownloaded(row.code, e.airDate);
        facts.grabbing = m_grabbingEps.contains(row.code) || inProgress(row.code);
        if (const auto offered = m_epAlternates.constFind(row.code);
            offered != m_epAlternates.cend() && !offered->isEmpty())
            facts.offeredQuality = offered->first().quality;
        facts.indexesUnreachable = m_unreachableEps.contains(row.code);
        facts.noRelease = m_noReleaseEps.contains(row.code);
        facts.upcoming = !e.airDate || *e.airDate > now;
        row.state = rowState(facts);
        row.label = rowLabel(row.state);
        row.tooltip = rowTooltip(row.state, facts.offeredQuality.value_or(QString()));
        row.pressable = rowPressable(row.state);
        row.tone = rowTone(row.state);
        rows.append(row);
    }
    return rows;
}

void EpisodeDrawerModel::pressEpisode(const QString& code) {
    const QList<EpisodeRow> rows = episodeRows();
    const auto row = std::find_if(rows.cbegin(), rows.cend(),
                                  [&](const EpisodeRow& r) { return r.code == code; });
    if (row == rows.cend() || !row->pressable)
        return;
    if (row->state == RowState::chooseCopy) {
        m_altOfferEp = code;
        publish();
        return;
    }
    m_noReleaseEps.remove(code);
    m_unreachableEps.remove(code);
    m_grabbingEps.insert(code);
    publish();
    grabTask(code);
}

QCoro::Task<> EpisodeDrawerModel::grabTask(QString code) {
    try {
        // The outcome comes back through the store's signal, also when the drawer reopened.
        QStringList codes; // (built apart: GCC 12 rejects a braced list inside co_await)
        codes.append(code);
        co_await m_watchlist.operations.grabEpisodes(m_showID, codes);
    } catch (...) {
    }
}

void EpisodeDrawerModel::onSearchFinished(const QUuid& showID, const QString& code,
                                          WatchlistOperations::EpisodeOutcome outcome) {
    if (showID != m_showID)
        return;
    m_grabbingEps.remove(code);
    if (outcome == WatchlistOperations::EpisodeOutcome::offered) {
        const auto pick = m_watchlist.state.pendingQualityPicks().constFind(showID);
        if (pick != m_watchlist.state.pendingQualityPicks().cend() && pick->episodeCode == code &&
            !pick->alternates.isEmpty()) {
            m_epAlternates.insert(code, pick->alternates);
            m_altOfferEp = code;
        }
    } else if (outcome == WatchlistOperations::EpisodeOutcome::notFound) {
        m_noReleaseEps.insert(code);
    } else if (outcome == WatchlistOperations::EpisodeOutcome::indexesUnreachable) {
        m_unreachableEps.insert(code);
    }
    publish();
}

QString EpisodeDrawerModel::offerHeading() {
    return QStringLiteral("Other qualities are available — pick one to grab:");
}

QList<EpisodeDrawerModel::ReleaseRow> EpisodeDrawerModel::offerRows() const {
    QList<ReleaseRow> rows;
    if (!m_altOfferEp)
        return rows;
    for (const SearchResult& r : m_epAlternates.value(*m_altOfferEp)) {
        rows.append({r.quality + QStringLiteral(" release for ") + *m_altOfferEp,
                     seedersAndSize(r.seeders, r.sizeBytes)});
    }
    return rows;
}

void EpisodeDrawerModel::chooseOffered(int index) {
    if (!m_altOfferEp)
        return;
    const QString code = *m_altOfferEp;
    const QList<SearchResult> offered = m_epAlternates.value(code);
    if (index < 0 || index >= offered.size())
        return;
    m_altOfferEp.reset();
    m_epAlternates.remove(code);
    m_watchlist.operations.grabEpisodeRelease(m_showID, code, offered.at(index));
    publish();
}

void EpisodeDrawerModel::closeOffer() {
    m_altOfferEp.reset();
    publish();
}

// --- completing the season ---------------------------------------------------------------------

int EpisodeDrawerModel::missingInSeason() const {
    const Show* s = show();
    if (!s || m_loadingEpisodes)
        return 0;
    const Timestamp now = m_watchlist.state.now();
    return static_cast<int>(
        std::count_if(m_episodes.cbegin(), m_episodes.cend(), [&](const Episode& e) {
            if (!e.airDate || *e.airDate > now)
                return false;
            const QString code = e.id();
            return !s->hasDownloaded(code, e.airDate) && !inProgress(code);
        }));
}

QString EpisodeDrawerModel::completeSeasonTooltip() const {
    return EpisodeDrawerTexts::completeSeasonTooltip(m_selectedSeason, missingInSeason());
}

void EpisodeDrawerModel::completeSeason() {
    if (!completeSeasonEnabled())
        return;
    [](WatchlistOperations& operations, QUuid id, int season) -> QCoro::Task<> {
        try {
            co_await operations.completeSeason(id, season);
        } catch (...) {
        }
    }(m_watchlist.operations, m_showID, m_selectedSeason);
}

// --- the Recent tab ----------------------------------------------------------------------------

void EpisodeDrawerModel::setTab(Tab tab) {
    if (m_tab == tab)
        return;
    m_tab = tab;
    publish();
}

QString EpisodeDrawerModel::tabLabel(Tab tab) {
    return tab == Tab::recent ? QStringLiteral("Recent") : QStringLiteral("Episodes");
}

QString EpisodeDrawerModel::recentEmptyText() {
    return QStringLiteral("Nothing downloaded yet. The Recent list keeps a record of every "
                          "episode the app fetches — even after you move or delete the files.");
}

QList<EpisodeDrawerModel::RecentRow> EpisodeDrawerModel::recentRows() const {
    QList<RecentRow> rows;
    const Timestamp now = m_watchlist.state.now();
    const int days = m_watchlist.state.settings().staleNudgeDays;
    // The history is kept newest first; so is the list.
    for (const DownloadRecord& record : m_watchlist.state.historyRows(m_showID)) {
        RecentRow row{record.id,
                      record.episode,
                      record.title,
                      recentStateLine(record, now),
                      record.isStale(days, now),
                      record.state == DownloadRecord::State::error && !record.wasCancelled()};
        row.tone = recentTone(record, row.flagged, row.failed);
        rows.append(row);
    }
    return rows;
}

void EpisodeDrawerModel::findAlternates(const QString& recordID) {
    m_switchTargetID = recordID;
    m_alternates.clear();
    m_indexesUnreachable = false;
    m_loadingAlternates = true;
    const quint64 token = ++m_alternatesToken;
    publish();
    alternatesTask(token, recordID);
}

QCoro::Task<> EpisodeDrawerModel::alternatesTask(quint64 token, QString recordID) {
    QPointer<EpisodeDrawerModel> self(this);
    try {
        const ReleaseFinder::Releases found = co_await m_watchlist.releases.otherReleases(recordID);
        if (!self || token != m_alternatesToken)
            co_return;
        m_alternates = found.results;
        m_indexesUnreachable = found.indexesUnreachable;
        m_loadingAlternates = false;
        publish();
    } catch (...) {
    }
}

QString EpisodeDrawerModel::switchHeading() const {
    if (!m_switchTargetID)
        return {};
    const QList<DownloadRecord> rows = m_watchlist.state.historyRows(m_showID);
    const auto row = std::find_if(rows.cbegin(), rows.cend(), [&](const DownloadRecord& r) {
        return r.id == *m_switchTargetID;
    });
    return QStringLiteral("Switch Release — ") + (row == rows.cend() ? QString() : row->episode);
}

QString EpisodeDrawerModel::alternatesNote() const {
    if (!m_switchTargetID)
        return {};
    if (m_loadingAlternates)
        return QStringLiteral("Searching…");
    if (m_indexesUnreachable)
        return indexesUnreachableText();
    if (m_alternates.isEmpty())
        return QStringLiteral("No other releases found for this episode.");
    return {};
}

QList<EpisodeDrawerModel::ReleaseRow> EpisodeDrawerModel::alternateRows() const {
    QList<ReleaseRow> rows;
    if (m_loadingAlternates)
        return rows;
    for (const SearchResult& r : m_alternates) {
        QString detail = seedersAndSize(r.seeders, r.sizeBytes);
        if (!r.source.isEmpty())
            detail += QStringLiteral(" · ") + r.source;
        rows.append({r.title, detail});
    }
    return rows;
}

void EpisodeDrawerModel::chooseAlternate(int index) {
    if (!m_switchTargetID || m_loadingAlternates || index < 0 || index >= m_alternates.size())
        return;
    const QString hash = *m_switchTargetID;
    const SearchResult chosen = m_alternates.at(index);
    closeAlternates();
    m_watchlist.operations.switchRelease(hash, chosen);
}

void EpisodeDrawerModel::closeAlternates() {
    m_switchTargetID.reset();
    m_alternates.clear();
    m_loadingAlternates = false;
    ++m_alternatesToken;
    publish();
}

void EpisodeDrawerModel::removeRequest(const QString& recordID) {
    if (m_switchTargetID == recordID)
        closeAlternates();
    m_watchlist.operations.removeDownload(recordID);
}

void EpisodeDrawerModel::snoozeWeek(const QString& recordID) {
    m_watchlist.operations.snoozeStaleFor(recordID, kSnoozeDays);
}

// --- phase texts -------------------------------------------------------------------------------

QString EpisodeDrawerModel::phaseTitle() const {
    switch (m_phase) {
    case Phase::loading:
        return QStringLiteral("Loading episodes…");
    case Phase::noKey:
        return QStringLiteral("Episode list needs a TMDB key");
    case Phase::notFound:
        return QStringLiteral("Couldn’t find “") + showName() + QStringLiteral("” on TMDB.");
    case Phase::failed:
        return tmdbFailureText(m_failure);
    case Phase::needsPick:
    case Phase::ready:
        break;
    }
    return {};
}

EpisodeDrawerTexts::Tone EpisodeDrawerModel::phaseTone() const {
    return m_phase == Phase::failed ? Tone::attention : Tone::faint;
}

EpisodeDrawerTexts::Tone EpisodeDrawerModel::alternatesNoteTone() const {
    return m_loadingAlternates ? Tone::quiet : Tone::plain;
}

QString EpisodeDrawerModel::phaseDetail() const {
    if (m_phase == Phase::noKey)
        return QStringLiteral("Add a free API key in Settings to browse and pick episodes.");
    return {};
}

QString EpisodeDrawerModel::candidateLabel(const SeriesResult& candidate) {
    if (!candidate.firstAirYear || candidate.firstAirYear->isEmpty())
        return candidate.name;
    return candidate.name + QStringLiteral(" (") + *candidate.firstAirYear + QLatin1Char(')');
}
