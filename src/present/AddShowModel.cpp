#include "AddShowModel.h"

#include "model/EnumRaw.h"

#include <QDateTime>
#include <QLocale>
#include <QPointer>

#include <algorithm>

namespace {

const QChar kOpenQuote(0x201C);
const QChar kCloseQuote(0x201D);

int qualityRank(const QString& label) {
    static const QStringList order{QStringLiteral("4K"), QStringLiteral("1080p"),
                                   QStringLiteral("720p"), QStringLiteral("480p")};
    const qsizetype at = order.indexOf(label);
    return at < 0 ? int(order.size()) : int(at);
}

// A movie match as the panels list matches.
SeriesResult listed(const MovieResult& movie) {
    return {movie.id, movie.title, movie.year, movie.overview, movie.posterPath};
}

} // namespace

AddShowModel::AddShowModel(const Watchlist& watchlist, Kind kind, QObject* parent)
    : QObject(parent)
    , m_watchlist(watchlist)
    , m_kind(kind)
    , m_quality(watchlist.state.settings().defaultQuality)
    , m_sort(kind == Kind::movie ? SortField::seeders : SortField::date) {}

AddShowModel::~AddShowModel() = default;

// ---- the form -----------------------------------------------------------------------------------

void AddShowModel::setName(const QString& name) {
    if (name == m_name)
        return;
    const bool sameSeries = comparable(name) == comparable(m_name);
    m_name = name;
    // A different name is a different question: what was confirmed for the old one goes.
    if (!sameSeries && (m_resolvedShow || m_lookedUp || m_isSearching))
        resetLookup();
    Q_EMIT formChanged();
}

void AddShowModel::resetLookup() {
    const bool hadList = m_mode != ResultsMode::none;
    m_searchToken = QUuid();
    m_isSearching = false;
    m_resolvedShow.reset();
    m_showMatches.clear();
    m_resolvedMovie.reset();
    m_movieMatches.clear();
    m_lookedUp = false;
    m_lookupFailure = LookupFailure::none;
    m_results.clear();
    m_didSearch = false;
    m_indexesUnreachable = false;
    m_picked.clear();
    m_seasonView.reset();
    m_fellBack = false;
    m_resolvedAlias.reset();
    m_matchesShownAt.reset();
    m_mode = ResultsMode::none;
    if (hadList)
        Q_EMIT resultsChanged();
}

void AddShowModel::setQuality(Show::Quality quality) {
    if (quality == m_quality)
        return;
    m_quality = quality;
    Q_EMIT formChanged();
    // The list shows releases at the wanted resolution: ask again for the new one.
    if (m_resolvedShow && m_didSearch && !m_anyQuality)
        searchReleases();
}

void AddShowModel::setStartWithLatest(bool on) {
    if (on == m_startWithLatest)
        return;
    m_startWithLatest = on;
    Q_EMIT formChanged();
}

void AddShowModel::setAnyQuality(bool on) {
    if (on == m_anyQuality)
        return;
    m_anyQuality = on;
    Q_EMIT formChanged();
}

void AddShowModel::setFallbackAnyQuality(bool on) {
    if (on == m_fallbackAnyQuality)
        return;
    m_fallbackAnyQuality = on;
    Q_EMIT formChanged();
}

void AddShowModel::setSeasonText(const QString& text) {
    if (text == m_seasonText)
        return;
    m_seasonText = text;
    Q_EMIT formChanged();
}

void AddShowModel::setPullEntireSeason(bool on) {
    if (on == m_pullEntireSeason)
        return;
    m_pullEntireSeason = on;
    Q_EMIT formChanged();
}

void AddShowModel::setShowAdvanced(bool on) {
    if (on == m_showAdvanced)
        return;
    m_showAdvanced = on;
    Q_EMIT formChanged();
}

void AddShowModel::setPickPlan(PickPlan plan) {
    if (plan == m_pickPlan)
        return;
    m_pickPlan = plan;
    Q_EMIT formChanged();
}

// ---- lookup
// ---------------------------------------------------------------------------------------

QUuid AddShowModel::beginSearch() {
    m_searchToken = QUuid::createUuid();
    m_isSearching = true;
    return m_searchToken;
}

void AddShowModel::find() {
    const QString typed = m_name.trimmed();
    if (typed.isEmpty() || m_closed)
        return;
    resetLookup();
    const QUuid token = beginSearch();
    Q_EMIT formChanged();
    runLookup(typed, token);
}

