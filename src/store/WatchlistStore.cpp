// Lifecycle, timers, settings, the activity log and the shared paths of the store.

#include "WatchlistStore.h"

#include "CalendarKeeper.h"
#include "CheckCountdown.h"
#include "DaemonSettings.h"
#include "DownloadDesk.h"
#include "DownloadFollower.h"
#include "HealthWatch.h"
#include "HuntCycle.h"
#include "LibraryFiler.h"
#include "MovieDesk.h"
#include "MovieHunter.h"
#include "PendingPicks.h"
#include "RecordFiles.h"
#include "RecordLoader.h"
#include "SeasonFetcher.h"
#include "SeriesDesk.h"
#include "SettingsKeeper.h"
#include "SleepUnlessGone.h"
#include "StallRescuer.h"
#include "StoreCatalogue.h"
#include "WorkingFolder.h"
#include "engine/TransmissionClient.h"
#include "engine/TransmissionEngine.h"
#include "metadata/TMDBClient.h"
#include "model/JsonCodec.h"
#include "model/LibraryLayout.h"
#include "search/FeedChecker.h"

#include <QDir>
#include <QNetworkAccessManager>

WatchlistStore::WatchlistStore(StoreEnvironment environment, TransmissionEngine* engine,
                               Notifier* notifier, QObject* parent)
    : PublishedState(parent)
    , m_env(std::move(environment))
    , m_files(m_env.storageFolder, *m_env.clock)
    , m_recordFiles(m_files)
    , m_settingsKeeper(new SettingsKeeper(*this, m_env.defaultLibraryRoot, this))
    , m_picks(new PendingPicks(this))
    , m_network(new QNetworkAccessManager(this))
    , m_checker(new FeedChecker(FeedChecker::defaultSources(*m_network, m_env.endpoints),
                                *m_env.clock, this))
    , m_transmission(new TransmissionClient(*m_network, m_env.endpoints.rpcPort, this))
    , m_tmdb(new TMDBClient(*m_network, m_env.endpoints.tmdbAPI, this))
    , m_daemonSettings(std::make_unique<DaemonSettings>(*m_settingsKeeper, *m_transmission, engine))
    , m_engine(engine)
    , m_notifier(notifier)
    , m_health(std::make_unique<HealthWatch>(*this, notifier, engine, m_env.storageFolder)) {
    connect(m_health.get(), &HealthWatch::engineHealthChanged, this,
            &PublishedState::engineHealthChanged);
    connect(m_health.get(), &HealthWatch::searchHealthChanged, this,
            &PublishedState::searchHealthChanged);
    connect(m_tmdb, &TMDBClient::requestEnded, m_health.get(), &HealthWatch::noteTMDBRequest);
    m_calendar = std::make_unique<CalendarKeeper>(*m_tmdb, *m_env.clock, m_files, m_shows,
                                                  [this] { return effectiveTMDBKey(); });
    connect(m_calendar.get(), &CalendarKeeper::eventsChanged, this,
            &PublishedState::calendarEventsChanged);
    connect(m_settingsKeeper, &SettingsKeeper::changed, this, [this] {
        Q_EMIT settingsChanged();
        m_recordFiles.save(RecordFiles::File::settings);
        ensureLibraryFolders();
    });
    m_workingFolder = std::make_unique<WorkingFolder>(
        *m_transmission, engine, *m_settingsKeeper, *this,
        [this](const QString& hash) { return m_follower->isFollowed(hash); });
    connect(m_workingFolder.get(), &WorkingFolder::sizeLabelChanged, this,
            &PublishedState::workingFolderSizeLabelChanged);
    m_filer = std::make_unique<LibraryFiler>(
        *this, [this] { return rootFolderPath(); }, notifier);
    connect(m_filer.get(), &LibraryFiler::sortsWaitingChanged, this,
            &PublishedState::sortsWaitingChanged);
    m_rescuer = std::make_unique<StallRescuer>(
        *this, *m_transmission, *m_checker, notifier,
        StallRescuer::Switching{
            [this](const QString& hash) { return m_follower->contains(hash); },
            [this](const QString& hash, const SearchResult& r) { switchRelease(hash, r); }});
    m_follower = std::make_unique<DownloadFollower>(
        *this,
        DownloadFollower::Parts{*m_transmission, engine, *m_workingFolder, *m_filer, *m_rescuer,
                                [this] { return rootFolderPath(); }, m_env.pollInterval});
    connect(m_follower.get(), &DownloadFollower::passFinished, this,
            &PublishedState::followUpPassFinished);
    connect(m_picks, &PendingPicks::changed, this, &PublishedState::pendingQualityPicksChanged);
    const auto tmdbKey = [this] { return effectiveTMDBKey(); };
    m_hunter = std::make_unique<MovieHunter>(*this, *m_checker, *m_follower);
    m_seasons = std::make_unique<SeasonFetcher>(
        *this, SeasonFetcher::Parts{*m_checker, *m_tmdb, *m_follower, *m_picks, tmdbKey});
    connect(m_seasons.get(), &SeasonFetcher::episodeSearchFinished, this,
            &PublishedState::episodeSearchFinished);
    m_cycle = std::make_unique<HuntCycle>(*this, HuntCycle::Parts{*m_checker, *m_tmdb, *m_follower,
                                                                  *m_hunter, *m_picks, *m_health,
                                                                  notifier, tmdbKey});
    m_countdown = std::make_unique<CheckCountdown>(
        [this] { return settings().checkIntervalMinutes; }, *m_cycle, *m_calendar);
    connect(m_countdown.get(), &CheckCountdown::isCheckingChanged, this,
            &PublishedState::isCheckingChanged);
    connect(m_countdown.get(), &CheckCountdown::secondsLeftChanged, this,
            &PublishedState::secondsUntilNextCheckChanged);
    connect(m_countdown.get(), &CheckCountdown::cycleFinished, this,
            &PublishedState::checkCycleFinished);
    m_seriesDesk =
        std::make_unique<SeriesDesk>(*this, SeriesDesk::Parts{m_shows, *m_follower, *m_picks,
                                                              *m_seasons, *m_cycle, *m_calendar});
    m_movieDesk =
        std::make_unique<MovieDesk>(*this, MovieDesk::Parts{m_movies, *m_follower, *m_hunter});
    m_downloadDesk = std::make_unique<DownloadDesk>(
        *this, DownloadDesk::Parts{*m_follower, *m_checker, *m_hunter, *m_workingFolder});
    m_catalogue = std::make_unique<StoreCatalogue>(StoreCatalogue::Parts{
        *m_tmdb, *m_checker, *m_downloadDesk, [this] { return effectiveTMDBKey(); }});
    connect(m_settingsKeeper, &SettingsKeeper::checkIntervalChanged, m_countdown.get(),
            &CheckCountdown::schedule);
    using File = RecordFiles::File;
    m_recordFiles.setWriter(File::shows, [this](StorageFiles& f) { return f.saveShows(m_shows); });
    m_recordFiles.setWriter(File::movies,
                            [this](StorageFiles& f) { return f.saveMovies(m_movies); });
    m_recordFiles.setWriter(File::activity,
                            [this](StorageFiles& f) { return f.saveActivity(m_activity); });
    m_recordFiles.setWriter(File::settings,
                            [this](StorageFiles& f) { return f.saveSettings(settings()); });
    m_recordFiles.setWriter(File::downloads, [this](StorageFiles& f) {
        return f.saveDownloads(m_follower->downloads());
    });
    m_recordFiles.setWriter(File::history,
                            [this](StorageFiles& f) { return f.saveHistory(m_history); });
    // A folder we cannot create only means later saves fail; the store keeps working in memory.
    m_files.ensureFolder();
    m_files.removeStaleTemporaries();
    loadAll();
    ensureLibraryFolders();
    repairStaleStatuses();
    // The daemon may still be starting: the tidy-up tries a few times before it gives up.
    m_workingFolder->tidyLeftoversAtStart(kStartupTidyAttempts);
    m_countdown->schedule();
    // Downloads restored from downloads.json are followed again at once.
    if (!m_follower->downloads().isEmpty())
        m_follower->startPolling();
    m_cycle->refreshAirInfo(true); // runs on; no check cycle at start-up
    m_calendar->refresh(true);
    QMetaObject::invokeMethod(this, &WatchlistStore::reportStartupHealth, Qt::QueuedConnection);
}

