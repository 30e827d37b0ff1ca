#include "EventLoop.h"
#include "FakeHttpServer.h"
#include "TestEnvironment.h"
#include "model/RecordCodecs.h"
#include "store/WatchlistStore.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

class StoreLifecycle : public testing::Test {
protected:
    std::unique_ptr<WatchlistStore> start() {
        return std::make_unique<WatchlistStore>(m_env.environment(), nullptr, nullptr);
    }

    template <typename T>
    void seed(const char* file, const T& value) {
        m_env.writeStorageFile(QString::fromLatin1(file), encodeDocument(value));
    }

    template <typename T>
    std::optional<T> stored(const char* file) const {
        return decodeDocument<T>(m_env.readStorageFile(QString::fromLatin1(file)));
    }

    static Show show(const char* name, ShowStatus::State state = ShowStatus::State::idle) {
        Show s{.id = QUuid::createUuid(), .name = QString::fromUtf8(name)};
        s.status.state = state;
        s.status.episode = "S01E01";
        return s;
    }

    // A series the next cycle will search for, so the cycle waits on the indexes.
    void seedDueSeries() { seed(StorageFiles::kShows, QList<Show>{show("Dark")}); }

    static void tick(WatchlistStore& store, int times) {
        for (int i = 0; i < times; ++i)
            store.tickCountdown();
    }

    TestEnvironment m_env;
};

} // namespace

// --- start-up ----------------------------------------------------------------------------------

TEST_F(StoreLifecycle, AFirstStartHasDefaultsAndWritesMigratedSettings) {
    const auto store = start();

    EXPECT_TRUE(store->shows().isEmpty());
    EXPECT_TRUE(store->movies().isEmpty());
    EXPECT_TRUE(store->activity().isEmpty());
    EXPECT_TRUE(store->history().isEmpty());
    EXPECT_TRUE(store->activeDownloads().isEmpty());
    EXPECT_FALSE(store->isChecking());
    EXPECT_EQ(store->secondsUntilNextCheck(), 3600);
    EXPECT_EQ(store->workingFolderSizeLabel(), "Calculating…");

    AppSettings expected;
    expected.seedMigratedV1 = true;
    EXPECT_EQ(store->settings(), expected);
    EXPECT_EQ(stored<AppSettings>(StorageFiles::kSettings), expected);
    // Only the settings are written at start; nothing else changed.
    EXPECT_EQ(QDir(m_env.storageFolder()).entryList(QDir::Files), QStringList{"settings.json"});

    EXPECT_TRUE(QDir(m_env.libraryRoot()).exists("Series"));
    EXPECT_TRUE(QDir(m_env.libraryRoot()).exists("Movies"));
}

struct MigrationCase {
    const char* label;
    bool enabled;
    double limit;
    bool migrated;
    bool expectedEnabled;
    bool rewritten;
};

class SeedingMigration : public StoreLifecycle,
                         public testing::WithParamInterface<MigrationCase> {};

TEST_P(SeedingMigration, RunsOnce) {
    const MigrationCase& c = GetParam();
    AppSettings old;
    old.seedRatioEnabled = c.enabled;
    old.seedRatioLimit = c.limit;
    old.seedMigratedV1 = c.migrated;
    old.theme = AppTheme::dark;
    seed(StorageFiles::kSettings, old);
    const QByteArray before = m_env.readStorageFile("settings.json");

    const auto store = start();

    EXPECT_EQ(store->settings().seedRatioEnabled, c.expectedEnabled);
    EXPECT_EQ(store->settings().seedRatioLimit, c.limit);
    EXPECT_TRUE(store->settings().seedMigratedV1);
    EXPECT_EQ(store->settings().theme, AppTheme::dark);
    EXPECT_EQ(stored<AppSettings>(StorageFiles::kSettings), store->settings());
    EXPECT_EQ(m_env.readStorageFile("settings.json") != before, c.rewritten);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SeedingMigration,
    testing::Values(MigrationCase{"disabledWithoutLimitIsReEnabled", false, 0.0, false, true, true},
                    MigrationCase{"disabledWithALimitStaysDisabled", false, 2.0, false, false,
                                  true},
                    MigrationCase{"enabledOnlyGetsTheMark", true, 0.0, false, true, true},
                    MigrationCase{"alreadyMigratedIsLeftAlone", false, 0.0, true, false, false}),
    [](const testing::TestParamInfo<MigrationCase>& info) { return info.param.label; });

