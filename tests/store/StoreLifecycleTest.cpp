#include "StoreHarness.h"
#include "store/CheckCountdown.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>

namespace {

using J = nlohmann::json; // unordered: records compare whatever their key order

class StoreLifecycle : public StoreHarness {
protected:
    // A series the next cycle will search for, so the cycle waits on the indexes.
    void seedDueSeries() {
        Show s{.id = QUuid::createUuid(), .name = "Dark"};
        s.status.episode = "S01E01";
        seed(StorageFiles::kShows, QList<Show>{s});
    }

    void tick(int times) {
        for (int i = 0; i < times; ++i)
            m_store->countdown().tick();
    }

    // What the store holds of one of its files, as that file would hold it.
    J held(const std::string& file) const {
        const QByteArray bytes = file == "shows.json"      ? encodeDocument(m_store->shows())
                                 : file == "movies.json"   ? encodeDocument(m_store->movies())
                                 : file == "settings.json" ? encodeDocument(m_store->settings())
                                 : file == "downloads.json"
                                     ? encodeDocument(m_store->activeDownloads())
                                     : encodeDocument(m_store->history());
        return J::parse(bytes.toStdString());
    }

    static bool listed(const J& row, const char* key, const std::string& file) {
        const J list = row.value(key, J::array());
        return std::find(list.begin(), list.end(), J(file)) != list.end();
    }

    // Records (or the keys of one object) hold at least the expected keys, with their values.
    static void holdsKeys(const J& actual, const J& expected) {
        if (!expected.is_array()) {
            for (const auto& [key, value] : expected.items())
                EXPECT_EQ(actual.value(key, J()), value) << key;
            return;
        }
        ASSERT_EQ(actual.size(), expected.size()) << actual.dump();
        for (size_t i = 0; i < expected.size(); ++i)
            holdsKeys(actual[i], expected[i]);
    }
};

} // namespace

// --- start-up ----------------------------------------------------------------------------------

TEST_F(StoreLifecycle, AFirstStartHasDefaultsAndWritesMigratedSettings) {
    start();
    EXPECT_TRUE(m_store->shows().isEmpty() && m_store->movies().isEmpty());
    EXPECT_TRUE(m_store->history().isEmpty() && m_store->activeDownloads().isEmpty());
    EXPECT_FALSE(m_store->isChecking());
    EXPECT_EQ(m_store->secondsUntilNextCheck(), 3600);
    EXPECT_EQ(m_store->workingFolderSizeLabel(), "Calculating…");

    const AppSettings expected{.seedMigratedV1 = true};
    EXPECT_EQ(m_store->settings(), expected);
    EXPECT_EQ(stored<AppSettings>(StorageFiles::kSettings), expected);
    // Only the settings are written at start; nothing else changed.
    EXPECT_EQ(QDir(m_env.storageFolder()).entryList(QDir::Files), QStringList{"settings.json"});
    EXPECT_TRUE(QDir(libraryRoot()).exists("Series"));
    EXPECT_TRUE(QDir(libraryRoot()).exists("Movies"));
}

