#include "StoreHarness.h"

namespace {

// A followed episode whose torrent has stalled: downloading, no peers, nothing arriving.
class Stalls : public StoreHarness {
protected:
    StoreEnvironment environment() override {
        StoreEnvironment env = StoreHarness::environment();
        env.pollInterval = std::chrono::hours(1); // the test drives every pass
        return env;
    }

    void SetUp() override {
        m_fakeIndexes = true;
        // Every new torrent starts stalled with its trackers reporting no seeds.
        m_daemon.onAdd = [this](FakeTransmission::Torrent& t) {
            t.seeders = m_noSeeds ? std::optional(0) : std::nullopt;
            t.files = {t.name + ".mkv"};
        };
    }

    void follow(const QString& code, const QString& h, bool noSeeds = true) {
        m_noSeeds = noSeeds;
        startWith(m_dark);
        const QString title = "Dark." + code + ".1080p.WEB-GRP";
        m_store->grab(FeedMatch{m_dark.id, code, false, title, magnet(h, title), 5, "EZTV"});
        ASSERT_TRUE(following(h));
    }

    // One follow-up pass `seconds` after the previous one.
    void passAfter(double seconds) {
        m_env.clock().advance(seconds);
        awaitTask(m_store->pollDownloads());
        drainEvents();
    }

    int calls(const char* method) const { return static_cast<int>(m_daemon.calls(method).size()); }
    QStringList followed() const { return m_store->activeDownloads().keys(); }

    const Show m_dark{.id = QUuid::createUuid(), .name = "Dark"};
    bool m_noSeeds = true;
};

} // namespace

TEST_F(Stalls, NoSeedsReannouncesAtOneMinuteThenSwitchesAtFive) {
    m_indexes.hits = {hit("Dark.S01E02.1080p.WEB-GRP", 'a', 0),
                      hit("Dark.S01E02.720p.WEB-OTHER", 'b', 40),
                      hit("Dark.S01E02.1080p.WEB-BETTER", 'c', 12)};
    follow("S01E02", hash('a'));
    passAfter(0);
    passAfter(59);
    EXPECT_EQ(calls("torrent-reannounce"), 0);

    passAfter(1);
    EXPECT_EQ(log().last(), "Dark S01E02 — no seeders on any tracker, refreshing trackers");
    ASSERT_TRUE(runEventLoopUntil([&] { return calls("torrent-reannounce") == 1; }));
    EXPECT_EQ(calls("torrent-set"), 1); // the default trackers, added first (RPC 16: trackerAdd)

    passAfter(239);
    EXPECT_EQ(followed(), QStringList{hash('a')});
    passAfter(1);
    ASSERT_TRUE(runEventLoopUntil([&] { return followed() == QStringList{hash('c')}; }));
    // The wanted resolution wins over more seeders; the switch target counts as hand-picked.
    EXPECT_TRUE(m_store->activeDownloads().value(hash('c')).userPicked);
    EXPECT_TRUE(m_store->shows().first().rejectedHashes.contains(hash('a')));
    const QStringList lines = log();
    EXPECT_TRUE(
        lines.contains("Dark S01E02 — no seeders on any tracker, switching to a healthier release "
                       "(12 seeders via Torrents-CSV)"));
    EXPECT_TRUE(lines.contains("Cancelled Dark S01E02"));
    EXPECT_EQ(lines.last(), "Started downloading Dark S01E02");
    EXPECT_EQ(m_store->autoSwitchCounts().value(uuidText(m_dark.id) + "|S01E02"), 1);
}

TEST_F(Stalls, OtherStallsWaitTenMinutesThenHalfAnHour) {
    m_indexes.hits = {hit("Dark.S01E03.1080p.WEB-OTHER", 'd', 9)};
    follow("S01E03", hash('e'), false);
    passAfter(0);
    passAfter(599);
    EXPECT_EQ(calls("torrent-reannounce"), 0);
    passAfter(1);
    EXPECT_EQ(log().last(), "Dark S01E03 — no peers yet, refreshing trackers");
    passAfter(1199);
    EXPECT_EQ(followed(), QStringList{hash('e')});
    passAfter(1);
    ASSERT_TRUE(runEventLoopUntil([&] { return followed() == QStringList{hash('d')}; }));
    EXPECT_TRUE(log().contains("Dark S01E03 — stuck with no peers, switching to a healthier "
                               "release (9 seeders via Torrents-CSV)"));
}

TEST_F(Stalls, AfterTheLimitOfSwitchesOnlyReannouncesRemain) {
    // Four other releases, all of them as dead as the first.
    for (char c : {'1', '2', '3', '4', '5'})
        m_indexes.hits.append(hit("Dark.S01E04.1080p.WEB-" + QString(c), c, 3));
    follow("S01E04", hash('0'));
    passAfter(0);
    for (int i = 0; i < 4; ++i) {
        const QString before = followed().value(0);
        passAfter(60);
        passAfter(240);
        ASSERT_TRUE(runEventLoopUntil([&] {
            return !followed().isEmpty() && followed().first() != before;
        })) << i;
        passAfter(0); // the new torrent's stall starts
    }
    const QString last = followed().first();
    passAfter(60);
    passAfter(240);
    drainEvents();
    EXPECT_EQ(followed(), QStringList{last});
    EXPECT_TRUE(m_store->stallTrackers().value(last).exhausted);
    EXPECT_EQ(m_store->autoSwitchCounts().value(uuidText(m_dark.id) + "|S01E04"), 4);
}

