// A movie from the add-movie panel to its own folder in the library.

#include "Journey.h"

using MovieJourney = Journey;

TEST_F(MovieJourney, AMovieIsHuntedDownloadedAndFiledOnce) {
    const ReleaseFiles release{
        "Night Harbor (2024) [1080p] [BluRay] [YTS.MX]",
        {{"Night.Harbor.2024.1080p.BluRay.x264.AAC5.1-[YTS.MX].mp4", 512 * 1024},
         {"www.YTS.MX.jpg", 8 * 1024}}};
    ASSERT_NO_FATAL_FAILURE(launch());
    const QString hash = preload(release);
    m_indexes.hits = {
        FakeIndexes::on(Index::yts, Kind::movie, "Night Harbor (2024)", hash, 310, 1'900'000'000,
                        "tt16180339"),
        FakeIndexes::on(Index::apibay, Kind::movie, "Night.Harbor.2024.720p.WEBRip.x264-GalaxyRG",
                        unservedHash(1), 150, 900'000'000),
        // More seeders than anything else, and a camera copy: never taken.
        FakeIndexes::on(Index::torrentsCsv, Kind::movie, "Night Harbor 2024 1080p HDCAM x264",
                        unservedHash(2), 600),
    };

    const MovieResult match{
        9090, "Night Harbor", "2024", {}, {}, Timestamp::fromUnixSeconds(1714521600)};
    const QUuid id =
        store().addMovie("Night Harbor", match, Show::Quality::p1080, true, false, std::nullopt);
    ASSERT_TRUE(waitForOutcome(hash));

    const QString filed = libraryPath(
        "Movies/Night Harbor (2024)/Night.Harbor.2024.1080p.BluRay.x264.AAC5.1-[YTS.MX].mp4");
    EXPECT_EQ(log(), (QStringList{"Added \"Night Harbor (2024)\" to Movies",
                                  "Found: Night Harbor (2024) via YTS (310 seeders)",
                                  "Started downloading Night Harbor (2024)",
                                  "Sorted movie Night Harbor (2024) → " + filed}));
    EXPECT_EQ(
        filesBelow(libraryPath("Movies")),
        QStringList{"Night Harbor (2024)/Night.Harbor.2024.1080p.BluRay.x264.AAC5.1-[YTS.MX].mp4"});

    EXPECT_TRUE(movie(id).downloaded);
    EXPECT_EQ(movie(id).status.state, ShowStatus::State::sorted);
    const auto row = historyRow(hash);
    EXPECT_EQ(row->episode, "Movie");
    EXPECT_EQ(row->title, "Night Harbor (2024) [1080p] [BLURAY] [YTS]");
    EXPECT_EQ(row->state, DownloadRecord::State::sorted);
    EXPECT_EQ(row->detail, filed);
    EXPECT_TRUE(oneNotice("Night Harbor (2024)", "Downloaded and sorted."));
    EXPECT_TRUE(waitForDaemonToDrop(hash));
    EXPECT_TRUE(
        waitFor([&] { return !QFileInfo::exists(QDir(downloadFolder()).filePath(release.name)); }));

    // A movie in the library is not hunted again by later checks.
    const qsizetype lines = log().size();
    ASSERT_NO_FATAL_FAILURE(checkNow());
    EXPECT_EQ(movie(id).status.state, ShowStatus::State::sorted);
    // The hunts run on after the cycle, through the one feed checker: once a later search has
    // been answered, a hunt the cycle had started would have searched and said so.
    awaitTask(store().watchlist().releases.movieReleases("Night Harbor", std::nullopt));
    EXPECT_EQ(log().size(), lines);
    EXPECT_TRUE(store().activeDownloads().isEmpty());
}