// Each row: the files found at start, what the store then holds (and has saved), which files
// were set aside with their original bytes, and what the log and the notices say about it.
TEST_F(StoreLifecycle, WhatTheStoreMakesOfTheFilesItFinds) {
    m_daemon.setReachable(false); // restored downloads stay as they are
    for (const J& row : fixtureJson("store/stored-states.json")) {
        SCOPED_TRACE(row["label"].get<std::string>());
        wipe();
        QMap<std::string, QByteArray> written;
        for (const auto& [file, content] : row["files"].items()) {
            written[file] = QByteArray::fromStdString(
                content.is_string() ? content.get<std::string>() : content.dump());
            m_env.writeStorageFile(QString::fromStdString(file), written[file]);
        }
        start();
        drainEvents();

        const J expectations = row.value("expect", J::object());
        for (const auto& [file, expected] : expectations.items()) {
            holdsKeys(held(file), expected);
            if (listed(row, "saved", file))
                holdsKeys(
                    J::parse(m_env.readStorageFile(QString::fromStdString(file)).toStdString()),
                    expected);
        }
        for (const auto& file : row.value("same", J::array()))
            EXPECT_EQ(m_env.readStorageFile(qstr(file)), written[file]) << file;
        for (const auto& file : row.value("rewritten", J::array()))
            EXPECT_NE(m_env.readStorageFile(qstr(file)), written[file]) << file;

        QStringList lines = strings(row.value("log", J::array()));
        for (const auto& [file, bytes] : written.toStdMap()) {
            const QString name = QString::fromStdString(file);
            const QStringList copies =
                QDir(m_env.storageFolder()).entryList({name + ".unreadable-*"}, QDir::Files);
            ASSERT_EQ(copies.size(), listed(row, "setAside", file) ? 1 : 0) << file;
            if (copies.isEmpty())
                continue;
            EXPECT_EQ(m_env.readStorageFile(copies.first()), bytes);
            lines.replaceInStrings("{" + name + "}", m_env.storagePath(copies.first()));
        }
        if (row.contains("log")) {
            EXPECT_EQ(log(), lines);
            ASSERT_EQ(m_notifier.notices.size(), lines.size());
            for (int i = 0; i < lines.size(); ++i)
                EXPECT_EQ(m_notifier.notices[i].body, lines[i]);
        }
        if (row.contains("noticeTitles")) { // one notice in such rows, counted with the log
            EXPECT_EQ(m_notifier.notices.value(0).title, qstr(row["noticeTitles"][0]));
        }
    }
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

// --- activity log ------------------------------------------------------------------------------

TEST_F(StoreLifecycle, TheLogKeepsTheNewest500LinesNewestFirstAndClearsAtOnce) {
    start();
    QSignalSpy logged(m_store.get(), &WatchlistStore::activityLogged);
    m_env.clock().set(Timestamp{786000000.25});
    for (int i = 1; i <= 501; ++i)
        m_store->logActivity(QStringLiteral("line %1").arg(i), ActivityEntry::Kind::found);

    ASSERT_EQ(m_store->activity().size(), 500);
    EXPECT_EQ(m_store->activity().first().message, "line 501");
    EXPECT_EQ(m_store->activity().last().message, "line 2");
    EXPECT_EQ(m_store->activity().last().date, Timestamp{786000000.25});
    EXPECT_EQ(m_store->activity().last().kind, ActivityEntry::Kind::found);
    EXPECT_NE(m_store->activity()[0].id, m_store->activity()[1].id);
    EXPECT_EQ(logged.count(), 501);
    EXPECT_EQ(stored<QList<ActivityEntry>>(StorageFiles::kActivity), m_store->activity());

    QSignalSpy changed(m_store.get(), &WatchlistStore::activityChanged);
    m_store->clearActivity();
    EXPECT_TRUE(m_store->activity().isEmpty());
    EXPECT_EQ(changed.count(), 1);
    // Written before any event loop runs: a crash right after cannot bring the lines back.
    EXPECT_EQ(stored<QList<ActivityEntry>>(StorageFiles::kActivity), QList<ActivityEntry>{});
}

// --- countdown and check guard -----------------------------------------------------------------

TEST_F(StoreLifecycle, TheCountdownRunsDownStartsACycleAndStartsOverAfterAnyCheck) {
    seedDueSeries();
    start();
    QSignalSpy finished(m_store.get(), &WatchlistStore::checkCycleFinished);
    tick(3599);
    EXPECT_EQ(m_store->secondsUntilNextCheck(), 1);
    tick(1);
    EXPECT_EQ(m_store->secondsUntilNextCheck(), 0);
    EXPECT_FALSE(m_store->isChecking());

    tick(1);
    EXPECT_TRUE(m_store->isChecking());
    // Ticks while the cycle runs change nothing and start nothing.
    tick(5);
    m_store->runCheck(true);
    EXPECT_EQ(m_store->secondsUntilNextCheck(), 0);

    ASSERT_TRUE(runEventLoopUntil([&] { return !m_store->isChecking(); }));
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(m_store->secondsUntilNextCheck(), 3600);
    drainEvents();
    EXPECT_EQ(finished.count(), 1);

    // A manual check leaves the countdown alone until it ends.
    tick(600);
    m_store->runCheck(true);
    EXPECT_TRUE(m_store->isChecking());
    EXPECT_EQ(m_store->secondsUntilNextCheck(), 3000);
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_store->isChecking(); }));
    EXPECT_EQ(m_store->secondsUntilNextCheck(), 3600);
}

