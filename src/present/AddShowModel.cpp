#include "AddShowModel.h"

#include "AddShowText.h"

#include <QPointer>

AddShowModel::AddShowModel(const Watchlist& watchlist, Kind kind, QObject* parent)
    : QObject(parent)
    , m_watchlist(watchlist)
    , m_kind(kind)
    , m_releases(kind == Kind::movie) {
    m_form.quality = watchlist.state.settings().defaultQuality;
}

AddShowModel::~AddShowModel() = default;

// ---- the form -----------------------------------------------------------------------------------

template <typename T>
void AddShowModel::setField(T AddShowForm::*field, const T& value) {
    if (m_form.*field == value)
        return;
    m_form.*field = value;
    Q_EMIT formChanged();
}

void AddShowModel::setName(const QString& name) {
    if (name == m_form.name)
        return;
    const bool sameSeries = MatchLookup::comparable(name) == MatchLookup::comparable(m_form.name);
    m_form.name = name;
    // A different name is a different question: what was confirmed for the old one goes.
    if (!sameSeries && (resolvedShow() || m_lookup.lookedUp() || m_isSearching))
        resetLookup();
    Q_EMIT formChanged();
}

void AddShowModel::resetLookup() {
    const bool hadList = m_mode != ResultsMode::none;
    m_searchToken = QUuid();
    m_isSearching = false;
    m_lookup.reset();
    m_releases.reset();
    m_mode = ResultsMode::none;
    if (hadList)
        Q_EMIT resultsChanged();
}

void AddShowModel::setQuality(Show::Quality quality) {
    if (quality == m_form.quality)
        return;
    setField(&AddShowForm::quality, quality);
    // The list shows releases at the wanted resolution: ask again for the new one.
    if (resolvedShow() && didSearch() && !m_form.anyQuality)
        searchReleases();
}

void AddShowModel::setStartWithLatest(bool on) {
    setField(&AddShowForm::startWithLatest, on);
}

void AddShowModel::setAnyQuality(bool on) {
    setField(&AddShowForm::anyQuality, on);
}

void AddShowModel::setFallbackAnyQuality(bool on) {
    setField(&AddShowForm::fallbackAnyQuality, on);
}

void AddShowModel::setSeasonText(const QString& text) {
    setField(&AddShowForm::seasonText, text);
}

void AddShowModel::setPullEntireSeason(bool on) {
    setField(&AddShowForm::pullEntireSeason, on);
}

void AddShowModel::setShowAdvanced(bool on) {
    setField(&AddShowForm::showAdvanced, on);
}

void AddShowModel::setPickPlan(PickPlan plan) {
    setField(&AddShowForm::pickPlan, plan);
}

// ---- lookup -------------------------------------------------------------------------------------

QUuid AddShowModel::beginSearch() {
    m_searchToken = QUuid::createUuid();
    m_isSearching = true;
    return m_searchToken;
}

void AddShowModel::find() {
    const QString typed = m_form.name.trimmed();
    if (typed.isEmpty() || m_closed)
        return;
    resetLookup();
    const QUuid token = beginSearch();
    Q_EMIT formChanged();
    runLookup(typed, token);
}

QCoro::Task<> AddShowModel::runLookup(QString typed, QUuid token) {
    QPointer<AddShowModel> self(this);
    if (m_kind == Kind::movie) {
        const auto answer = co_await m_watchlist.catalogue.searchMovies(typed);
        if (!self || m_searchToken != token)
            co_return; // a newer lookup, a new name or a closed panel
        m_lookup.publishMovies(answer, m_watchlist.state.now());
    } else {
        const auto answer = co_await m_watchlist.catalogue.searchSeries(typed);
        if (!self || m_searchToken != token)
            co_return;
        m_lookup.publishSeries(answer, m_watchlist.state.now());
    }
    m_isSearching = false;
    m_mode = ResultsMode::shows;
    Q_EMIT resultsChanged();
    Q_EMIT formChanged();
}

bool AddShowModel::pickMatch(int index) {
    if (m_mode != ResultsMode::shows || !m_lookup.resolve(index, m_watchlist.state.now()))
        return false;
    Q_EMIT formChanged();
    searchReleases();
    return true;
}

// ---- release search -----------------------------------------------------------------------------

void AddShowModel::searchReleases() {
    if (m_closed)
        return;
    const QString typed = m_form.name.trimmed();
    const QString official = resolvedShow() ? resolvedShow()->name : typed;
    if (official.isEmpty())
        return;
    const QUuid token = beginSearch();
    m_releases.clearForSearch();
    Q_EMIT resultsChanged();
    Q_EMIT formChanged();
    runReleaseSearch(official, typed, m_form.wantedQuality(), token);
}

QCoro::Task<> AddShowModel::runReleaseSearch(QString official, QString typed,
                                             std::optional<Show::Quality> quality, QUuid token) {
    QPointer<AddShowModel> self(this);
    ReleaseFinder::Releases found = co_await askReleases(official, quality);
    if (!self || m_searchToken != token)
        co_return;
    std::optional<QString> alias;
    // Nobody answered: asking again under another name would not reach anyone either.
    if (found.results.isEmpty() && !found.indexesUnreachable && !typed.isEmpty() &&
        MatchLookup::comparable(typed) != MatchLookup::comparable(official)) {
        ReleaseFinder::Releases again = co_await askReleases(typed, quality);
        if (!self || m_searchToken != token)
            co_return;
        if (!again.results.isEmpty()) {
            found = std::move(again);
            alias = typed;
        }
    }
    m_isSearching = false;
    m_releases.publish(found, alias);
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
    for (const QString& id : m_releases.toggle(releaseID))
        Q_EMIT pickToggled(id);
    Q_EMIT formChanged();
}

