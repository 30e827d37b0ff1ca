// What the store tells the user when something is broken: files set aside at start, the
// download engine that cannot run, indexes that do not answer, a refused TMDB key — once per
// outage, with the line that it is over — and the finished torrent still being moved.

#include "DaemonSupport.h"
#include "FakeServices.h"
#include "StoreHarness.h"

#include <QHttpServer>
#include <QHttpServerResponder>
#include <QSignalSpy>

namespace {

class StoreHealth : public StoreHarness {
protected:
    QString storage(const QString& name) const { return m_env.storagePath(name); }

    // The copies set aside beside `file`.
    QStringList keptCopies(const char* file) const {
        return QDir(m_env.storageFolder())
            .entryList({QString::fromLatin1(file) + ".unreadable-*"}, QDir::Files);
    }

    QStringList errorLines() const {
        QStringList lines;
        for (const ActivityEntry& e : m_store->activity()) {
            if (e.kind == ActivityEntry::Kind::error)
                lines.prepend(e.message);
        }
        return lines;
    }
};

} // namespace

// --- files set aside at start ------------------------------------------------------------------

TEST_F(StoreHealth, AShowWithAHandEditedYearCostsOnlyThatShowAndIsToldOnce) {
    const QByteArray original =
        R"([{"name":"Dark","firstAirYear":"2017"},{"name":"Severance","firstAirYear":2025},)"
        R"({"name":"Andor"}])";
    m_env.writeStorageFile("shows.json", original);
    start();
    drainEvents();

    QStringList names;
    for (const Show& s : m_store->shows())
        names << s.name;
    EXPECT_EQ(names, QStringList({"Dark", "Andor"}));

    const QStringList copies = keptCopies(StorageFiles::kShows);
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(m_env.readStorageFile(copies.first()), original);
    const QString line = "shows.json: kept 2 of 3 series; 1 that could not be read was set "
                         "aside. The original file is kept as " +
                         storage(copies.first()) + ".";
    EXPECT_EQ(log(), QStringList{line});
    EXPECT_EQ(m_store->activity().first().kind, ActivityEntry::Kind::error);
    ASSERT_EQ(m_notifier.notices.size(), 1);
    EXPECT_EQ(m_notifier.notices.first().title, "Part of shows.json could not be read");
    EXPECT_EQ(m_notifier.notices.first().body, line);

    // The kept series are on disk at once, so a restart does not lose them as well.
    const auto onDisk = stored<QList<Show>>(StorageFiles::kShows);
    ASSERT_TRUE(onDisk);
    EXPECT_EQ(onDisk->size(), 2);
}

struct SetAsideCase {
    const char* label;
    const char* file;
    const char* bytes;
    const char* lineStart; // up to the kept copy's path
};

class SetAsideAtStart : public StoreHealth, public testing::WithParamInterface<SetAsideCase> {};

