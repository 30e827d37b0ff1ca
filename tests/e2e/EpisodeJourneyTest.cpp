// Episodes from the indexes to the library: a new episode of a subscribed series, a bad copy
// thrown back, and a season pack filed whole.

#include "Journey.h"
#include "store/DownloadFollower.h"

using EpisodeJourney = Journey;

TEST_F(EpisodeJourney, ANewEpisodeGoesFromTheIndexesIntoItsSeasonFolder) {
    const ReleaseFiles& episode = kHarbourLightsS01E03;
    seedShows({harbourLights()});
    ASSERT_NO_FATAL_FAILURE(launch());
    const QString hash = preload(episode);
    m_indexes.hits = {
        FakeIndexes::on(Index::torrentsCsv, Kind::tv, episode.name, hash, 57),
        FakeIndexes::on(Index::eztv, Kind::tv, "Harbour Lights S01E03 720p WEB H264-NTb",
                        unservedHash(1), 88, 900'000'000, "tt31415926"),
        FakeIndexes::on(Index::apibay, Kind::tv, "Harbour.Lights.S01E02.1080p.WEB.h264-NTb",
                        unservedHash(2), 140),
    };

    ASSERT_NO_FATAL_FAILURE(checkNow());
    ASSERT_TRUE(waitForOutcome(hash));
    const QString filed = filedS01E03();
    EXPECT_EQ(log(), (QStringList{"Checking 1 series…",
                                  "Found: Harbour Lights S01E03 via Torrents-CSV (57 seeders)",
                                  "Started downloading Harbour Lights S01E03",
                                  "Sorted Harbour Lights S01E03 → " + filed}));
    // Only the episode itself reaches the library; the sample and the .nfo do not.
    EXPECT_EQ(
        filesBelow(libraryPath("Series")),
        QStringList{"Harbour Lights.2025/Season_01/Harbour.Lights.S01E03.1080p.WEB.h264-NTb.mkv"});
    EXPECT_EQ(QFileInfo(filed).size(), 512 * 1024);

    const Show& series = show(m_harbourLightsID);
    EXPECT_EQ(series.downloadedEpisodes, (QStringList{"S01E03", "S01E02", "S01E01"}));
    EXPECT_EQ(series.status.state, ShowStatus::State::sorted);
    EXPECT_EQ(series.status.episode, "S01E03");
    EXPECT_EQ(storedShows().first().downloadedEpisodes, series.downloadedEpisodes);

    const auto row = historyRow(hash);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->state, DownloadRecord::State::sorted);
    EXPECT_EQ(row->detail, filed);
    EXPECT_EQ(row->progress, 1.0);
    EXPECT_EQ(row->episode, "S01E03");
    EXPECT_EQ(row->title, episode.name);

    ASSERT_TRUE(oneNotice("Harbour Lights", "S01E03 downloaded and sorted."));
    EXPECT_TRUE(m_notices.notices.first().completionSound);

    // Nothing is followed any more; the daemon lets the torrent go and deletes what was left.
    EXPECT_TRUE(store().activeDownloads().isEmpty());
    EXPECT_FALSE(store().follower().isPolling());
    EXPECT_TRUE(waitForDaemonToDrop(hash));
    EXPECT_TRUE(waitFor([&] {
        return !QFileInfo::exists(QDir(downloadFolder()).filePath(episode.name));
    })) << "the sample and the .nfo were left behind";
    EXPECT_EQ(filesBelow(workingFolder()), QStringList{});
}