TEST_F(StoreLifecycle, OneUnreadableFileLosesNothingElse) {
    const QList<Show> shows{show("Dark"), show("Severance")};
    seed(StorageFiles::kShows, shows);
    const QByteArray badMovies = R"([{"name":"Heat"},{"name":"Alien","quality":"2160p"}])";
    m_env.writeStorageFile("movies.json", badMovies);
    m_env.writeStorageFile("activity.json", "[{\"id\":");
    seed(StorageFiles::kHistory,
         QList<DownloadRecord>{DownloadRecord{.id = "h", .showID = shows[0].id}});

    const auto store = start();
    EXPECT_EQ(store->shows(), shows);
    ASSERT_EQ(store->movies().size(), 1); // the record that decodes is kept
    EXPECT_EQ(store->movies().first().name, "Heat");
    EXPECT_TRUE(store->activity().isEmpty());
    EXPECT_EQ(store->history().size(), 1);

    // The next saves write fresh files; the originals stay beside them for repair.
    store->logActivity("after", ActivityEntry::Kind::check);
    store->saveMovies();
    const QStringList asides =
        QDir(m_env.storageFolder()).entryList({"*.unreadable-*"}, QDir::Files, QDir::Name);
    ASSERT_EQ(asides.size(), 2);
    EXPECT_TRUE(asides[0].startsWith("activity.json.unreadable-"));
    EXPECT_TRUE(asides[1].startsWith("movies.json.unreadable-"));
    EXPECT_EQ(m_env.readStorageFile(asides[1]), badMovies);
    EXPECT_EQ(stored<QList<Show>>(StorageFiles::kShows), shows);
}

TEST_F(StoreLifecycle, AnUnwritableStorageFolderKeepsTheStoreWorkingInMemory) {
    m_env.writeStorageFile("blocker", "x");
    StoreEnvironment env = m_env.environment();
    env.storageFolder = QDir(m_env.storageFolder()).filePath("blocker/Lumivane");

    WatchlistStore store(env, nullptr, nullptr);
    store.logActivity("still here", ActivityEntry::Kind::check);
    store.updateSettings([](AppSettings& s) { s.theme = AppTheme::dark; });

    EXPECT_EQ(store.activity().size(), 1);
    EXPECT_EQ(store.settings().theme, AppTheme::dark);
    EXPECT_FALSE(QFileInfo::exists(env.storageFolder));
}

// --- stale statuses ----------------------------------------------------------------------------

struct RepairCase {
    ShowStatus::State state;
    bool followed;
    bool repaired;
};

class StaleStatusRepair : public StoreLifecycle, public testing::WithParamInterface<RepairCase> {};

TEST_P(StaleStatusRepair, ResetsOnlyStatusesWithoutAFollowedTorrent) {
    const RepairCase& c = GetParam();
    Show s = show("Dark", c.state);
    Movie m{.id = QUuid::createUuid(), .name = "Heat"};
    m.status.state = c.state;
    m.status.detail = "searching";
    seed(StorageFiles::kShows, QList<Show>{s});
    seed(StorageFiles::kMovies, QList<Movie>{m});
    QMap<QString, ActiveDownload> downloads;
    if (c.followed) {
        downloads.insert("aaa", {ActiveDownload::Kind::episode, s.id, "S01E01", false, "EZTV"});
        downloads.insert("bbb", {ActiveDownload::Kind::movie, m.id, "", false, "YTS"});
    }
    seed(StorageFiles::kDownloads, downloads);

    const auto store = start();

    const ShowStatus expectedShow = c.repaired ? ShowStatus{} : s.status;
    const ShowStatus expectedMovie = c.repaired ? ShowStatus{} : m.status;
    EXPECT_EQ(store->shows().first().status, expectedShow);
    EXPECT_EQ(store->movies().first().status, expectedMovie);
    EXPECT_EQ(stored<QList<Show>>(StorageFiles::kShows)->first().status, expectedShow);
    EXPECT_EQ(stored<QList<Movie>>(StorageFiles::kMovies)->first().status, expectedMovie);
}

INSTANTIATE_TEST_SUITE_P(Cases, StaleStatusRepair,
                         testing::Values(RepairCase{ShowStatus::State::downloading, false, true},
                                         RepairCase{ShowStatus::State::found, false, true},
                                         RepairCase{ShowStatus::State::error, false, true},
                                         RepairCase{ShowStatus::State::sorted, false, false},
                                         RepairCase{ShowStatus::State::idle, false, false},
                                         RepairCase{ShowStatus::State::downloading, true, false},
                                         RepairCase{ShowStatus::State::error, true, false}));