void AddShowModel::setSort(SortField sort) {
    if (m_releases.setSort(sort))
        Q_EMIT resultsChanged();
}

void AddShowModel::setSeasonView(std::optional<int> season) {
    if (m_releases.setSeasonView(season))
        Q_EMIT resultsChanged();
}

// ---- commit -------------------------------------------------------------------------------------

QUuid AddShowModel::commit() {
    if (!canCommit() || m_closed)
        return {};
    const QList<SearchResult> picked = m_releases.pickedInOrder();
    QUuid id;
    if (m_kind == Kind::movie)
        id = m_watchlist.operations.addMovie(
            m_form.name, resolvedMovie(), m_form.quality, m_form.startWithLatest, m_form.anyQuality,
            picked.isEmpty() ? std::nullopt : std::optional<SearchResult>(picked.first()),
            m_releases.alias());
    else
        id = m_watchlist.operations.addShow(m_form.newShow(resolvedShow(), m_releases.alias()),
                                            picked, m_form.pickPlan);
    if (!id.isNull())
        close();
    return id;
}

QUuid AddShowModel::addAsTyped() {
    if (!offersAddAsTyped())
        return {};
    m_lookup.forgetResolved();
    return commit();
}

void AddShowModel::primary() {
    if (resolvedShow())
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

// ---- texts --------------------------------------------------------------------------------------

QString AddShowModel::primaryLabel() const {
    const QString noun = AddShowText::noun(isMovie());
    if (!resolvedShow())
        return m_isSearching ? QStringLiteral("Finding %1…").arg(noun)
                             : QStringLiteral("Find %1").arg(noun);
    if (isMovie())
        return QStringLiteral("Add to List");
    if (!picked().isEmpty())
        return AddShowText::planCommitLabel(m_form.pickPlan);
    // Only a pull says "Pull": a typed season without it just limits what is followed.
    if (const auto season = m_form.season(); season && m_form.pullEntireSeason) {
        QString label = QStringLiteral("Pull Season %1").arg(*season);
        if (m_form.startWithLatest)
            label += QStringLiteral(", and subscribe");
        return label;
    }
    // Following new episodes puts the series on the schedule; otherwise it is only kept.
    return m_form.startWithLatest ? QStringLiteral("Add to your schedule")
                                  : QStringLiteral("Add to watchlist");
}

bool AddShowModel::offersAddAsTyped() const {
    if (m_form.name.trimmed().isEmpty() || m_isSearching || !m_lookup.lookedUp() || resolvedShow())
        return false;
    return showMatches().isEmpty();
}

QString AddShowModel::formNotice() const {
    if (!m_lookup.lookedUp() || resolvedShow() || !showMatches().isEmpty())
        return {};
    return AddShowText::lookupNotice(lookupFailure(), m_form.name.trimmed());
}

QString AddShowModel::busyText() const {
    if (!m_isSearching)
        return {};
    return resolvedShow() || m_mode == ResultsMode::releases
               ? QStringLiteral("Searching releases…")
               : QStringLiteral("Finding %1…").arg(AddShowText::noun(isMovie()));
}

QString AddShowModel::resultsHeading() const {
    switch (m_mode) {
    case ResultsMode::none:
        return {};
    case ResultsMode::shows:
        return QStringLiteral("Which %1?").arg(AddShowText::noun(isMovie()));
    case ResultsMode::releases:
        return headerCounts();
    }
    return {};
}

QString AddShowModel::headerCounts() const {
    const qsizetype listed = listedResults().size();
    if (isMovie()) {
        QString counts = QStringLiteral("%1 release%2").arg(listed).arg(listed == 1 ? "" : "s");
        if (!picked().isEmpty())
            counts += QStringLiteral(" · 1 selected");
        return counts;
    }
    return QStringLiteral("%1 releases · %2 selected").arg(listed).arg(picked().size());
}

QString AddShowModel::fallbackNotice() const {
    if (!fellBack())
        return {};
    return AddShowText::fallbackNotice(*resolvedAlias(), isMovie());
}

QString AddShowModel::emptyTitle() const {
    if (m_isSearching)
        return {};
    if (m_mode == ResultsMode::shows && showMatches().isEmpty())
        return AddShowText::lookupEmptyTitle(lookupFailure(), isMovie());
    if (m_mode == ResultsMode::releases && didSearch() && listedResults().isEmpty()) {
        if (indexesUnreachable())
            return QStringLiteral("Could not reach the torrent indexes");
        return QStringLiteral("No releases found");
    }
    return {};
}

QString AddShowModel::emptyNote() const {
    if (emptyTitle().isEmpty())
        return {};
    if (m_mode == ResultsMode::releases) {
        if (indexesUnreachable())
            return QStringLiteral("None of them answered. Check the connection and search again, "
                                  "or add the %1 without picking releases.")
                .arg(AddShowText::noun(isMovie()));
        return isMovie() ? QStringLiteral("Try a different quality.")
                         : QStringLiteral("Try a different quality or season.");
    }
    return AddShowText::lookupEmptyNote(lookupFailure(), isMovie());
}

QString AddShowModel::retryLabel() const {
    return m_mode == ResultsMode::releases && indexesUnreachable() && !m_isSearching
               ? QStringLiteral("Search again")
               : QString();
}

QString AddShowModel::qualityNote() const {
    return AddShowText::qualityNote(m_form.quality);
}

QString AddShowModel::pullTitle() const {
    return AddShowText::pullTitle(m_form.season());
}

QString AddShowModel::pullNote() const {
    return AddShowText::pullNote(m_form.season());
}
