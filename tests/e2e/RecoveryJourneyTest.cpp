// Downloads in flight survive a daemon killed from outside.

#include "Journey.h"
#include "store/DownloadFollower.h"

#include <csignal>

using Index = FakeIndexes::Index;
using Kind = FakeIndexes::Kind;
using namespace std::chrono_literals;

namespace {

class RecoveryJourney : public Journey {
protected:
    // The episode is half downloaded and followed, its progress seen by the store.
    void startHalfDownloadedEpisode() {
        hash = preload(kEpisode, true);
        m_indexes.hits = {FakeIndexes::on(Index::torrentsCsv, Kind::tv, kEpisode.name, hash, 57)};
        ASSERT_NO_FATAL_FAILURE(checkNow());
        ASSERT_TRUE(waitFor([&] {
            const auto row = historyRow(hash);
            return followed(hash) && row && row->progress > 0.0;
        }));
    }

    QString filed() const {
        return libraryPath(QStringLiteral(
            "Series/Harbour Lights.2025/Season_01/Harbour.Lights.S01E03.1080p.WEB.h264-NTb.mkv"));
    }

    QStringList wholeStory() const {
        return {QStringLiteral("Checking 1 series…"),
                QStringLiteral("Found: Harbour Lights S01E03 via Torrents-CSV (57 seeders)"),
                QStringLiteral("Started downloading Harbour Lights S01E03"),
                QStringLiteral("Sorted Harbour Lights S01E03 → ") + filed()};
    }

    const ReleaseFiles kEpisode{
        QStringLiteral("Harbour.Lights.S01E03.1080p.WEB.h264-NTb"),
        {{QStringLiteral("Harbour.Lights.S01E03.1080p.WEB.h264-NTb.mkv"), 512 * 1024},
         {QStringLiteral("Harbour.Lights.S01E03.1080p.WEB.h264-NTb.nfo"), 2 * 1024}}};
    QString hash;
};

} // namespace

TEST_F(RecoveryJourney, ADaemonKilledMidDownloadIsRestartedAndTheDownloadCarriesOn) {
    seedShows({harbourLights()});
    // Passes a second apart, as the daemon's restart meets them in the product (two seconds).
    ASSERT_NO_FATAL_FAILURE(launch(1s));
    ASSERT_NO_FATAL_FAILURE(startHalfDownloadedEpisode());

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

    finishDownload(kEpisode, hash);
    ASSERT_TRUE(waitFor([&] {
        const auto row = historyRow(hash);
        return row && row->state != DownloadRecord::State::downloading;
    }));
    EXPECT_EQ(log(), wholeStory());
    EXPECT_EQ(historyRow(hash)->state, DownloadRecord::State::sorted);
    EXPECT_TRUE(QFileInfo::exists(filed()));
    EXPECT_EQ(show(m_harbourLightsID).downloadedEpisodes.first(), QStringLiteral("S01E03"));
}