QCoro::Task<> AddShowModel::runLookup(QString typed, QUuid token) {
    QPointer<AddShowModel> self(this);
    QList<SeriesResult> matches;
    QList<MovieResult> movies;
    LookupFailure failure = LookupFailure::none;
    if (m_kind == Kind::movie) {
        const auto answer = co_await m_watchlist.catalogue.searchMovies(typed);
        movies = answer.value;
        failure = answer.failure;
        for (const MovieResult& movie : movies)
            matches.append(listed(movie));
    } else {
        const auto answer = co_await m_watchlist.catalogue.searchSeries(typed);
        matches = answer.value;
        failure = answer.failure;
    }
    if (!self || m_searchToken != token)
        co_return; // a newer lookup, a new name or a closed panel
    m_isSearching = false;
    m_lookedUp = true;
    m_showMatches = matches;
    m_movieMatches = movies;
    m_lookupFailure = failure;
    m_matchesShownAt = m_watchlist.state.now();
    m_mode = ResultsMode::shows;
    Q_EMIT resultsChanged();
    Q_EMIT formChanged();
}

bool AddShowModel::pickMatch(int index) {
    if (m_mode != ResultsMode::shows || index < 0 || index >= m_showMatches.size() ||
        !m_matchesShownAt)
        return false;
    // A click meant for what was there before the matches came in.
    if (m_watchlist.state.now() - *m_matchesShownAt < kPickArmingDelay)
        return false;
    m_resolvedShow = m_showMatches[index];
    if (m_kind == Kind::movie)
        m_resolvedMovie = m_movieMatches.value(index);
    Q_EMIT formChanged();
    searchReleases();
    return true;
}

// ---- release search
// -------------------------------------------------------------------------------

void AddShowModel::searchReleases() {
    if (m_closed)
        return;
    const QString typed = m_name.trimmed();
    const QString official = m_resolvedShow ? m_resolvedShow->name : typed;
    if (official.isEmpty())
        return;
    const QUuid token = beginSearch();
    m_results.clear();
    m_picked.clear();
    m_fellBack = false;
    m_resolvedAlias.reset();
    m_indexesUnreachable = false;
    Q_EMIT resultsChanged();
    Q_EMIT formChanged();
    runReleaseSearch(official, typed,
                     m_anyQuality ? std::nullopt : std::optional<Show::Quality>(m_quality), token);
}

QCoro::Task<> AddShowModel::runReleaseSearch(QString official, QString typed,
                                             std::optional<Show::Quality> quality, QUuid token) {
    QPointer<AddShowModel> self(this);
    ReleaseFinder::Releases found = co_await askReleases(official, quality);
    if (!self || m_searchToken != token)
        co_return;
    bool fellBack = false;
    // Nobody answered: asking again under another name would not reach anyone either.
    if (found.results.isEmpty() && !found.indexesUnreachable && !typed.isEmpty() &&
        comparable(typed) != comparable(official)) {
        ReleaseFinder::Releases again = co_await askReleases(typed, quality);
        if (!self || m_searchToken != token)
            co_return;
        if (!again.results.isEmpty()) {
            found = std::move(again);
            fellBack = true;
        }
    }
    m_isSearching = false;
    m_results = found.results;
    m_indexesUnreachable = found.results.isEmpty() && found.indexesUnreachable;
    m_fellBack = fellBack;
    m_resolvedAlias = fellBack ? std::optional<QString>(typed) : std::nullopt;
    m_didSearch = true;
    m_seasonView.reset();
    m_mode = ResultsMode::releases;
    Q_EMIT resultsChanged();
    Q_EMIT formChanged();
}

QCoro::Task<ReleaseFinder::Releases>
AddShowModel::askReleases(QString name, std::optional<Show::Quality> quality) {
    if (m_kind == Kind::movie)
        co_return co_await m_watchlist.releases.movieReleases(std::move(name), quality);
    co_return co_await m_watchlist.releases.seriesReleases(std::move(name), quality);
}

void AddShowModel::togglePick(const QString& releaseID) {
    QStringList untickedToo;
    if (m_picked.contains(releaseID)) {
        m_picked.remove(releaseID);
    } else {
        // A movie is fetched once: picking another release replaces the first.
        if (m_kind == Kind::movie) {
            untickedToo = QStringList(m_picked.cbegin(), m_picked.cend());
            m_picked.clear();
        }
        m_picked.insert(releaseID);
    }
    for (const QString& id : untickedToo)
        Q_EMIT pickToggled(id);
    Q_EMIT pickToggled(releaseID);
    Q_EMIT formChanged();
}

void AddShowModel::setSort(SortField sort) {
    if (sort == m_sort)
        return;
    m_sort = sort;
    Q_EMIT resultsChanged();
}

