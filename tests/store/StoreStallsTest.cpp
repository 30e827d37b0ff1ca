#include "StoreHarness.h"
#include "store/DownloadFollower.h"
#include "store/StallRescuer.h"

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
        m_store->follower().grab(
            FeedMatch{m_dark.id, code, false, title, magnet(h, title), 5, "EZTV"});
        ASSERT_TRUE(following(h));
    }

    // One follow-up pass `seconds` after the previous one.
    void passAfter(double seconds) {
        m_env.clock().advance(seconds);
        awaitTask(m_store->follower().poll());
        drainEvents();
    }

    int calls(const char* method) const { return static_cast<int>(m_daemon.calls(method).size()); }
    QStringList followed() const { return m_store->activeDownloads().keys(); }

    const Show m_dark{.id = QUuid::createUuid(), .name = "Dark"};
    bool m_noSeeds = true;
};

} // namespace

// Each row: a stalled episode, the passes that follow (seconds apart, the peers the daemon then
// reports) and what each pass has led to; then what the store made of the stall.
TEST_F(Stalls, StallsAreReannouncedThenSwitchedOnTheirOwnTimings) {
    for (const auto& row : fixtureJson("store/stalls.json")) {
        SCOPED_TRACE(row["label"].get<std::string>());
        wipe();
        m_daemon.torrents.clear();
        m_indexes.hits = hits(row["hits"]);
        const QString h = hash(row["torrent"]);
        follow(qstr(row["code"]), h, row["noSeeds"].get<bool>());
        // Counted once this row's store has been answered: a call the previous row's store sent
        // just before it went may reach the daemon only now.
        const int reannounced = calls("torrent-reannounce"), trackersSet = calls("torrent-set"),
                  searches = m_indexes.searchCount();
        int step = 0;
        for (const auto& s : row["steps"]) {
            SCOPED_TRACE(step++);
            if (s.contains("peers"))
                m_daemon.torrents[h].peersConnected = s["peers"].get<int>();
            passAfter(s["after"].get<double>());
            const auto reached = [&](const char* key, const std::function<nlohmann::json()>& v) {
                if (s.contains(key)) {
                    EXPECT_TRUE(runEventLoopUntil([&] { return v() == s[key]; })) << key;
                }
            };
            reached("reannounces", [&] { return calls("torrent-reannounce") - reannounced; });
            reached("trackersAdded",
                    [&] { return calls("torrent-set") - trackersSet; }); // RPC 16: trackerAdd
            if (s.contains("followed")) {
                const QStringList only{hash(s["followed"])};
                EXPECT_TRUE(runEventLoopUntil([&] { return followed() == only; }));
            }
            reached("lastLine", [&] { return log().last().toStdString(); });
            reached("stalled", [&] { return m_store->rescuer().trackers().contains(h); });
            reached("exhausted", [&] { // of the torrent followed by then
                return m_store->rescuer().trackers().value(followed().value(0)).exhausted;
            });
            for (const auto& line : s.value("lines", nlohmann::json::array()))
                EXPECT_TRUE(log().contains(qstr(line))) << line;
        }
        const QString key = uuidText(m_dark.id) + "|" + qstr(row["code"]);
        if (row.contains("switches")) {
            EXPECT_EQ(m_store->rescuer().switchCounts().value(key), row["switches"].get<int>());
        }
        EXPECT_EQ(m_store->shows().first().rejectedHashes.contains(h),
                  row.value("rejected", false));
        if (row.contains("handPicked")) { // the switch target counts as picked by hand
            EXPECT_TRUE(m_store->activeDownloads().first().userPicked);
        }
        if (row.contains("searches")) {
            EXPECT_EQ(m_indexes.searchCount() - searches, row["searches"].get<int>());
        }
    }
}

// --- the reminder ------------------------------------------------------------------------------

TEST_F(Stalls, TheStuckReminderComesOncePerStalePeriod) {
    char h = 'a';
    for (const auto& c : fixtureJson("store/stuck-reminders.json")) { // days, hours stuck, notices
        SCOPED_TRACE(c.dump());
        wipe();
        follow("S01E07", hash(h++), false);
        m_store->updateSettings([&](AppSettings& s) { s.staleNudgeDays = c[0].get<int>(); });
        passAfter(0); // stuck from now on
        EXPECT_TRUE(m_store->history().first().stuckSince);
        passAfter(c[1].get<double>() * 3600);
        passAfter(60);
        const auto stuck =
            std::count_if(m_notifier.notices.cbegin(), m_notifier.notices.cend(),
                          [](const Notice& n) { return n.title == "Download stuck"; });
        EXPECT_EQ(stuck, c[2].get<int>());
        if (stuck) {
            EXPECT_EQ(m_notifier.notices.last().body,
                      "Dark S01E07 hasn't moved in a while — check it in Lumivane.");
        }
    }
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
    m_store->rescuer().snoozeStale(hash('f'));
    EXPECT_EQ(m_store->history().first().staleSnoozedUntil, at + 7 * 86400.0);
    EXPECT_EQ(m_store->flaggedSeriesCount(), 0);
    EXPECT_FALSE(m_store->hasFlaggedDownload(m_dark.id));
    m_store->updateSettings([](AppSettings& s) { s.staleNudgeDays = 2; });
    m_store->snoozeStaleFor(hash('f'), 3);
    EXPECT_EQ(m_store->history().first().staleSnoozedUntil, at + 3 * 86400.0);
    EXPECT_FALSE(m_store->history().first().staleAbandoned);
    m_store->rescuer().snoozeStale(hash('f'));
    EXPECT_TRUE(m_store->history().first().staleAbandoned);
    EXPECT_EQ(m_store->history().first().snoozeCount, 3);
    EXPECT_TRUE(stored<QList<DownloadRecord>>(StorageFiles::kHistory)->first().staleAbandoned);
}