TEST_F(StoreLifecycle, RepairTouchesOnlyTheRecordsThatNeedIt) {
    const Show crashed = show("Crashed", ShowStatus::State::downloading);
    const Show followed = show("Followed", ShowStatus::State::downloading);
    const Show done = show("Done", ShowStatus::State::sorted);
    seed(StorageFiles::kShows, QList<Show>{crashed, followed, done});
    seed(StorageFiles::kDownloads,
         QMap<QString, ActiveDownload>{
             {"h", {ActiveDownload::Kind::episode, followed.id, "S01E01", false, ""}}});

    const auto store = start();
    EXPECT_EQ(store->shows()[0].status, ShowStatus{});
    EXPECT_EQ(store->shows()[1], followed);
    EXPECT_EQ(store->shows()[2], done);
    EXPECT_EQ(store->activeDownloads().size(), 1);
}

// --- activity log ------------------------------------------------------------------------------

TEST_F(StoreLifecycle, TheLogKeepsTheNewest500LinesNewestFirst) {
    const auto store = start();
    QSignalSpy logged(store.get(), &WatchlistStore::activityLogged);
    for (int i = 1; i <= 501; ++i)
        store->logActivity(QStringLiteral("line %1").arg(i), ActivityEntry::Kind::check);

    ASSERT_EQ(store->activity().size(), 500);
    EXPECT_EQ(store->activity().first().message, "line 501");
    EXPECT_EQ(store->activity().last().message, "line 2");
    EXPECT_EQ(logged.count(), 501);

    const auto onDisk = stored<QList<ActivityEntry>>(StorageFiles::kActivity);
    ASSERT_TRUE(onDisk);
    EXPECT_EQ(*onDisk, store->activity());
}

TEST_F(StoreLifecycle, ALogLineCarriesTheClockAndAFreshId) {
    const auto store = start();
    m_env.clock().set(Timestamp{786000000.25});
    store->logActivity("Found: Dark S01E01 via EZTV (12 seeders)", ActivityEntry::Kind::found);
    store->logActivity("again", ActivityEntry::Kind::error);

    const ActivityEntry& older = store->activity()[1];
    EXPECT_EQ(older.date, Timestamp{786000000.25});
    EXPECT_EQ(older.kind, ActivityEntry::Kind::found);
    EXPECT_EQ(older.message, "Found: Dark S01E01 via EZTV (12 seeders)");
    EXPECT_NE(older.id, store->activity()[0].id);
}

// --- countdown and check guard -----------------------------------------------------------------