TEST_F(Stalls, SeasonPacksAreNeverSwitched) {
    m_indexes.hits = {hit("Dark.S02.1080p.WEB-OTHER", '9', 50)};
    follow("S02.PACK", hash('q'));
    passAfter(0);
    passAfter(60);
    ASSERT_TRUE(runEventLoopUntil([&] { return calls("torrent-reannounce") == 1; }));
    passAfter(240); // where an episode would switch, a pack is only announced again
    ASSERT_TRUE(runEventLoopUntil([&] { return calls("torrent-reannounce") == 2; }));
    EXPECT_EQ(followed(), QStringList{hash('q')});
    EXPECT_TRUE(m_store->stallTrackers().value(hash('q')).exhausted);
    EXPECT_EQ(m_indexes.searchCount(), 0);
}

TEST_F(Stalls, WithoutACandidateTheDownloadWaits) {
    m_indexes.hits = {hit("Dark.S01E05.1080p.WEB-GRP", 'b', 0)}; // only itself, unseeded
    follow("S01E05", hash('b'));
    passAfter(0);
    passAfter(60);
    passAfter(240);
    ASSERT_TRUE(
        runEventLoopUntil([&] { return log().last().endsWith("still waiting for seeders"); }));
    EXPECT_EQ(log().last(), "Dark S01E05 — no other release available, still waiting for seeders");
    EXPECT_EQ(followed(), QStringList{hash('b')});
}

TEST_F(Stalls, AMovingTorrentForgetsItsStall) {
    follow("S01E06", hash('m'));
    passAfter(0);
    passAfter(59);
    m_daemon.torrents[hash('m')].peersConnected = 1;
    passAfter(1);
    EXPECT_FALSE(m_store->stallTrackers().contains(hash('m')));
    m_daemon.torrents[hash('m')].peersConnected = 0;
    passAfter(1);
    passAfter(59); // the new stall started one second ago plus 59
    EXPECT_EQ(calls("torrent-reannounce"), 0);
}

// --- the reminder ------------------------------------------------------------------------------

TEST_F(Stalls, TheStuckReminderComesOncePerStalePeriod) {
    const struct {
        int nudgeDays;
        double stuckHours;
        int notices;
    } cases[] = {{3, 72, 1}, {3, 71.9, 0}, {0, 24 * 30, 0}, {1, 24 * 30, 1}};
    char h = 'a';
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nudgeDays * 1000 + c.stuckHours);
        wipe();
        AppSettings settings;
        settings.seedMigratedV1 = true;
        settings.staleNudgeDays = c.nudgeDays;
        seed(StorageFiles::kSettings, settings);
        follow("S01E07", hash(h++), false);
        passAfter(0); // stuck from now on
        EXPECT_TRUE(m_store->history().first().stuckSince);
        passAfter(c.stuckHours * 3600);
        passAfter(60);
        const auto stuck =
            std::count_if(m_notifier.notices.cbegin(), m_notifier.notices.cend(),
                          [](const Notice& n) { return n.title == "Download stuck"; });
        EXPECT_EQ(stuck, c.notices);
        if (c.notices) {
            EXPECT_EQ(m_notifier.notices.last().body,
                      "Dark S01E07 hasn't moved in a while — check it in Lumivane.");
        }
    }
}

TEST(StaleRows, SnoozesTwiceThenGivesUp) {
    DownloadRecord row{.id = "h", .state = DownloadRecord::State::downloading};
    const Timestamp t0{1000000};
    row.stuckSince = t0;
    EXPECT_FALSE(row.isStale(1, t0 + 86399));
    EXPECT_TRUE(row.isStale(1, t0 + 86400));
    EXPECT_FALSE(row.isStale(0, t0 + 864000));
    row.staleSnoozedUntil = t0 + 200000;
    EXPECT_FALSE(row.isStale(1, t0 + 199999));
    EXPECT_TRUE(row.isStale(1, t0 + 200000));
    row.state = DownloadRecord::State::sorted;
    EXPECT_FALSE(row.isStale(1, t0 + 300000));
}

TEST_F(Stalls, FlaggedRowsAreSnoozedAWeekAndTheThirdSnoozeAbandonsTheReminder) {
    follow("S01E09", hash('f'), false);
    passAfter(0);
    EXPECT_EQ(m_store->flaggedSeriesCount(), 0);
    m_env.clock().advance(7 * 86400);
    EXPECT_EQ(m_store->flaggedSeriesCount(), 1);
    EXPECT_TRUE(m_store->hasFlaggedDownload(m_dark.id));
    EXPECT_EQ(m_store->flaggedMovieCount(), 0);

    const Timestamp at = m_env.clock().now();
    m_store->snoozeStale(hash('f'));
    EXPECT_EQ(m_store->history().first().staleSnoozedUntil, at + 7 * 86400.0);
    EXPECT_EQ(m_store->flaggedSeriesCount(), 0);
    EXPECT_FALSE(m_store->hasFlaggedDownload(m_dark.id));
    m_store->updateSettings([](AppSettings& s) { s.staleNudgeDays = 2; });
    m_store->snoozeStaleFor(hash('f'), 3);
    EXPECT_EQ(m_store->history().first().staleSnoozedUntil, at + 3 * 86400.0);
    EXPECT_FALSE(m_store->history().first().staleAbandoned);
    m_store->snoozeStale(hash('f'));
    EXPECT_TRUE(m_store->history().first().staleAbandoned);
    EXPECT_EQ(m_store->history().first().snoozeCount, 3);
    EXPECT_TRUE(stored<QList<DownloadRecord>>(StorageFiles::kHistory)->first().staleAbandoned);
}
