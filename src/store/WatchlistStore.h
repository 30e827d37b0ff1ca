#pragma once

#include "DataGuard.h"
#include "Notifier.h"
#include "RecordFiles.h"
#include "StallTracker.h"
#include "StoreEnvironment.h"
#include "StoreRecords.h"
#include "api/Watchlist.h"
#include "engine/TorrentInfo.h"
#include "engine/TransmissionEngine.h"
#include "metadata/TMDBClient.h"
#include "model/ActiveDownload.h"
#include "model/ActivityEntry.h"
#include "model/AppSettings.h"
#include "model/CalEvent.h"
#include "model/DownloadRecord.h"
#include "model/Movie.h"
#include "model/SearchHealth.h"
#include "model/SearchResult.h"
#include "model/Show.h"
#include "model/StorageFiles.h"
#include "search/FeedChecker.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QUrl>
#include <qcoro/qcorotask.h>

#include <functional>
#include <memory>

class WorkingFolder;
class HuntCycle;
class CheckCountdown;
class MovieHunter;
class PendingPicks;
class SeasonFetcher;
class SeriesDesk;
class MovieDesk;
class DownloadDesk;
class StoreCatalogue;
class DownloadFollower;
class LibraryFiler;
class StallRescuer;
class CalendarKeeper;
class DaemonSettings;
class HealthWatch;
class SettingsKeeper;

class QNetworkAccessManager;
class TransmissionClient;

// The single engine object: owns the watchlist and every piece of persistent state, the
// service clients and the timers. Views see it through the interfaces it implements and the
// catalogue it hands out with them: they observe what it publishes, call its operations and
// ask TMDB and the indexes; everything runs on the main thread.
//
// Its collaborators do the work of each concern (the series, movie and download operations,
// following downloads, filing them, rescuing stalls, the working folder, the countdown, the
// calendar, health, settings, the catalogue); the store keeps the records and the operations that
// delegate, and hands each collaborator the records it needs.
class WatchlistStore final : public PublishedState,
                             public StoreRecords,
                             public WatchlistOperations {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WatchlistStore)