TEST_F(StoreLifecycle, TheCountdownRunsDownStartsACycleAndStartsOver) {
    seedDueSeries();
    const auto store = start();
    QSignalSpy finished(store.get(), &WatchlistStore::checkCycleFinished);
    ASSERT_EQ(store->secondsUntilNextCheck(), 3600);

    tick(*store, 3599);
    EXPECT_EQ(store->secondsUntilNextCheck(), 1);
    EXPECT_FALSE(store->isChecking());
    tick(*store, 1);
    EXPECT_EQ(store->secondsUntilNextCheck(), 0);
    EXPECT_FALSE(store->isChecking());

    tick(*store, 1);
    EXPECT_TRUE(store->isChecking());
    // Ticks while the cycle runs change nothing and start nothing.
    tick(*store, 5);
    store->runCheck(true);
    EXPECT_EQ(store->secondsUntilNextCheck(), 0);

    ASSERT_TRUE(runEventLoopUntil([&] { return !store->isChecking(); }));
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(store->secondsUntilNextCheck(), 3600);
    drainEvents();
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(StoreLifecycle, ANewIntervalRestartsTheCountdownFromTheFullInterval) {
    const auto store = start();
    tick(*store, 2400);
    ASSERT_EQ(store->secondsUntilNextCheck(), 1200);

    store->updateSettings([](AppSettings& s) { s.checkIntervalMinutes = 15; });
    EXPECT_EQ(store->secondsUntilNextCheck(), 900);
    EXPECT_EQ(stored<AppSettings>(StorageFiles::kSettings)->checkIntervalMinutes, 15);

    // Other settings leave the countdown alone.
    tick(*store, 100);
    store->updateSettings([](AppSettings& s) { s.theme = AppTheme::dark; });
    EXPECT_EQ(store->secondsUntilNextCheck(), 800);
}

TEST_F(StoreLifecycle, AManualCheckLeavesTheCountdownUntilItEnds) {
    seedDueSeries();
    const auto store = start();
    tick(*store, 600);
    store->runCheck(true);
    EXPECT_TRUE(store->isChecking());
    EXPECT_EQ(store->secondsUntilNextCheck(), 3000);
    ASSERT_TRUE(runEventLoopUntil([&] { return !store->isChecking(); }));
    EXPECT_EQ(store->secondsUntilNextCheck(), 3600);
}

TEST_F(StoreLifecycle, TheCountdownTimerTicksOnItsOwn) {
    const auto store = start();
    EXPECT_TRUE(runEventLoopUntil([&] { return store->secondsUntilNextCheck() == 3599; }, 5000));
}

TEST_F(StoreLifecycle, AStoreDestroyedMidCycleLeavesNothingBehind) {
    seedDueSeries();
    auto store = start();
    store->runCheck(true);
    ASSERT_TRUE(store->isChecking());
    store.reset();
    drainEvents(); // the suspended cycle resumes and must notice the store is gone
}

// --- settings, paths, keys, ordering -----------------------------------------------------------

TEST_F(StoreLifecycle, SettingsChangesArePublishedSavedAndTheNewRootPrepared) {
    const auto store = start();
    QSignalSpy changed(store.get(), &WatchlistStore::settingsChanged);
    const QString newRoot = QDir(m_env.root()).filePath("elsewhere/Library");

    store->updateSettings([&](AppSettings& s) { s.rootFolder = QUrl::fromLocalFile(newRoot); });

    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(store->rootFolderURL(), QUrl::fromLocalFile(newRoot));
    EXPECT_EQ(stored<AppSettings>(StorageFiles::kSettings)->rootFolder,
              QUrl::fromLocalFile(newRoot));
    EXPECT_TRUE(QDir(newRoot).exists("Series"));
    EXPECT_TRUE(QDir(newRoot).exists("Movies"));
}

TEST_F(StoreLifecycle, TheLibraryRootIsTheDefaultUnlessALocalFolderIsChosen) {
    const auto store = start();
    EXPECT_EQ(store->rootFolderPath(), m_env.libraryRoot());
    store->updateSettings([](AppSettings& s) { s.rootFolder = QUrl("https://example.com/lib"); });
    EXPECT_EQ(store->rootFolderPath(), m_env.libraryRoot());
}

TEST_F(StoreLifecycle, TheTmdbKeyIsTheUsersUnlessEmpty) {
    const auto store = start();
    EXPECT_EQ(store->effectiveTMDBKey(), "3c9a07e5d41b2f86a0e7c5b19d24f6a8");
    store->updateSettings([](AppSettings& s) { s.tmdbAPIKey = " "; });
    EXPECT_EQ(store->effectiveTMDBKey(), " ");
}

TEST_F(StoreLifecycle, HistoryRowsOfOneItemKeepHistoryOrder) {
    const QUuid a = QUuid::createUuid();
    const QUuid b = QUuid::createUuid();
    seed(StorageFiles::kHistory, QList<DownloadRecord>{{.id = "3", .showID = a},
                                                       {.id = "2", .showID = b},
                                                       {.id = "1", .showID = a}});
    const auto store = start();
    const auto rows = store->historyRows(a);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].id, "3");
    EXPECT_EQ(rows[1].id, "1");
    EXPECT_TRUE(store->historyRows(QUuid::createUuid()).isEmpty());
}

struct SortCase {
    const char* a;
    const char* b;
    bool before;
};

class TitleOrdering : public testing::TestWithParam<SortCase> {};

TEST_P(TitleOrdering, IgnoresTheArticleCaseAndCountsNumbers) {
    EXPECT_EQ(WatchlistStore::titleSortsBefore(QString::fromUtf8(GetParam().a),
                                               QString::fromUtf8(GetParam().b)),
              GetParam().before)
        << GetParam().a << " vs " << GetParam().b;
}