TEST_F(EpisodeJourney, ABadCopyIsThrownBackWhileDownloadingAndTheNextCheckTakesAnother) {
    seedShows({harbourLights()});
    const ReleaseFiles archive{"Harbour.Lights.S01E03.1080p.WEB.x264-RARBG",
                               {{"harbour.lights.s01e03.1080p.rar", 256 * 1024},
                                {"harbour.lights.s01e03.1080p.r00", 256 * 1024},
                                {"harbour.lights.s01e03.1080p.r01", 96 * 1024},
                                {"harbour.lights.s01e03.1080p.nfo", 1024}}};
    ASSERT_NO_FATAL_FAILURE(launch());
    const QString bad = preload(archive, true);
    const QString good = unservedHash(3);
    m_indexes.hits = {
        FakeIndexes::on(Index::torrentsCsv, Kind::tv, archive.name, bad, 140),
        FakeIndexes::on(Index::eztv, Kind::tv,
                        "Harbour Lights S01E03 1080p WEB H264-SuccessfulCrab", good, 45,
                        1'400'000'000, "tt31415926"),
    };

    ASSERT_NO_FATAL_FAILURE(checkNow());
    ASSERT_TRUE(waitForOutcome(bad));
    EXPECT_EQ(log(), (QStringList{
                         "Checking 1 series…",
                         "Found: Harbour Lights S01E03 via Torrents-CSV (140 seeders)",
                         "Started downloading Harbour Lights S01E03",
                         "Rejected a bad copy of Harbour Lights S01E03 — no video inside "
                         "(harbour.lights.s01e03.1080p.rar, harbour.lights.s01e03.1080p.r00, "
                         "harbour.lights.s01e03.1080p.r01). Cancelled before downloading and "
                         "looking for another release.",
                     }));
    EXPECT_EQ(historyRow(bad)->state, DownloadRecord::State::error);
    EXPECT_EQ(historyRow(bad)->detail, "bad copy — cancelled, no video inside");
    EXPECT_FALSE(followed(bad));
    const Show& thrownBack = show(m_harbourLightsID);
    EXPECT_EQ(thrownBack.rejectedHashes, QStringList{bad});
    EXPECT_EQ(thrownBack.status.state, ShowStatus::State::found);
    EXPECT_EQ(thrownBack.status.detail, "Bad copy — finding another…");
    EXPECT_EQ(storedShows().first().rejectedHashes, QStringList{bad});
    // The torrent and its parts are gone from the daemon and the disk.
    EXPECT_TRUE(waitForDaemonToDrop(bad));
    EXPECT_TRUE(
        waitFor([&] { return !QFileInfo::exists(QDir(downloadFolder()).filePath(archive.name)); }));

    ASSERT_NO_FATAL_FAILURE(checkNow());
    ASSERT_TRUE(waitFor([&] { return followed(good); }));
    EXPECT_EQ(log().mid(4), (QStringList{"Checking 1 series…",
                                         "Found: Harbour Lights S01E03 via EZTV (45 seeders)",
                                         "Started downloading Harbour Lights S01E03"}));
    EXPECT_EQ(store().activeDownloads().value(good),
              (ActiveDownload{ActiveDownload::Kind::episode, m_harbourLightsID, "S01E03", false,
                              "EZTV"}));
    ASSERT_TRUE(historyRow(good));
    EXPECT_EQ(historyRow(good)->state, DownloadRecord::State::downloading);
    EXPECT_EQ(historyRow(good)->title, "Harbour Lights S01E03 1080p WEB H264-SuccessfulCrab EZTV");
    EXPECT_TRUE(daemonTorrent(good).has_value());
}

TEST_F(EpisodeJourney, ASeasonPackIsFiledWholeWithoutTrackingItsEpisodes) {
    m_tmdb.series.insert(
        5151,
        {.name = "Tidewater",
         .status = "Ended",
         .lastAired = {{1, 3}},
         .imdbID = "tt27182818",
         .seasons = {
             {1, {{1, QDate(2024, 3, 4)}, {2, QDate(2024, 3, 11)}, {3, QDate(2024, 3, 18)}}}}});
    const ReleaseFiles pack{"Tidewater.S01.1080p.WEB.h264-GRACE",
                            {{"Tidewater.S01E01.1080p.WEB.h264-GRACE.mkv", 192 * 1024},
                             {"Tidewater.S01E02.1080p.WEB.h264-GRACE.mkv", 192 * 1024},
                             {"Tidewater.S01E03.1080p.WEB.h264-GRACE.mkv", 192 * 1024},
                             {"Tidewater.S01.1080p.WEB.h264-GRACE.nfo", 1024}}};
    ASSERT_NO_FATAL_FAILURE(launch());
    const QString hash = preload(pack);
    m_indexes.hits = {
        FakeIndexes::on(Index::knaben, Kind::tv, pack.name, hash, 210, 4'800'000'000),
        FakeIndexes::on(Index::torrentsCsv, Kind::tv, "Tidewater.S01E02.1080p.WEB.h264-GRACE",
                        unservedHash(4), 35),
    };

    // The add-series flow: search, tick the pack, add the series for that pack only.
    const QList<SearchResult> offered =
        awaitTask(store().checker().searchShowReleases("Tidewater", Show::Quality::p1080));
    const auto picked = std::find_if(offered.cbegin(), offered.cend(),
                                     [&](const SearchResult& r) { return r.title == pack.name; });
    ASSERT_NE(picked, offered.cend());
    EXPECT_EQ(picked->episodeCode, std::nullopt);
    WatchlistStore::NewShow form;
    form.name = "Tidewater";
    form.match = SeriesResult{5151, "Tidewater", "2024", {}, {}};
    form.startWithLatest = false;
    const QUuid id = store().addShow(form, {*picked}, WatchlistStore::PickPlan::onlyThis);
    ASSERT_FALSE(id.isNull());

    ASSERT_TRUE(waitForOutcome(hash));
    const QString filed = libraryPath("Series/Tidewater.2024/" + pack.name);
    EXPECT_EQ(log(), (QStringList{"Added \"Tidewater\" to schedule",
                                  "Found: Tidewater S01.PACK via 1337x (210 seeders)",
                                  "Started downloading Tidewater S01.PACK",
                                  "Downloaded Tidewater season pack → " + filed +
                                      " — left as-is, episodes not individually tracked"}));
    // The pack keeps its own shape inside the series folder: no season folders, no renames.
    QStringList kept;
    for (const auto& [file, size] : pack.files)
        kept << "Tidewater.2024/" + pack.name + "/" + file;
    kept.sort();
    EXPECT_EQ(filesBelow(libraryPath("Series")), kept);

    const Show& series = show(id);
    EXPECT_EQ(series.downloadedEpisodes, QStringList{});
    EXPECT_EQ(series.status.state, ShowStatus::State::sorted);
    EXPECT_EQ(series.status.episode, std::nullopt);
    EXPECT_EQ(series.status.detail, "Season 1 download complete");
    const auto row = historyRow(hash);
    EXPECT_EQ(row->episode, "S01.PACK");
    EXPECT_EQ(row->state, DownloadRecord::State::sorted);
    EXPECT_EQ(row->detail, filed);
    EXPECT_TRUE(oneNotice("Tidewater", "Season 1 downloaded and sorted."));
    EXPECT_TRUE(waitForDaemonToDrop(hash));
    EXPECT_FALSE(QFileInfo::exists(QDir(downloadFolder()).filePath(pack.name)));
}