WatchlistStore::~WatchlistStore() {
    // Progress numbers of history rows are saved at a bounded rate; keep the latest.
    m_follower->flushHistory();
    m_recordFiles.retryUnsaved();
}

void WatchlistStore::loadAll() {
    const auto takeSettings = [this](AppSettings settings) {
        const bool migrated = settings.migrateSeeding();
        m_settingsKeeper->load(std::move(settings));
        if (migrated)
            m_recordFiles.save(RecordFiles::File::settings);
    };
    const auto takeDownloads = [this](QMap<QString, ActiveDownload> downloads) {
        m_follower->restore(std::move(downloads));
    };
    RecordLoader loader(m_files, RecordLoader::Records{m_shows, m_movies, m_activity, m_history,
                                                       takeSettings, takeDownloads});
    m_setAsideAtLoad.append(loader.load());

    Q_EMIT showsChanged();
    Q_EMIT moviesChanged();
    Q_EMIT activityChanged();
    Q_EMIT settingsChanged();
    Q_EMIT historyChanged();
}

void WatchlistStore::repairStaleStatuses() {
    if (RecordLoader::resetUnfollowed(m_shows, m_follower->downloads()))
        edited(Part::shows);
    if (RecordLoader::resetUnfollowed(m_movies, m_follower->downloads()))
        edited(Part::movies);
}