TEST_F(StoreLifecycle, ANewIntervalRestartsTheCountdownFromTheFullInterval) {
    start();
    tick(2400);
    ASSERT_EQ(m_store->secondsUntilNextCheck(), 1200);
    m_store->updateSettings([](AppSettings& s) { s.checkIntervalMinutes = 15; });
    EXPECT_EQ(m_store->secondsUntilNextCheck(), 900);
    EXPECT_EQ(stored<AppSettings>(StorageFiles::kSettings)->checkIntervalMinutes, 15);

    // Other settings leave the countdown alone.
    tick(100);
    m_store->updateSettings([](AppSettings& s) { s.theme = AppTheme::dark; });
    EXPECT_EQ(m_store->secondsUntilNextCheck(), 800);
}

TEST_F(StoreLifecycle, TheCountdownTimerTicksOnItsOwn) {
    start();
    EXPECT_TRUE(runEventLoopUntil([&] { return m_store->secondsUntilNextCheck() == 3599; }, 5000));
}

TEST_F(StoreLifecycle, AStoreDestroyedMidCycleLeavesNothingBehind) {
    m_fakeIndexes = true;
    m_indexes.delayMs = 100; // the answers are still on their way when the store goes
    m_indexes.hits = {hit("Dark.S01E02.1080p.WEB.x264", 'a')};
    seedDueSeries();
    start();
    m_store->runCheck(true);
    // An index has been asked and the cycle waits for its answer: it is really suspended.
    ASSERT_TRUE(runEventLoopUntil([&] { return m_indexes.searchCount() > 0; }));
    ASSERT_TRUE(m_store->isChecking());
    ASSERT_FALSE(m_indexes.allAnswered());
    const QByteArray shows = m_env.readStorageFile(QString::fromLatin1(StorageFiles::kShows));
    m_store.reset();
    // The answers still on their way must find the store gone: nothing written, nothing told.
    ASSERT_TRUE(runEventLoopUntil([&] { return m_indexes.allAnswered(); }));
    drainEvents();
    EXPECT_EQ(m_env.readStorageFile(QString::fromLatin1(StorageFiles::kShows)), shows);
    EXPECT_TRUE(m_notifier.notices.isEmpty());
    EXPECT_TRUE(m_daemon.calls("torrent-add").isEmpty());
}

// --- settings, paths, keys, ordering -----------------------------------------------------------

