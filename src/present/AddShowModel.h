#pragma once

#include "AddShowForm.h"
#include "MatchLookup.h"
#include "ReleasePicks.h"
#include "api/Watchlist.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>

#include <optional>

// The state of the add-series and add-movie flows, shared by the form and the results panel:
// it runs the TMDB lookup and the release search over the form, the matches and the release
// list, and says what the panels show when those combine. Only the latest lookup or search
// may publish (searchToken). Committing maps the form to the store's addShow or addMovie,
// which own the rules of what a new record looks like. A movie differs in its texts, its
// lookup and search, and in taking one picked release at most.
class AddShowModel final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AddShowModel)

public:
    enum class Kind { series, movie };
    using SortField = ReleasePicks::SortField;
    enum class ResultsMode {
        none,     // nothing to show yet: the results panel stays hidden
        shows,    // TMDB matches to confirm
        releases, // releases of the confirmed series
    };
    using PickPlan = WatchlistOperations::PickPlan;

    explicit AddShowModel(const Watchlist& watchlist, Kind kind = Kind::series,
                          QObject* parent = nullptr);
    ~AddShowModel() override;

    Kind kind() const { return m_kind; }
    bool isMovie() const { return m_kind == Kind::movie; }

    // ---- the form ----
    const QString& name() const { return m_form.name; }
    void setName(const QString& name);
    Show::Quality quality() const { return m_form.quality; }
    void setQuality(Show::Quality quality);
    bool startWithLatest() const { return m_form.startWithLatest; }
    void setStartWithLatest(bool on);
    // A movie's "keep hunting until a release is found" shares the subscribe switch's place.
    bool monitor() const { return m_form.startWithLatest; }
    void setMonitor(bool on) { setStartWithLatest(on); }
    bool anyQuality() const { return m_form.anyQuality; }
    void setAnyQuality(bool on);
    bool fallbackAnyQuality() const { return m_form.fallbackAnyQuality; }
    void setFallbackAnyQuality(bool on);
    const QString& seasonText() const { return m_form.seasonText; }
    void setSeasonText(const QString& text);
    bool pullEntireSeason() const { return m_form.pullEntireSeason; }
    void setPullEntireSeason(bool on);
    bool showAdvanced() const { return m_form.showAdvanced; }
    void setShowAdvanced(bool on);
    PickPlan pickPlan() const { return m_form.pickPlan; }
    void setPickPlan(PickPlan plan);

    // ---- lookup and search state ----
    // The confirmed match and the matches offered, as the panels list them (a movie's title and
    // year read as a series' name and first year).
    const std::optional<SeriesResult>& resolvedShow() const { return m_lookup.resolvedShow(); }
    const QList<SeriesResult>& showMatches() const { return m_lookup.matches(); }
    const std::optional<MovieResult>& resolvedMovie() const { return m_lookup.resolvedMovie(); }
    bool isSearching() const { return m_isSearching; }
    const QList<SearchResult>& results() const { return m_releases.results(); }
    bool didSearch() const { return m_releases.didSearch(); }
    const QSet<QString>& picked() const { return m_releases.picked(); }
    SortField sort() const { return m_releases.sort(); }
    const std::optional<int>& seasonView() const { return m_releases.seasonView(); }
    ResultsMode mode() const { return m_mode; }
    bool fellBack() const { return m_releases.fellBack(); }
    const std::optional<QString>& resolvedAlias() const { return m_releases.alias(); }
    const QUuid& searchToken() const { return m_searchToken; }
    std::optional<Timestamp> matchesShownAt() const { return m_lookup.shownAt(); }
    // Why the last lookup gave nothing, when it failed rather than answered.
    LookupFailure lookupFailure() const { return m_lookup.failure(); }
    // The last release search reached no index.
    bool indexesUnreachable() const { return m_releases.indexesUnreachable(); }

    // ---- actions ----
    // Looks the typed name up on TMDB ("Find series").
    void find();
    // Confirms a match and searches its releases; false when the click came too early.
    bool pickMatch(int index);
    // Searches releases for the resolved series (or the typed name) again.
    void searchReleases();
    void togglePick(const QString& releaseID);
    void setSort(SortField sort);
    void setSeasonView(std::optional<int> season);
    // The primary button: a lookup until a series is resolved, then the commit.
    void primary();
    // Adds the series; null (and nothing happens) when the form cannot be committed.
    QUuid commit();
    // "Add as typed anyway": the typed name without a TMDB identity.
    QUuid addAsTyped();
    // Drops whatever is in flight and asks the presenter to close the panels.
    void close();

    // ---- what the panels show ----
    QString primaryLabel() const;
    bool canCommit() const { return m_form.canCommit(isMovie()); }
    bool offersAddAsTyped() const;
    // The line under the name: no match, or why the lookup failed; empty otherwise.
    QString formNotice() const;
    // The busy line while a lookup or search runs; empty otherwise.
    QString busyText() const;
    // The results panel's heading: "Which series?" over matches, the counts over releases.
    QString resultsHeading() const;
    QString
    headerCounts() const; // "12 releases · 2 selected"; a movie's "12 releases · 1 selected"
    QString fallbackNotice() const;
    // The empty or failed state of the results panel: a title and a note; empty when there
    // are rows to show.
    QString emptyTitle() const;
    QString emptyNote() const;
    // The button under a failed release search; empty when there is nothing to retry.
    QString retryLabel() const;
    // The releases listed: season filter, then sort order.
    QList<SearchResult> listedResults() const { return m_releases.listed(); }
    // Seasons the results carry, ascending, for the season filter.
    QList<int> seasonsOffered() const { return m_releases.seasonsOffered(); }
    bool showsPlan() const { return m_kind == Kind::series && !picked().isEmpty(); }
    QString qualityNote() const;
    QString pullTitle() const;
    QString pullNote() const;
    // The sort choices in the order the panel offers them.
    QList<SortField> sortFields() const { return m_releases.sortFields(); }

Q_SIGNALS:
    // A form field, the busy state, the notice or the primary label changed.
    void formChanged();
    // The list changed wholesale: mode, matches, releases, order, filter or empty state.
    void resultsChanged();
    // One release was ticked or unticked (the counts and plan follow).
    void pickToggled(const QString& releaseID);
    void closeRequested();

private:
    template <typename T>
    void setField(T AddShowForm::*field, const T& value);
    QCoro::Task<> runLookup(QString typed, QUuid token);
    QCoro::Task<ReleaseFinder::Releases> askReleases(QString name,
                                                     std::optional<Show::Quality> quality);
    QCoro::Task<> runReleaseSearch(QString official, QString typed,
                                   std::optional<Show::Quality> quality, QUuid token);
    void resetLookup();
    QUuid beginSearch();

    Watchlist m_watchlist;
    Kind m_kind;
    AddShowForm m_form;
    MatchLookup m_lookup;
    ReleasePicks m_releases;
    bool m_isSearching = false;
    ResultsMode m_mode = ResultsMode::none;
    QUuid m_searchToken;
    bool m_closed = false;
};