INSTANTIATE_TEST_SUITE_P(
    Names, TitleOrdering,
    testing::Values(SortCase{"The Expanse", "Fargo", true}, // filed under E
                    SortCase{"Dark", "The Expanse", true}, SortCase{"The Expanse", "Dark", false},
                    SortCase{"The Office", "The office", false}, // equal up to case
                    SortCase{"The office", "The Office", false},
                    SortCase{"  the   Wire ", "Westworld", false},
                    SortCase{"Theodosia", "The Wire", true}, // "The" only as a whole word
                    SortCase{"Season 2", "Season 10", true},
                    SortCase{"Season 10", "Season 2", false}, SortCase{"alf", "Barry", true}));

// --- the daemon: library root and seeding limit ------------------------------------------------

TEST_F(StoreLifecycle, ANewRootIsHandedToTheDaemonSupervisor) {
    // A supervisor without an executable: it never starts a daemon, but keeps its folders.
    TransmissionEngine engine(m_env.libraryRoot(), m_env.storageFolder(),
                              m_env.environment().endpoints, m_env.environment().clock,
                              {QString(), std::chrono::milliseconds(2000)});
    WatchlistStore store(m_env.environment(), &engine, nullptr);
    const QString newRoot = QDir(m_env.root()).filePath("media");

    store.updateSettings([&](AppSettings& s) { s.rootFolder = QUrl::fromLocalFile(newRoot); });

    EXPECT_EQ(engine.downloadDir(), newRoot);
    EXPECT_EQ(engine.incompleteDir(), QDir(newRoot).filePath("Incomplete"));
    EXPECT_TRUE(QDir(newRoot).exists("Incomplete"));
    EXPECT_FALSE(engine.isRunning());
}

namespace {

// The daemon's RPC as far as the seeding limit needs it: session-get fails `failures` times.
class SeedingDaemon {
public:
    explicit SeedingDaemon(int failures)
        : m_failures(failures) {
        m_server.setHandler([this](const FakeHttpServer::Request& r) {
            const auto body = Json::parse(r.body.toStdString());
            if (body["method"] == "session-get" && m_failures-- > 0)
                return FakeHttpServer::Response{500, "starting", "text/plain", {}, 0};
            return FakeHttpServer::Response{
                200, R"({"arguments":{},"result":"success"})", "application/json", {}, 0};
        });
    }
    quint16 port() const { return m_server.port(); }
    // The session calls; the start-up's tidy-up of leftover torrents is not counted.
    QList<Json> calls() const {
        QList<Json> out;
        for (const auto& r : m_server.requests()) {
            const Json body = Json::parse(r.body.toStdString());
            if (body["method"] != "torrent-get")
                out << body;
        }
        return out;
    }

private:
    FakeHttpServer m_server;
    int m_failures;
};

} // namespace

TEST_F(StoreLifecycle, TheSeedingLimitWaitsForTheDaemonThenSendsBothSettings) {
    SeedingDaemon daemon(1);
    StoreEnvironment env = m_env.environment();
    env.endpoints.rpcPort = daemon.port();
    WatchlistStore store(env, nullptr, nullptr);

    // A change of the seeding settings sends them itself.
    store.updateSettings([](AppSettings& s) {
        s.seedRatioEnabled = true;
        s.seedRatioLimit = 1.5;
    });
    ASSERT_TRUE(runEventLoopUntil([&] { return daemon.calls().size() == 4; }, 10000));
    const QList<Json> calls = daemon.calls();
    EXPECT_EQ(calls[0]["method"], "session-get");
    EXPECT_EQ(calls[1]["method"], "session-get");
    EXPECT_EQ(calls[2]["method"], "session-set");
    EXPECT_EQ(calls[2]["arguments"]["seedRatioLimit"], 1.5);
    EXPECT_EQ(calls[2]["arguments"]["seedRatioLimited"], true);
    EXPECT_EQ(calls[3]["arguments"]["queue-stalled-enabled"], true);
    EXPECT_EQ(calls[3]["arguments"]["queue-stalled-minutes"], 5);
}

TEST_F(StoreLifecycle, TheSeedingLimitGivesUpQuietlyWhenTheDaemonNeverAnswers) {
    SeedingDaemon daemon(100);
    StoreEnvironment env = m_env.environment();
    env.endpoints.rpcPort = daemon.port();
    WatchlistStore store(env, nullptr, nullptr);

    store.applySeedRatio(1);
    ASSERT_TRUE(runEventLoopUntil([&] { return daemon.calls().size() == 2; }, 10000));
    runEventLoopUntil([] { return false; }, 2000); // long enough for a third try, if one came
    EXPECT_EQ(daemon.calls().size(), 2);
    EXPECT_TRUE(store.activity().isEmpty());
}