void AddShowModel::setSeasonView(std::optional<int> season) {
    if (season == m_seasonView)
        return;
    m_seasonView = season;
    Q_EMIT resultsChanged();
}

QList<SearchResult> AddShowModel::sorted(QList<SearchResult> results, SortField sort) {
    const auto by = [&](auto key) {
        std::stable_sort(
            results.begin(), results.end(),
            [&](const SearchResult& a, const SearchResult& b) { return key(a) < key(b); });
    };
    switch (sort) {
    case SortField::date:
        // Newest first; undated ones count as the most distant past.
        std::stable_sort(results.begin(), results.end(),
                         [](const SearchResult& a, const SearchResult& b) {
                             return a.date.value_or(Timestamp::distantPast()) >
                                    b.date.value_or(Timestamp::distantPast());
                         });
        break;
    case SortField::quality:
        by([](const SearchResult& r) { return qualityRank(r.quality); });
        break;
    case SortField::seeders:
        by([](const SearchResult& r) { return -qint64(r.seeders); });
        break;
    case SortField::size:
        by([](const SearchResult& r) { return r.sizeBytes; });
        break;
    }
    return results;
}

QList<SearchResult> AddShowModel::listedResults() const {
    QList<SearchResult> listed;
    for (const SearchResult& r : m_results) {
        if (!m_seasonView || r.season == m_seasonView)
            listed.append(r);
    }
    return sorted(std::move(listed), m_sort);
}

QList<int> AddShowModel::seasonsOffered() const {
    QList<int> seasons;
    if (m_kind == Kind::movie)
        return seasons;
    for (const SearchResult& r : m_results) {
        if (r.season && !seasons.contains(*r.season))
            seasons.append(*r.season);
    }
    std::sort(seasons.begin(), seasons.end());
    return seasons;
}

// ---- commit
// ---------------------------------------------------------------------------------------

std::optional<int> AddShowModel::parsedSeason(const QString& text) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(n) : std::nullopt;
}

bool AddShowModel::canCommit() const {
    if (m_name.trimmed().isEmpty())
        return false;
    if (m_kind == Kind::movie)
        return true;
    return !m_pullEntireSeason || parsedSeason(m_seasonText).has_value();
}

WatchlistOperations::NewShow AddShowModel::newShow() const {
    WatchlistOperations::NewShow form;
    form.name = m_name;
    form.match = m_resolvedShow;
    form.searchAlias = m_fellBack ? m_resolvedAlias : std::nullopt;
    form.quality = m_quality;
    form.anyQuality = m_anyQuality;
    form.fallbackAnyQuality = m_fallbackAnyQuality;
    form.startWithLatest = m_startWithLatest;
    form.seasonText = m_seasonText;
    form.pullEntireSeason = m_pullEntireSeason;
    return form;
}

QUuid AddShowModel::commit() {
    if (!canCommit() || m_closed)
        return {};
    // Ticked releases in the order the list shows them, including ones a filter hides.
    QList<SearchResult> picked;
    for (const SearchResult& r : sorted(m_results, m_sort)) {
        if (m_picked.contains(r.id))
            picked.append(r);
    }
    QUuid id;
    if (m_kind == Kind::movie)
        id = m_watchlist.operations.addMovie(
            m_name, m_resolvedMovie, m_quality, m_startWithLatest, m_anyQuality,
            picked.isEmpty() ? std::nullopt : std::optional<SearchResult>(picked.first()),
            m_fellBack ? m_resolvedAlias : std::nullopt);
    else
        id = m_watchlist.operations.addShow(newShow(), picked, m_pickPlan);
    if (!id.isNull())
        close();
    return id;
}

QUuid AddShowModel::addAsTyped() {
    if (!offersAddAsTyped())
        return {};
    m_resolvedShow.reset();
    m_resolvedMovie.reset();
    return commit();
}

void AddShowModel::primary() {
    if (m_resolvedShow)
        commit();
    else if (!m_isSearching)
        find();
}

void AddShowModel::close() {
    if (m_closed)
        return;
    m_closed = true;
    m_searchToken = QUuid(); // whatever is in flight no longer publishes
    m_isSearching = false;
    Q_EMIT closeRequested();
}

// ---- texts
// ----------------------------------------------------------------------------------------

QString AddShowModel::noun() const {
    return m_kind == Kind::movie ? QStringLiteral("movie") : QStringLiteral("series");
}