public:
    static constexpr int kMaxActivityEntries = 500;
    static constexpr int kMaxHistoryRows = 500;
    static constexpr auto kBuiltInTMDBKey = "3c9a07e5d41b2f86a0e7c5b19d24f6a8";

    // Runs the start-up sequence: loads the files, prepares the folders, repairs statuses
    // left over from a crash and arms the countdown. No check cycle runs here.
    // The shell owns the daemon supervisor and the notifier; both outlive the store.
    WatchlistStore(StoreEnvironment environment, TransmissionEngine* engine, Notifier* notifier,
                   QObject* parent = nullptr);
    ~WatchlistStore() override;

    // --- published state ---------------------------------------------------------------------
    const QList<Show>& shows() const override { return m_shows; }
    const QList<Movie>& movies() const override { return m_movies; }
    const QList<ActivityEntry>& activity() const override { return m_activity; }
    const AppSettings& settings() const override;
    bool isChecking() const override;
    int secondsUntilNextCheck() const override;
    const QMap<QUuid, EpisodePick>& pendingQualityPicks() const override;
    const QList<DownloadRecord>& history() const override { return m_history; }
    const QList<CalEvent>& calendarEvents() const override;
    const QString& workingFolderSizeLabel() const override;
    std::optional<QString> daemonVersion() const override;

    // --- in-memory tables --------------------------------------------------------------------
    const QMap<QString, ActiveDownload>& activeDownloads() const override;

    // The store as the views and the command line see it.
    Watchlist watchlist();
    operator Watchlist() { return watchlist(); } // NOLINT: a store is a whole Watchlist

    const StoreEnvironment& environment() const { return m_env; }
    TransmissionClient& transmission() { return *m_transmission; }
    FeedChecker& checker() { return *m_checker; }
    TMDBClient& tmdb() { return *m_tmdb; }
    TransmissionEngine* engine() const { return m_engine; }
    Timestamp now() const override { return m_env.clock->now(); }
    int sortsWaiting() const override;

    // --- lifecycle, timers, settings ---------------------------------------------------------
    // Reads the six files into memory and runs the settings migration.
    void loadAll();

    void logActivity(const QString& message, ActivityEntry::Kind kind) override;
    // Empties the log and writes the empty file at once.
    void clearActivity() override;

    // Applies a change to a copy of the settings, publishes and saves it; whoever depends on a
    // changed value follows (a new check interval restarts the countdown).
    void updateSettings(const std::function<void(AppSettings&)>& change) override;

    // Sends the seeding limit to the daemon, trying again 1.5 s apart while it does not answer
    // (a daemon still starting). A change of the seeding settings calls it with 5 retries.
    void applySeedRatio(int retries);

    // Starts a check cycle unless one runs. A manual check leaves the countdown alone.
    void runCheck(bool manual) override;

    QUrl rootFolderURL() const override;
    QString rootFolderPath() const { return rootFolderURL().toLocalFile(); }
    void ensureLibraryFolders() const;
    QString effectiveTMDBKey() const;

    // --- the check cycle ---------------------------------------------------------------------
    // The user's answer to a pending resolution choice.
    void pickAlternative(const SearchResult& chosen, const QUuid& showID) override;
    void dismissQualityPick(const QUuid& showID) override;

    // --- downloads ----------------------------------------------------------------------------
    // Replaces a running download by another release of the same episode or movie.
    void switchRelease(const QString& hash, const SearchResult& release) override;

    // --- series ------------------------------------------------------------------------------
    QUuid addShow(const NewShow& form, const QList<SearchResult>& picked = {},
                  PickPlan plan = PickPlan::continueForward) override;
    void setSubscribed(const QUuid& id, bool on) override;
    void setShowQuality(const QUuid& id, std::optional<Show::Quality> quality) override;
    QCoro::Task<> pullSeason(QUuid id, int season) override;
    QCoro::Task<> completeSeason(QUuid id, int season) override;
    QCoro::Task<QMap<QString, EpisodeOutcome>> grabEpisodes(QUuid id, QStringList codes) override;
    void removeShow(const QUuid& id) override;
    // The series list's "Search now": checks one subscribed series at once, as a new
    // subscription is checked; a series whose schedule says nothing is due logs why and is
    // left alone. Nothing happens while this series' own search runs.
    void searchNow(const QUuid& id) override;
    bool isSearchingNow(const QUuid& id) const override;
    // Puts the series' status back to idle, saved.
    void clearStatus(const QUuid& id) override;

    // --- movies -------------------------------------------------------------------------------
    // Adds a movie from the add-movie form and starts hunting it; a picked release starts at once.
    QUuid addMovie(const QString& name, const std::optional<MovieResult>& match,
                   Show::Quality quality, bool monitor, bool anyQuality,
                   const std::optional<SearchResult>& picked,
                   const std::optional<QString>& searchAlias = std::nullopt) override;
    void huntMovie(const QUuid& id) override;
    void setMovieQuality(const QUuid& id, Show::Quality quality) override;
    void switchMovieRelease(const DownloadRecord& row, const SearchResult& release) override;
    void removeMovie(const QUuid& id) override;
    void setMovieEnabled(const QUuid& id, bool on) override;
    void clearMovieStatus(const QUuid& id) override;
    // --- episode drawer ------------------------------------------------------------------------
    // Records a TMDB match on a series (its id and poster), so its episode list opens at once
    // next time. False when the series is gone.
    bool linkTMDBMatch(const QUuid& id, const SeriesResult& match) override;
    // Grabs the release the user chose for one episode, unless that episode is already in.
    // A pending resolution choice for the same episode is settled by it.
    bool grabEpisodeRelease(const QUuid& id, const QString& code,
                            const SearchResult& release) override;
    // The user gives up on a download: it is cancelled and its data removed from the daemon.
    void removeDownload(const QString& hash) override;
    // snoozeStale for a given number of days ("Snooze a week"), with the same third-time rule.
    void snoozeStaleFor(const QString& hash, int days) override;

    // --- working folder ----------------------------------------------------------------------
    static constexpr int kStartupTidyAttempts = 5;

    // Measures the working folder off the main thread and publishes the size label.
    QCoro::Task<> refreshWorkingFolderSize() override;
    // Cancels every followed download, removes the torrents with their data from the daemon and
    // empties the working folder. The bookkeeping is done when this returns; the task goes on
    // with the daemon and the files.
    QCoro::Task<> clearWorkingFolder() override;

    // --- the collaborators, for the tools and tests that drive one of them directly ----------
    DownloadFollower& follower() { return *m_follower; }
    StallRescuer& rescuer() { return *m_rescuer; }
    HuntCycle& cycle() { return *m_cycle; }
    WorkingFolder& workingFolder() { return *m_workingFolder; }
    CalendarKeeper& calendar() { return *m_calendar; }
    CheckCountdown& countdown() { return *m_countdown; }

