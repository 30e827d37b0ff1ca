// A movie from the add-movie panel to its own folder in the library.

#include "Journey.h"

using Index = FakeIndexes::Index;
using Kind = FakeIndexes::Kind;

namespace {

class MovieJourney : public Journey {};

} // namespace

TEST_F(MovieJourney, AMovieIsHuntedDownloadedAndFiledOnce) {
    const ReleaseFiles release{
        QStringLiteral("Night Harbor (2024) [1080p] [BluRay] [YTS.MX]"),
        {{QStringLiteral("Night.Harbor.2024.1080p.BluRay.x264.AAC5.1-[YTS.MX].mp4"), 512 * 1024},
         {QStringLiteral("www.YTS.MX.jpg"), 8 * 1024}}};
    ASSERT_NO_FATAL_FAILURE(launch());
    const QString hash = preload(release);
    m_indexes.hits = {
        FakeIndexes::on(Index::yts, Kind::movie, QStringLiteral("Night Harbor (2024)"), hash, 310, 1'900'000'000,
         QStringLiteral("tt16180339")),
        FakeIndexes::on(Index::apibay, Kind::movie, QStringLiteral("Night.Harbor.2024.720p.WEBRip.x264-GalaxyRG"),
         unservedHash(1), 150, 900'000'000),
        // More seeders than anything else, and a camera copy: never taken.
        FakeIndexes::on(Index::torrentsCsv, Kind::movie, QStringLiteral("Night Harbor 2024 1080p HDCAM x264"),
         unservedHash(2), 600),
    };

    const MovieResult match{9090, QStringLiteral("Night Harbor"),        QStringLiteral("2024"), {},
                            {},   Timestamp::fromUnixSeconds(1714521600)};
    const QUuid id = store().addMovie(QStringLiteral("Night Harbor"), match, Show::Quality::p1080,
                                      true, false, std::nullopt);
    ASSERT_TRUE(waitFor([&] {
        const auto row = historyRow(hash);
        return row && row->state != DownloadRecord::State::downloading;
    }));

    const QString filed = libraryPath(QStringLiteral(
        "Movies/Night Harbor (2024)/Night.Harbor.2024.1080p.BluRay.x264.AAC5.1-[YTS.MX].mp4"));
    EXPECT_EQ(log(), (QStringList{
                         QStringLiteral("Added \"Night Harbor (2024)\" to Movies"),
                         QStringLiteral("Found: Night Harbor (2024) via YTS (310 seeders)"),
                         QStringLiteral("Started downloading Night Harbor (2024)"),
                         QStringLiteral("Sorted movie Night Harbor (2024) → ") + filed,
                     }));
    EXPECT_EQ(filesBelow(libraryPath(QStringLiteral("Movies"))),
              QStringList{QStringLiteral(
                  "Night Harbor (2024)/Night.Harbor.2024.1080p.BluRay.x264.AAC5.1-[YTS.MX].mp4")});

    EXPECT_TRUE(movie(id).downloaded);
    EXPECT_EQ(movie(id).status.state, ShowStatus::State::sorted);
    const auto row = historyRow(hash);
    EXPECT_EQ(row->episode, QStringLiteral("Movie"));
    EXPECT_EQ(row->title, QStringLiteral("Night Harbor (2024) [1080p] [BLURAY] [YTS]"));
    EXPECT_EQ(row->state, DownloadRecord::State::sorted);
    EXPECT_EQ(row->detail, filed);
    ASSERT_EQ(m_notices.notices.size(), 1);
    EXPECT_EQ(m_notices.notices.first().title, QStringLiteral("Night Harbor (2024)"));
    EXPECT_EQ(m_notices.notices.first().body, QStringLiteral("Downloaded and sorted."));
    EXPECT_TRUE(retryUntil([&] {
        const auto held = daemonHashes();
        return held && !held->contains(hash);
    }));
    EXPECT_TRUE(
        waitFor([&] { return !QFileInfo::exists(QDir(downloadFolder()).filePath(release.name)); }));

    // A movie in the library is not hunted again by later checks.
    const qsizetype lines = log().size();
    ASSERT_NO_FATAL_FAILURE(checkNow());
    EXPECT_EQ(movie(id).status.state, ShowStatus::State::sorted);
    // The hunts run on after the cycle, through the one feed checker: once a later search has
    // been answered, a hunt the cycle had started would have searched and said so.
    awaitTask(store().watchlist().releases.movieReleases(QStringLiteral("Night Harbor"), std::nullopt));
    EXPECT_EQ(log().size(), lines);
    EXPECT_TRUE(store().activeDownloads().isEmpty());
}