QString AddShowModel::primaryLabel() const {
    if (!m_resolvedShow)
        return m_isSearching ? QStringLiteral("Finding %1…").arg(noun())
                             : QStringLiteral("Find %1").arg(noun());
    if (m_kind == Kind::movie)
        return QStringLiteral("Add to List");
    if (!m_picked.isEmpty())
        return planCommitLabel(m_pickPlan);
    // Only a pull says "Pull": a typed season without it just limits what is followed.
    if (const auto season = parsedSeason(m_seasonText); season && m_pullEntireSeason) {
        QString label = QStringLiteral("Pull Season %1").arg(*season);
        if (m_startWithLatest)
            label += QStringLiteral(", and subscribe");
        return label;
    }
    // Following new episodes puts the series on the schedule; otherwise it is only kept.
    return m_startWithLatest ? QStringLiteral("Add to your schedule")
                             : QStringLiteral("Add to watchlist");
}

bool AddShowModel::offersAddAsTyped() const {
    if (m_name.trimmed().isEmpty() || m_isSearching || !m_lookedUp || m_resolvedShow)
        return false;
    return m_showMatches.isEmpty();
}

QString AddShowModel::formNotice() const {
    if (!m_lookedUp || m_resolvedShow || !m_showMatches.isEmpty())
        return {};
    switch (m_lookupFailure) {
    case LookupFailure::none:
        return QStringLiteral("TMDB has no match for ") + kOpenQuote + m_name.trimmed() +
               kCloseQuote;
    case LookupFailure::noKey:
        return QStringLiteral("No TMDB API key is set — add one in Settings.");
    case LookupFailure::refusedKey:
        return QStringLiteral("TMDB refused the API key — check the TMDB key in Settings.");
    case LookupFailure::unreachable:
        return QStringLiteral("Could not reach TMDB — check the connection.");
    case LookupFailure::badAnswer:
        return QStringLiteral("TMDB sent an answer that could not be read — try again shortly.");
    }
    return {};
}

QString AddShowModel::busyText() const {
    if (!m_isSearching)
        return {};
    return m_resolvedShow || m_mode == ResultsMode::releases
               ? QStringLiteral("Searching releases…")
               : QStringLiteral("Finding %1…").arg(noun());
}

QString AddShowModel::resultsHeading() const {
    switch (m_mode) {
    case ResultsMode::none:
        return {};
    case ResultsMode::shows:
        return QStringLiteral("Which %1?").arg(noun());
    case ResultsMode::releases:
        return headerCounts();
    }
    return {};
}

QString AddShowModel::headerCounts() const {
    if (m_kind == Kind::movie) {
        const qsizetype n = listedResults().size();
        QString counts = QStringLiteral("%1 release%2").arg(n).arg(n == 1 ? "" : "s");
        if (!m_picked.isEmpty())
            counts += QStringLiteral(" · 1 selected");
        return counts;
    }
    return QStringLiteral("%1 releases · %2 selected")
        .arg(listedResults().size())
        .arg(m_picked.size());
}

QString AddShowModel::fallbackNotice() const {
    if (!m_fellBack || !m_resolvedAlias)
        return {};
    const QString which = m_kind == Kind::movie ? QStringLiteral("exact") : QStringLiteral("official");
    return QStringLiteral("No results for the %1 title — showing results for ").arg(which) +
           kOpenQuote +
           *m_resolvedAlias + kCloseQuote;
}

QString AddShowModel::emptyTitle() const {
    if (m_isSearching)
        return {};
    if (m_mode == ResultsMode::shows && m_showMatches.isEmpty()) {
        switch (m_lookupFailure) {
        case LookupFailure::none:
            return m_kind == Kind::movie ? QStringLiteral("No films found on TMDB")
                                         : QStringLiteral("No series found on TMDB");
        case LookupFailure::noKey:
            return QStringLiteral("No TMDB API key");
        case LookupFailure::refusedKey:
            return QStringLiteral("TMDB refused the API key");
        case LookupFailure::unreachable:
            return QStringLiteral("Could not reach TMDB");
        case LookupFailure::badAnswer:
            return QStringLiteral("TMDB's answer could not be read");
        }
    }
    if (m_mode == ResultsMode::releases && m_didSearch && listedResults().isEmpty()) {
        if (m_indexesUnreachable)
            return QStringLiteral("Could not reach the torrent indexes");
        return QStringLiteral("No releases found");
    }
    return {};
}