private:
    // --- the records as the collaborators reach them ------------------------------------------
    Show* findShow(const QUuid& id) override;
    Movie* findMovie(const QUuid& id) override;
    DownloadRecord* findHistoryRow(const QString& hash) override;
    void addHistoryRow(DownloadRecord row) override;
    void save(Part part) override;
    void publish(Part part) override;

    void reportUnusableRoot();
    void repairStaleStatuses();

    StoreEnvironment m_env;
    StorageFiles m_files;
    RecordFiles m_recordFiles;

    // Declaration order follows the engine's own description of its fields.
    QList<Show> m_shows;
    QList<Movie> m_movies;
    QList<ActivityEntry> m_activity;
    SettingsKeeper* m_settingsKeeper = nullptr;
    PendingPicks* m_picks = nullptr;
    QNetworkAccessManager* m_network = nullptr; // the one HTTP client of the engine
    FeedChecker* m_checker = nullptr;
    TransmissionClient* m_transmission = nullptr;
    TMDBClient* m_tmdb = nullptr;
    // Collaborators that talk to the clients are members, not children: they go before the
    // clients do, so no client's last words reach them.
    std::unique_ptr<DaemonSettings> m_daemonSettings;
    QList<DownloadRecord> m_history;
    QPointer<TransmissionEngine> m_engine;
    Notifier* m_notifier = nullptr;

    // Reads m_shows and m_files: declared after them, so it goes first.
    std::unique_ptr<CalendarKeeper> m_calendar;

    std::unique_ptr<WorkingFolder> m_workingFolder;
    // The follower uses the filer and the rescuer: declared after them, so it goes first.
    std::unique_ptr<LibraryFiler> m_filer;
    std::unique_ptr<StallRescuer> m_rescuer;
    std::unique_ptr<DownloadFollower> m_follower;
    std::unique_ptr<MovieHunter> m_hunter;
    std::unique_ptr<SeasonFetcher> m_seasons;
    std::unique_ptr<HuntCycle> m_cycle;
    std::unique_ptr<CheckCountdown> m_countdown;
    // The desks use the collaborators above: declared after them, so they go first.
    std::unique_ptr<SeriesDesk> m_seriesDesk;
    std::unique_ptr<MovieDesk> m_movieDesk;
    std::unique_ptr<DownloadDesk> m_downloadDesk;
    std::unique_ptr<StoreCatalogue> m_catalogue;

    // --- health -----------------------------------------------------------------------------
public:
    // The download daemon as its supervisor last reported it, and the indexes and TMDB as the
    // last check cycle and TMDB request found them.
    const EngineHealth& engineHealth() const override;
    const SearchHealth& searchHealth() const override;
    HealthWatch& health() { return *m_health; }

private:
    // Files set aside at load and the engine's state at start, told once the loop runs (the
    // shell connects to the log after the store is built).
    void reportStartupHealth();

    QList<StorageFiles::SetAside> m_setAsideAtLoad;
    std::unique_ptr<HealthWatch> m_health;
};
