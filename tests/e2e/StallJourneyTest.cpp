// A download nobody seeds: re-announced, then replaced by a healthier release, on the
// store's own clock.

#include "Journey.h"
#include "model/JsonCodec.h"
#include "store/StallRescuer.h"

using StallJourney = Journey;

TEST_F(StallJourney, AStalledMagnetIsReannouncedThenSwitchedToAnotherIndexsRelease) {
    seedShows({harbourLights()});
    ASSERT_NO_FATAL_FAILURE(launch());
    const QString stalled = unservedHash(10);
    const QString healthier = unservedHash(11);
    m_indexes.hits = {
        FakeIndexes::on(Index::torrentsCsv, Kind::tv, "Harbour.Lights.S01E03.1080p.WEB.h264-GLHF",
                        stalled, 80),
        FakeIndexes::on(Index::eztv, Kind::tv,
                        "Harbour Lights S01E03 1080p WEB H264-SuccessfulCrab", healthier, 25,
                        1'400'000'000, "tt31415926"),
        // More seeders, but from the index whose release stalled: passed over.
        FakeIndexes::on(Index::torrentsCsv, Kind::tv, "Harbour.Lights.S01E03.1080p.WEB.h264-ETHEL",
                        unservedHash(13), 70),
        // More seeders, but not the wanted resolution: passed over as well.
        FakeIndexes::on(Index::apibay, Kind::tv, "Harbour.Lights.S01E03.720p.WEB.h264-GLHF",
                        unservedHash(12), 60, 800'000'000),
    };

    ASSERT_NO_FATAL_FAILURE(checkNow());
    // The magnet never gets past its metadata: downloading, no peers, nothing arriving.
    ASSERT_TRUE(waitFor([&] { return store().rescuer().trackers().contains(stalled); }));
    const Timestamp stallBegan = store().rescuer().trackers().value(stalled).stalledSince;
    EXPECT_EQ(stallBegan, m_env.clock().now());
    EXPECT_EQ(historyRow(stalled)->stuckSince, stallBegan);
    const QString reannounced = "Harbour Lights S01E03 — no peers yet, refreshing trackers";
    EXPECT_FALSE(log().contains(reannounced));

    m_env.clock().advance(600);
    ASSERT_TRUE(waitFor([&] { return log().contains(reannounced); }));
    EXPECT_TRUE(store().rescuer().trackers().value(stalled).reannounced);
    EXPECT_TRUE(followed(stalled));

    m_env.clock().advance(1200);
    ASSERT_TRUE(waitFor([&] { return followed(healthier); }));
    EXPECT_EQ(log(), (QStringList{
                         "Checking 1 series…",
                         "Found: Harbour Lights S01E03 via Torrents-CSV (80 seeders)",
                         "Started downloading Harbour Lights S01E03",
                         reannounced,
                         "Harbour Lights S01E03 — stuck with no peers, switching to a "
                         "healthier release (25 seeders via EZTV)",
                         "Cancelled Harbour Lights S01E03",
                         "Found: Harbour Lights S01E03 via EZTV (25 seeders)",
                         "Started downloading Harbour Lights S01E03",
                     }));

    // The switch is what the user would have picked by hand: never judged a bad copy.
    EXPECT_EQ(store().activeDownloads(),
              (QMap<QString, ActiveDownload>{
                  {healthier, ActiveDownload{ActiveDownload::Kind::episode, m_harbourLightsID,
                                             "S01E03", true, "EZTV"}}}));
    EXPECT_EQ(store().rescuer().switchCounts(),
              (QMap<QString, int>{{uuidText(m_harbourLightsID) + "|S01E03", 1}}));
    EXPECT_EQ(show(m_harbourLightsID).rejectedHashes, QStringList{stalled});
    EXPECT_EQ(show(m_harbourLightsID).status.state, ShowStatus::State::downloading);
    EXPECT_EQ(historyRow(stalled)->state, DownloadRecord::State::error);
    EXPECT_EQ(historyRow(stalled)->detail, "Cancelled");
    EXPECT_EQ(historyRow(healthier)->state, DownloadRecord::State::downloading);
    EXPECT_TRUE(waitForDaemonToDrop(stalled));
    EXPECT_TRUE(daemonHashes().value_or(QStringList{}).contains(healthier));
}