QString AddShowModel::emptyNote() const {
    if (emptyTitle().isEmpty())
        return {};
    if (m_mode == ResultsMode::releases) {
        if (m_indexesUnreachable)
            return QStringLiteral("None of them answered. Check the connection and search again, "
                                  "or add the %1 without picking releases.")
                .arg(noun());
        return m_kind == Kind::movie ? QStringLiteral("Try a different quality.")
                                     : QStringLiteral("Try a different quality or season.");
    }
    switch (m_lookupFailure) {
    case LookupFailure::none:
        return {};
    case LookupFailure::noKey:
    case LookupFailure::refusedKey:
        return QStringLiteral("Check the TMDB key in Settings, or add the %1 as typed.").arg(noun());
    case LookupFailure::unreachable:
        return QStringLiteral("Check the connection, or add the %1 as typed.").arg(noun());
    case LookupFailure::badAnswer:
        return QStringLiteral("Try again in a moment, or add the %1 as typed.").arg(noun());
    }
    return {};
}

QString AddShowModel::retryLabel() const {
    return m_mode == ResultsMode::releases && m_indexesUnreachable && !m_isSearching
               ? QStringLiteral("Search again")
               : QString();
}

QString AddShowModel::qualityNote() const {
    return QStringLiteral("If there's no ") + toRaw(m_quality) +
           QStringLiteral(" release, grab the best other one automatically. Off = ask me first.");
}

QString AddShowModel::pullTitle() const {
    if (const auto season = parsedSeason(m_seasonText))
        return QStringLiteral("Pull all of Season %1").arg(*season);
    return QStringLiteral("Pull entire series");
}

QString AddShowModel::pullNote() const {
    if (const auto season = parsedSeason(m_seasonText))
        return QStringLiteral("Grabs all of Season %1 — every aired episode, one by one.")
            .arg(*season);
    return QStringLiteral(
        "Type a season number to pull — or turn the switch off to just follow the series.");
}

QList<AddShowModel::SortField> AddShowModel::sortFields() const {
    if (m_kind == Kind::movie)
        return {SortField::seeders, SortField::date, SortField::quality, SortField::size};
    return {SortField::date, SortField::quality, SortField::seeders, SortField::size};
}

QString AddShowModel::sortLabel(SortField sort) {
    switch (sort) {
    case SortField::date:
        return QStringLiteral("Date");
    case SortField::quality:
        return QStringLiteral("Quality");
    case SortField::seeders:
        return QStringLiteral("Seeders");
    case SortField::size:
        return QStringLiteral("Size");
    }
    return {};
}

QString AddShowModel::seasonLabel(std::optional<int> season) {
    return season ? QStringLiteral("Season %1").arg(*season) : QStringLiteral("All seasons");
}

QString AddShowModel::planTitle(PickPlan plan) {
    switch (plan) {
    case PickPlan::continueForward:
        return QStringLiteral("Continue from here");
    case PickPlan::onlyThis:
        return QStringLiteral("Just this");
    case PickPlan::thisThenLatest:
        return QStringLiteral("This, then newest");
    }
    return {};
}

QString AddShowModel::planDescription(PickPlan plan) {
    switch (plan) {
    case PickPlan::continueForward:
        return QStringLiteral("Grab this and every episode after it");
    case PickPlan::onlyThis:
        return QStringLiteral("Only what you picked — nothing ongoing");
    case PickPlan::thisThenLatest:
        return QStringLiteral("Grab this, then follow new episodes as they air");
    }
    return {};
}

QString AddShowModel::planCommitLabel(PickPlan plan) {
    switch (plan) {
    case PickPlan::continueForward:
        return QStringLiteral("Grab & continue from here");
    case PickPlan::onlyThis:
        return QStringLiteral("Grab just this");
    case PickPlan::thisThenLatest:
        return QStringLiteral("Grab & follow newest");
    }
    return {};
}

QString AddShowModel::releaseDetail(const SearchResult& result) {
    const QLocale c = QLocale::c();
    QStringList parts;
    parts.append(result.quality);
    if (result.sizeBytes > 0)
        parts.append(c.formattedDataSize(result.sizeBytes, 1, QLocale::DataSizeTraditionalFormat));
    parts.append(result.seeders == 1 ? QStringLiteral("1 seeder")
                                     : QStringLiteral("%1 seeders").arg(result.seeders));
    if (result.date)
        parts.append(
            c.toString(result.date->toDateTime().toUTC().date(), QStringLiteral("d MMM yyyy")));
    if (!result.source.isEmpty())
        parts.append(result.source);
    return parts.join(QStringLiteral(" · "));
}

QString AddShowModel::matchTitle(const SeriesResult& match) {
    if (!match.firstAirYear || match.firstAirYear->isEmpty())
        return match.name;
    return match.name + QStringLiteral(" (") + *match.firstAirYear + u')';
}

QString AddShowModel::comparable(const QString& text) {
    QString out;
    for (const QChar c : text.toLower()) {
        if (c.isLetterOrNumber())
            out.append(c);
    }
    return out;
}
