#pragma once

#include "api/Watchlist.h"
#include "model/Clock.h"
#include "model/EnumRaw.h"

#include <QMap>
#include <QPair>
#include <QSet>
#include <QStringList>

#include <coroutine>
#include <initializer_list>
#include <utility>

// The engine as the views see it, in memory: published state the test sets and announces,
// operations and service questions recorded as one line each ("setSubscribed Dark false"),
// and scripted answers. Service answers come on a later turn of the event loop, like a real
// service's; a question whose line is in `held` waits until release() lets it through.
// Operations change nothing but a linked TMDB match, which a view reads back at once; a test
// that needs another answer of the engine sets it and emits.
class FakeWatchlist final : public PublishedState,
                            public WatchlistOperations,
                            public Catalogue,
                            public ReleaseFinder {
public:
    FakeWatchlist();
    ~FakeWatchlist() override;

    operator Watchlist() { return {*this, *this, *this, *this}; } // NOLINT: a whole Watchlist

    QStringList calls; // every operation and question, in order
    QStringList callsTo(const QString& prefix) const;
    int answered = 0; // service answers delivered: a sign that a round trip is over
    QSet<QString> held;
    void release(const QString& call);

    // --- published state -------------------------------------------------------------------
    QList<Show> showList;
    QList<Movie> movieList;
    QList<ActivityEntry> log;   // newest first
    QList<DownloadRecord> rows; // newest first
    AppSettings appSettings;
    QMap<QUuid, EpisodePick> picks;
    QMap<QString, ActiveDownload> downloads;
    QList<CalEvent> events;
    bool checking = false;
    int secondsLeft = 0;
    QSet<QUuid> searching;
    EngineHealth engine;
    SearchHealth search;
    std::optional<QString> version;
    QString folderSize;
    QUrl root;
    int waitingSorts = 0;
    ManualClock clock; // 2025-03-13 12:00 UTC

    Show& showNamed(const QString& name); // added when missing

    // --- scripted answers ------------------------------------------------------------------
    bool key = true;
    LookupFailure tmdbFailure = LookupFailure::none;
    QMap<QString, QList<SeriesResult>> seriesByName;
    QMap<int, QList<int>> seasonsOf;                  // by TMDB id
    QMap<QPair<int, int>, QList<Episode>> episodesOf; // by TMDB id and season
    QMap<QString, QList<MovieResult>> moviesByTitle;
    bool indexesUnreachable = false;
    QMap<QString, QList<SearchResult>> releasesByName;
    QMap<QString, QList<SearchResult>> alternatesOf; // by info hash
    QMap<QString, EpisodeOutcome> outcomes; // of hand-picked episodes, by code; else grabbed
    QUuid addedID = QUuid::createUuid();    // what addShow and addMovie answer
    std::optional<NewShow> addedShow;       // the last form addShow was given
    QList<SearchResult> addedPicks;

    // --- PublishedState --------------------------------------------------------------------
    const QList<Show>& shows() const override { return showList; }
    const QList<Movie>& movies() const override { return movieList; }
    const QList<ActivityEntry>& activity() const override { return log; }
    const QList<DownloadRecord>& history() const override { return rows; }
    const AppSettings& settings() const override { return appSettings; }
    const QMap<QUuid, EpisodePick>& pendingQualityPicks() const override { return picks; }
    const QMap<QString, ActiveDownload>& activeDownloads() const override { return downloads; }
    const QList<CalEvent>& calendarEvents() const override { return events; }
    bool isChecking() const override { return checking; }
    int secondsUntilNextCheck() const override { return secondsLeft; }
    bool isSearchingNow(const QUuid& id) const override { return searching.contains(id); }
    const EngineHealth& engineHealth() const override { return engine; }
    const SearchHealth& searchHealth() const override { return search; }
    std::optional<QString> daemonVersion() const override { return version; }
    const QString& workingFolderSizeLabel() const override { return folderSize; }
    QUrl rootFolderURL() const override { return root; }
    int sortsWaiting() const override { return waitingSorts; }
    Timestamp now() const override { return clock.now(); }

    // --- Catalogue and ReleaseFinder -------------------------------------------------------
    bool hasKey() const override { return key; }
    QCoro::Task<Lookup<QList<SeriesResult>>> searchSeries(QString name) override;
    QCoro::Task<Lookup<std::optional<SeriesSeasons>>> seriesSeasons(int tmdbID) override;
    QCoro::Task<Lookup<QList<Episode>>> seasonEpisodes(int tmdbID, int season) override;
    QCoro::Task<Lookup<QList<MovieResult>>> searchMovies(QString title) override;
    QCoro::Task<Releases> seriesReleases(QString name,
                                         std::optional<Show::Quality> quality) override;
    QCoro::Task<Releases> movieReleases(QString title,
                                        std::optional<Show::Quality> quality) override;
    QCoro::Task<Releases> otherReleases(QString hash) override;

    // --- WatchlistOperations ---------------------------------------------------------------
    QUuid addShow(const NewShow& form, const QList<SearchResult>& picked, PickPlan plan) override;
    bool linkTMDBMatch(const QUuid& id, const SeriesResult& match) override;
    QCoro::Task<QMap<QString, EpisodeOutcome>> grabEpisodes(QUuid id, QStringList codes) override;
    QCoro::Task<> pullSeason(QUuid id, int season) override;
    QCoro::Task<> completeSeason(QUuid id, int season) override;
    QCoro::Task<> clearWorkingFolder() override;
    QCoro::Task<> refreshWorkingFolderSize() override;
    QUuid addMovie(const QString& name, const std::optional<MovieResult>& match,
                   Show::Quality quality, bool monitor, bool anyQuality,
                   const std::optional<SearchResult>& picked,
                   const std::optional<QString>& searchAlias = std::nullopt) override;
    void updateSettings(const std::function<void(AppSettings&)>& change) override;

    void setSubscribed(const QUuid& id, bool on) override {
        note("setSubscribed", {nameOf(id), on ? "true" : "false"});
    }
    void setShowQuality(const QUuid& id, std::optional<Show::Quality> quality) override {
        note("setShowQuality", {nameOf(id), quality ? toRaw(*quality) : "any"});
    }
    void removeShow(const QUuid& id) override { note("removeShow", {nameOf(id)}); }
    void searchNow(const QUuid& id) override { note("searchNow", {nameOf(id)}); }
    void clearStatus(const QUuid& id) override { note("clearStatus", {nameOf(id)}); }
    void pickAlternative(const SearchResult& chosen, const QUuid& showID) override {
        note("pickAlternative", {nameOf(showID), chosen.title});
    }
    void dismissQualityPick(const QUuid& id) override { note("dismissQualityPick", {nameOf(id)}); }
    bool grabEpisodeRelease(const QUuid& id, const QString& code, const SearchResult& r) override {
        note("grabEpisodeRelease", {nameOf(id), code, r.title});
        return true;
    }
    void huntMovie(const QUuid& id) override { note("huntMovie", {nameOf(id)}); }
    void setMovieQuality(const QUuid& id, Show::Quality quality) override {
        note("setMovieQuality", {nameOf(id), toRaw(quality)});
    }
    void switchMovieRelease(const DownloadRecord& row, const SearchResult& r) override {
        note("switchMovieRelease", {row.id, r.title});
    }
    void removeMovie(const QUuid& id) override { note("removeMovie", {nameOf(id)}); }
    void setMovieEnabled(const QUuid& id, bool on) override {
        note("setMovieEnabled", {nameOf(id), on ? "true" : "false"});
    }
    void clearMovieStatus(const QUuid& id) override { note("clearMovieStatus", {nameOf(id)}); }
    void removeDownload(const QString& hash) override { note("removeDownload", {hash}); }
    void switchRelease(const QString& hash, const SearchResult& r) override {
        note("switchRelease", {hash, r.title});
    }
    void snoozeStaleFor(const QString& hash, int days) override {
        note("snoozeStaleFor", {hash, QString::number(days)});
    }
    void runCheck(bool manual) override { note("runCheck", {manual ? "manual" : "scheduled"}); }
    void clearActivity() override { note("clearActivity", {}); }

    using Waiting = QList<std::pair<QString, std::coroutine_handle<>>>;

private:
    QString nameOf(const QUuid& id) const;
    QString note(const char* operation, std::initializer_list<QString> args);
    // Records the call, then waits for a later turn of the event loop (and for release()).
    QCoro::Task<> answerLater(QString call);
    void wakeLater();
    void wake();

    Waiting m_waiting;
};

// A release with the fields the views show; `h` fills the info hash.
SearchResult fakeRelease(const QString& title, char h, const QString& quality = "1080p",
                         int seeders = 10, qint64 size = 1'500'000'000);