// --- activity log ------------------------------------------------------------------------------

void WatchlistStore::logActivity(const QString& message, ActivityEntry::Kind kind) {
    const ActivityEntry entry{QUuid::createUuid(), now(), message, kind};
    m_activity.prepend(entry);
    if (m_activity.size() > kMaxActivityEntries)
        m_activity.resize(kMaxActivityEntries);
    m_recordFiles.save(RecordFiles::File::activity);
    Q_EMIT activityChanged();
    Q_EMIT activityLogged(entry);
}

void WatchlistStore::clearActivity() {
    m_activity.clear();
    m_recordFiles.save(RecordFiles::File::activity);
    Q_EMIT activityChanged();
}

// --- settings ----------------------------------------------------------------------------------

void WatchlistStore::updateSettings(const std::function<void(AppSettings&)>& change) {
    m_settingsKeeper->update(change);
}

void WatchlistStore::applySeedRatio(int retries) {
    m_daemonSettings->applySeedRatio(retries);
}

const AppSettings& WatchlistStore::settings() const {
    return m_settingsKeeper->settings();
}

// --- countdown and check cycle -----------------------------------------------------------------

void WatchlistStore::runCheck(bool manual) {
    m_countdown->runCheck(manual);
}

bool WatchlistStore::isChecking() const {
    return m_countdown->isChecking();
}

int WatchlistStore::secondsUntilNextCheck() const {
    return m_countdown->secondsLeft();
}

const QList<CalEvent>& WatchlistStore::calendarEvents() const {
    return m_calendar->events();
}

// --- paths, keys, ordering ---------------------------------------------------------------------

QUrl WatchlistStore::rootFolderURL() const {
    return m_settingsKeeper->rootFolderURL();
}

void WatchlistStore::reportUnusableRoot() {
    if (!m_settingsKeeper->storedRootUnusable())
        return;
    logActivity(QStringLiteral("The library folder \"%1\" in settings.json is not a local folder; "
                               "using %2 instead")
                    .arg(settings().rootFolder->toString(), rootFolderPath()),
                ActivityEntry::Kind::error);
}

void WatchlistStore::ensureLibraryFolders() const {
    const LibraryLayout layout(rootFolderPath());
    QDir().mkpath(layout.seriesFolder());
    QDir().mkpath(layout.moviesFolder());
}

Watchlist WatchlistStore::watchlist() {
    return {*this, *this, *m_catalogue, *m_catalogue};
}

std::optional<QString> WatchlistStore::daemonVersion() const {
    return m_engine ? m_engine->daemonVersion() : std::nullopt;
}

QString WatchlistStore::effectiveTMDBKey() const {
    if (!settings().tmdbAPIKey.isEmpty())
        return settings().tmdbAPIKey;
    return QString::fromLatin1(kBuiltInTMDBKey);
}

// --- saving ------------------------------------------------------------------------------------

void WatchlistStore::save(Part part) {
    using File = RecordFiles::File;
    switch (part) {
    case Part::shows:
        return m_recordFiles.save(File::shows);
    case Part::movies:
        return m_recordFiles.save(File::movies);
    case Part::history:
        return m_recordFiles.save(File::history);
    case Part::downloads:
        return m_recordFiles.save(File::downloads);
    }
}

void WatchlistStore::publish(Part part) {
    switch (part) {
    case Part::shows:
        Q_EMIT showsChanged();
        break;
    case Part::movies:
        Q_EMIT moviesChanged();
        break;
    case Part::history:
        Q_EMIT historyChanged();
        break;
    case Part::downloads:
        break;
    }
}