// A person editing settings.json writes a plain path; anything that is no local folder is told.
TEST_F(StoreLifecycle, AHandWrittenRootIsUsedAndAnUnusableOneIsToldBeforeTheDefaultIsTaken) {
    const QString handWritten = QDir(m_env.root()).filePath("My Media");
    const struct {
        QByteArray stored;
        QString root;
        bool told;
    } cases[] = {
        {R"({"rootFolder":")" + handWritten.toUtf8() + R"("})", handWritten, false},
        {R"({"rootFolder":"smb://nas/media"})", libraryRoot(), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.toStdString());
        m_env.writeStorageFile(QString::fromLatin1(StorageFiles::kSettings), c.stored);
        WatchlistStore store(m_env.environment(), nullptr, nullptr);
        drainEvents();
        EXPECT_EQ(store.rootFolderPath(), c.root);
        const bool told = std::any_of(
            store.activity().cbegin(), store.activity().cend(), [&](const ActivityEntry& e) {
                return e.message == "The library folder \"smb://nas/media\" in settings.json is "
                                    "not a local folder; "
                                    "using " +
                                        libraryRoot() + " instead";
            });
        EXPECT_EQ(told, c.told);
    }
}

TEST_F(StoreLifecycle, SettingsChangesArePublishedSavedAndTheNewRootPreparedForTheDaemon) {
    // A supervisor without an executable: it never starts a daemon, but keeps its folders.
    TransmissionEngine engine(libraryRoot(), m_env.storageFolder(), m_env.environment().endpoints,
                              m_env.environment().clock,
                              {QString(), std::chrono::milliseconds(2000)});
    WatchlistStore store(environment(), &engine, nullptr);
    EXPECT_EQ(store.rootFolderPath(), libraryRoot());
    QSignalSpy changed(&store, &WatchlistStore::settingsChanged);
    const QString newRoot = QDir(m_env.root()).filePath("elsewhere/Library");

    store.updateSettings([&](AppSettings& s) { s.rootFolder = QUrl::fromLocalFile(newRoot); });
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(store.rootFolderURL(), QUrl::fromLocalFile(newRoot));
    EXPECT_EQ(stored<AppSettings>(StorageFiles::kSettings)->rootFolder,
              QUrl::fromLocalFile(newRoot));
    for (const char* folder : {"Series", "Movies", "Incomplete"})
        EXPECT_TRUE(QDir(newRoot).exists(folder)) << folder;
    EXPECT_EQ(engine.downloadDir(), newRoot);
    EXPECT_EQ(engine.incompleteDir(), QDir(newRoot).filePath("Incomplete"));
    EXPECT_FALSE(engine.isRunning());
    // The running daemon stages new downloads in the new working folder at once.
    const J folders{{"download-dir", newRoot.toStdString()},
                    {"incomplete-dir", QDir(newRoot).filePath("Incomplete").toStdString()},
                    {"incomplete-dir-enabled", true}};
    EXPECT_TRUE(runEventLoopUntil([&] {
        return std::ranges::any_of(m_daemon.calls("session-set"),
                                   [&](const J& call) { return call["arguments"] == folders; });
    }));

    // A blank key is the user's.
    store.updateSettings([](AppSettings& s) { s.tmdbAPIKey = " "; });
    EXPECT_EQ(store.effectiveTMDBKey(), " ");
}

TEST(TitleOrdering, IgnoresTheArticleCaseAndCountsNumbers) {
    for (const J& row : fixtureJson("store/title-order.json"))
        EXPECT_EQ(titleSortsBefore(qstr(row[0]), qstr(row[1])), row[2].get<bool>()) << row.dump();
}

// --- the daemon: seeding limit ---------------------------------------------------------------

namespace {

// The session calls; the start-up's tidy-up of leftover torrents is not counted.
QList<J> sessionCalls(const FakeTransmission& daemon) {
    QList<J> out;
    for (const J& call : daemon.calls())
        if (call["method"] != "torrent-get")
            out << call;
    return out;
}

} // namespace

TEST_F(StoreLifecycle, TheSeedingLimitWaitsForTheDaemonThenSendsBothSettingsOrGivesUpQuietly) {
    FakeTransmission slow, silent;
    slow.sessionGetFailures = 1;
    silent.sessionGetFailures = 100;
    StoreEnvironment env = m_env.environment();
    env.endpoints.rpcPort = slow.port();
    WatchlistStore store(env, nullptr, nullptr);
    env.endpoints.rpcPort = silent.port();
    WatchlistStore other(env, nullptr, nullptr);

    // A change of the seeding settings sends them itself.
    store.updateSettings([](AppSettings& s) {
        s.seedRatioEnabled = true;
        s.seedRatioLimit = 1.5;
    });
    other.applySeedRatio(1);
    ASSERT_TRUE(runEventLoopUntil([&] { return sessionCalls(slow).size() == 4; }, 10000));
    const QList<J> calls = sessionCalls(slow);
    EXPECT_EQ(calls[0]["method"], "session-get");
    EXPECT_EQ(calls[1]["method"], "session-get");
    EXPECT_EQ(calls[2]["method"], "session-set");
    EXPECT_EQ(calls[2]["arguments"]["seedRatioLimit"], 1.5);
    EXPECT_EQ(calls[2]["arguments"]["seedRatioLimited"], true);
    EXPECT_EQ(calls[3]["arguments"]["queue-stalled-enabled"], true);
    EXPECT_EQ(calls[3]["arguments"]["queue-stalled-minutes"], 5);

    ASSERT_TRUE(runEventLoopUntil([&] { return sessionCalls(silent).size() == 2; }, 10000));
    runEventLoopUntil([] { return false; }, 2000); // long enough for a third try, if one came
    EXPECT_EQ(sessionCalls(silent).size(), 2);
    EXPECT_TRUE(other.activity().isEmpty());
}