TEST_P(SetAsideAtStart, SaysWhatWasKeptAndWhereTheOriginalIs) {
    const SetAsideCase& c = GetParam();
    m_env.writeStorageFile(QString::fromLatin1(c.file), c.bytes);
    start();
    drainEvents();

    const QStringList copies = keptCopies(c.file);
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(errorLines(), QStringList{QString::fromUtf8(c.lineStart) +
                                        " The original file is kept as " +
                                        storage(copies.first()) + "."});
    EXPECT_EQ(m_notifier.notices.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SetAsideAtStart,
    testing::Values(
        SetAsideCase{"showsGarbled", "shows.json", "[{", "shows.json could not be read, so Lumivane starts with no series."},
        SetAsideCase{"moviesTwoBad", "movies.json",
                     R"([{"name":"Heat"},{"name":1},{"name":"Ronin","quality":"8K"}])",
                     "movies.json: kept 1 of 3 movies; 2 that could not be read were set aside."},
        SetAsideCase{"oneMovieBad", "movies.json", R"([{"name":1}])",
                     "movies.json: kept 0 of 1 movie; 1 that could not be read was set aside."},
        SetAsideCase{"activityNotAList", "activity.json", R"({"message":"x"})",
                     "activity.json could not be read, so Lumivane starts a new activity log."},
        SetAsideCase{"settingsOneWrong", "settings.json",
                     R"({"theme":"dark","checkIntervalMinutes":"15","seedMigratedV1":true})",
                     "settings.json: kept 2 of 3 settings; 1 that could not be read went back to "
                     "its default."},
        SetAsideCase{"settingsGarbled", "settings.json", "{]",
                     "settings.json could not be read, so Lumivane starts with the default "
                     "settings."},
        SetAsideCase{"downloadsOneBad", "downloads.json",
                     R"({"a":{"kind":"movie"},"b":{"showID":"6F9619FF-8B86-D011-B42D-00C04FC964FF"}})",
                     "downloads.json: kept 1 of 2 downloads; 1 that could not be read was set "
                     "aside."},
        SetAsideCase{"historyGarbled", "history.json", "nul",
                     "history.json could not be read, so Lumivane starts a new download "
                     "history."}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(StoreHealth, ASettingOfTheWrongTypeFallsBackAloneAndTheOthersStay) {
    m_env.writeStorageFile("settings.json",
                           R"({"theme":"dark","checkIntervalMinutes":"15","staleNudgeDays":3})");
    start();
    EXPECT_EQ(m_store->settings().theme, AppTheme::dark);
    EXPECT_EQ(m_store->settings().staleNudgeDays, 3);
    EXPECT_EQ(m_store->settings().checkIntervalMinutes, AppSettings{}.checkIntervalMinutes);
}

TEST_F(StoreHealth, CleanFilesSayNothing) {
    seed(StorageFiles::kShows, QList<Show>{Show{.id = QUuid::createUuid(), .name = "Dark"}});
    start();
    drainEvents();
    EXPECT_TRUE(m_store->activity().isEmpty());
    EXPECT_TRUE(m_notifier.notices.isEmpty());
}

// --- the download engine -----------------------------------------------------------------------

namespace {

using State = EngineHealth::State;
using Cause = EngineHealth::Cause;

struct EngineStory {
    const char* label;
    QList<EngineHealth> reports; // as the supervisor sends them, in order
    QStringList lines;           // what the log says, oldest first ("%E" = endpoints.json, "%L" = log)
    int notices;
};

const EngineHealth kStarting{State::starting, Cause::none, {}};
const EngineHealth kRunning{State::running, Cause::none, {}};

const EngineStory kEngineStories[] = {
    {"missingThenInstalled",
     {{State::stopped, Cause::binaryMissing, "/opt/x/transmission-daemon"},
      {State::stopped, Cause::binaryMissing, "/opt/x/transmission-daemon"},
      kStarting,
      kRunning},
     {"The download engine is missing: there is no transmission-daemon at "
      "/opt/x/transmission-daemon. Install transmission-daemon (sudo apt install "
      "transmission-daemon); Lumivane starts it as soon as it is there.",
      "The download engine is running again."},
     1},
    {"notRunnable",
     {{State::stopped, Cause::notExecutable, "/opt/x/transmission-daemon"}},
     {"The download engine at /opt/x/transmission-daemon cannot be run. Reinstall "
      "transmission-daemon (sudo apt install --reinstall transmission-daemon); Lumivane starts it "
      "as soon as it can."},
     1},
    {"portTakenThenFreed",
     {{State::stopped, Cause::rpcPortTaken, "9098"},
      {State::stopped, Cause::rpcPortTaken, "9098"},
      kStarting,
      kRunning,
      kRunning},
     {"The download engine cannot listen on port 9098: another program is using it. Close that "
      "program, or set another \"rpcPort\" in %E and restart Lumivane.",
      "The download engine is running again."},
     1},
    {"failingAtEveryStartUntilGivenUp",
     {kStarting,
      {State::stopped, Cause::exitedAtStart, "Couldn't create config dir"},
      kStarting,
      {State::stopped, Cause::exitedAtStart, "Couldn't create config dir"},
      {State::stopped, Cause::restartsGivenUp, "Couldn't create config dir"}},
     {"The download engine stopped right after starting: Couldn't create config dir. Lumivane "
      "tries again a few times; the engine's log is %L.",
      "The download engine kept stopping (last: Couldn't create config dir) and Lumivane gave up "
      "restarting it; nothing downloads until Lumivane is started again. The engine's log is %L."},
     2},
    {"quietRestartAfterAGoodRun", {kStarting, kRunning, kStarting, kRunning, EngineHealth{}}, {}, 0},
    {"aSecondOutageIsToldAgain",
     {{State::stopped, Cause::rpcPortTaken, "9098"}, kRunning,
      {State::stopped, Cause::rpcPortTaken, "9098"}},
     {"The download engine cannot listen on port 9098: another program is using it. Close that "
      "program, or set another \"rpcPort\" in %E and restart Lumivane.",
      "The download engine is running again.",
      "The download engine cannot listen on port 9098: another program is using it. Close that "
      "program, or set another \"rpcPort\" in %E and restart Lumivane."},
     2},
};

class EngineStories : public StoreHealth, public testing::WithParamInterface<EngineStory> {};

} // namespace

TEST_P(EngineStories, EachFailureIsToldOnceAndItsEndToo) {
    const EngineStory& story = GetParam();
    start();
    drainEvents();
    QSignalSpy changes(m_store.get(), &WatchlistStore::engineHealthChanged);
    for (const EngineHealth& report : story.reports)
        m_store->noteEngineHealth(report);

    QStringList expected;
    for (QString line : story.lines)
        expected << line.replace("%E", storage("endpoints.json"))
                        .replace("%L", storage("transmission-config/engine.log"));
    EXPECT_EQ(log(), expected);
    ASSERT_EQ(m_notifier.notices.size(), story.notices);
    if (story.notices > 0) {
        EXPECT_EQ(m_notifier.notices.first().title, "Lumivane cannot download");
        EXPECT_EQ(m_notifier.notices.first().body, expected.first());
    }
    EXPECT_EQ(m_store->engineHealth(), story.reports.last());
    EXPECT_GE(changes.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Stories, EngineStories, testing::ValuesIn(kEngineStories),
                         [](const auto& info) { return std::string(info.param.label); });

// --- indexes -----------------------------------------------------------------------------------

namespace {

// Every index at a loopback port nobody listens on: each connection is refused.
class SilentIndexes : public StoreHealth {
protected:
    StoreEnvironment environment() override {
        StoreEnvironment env = StoreHarness::environment();
        for (QUrl* url : {&env.endpoints.knabenAPI, &env.endpoints.apibayQuery,
                          &env.endpoints.eztvPrimary, &env.endpoints.eztvFallback,
                          &env.endpoints.torrentsCsvSearch, &env.endpoints.nyaaRoot,
                          &env.endpoints.ytsHost})
            *url = QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_indexPort));
        env.endpoints.tmdbAPI = QUrl(QStringLiteral("http://127.0.0.1:%1/3").arg(m_indexPort));
        return env;
    }

    void runCheck() {
        m_store->runCheck(true);
        ASSERT_TRUE(runEventLoopUntil([&] { return !m_store->isChecking(); }, 20000));
    }

    // The indexes come back: the port answers every request with an empty Torrents-CSV list,
    // which Torrents-CSV reads as an answer and the others cannot read.
    void indexesComeBack() {
        m_server.setMissingHandler([](const QHttpServerRequest&, QHttpServerResponder&& r) {
            r.write(QByteArray(R"({"torrents":[]})"), "application/json");
        });
        ASSERT_EQ(m_server.listen(QHostAddress::LocalHost, m_indexPort), m_indexPort);
    }

    quint16 m_indexPort = freeLoopbackPort();
    QHttpServer m_server;
};

} // namespace

TEST_F(SilentIndexes, AnOutageIsToldOnceInsteadOfNoNewEpisodesAndItsEndOnce) {
    seed(StorageFiles::kShows, QList<Show>{Show{.id = QUuid::createUuid(), .name = "Dark"}});
    start();
    drainEvents();
    QSignalSpy changes(m_store.get(), &WatchlistStore::searchHealthChanged);

    const QString outage =
        "No torrent index answered this check (Knaben, The Pirate Bay, Torrents-CSV, Nyaa), so "
        "new episodes cannot be found. Check the network connection, or the index addresses in " +
        storage("endpoints.json") + ".";
    runCheck();
    runCheck();
    EXPECT_EQ(log(), QStringList({"Checking 1 series…", outage, "Checking 1 series…"}));
    EXPECT_EQ(m_store->searchHealth().silentIndexes,
              QStringList({"Knaben", "The Pirate Bay", "Torrents-CSV", "Nyaa"}));
    EXPECT_EQ(changes.size(), 1);

    indexesComeBack();
    runCheck();
    runCheck();
    EXPECT_EQ(log(), QStringList({"Checking 1 series…", outage, "Checking 1 series…",
                                  "Checking 1 series…", "Torrent indexes answer again (Torrents-CSV).",
                                  "No new episodes found", "Checking 1 series…",
                                  "No new episodes found"}));
    EXPECT_TRUE(m_store->searchHealth().isHealthy());
    EXPECT_EQ(changes.size(), 2);
}

// --- TMDB --------------------------------------------------------------------------------------

namespace {

class RefusedKey : public StoreHealth {
protected:
    StoreEnvironment environment() override {
        StoreEnvironment env = StoreHarness::environment();
        env.endpoints.tmdbAPI = m_tmdb.url("/3");
        return env;
    }
    FakeHttpServer m_tmdb;
};

} // namespace

TEST_F(RefusedKey, IsToldOnceWithWhereToFixItAndWhenItWorksAgain) {
    m_tmdb.respondWith({401, R"({"status_code":7,"status_message":"Invalid API key"})"});
    Show dark{.id = QUuid::createUuid(), .name = "Dark"};
    dark.tmdbID = 70523;
    Show andor{.id = QUuid::createUuid(), .name = "Andor"};
    andor.tmdbID = 83867;
    seed(StorageFiles::kShows, QList<Show>{dark, andor});
    start(); // refreshes the air information at once
    const QString refused =
        "TMDB refused the API key, so air dates and new titles cannot be looked up. Check the "
        "TMDB API key in Settings (leave it empty to use the built-in key).";
    ASSERT_TRUE(runEventLoopUntil([&] { return m_store->searchHealth().tmdbKeyRefused; }));
    awaitTask(m_store->refreshAirInfo(true));
    EXPECT_GE(m_tmdb.requests().size(), 2);
    EXPECT_EQ(errorLines(), QStringList{refused});

    // The user pastes a key TMDB takes.
    m_tmdb.respondWith({200, R"({"id":70523,"name":"Dark","status":"Ended"})"});
    m_store->updateSettings([](AppSettings& s) { s.tmdbAPIKey = "0123456789abcdef0123456789abcdef"; });
    awaitTask(m_store->refreshAirInfo(true));
    awaitTask(m_store->refreshAirInfo(true));
    EXPECT_FALSE(m_store->searchHealth().tmdbKeyRefused);
    EXPECT_EQ(log().count(refused), 1);
    EXPECT_EQ(log().count("TMDB accepts the API key again."), 1);
    EXPECT_LT(log().indexOf(refused), log().indexOf("TMDB accepts the API key again."));
}

TEST_F(RefusedKey, AnUnreachableTMDBSaysNothingAboutTheKey) {
    m_tmdb.respondWith({401, "{}"});
    Show dark{.id = QUuid::createUuid(), .name = "Dark"};
    dark.tmdbID = 70523;
    seed(StorageFiles::kShows, QList<Show>{dark});
    start();
    ASSERT_TRUE(runEventLoopUntil([&] { return m_store->searchHealth().tmdbKeyRefused; }));
    m_store->noteTMDBRequest(TMDBClient::Failure::unreachable);
    m_store->noteTMDBRequest(TMDBClient::Failure::badAnswer);
    EXPECT_TRUE(m_store->searchHealth().tmdbKeyRefused);
    EXPECT_EQ(log().count("TMDB accepts the API key again."), 0);
}

// --- a finished torrent the daemon has not moved yet -------------------------------------------

namespace {

struct MoveGap {
    const char* label;
    int status;          // what the daemon reports while the data is not in place
    bool inWorkingFolder; // where the data is meanwhile
};

class FinishedBeforeMoved : public StoreHealth, public testing::WithParamInterface<MoveGap> {};

} // namespace

TEST_P(FinishedBeforeMoved, WaitsForTheMoveInsteadOfFailingTheSort) {
    const MoveGap& c = GetParam();
    const QString h = hash('c');
    const QUuid id = QUuid::createUuid();
    seed(StorageFiles::kShows, QList<Show>{Show{.id = id, .name = "Dark"}});
    seed(StorageFiles::kDownloads,
         QMap<QString, ActiveDownload>{{h, ActiveDownload{ActiveDownload::Kind::episode, id,
                                                          "S01E02", false, "EZTV"}}});
    const QString file = "Dark.S01E02/Dark.S01E02.1080p.mkv";
    FakeTransmission::Torrent& t = m_daemon.torrents[h];
    t.hash = h;
    t.name = "Dark.S01E02";
    t.downloadDir = libraryRoot();
    t.files = {file};
    t.finish();
    t.status = c.status;
    writeDownloadedFile(c.inWorkingFolder ? "Incomplete/" + file : file, 7000);

    start(); // follows the restored download at once
    awaitTask(m_store->pollDownloads());
    awaitTask(m_store->pollDownloads());
    EXPECT_TRUE(m_store->activeDownloads().contains(h)) << log().join('\n').toStdString();
    EXPECT_TRUE(errorLines().isEmpty()) << errorLines().join('\n').toStdString();

    // The daemon has moved it and seeds: now it is sorted.
    if (c.inWorkingFolder) {
        writeDownloadedFile(file, 7000);
        QFile::remove(QDir(libraryRoot()).filePath("Incomplete/" + file));
    }
    t.status = 6;
    ASSERT_TRUE(pollUntil([&] { return m_store->activeDownloads().isEmpty(); }));
    EXPECT_TRUE(log().last().startsWith("Sorted Dark S01E02 → ")) << log().last().toStdString();
    EXPECT_TRUE(errorLines().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Gaps, FinishedBeforeMoved,
                         testing::Values(MoveGap{"checkingInWorkingFolder", 2, true},
                                         MoveGap{"waitingForCheck", 1, true},
                                         MoveGap{"checkedNotYetMoved", 6, true},
                                         MoveGap{"checkingInPlace", 2, false}),
                         [](const auto& info) { return std::string(info.param.label); });
