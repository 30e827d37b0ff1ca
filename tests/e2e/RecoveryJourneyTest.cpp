// Downloads in flight survive a daemon killed from outside.

#include "Journey.h"
#include "store/DownloadFollower.h"

#include <csignal>

using RecoveryJourney = Journey;
using namespace std::chrono_literals;

TEST_F(RecoveryJourney, ADaemonKilledMidDownloadIsRestartedAndTheDownloadCarriesOn) {
    seedShows({harbourLights()});
    // Passes a second apart, as the daemon's restart meets them in the product (two seconds).
    ASSERT_NO_FATAL_FAILURE(launch(1s));
    // The episode is half downloaded and followed, its progress seen by the store.
    const QString hash = preload(kHarbourLightsS01E03, true);
    m_indexes.hits = {
        FakeIndexes::on(Index::torrentsCsv, Kind::tv, kHarbourLightsS01E03.name, hash, 57)};
    ASSERT_NO_FATAL_FAILURE(checkNow());
    ASSERT_TRUE(waitFor([&] {
        const auto row = historyRow(hash);
        return followed(hash) && row && row->progress > 0.0;
    }));

    const qint64 pid = engine().processId();
    ASSERT_GT(pid, 0);
    ASSERT_EQ(::kill(static_cast<pid_t>(pid), SIGKILL), 0);
    ASSERT_TRUE(waitFor([&] { return !engine().isRunning(); }));
    // A pass that finds nobody answering changes nothing.
    awaitTask(store().follower().poll(), kWatchdogMs);
    EXPECT_TRUE(followed(hash));
    EXPECT_EQ(historyRow(hash)->state, DownloadRecord::State::downloading);

    ASSERT_TRUE(waitFor([&] { return engine().isRunning() && engine().processId() != pid; }));
    EXPECT_EQ(engine().restartAttempts(), 1);
    ASSERT_TRUE(daemonAnswers());
    // The new daemon picks the torrent up from its own state, and the store keeps following it.
    ASSERT_TRUE(retryUntil([&] { return daemonTorrent(hash).has_value(); }));
    const int passes = m_passes;
    ASSERT_TRUE(waitFor([&] { return m_passes > passes + 1; }));
    EXPECT_TRUE(followed(hash));
    EXPECT_EQ(show(m_harbourLightsID).status.state, ShowStatus::State::downloading);

    finishDownload(kHarbourLightsS01E03, hash);
    ASSERT_TRUE(waitForOutcome(hash));
    EXPECT_EQ(log(), (QStringList{"Checking 1 series…",
                                  "Found: Harbour Lights S01E03 via Torrents-CSV (57 seeders)",
                                  "Started downloading Harbour Lights S01E03",
                                  "Sorted Harbour Lights S01E03 → " + filedS01E03()}));
    EXPECT_EQ(historyRow(hash)->state, DownloadRecord::State::sorted);
    EXPECT_TRUE(QFileInfo::exists(filedS01E03()));
    EXPECT_EQ(show(m_harbourLightsID).downloadedEpisodes.first(), "S01E03");
}
