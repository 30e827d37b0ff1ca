#include "search/FeedChecker.h"

#include "SearchTestSupport.h"
#include "model/Clock.h"

#include <gtest/gtest.h>

using Score = FeedChecker::ReleaseScore;

namespace {

const QUuid kShowID("{6a1f5a2e-3c4d-4e5f-8a9b-0c1d2e3f4a5b}");

Show series(const QString& name = QStringLiteral("Show Name")) {
    Show show;
    show.id = kShowID;
    show.name = name;
    show.quality = Show::Quality::p1080;
    return show;
}

QStringList grabCodes(const ShowCheckResult& result) {
    QStringList codes;
    for (const FeedMatch& match : result.grabs)
        codes.append(match.episodeCode);
    return codes;
}

QStringList grabTitles(const ShowCheckResult& result) {
    QStringList out;
    for (const FeedMatch& match : result.grabs)
        out.append(match.torrentTitle);
    return out;
}

QStringList resultTitles(const QList<SearchResult>& results) {
    QStringList out;
    for (const SearchResult& r : results)
        out.append(r.title);
    return out;
}

constexpr qint64 kFullSize = 2'000'000'000;

// ---- scoring -------------------------------------------------------------------------------

struct ScoreCase {
    const char* title;
    int seeders;
    qint64 size;
    bool checkSize;
    Score expected;
};

class ReleaseScoring : public ::testing::TestWithParam<ScoreCase> {};

TEST_P(ReleaseScoring, TierAndValue) {
    const auto& c = GetParam();
    const Score score = Score::of(QString::fromUtf8(c.title), c.seeders, c.size, c.checkSize);
    EXPECT_EQ(score.tier, c.expected.tier) << c.title;
    EXPECT_DOUBLE_EQ(score.value, c.expected.value) << c.title;
}

INSTANTIATE_TEST_SUITE_P(
    Titles, ReleaseScoring,
    ::testing::Values(ScoreCase{"Show.S01E01.1080p.WEB", 100, kFullSize, true, {2, 100}},
                      ScoreCase{"Show.S01E01.1080p.WEB", 100, 120'000'000, true, {1, 100}},
                      ScoreCase{"Show.S01E01.1080p.WEB", 100, 120'000'000, false, {2, 100}},
                      ScoreCase{"Show.S01E01.1080p.WEB", 100, 0, true, {2, 100}},
                      ScoreCase{"Show.S01E01.720p.WEB", 10, 79'999'999, true, {1, 10}},
                      ScoreCase{"Show.S01E01.720p.WEB", 10, 80'000'000, true, {2, 10}},
                      ScoreCase{"Film.2019.2160p.WEB", 5, 499'999'999, true, {1, 5}},
                      ScoreCase{"Film.2019.UHD.WEB", 5, 500'000'000, true, {2, 5}},
                      ScoreCase{"Film.2019.480p.WEB", 5, 1'000, true, {2, 5}},
                      ScoreCase{"Film.2019.HDCAM.1080p", 500, kFullSize, true, {0, 500}},
                      ScoreCase{"Film 2019 TS 1080p", 500, kFullSize, true, {0, 500}},
                      ScoreCase{"Film.2019.TSx.1080p", 500, kFullSize, true, {2, 500}},
                      ScoreCase{"Film.2019.DVDScr.PROPER", 40, kFullSize, true, {0, 46}},
                      ScoreCase{"Show.S01E01.PROPER.1080p", 100, kFullSize, true, {2, 115}},
                      ScoreCase{"Show.S01E01.RERIP.1080p", 10, kFullSize, true, {2, 11.5}},
                      ScoreCase{"Show.S01E01.REPACKED.1080p", 10, kFullSize, true, {2, 10}}));

TEST(ReleaseScoring, TierBeforeSeeders) {
    EXPECT_GT((Score{2, 1}), (Score{1, 1000}));
    EXPECT_GT(Score::of("Show.S01E01.PROPER.1080p", 100, kFullSize, true),
              Score::of("Show.S01E01.1080p", 110, kFullSize, true));
    EXPECT_GT(Score::of("Show.S01E01.1080p", 1, kFullSize, true),
              Score::of("Show.S01E01.HDCAM", 900, kFullSize, true));
}

// ---- title acceptance ----------------------------------------------------------------------

struct EpisodeTitleCase {
    const char* title;
    const char* name;
    bool accepted;
};

class EpisodeAcceptance : public ::testing::TestWithParam<EpisodeTitleCase> {};

TEST_P(EpisodeAcceptance, AcceptsEpisodeTitle) {
    const auto& c = GetParam();
    EXPECT_EQ(
        FeedChecker::acceptsEpisodeTitle(QString::fromUtf8(c.title), QString::fromUtf8(c.name)),
        c.accepted)
        << c.title;
}

INSTANTIATE_TEST_SUITE_P(
    Titles, EpisodeAcceptance,
    ::testing::Values(
        EpisodeTitleCase{"Show.Name.S01E02.1080p.WEB", "Show Name", true},
        EpisodeTitleCase{"[site.com] Show Name - 2x05 - Title [720p]", "Show Name", true},
        EpisodeTitleCase{"Show Name 2024.03.07 HDTV", "Show Name", true},
        EpisodeTitleCase{"Greys.Anatomy.S20E05.1080p", "Grey's Anatomy", true},
        EpisodeTitleCase{"English.Dubbed.Box.Show.Name.S01E02", "Show Name", true},
        // noise words only, but the name starts past the 20th character
        EpisodeTitleCase{"English.Subbed.Remastered.Show.Name.S01E02", "Show Name", false},
        EpisodeTitleCase{"The.Show.Name.S01E02", "Show Name", false},
        EpisodeTitleCase{"Show.Name.Origins.S01E02", "Show Name", false},
        EpisodeTitleCase{"Show.Name.1080p.WEB", "Show Name", false},
        EpisodeTitleCase{"Show.Name.S02.1080p", "Show Name", false},
        EpisodeTitleCase{"[S01E01] Show Name 720p", "Show Name", false},
        EpisodeTitleCase{"Show.Name.S01E02", "", false},
        EpisodeTitleCase{"Other.Show.S01E02", "Show Name", false}));

struct MovieTitleCase {
    const char* title;
    std::optional<QString> year;
    bool accepted;
};

class MovieAcceptance : public ::testing::TestWithParam<MovieTitleCase> {};

TEST_P(MovieAcceptance, AcceptsMovieTitle) {
    const auto& c = GetParam();
    EXPECT_EQ(FeedChecker::acceptsMovieTitle(QString::fromUtf8(c.title), "Some Film", c.year),
              c.accepted)
        << c.title;
}

INSTANTIATE_TEST_SUITE_P(
    Titles, MovieAcceptance,
    ::testing::Values(MovieTitleCase{"Some.Film.2000.1080p.BluRay", "1999", true},
                      MovieTitleCase{"Some.Film.1999.1080p.BluRay", "1999", true},
                      MovieTitleCase{"Some.Film.1997.1080p.BluRay", "1999", false},
                      MovieTitleCase{"Some.Film.1080p.BluRay", "1999", false},
                      MovieTitleCase{"Some.Film.1920x1080.BluRay", "1999", false},
                      MovieTitleCase{"Some.Film.S01E01.1999", "1999", false},
                      MovieTitleCase{"Some.Film.s01e01.1080p", std::nullopt, false},
                      MovieTitleCase{"Some.Film.1080p.BluRay", std::nullopt, true},
                      MovieTitleCase{"Some.Film.1080p.BluRay", "99", true},
                      MovieTitleCase{"Some.Film.1080p.BluRay", "199x", true},
                      MovieTitleCase{"Some Film (2019) [1080p] [WEB] [YTS]", "2019", true},
                      MovieTitleCase{"Awesome.Film.1999", "1999", false}));

// ---- series check --------------------------------------------------------------------------

TEST(SeriesCheck, YieldsTheNextEpisodesAfterTheLatestKnownOneUpToTheLimit) {
    Show show = series();
    show.downloadedEpisodes = {"S02E05"};
    const QList<RawHit> hits{
        makeHit("Show.Name.S03E01.1080p", 10), makeHit("Show.Name.S02E07.1080p", 10),
        makeHit("Show.Name.S02E04.1080p", 10), makeHit("Show.Name.S02E06.1080p", 10),
        makeHit("Show.Name.S02E08.1080p", 10)};
    EXPECT_EQ(grabCodes(FeedChecker::selectShowReleases(show, hits, 3)),
              (QStringList{"S02E06", "S02E07", "S02E08"}));
    EXPECT_EQ(grabCodes(FeedChecker::selectShowReleases(show, hits, 5)),
              (QStringList{"S02E06", "S02E07", "S02E08", "S03E01"}));
    EXPECT_TRUE(FeedChecker::selectShowReleases(show, hits, 0).grabs.isEmpty());

    // An anchor beyond the downloads moves the starting point.
    show.downloadedEpisodes = {"S02E03"};
    show.monitorAnchor = "S02E07";
    EXPECT_EQ(grabCodes(FeedChecker::selectShowReleases(show, hits, 3)),
              (QStringList{"S02E08", "S03E01"}));
}

TEST(SeriesCheck, WithoutALatestEpisodeEveryEpisodeIsYielded) {
    const QList<RawHit> hits{makeHit("Show.Name.S01E03.1080p", 10),
                             makeHit("Show.Name.S01E01.1080p", 10),
                             makeHit("Show.Name.2024.03.07.Guest.1080p", 10)};
    const auto result = FeedChecker::selectShowReleases(series(), hits, 1);
    EXPECT_EQ(grabCodes(result), (QStringList{"S01E01", "S01E03", "2024.03.07"}));
    for (const FeedMatch& match : result.grabs) {
        EXPECT_EQ(match.showID, kShowID);
        EXPECT_FALSE(match.userPicked);
        EXPECT_EQ(match.tracker, "Knaben");
        EXPECT_EQ(match.seeders, 10);
    }
}

TEST(SeriesCheck, DateCodedSeriesKeepToDateCodedEpisodes) {
    Show show = series();
    show.downloadedEpisodes = {"2024.03.05"};
    const QList<RawHit> hits{makeHit("Show Name 2024.03.04 Guest 1080p", 10),
                             makeHit("Show Name 2024.03.07 Guest 1080p", 10),
                             makeHit("Show Name 2024.03.06 Guest 1080p", 10),
                             makeHit("Show.Name.S01E05.1080p", 10)};
    EXPECT_EQ(grabCodes(FeedChecker::selectShowReleases(show, hits, 3)),
              (QStringList{"2024.03.06", "2024.03.07"}));

    // No bucket of the latest episode's kind: everything found is yielded.
    show.downloadedEpisodes = {"S01E01"};
    const QList<RawHit> datedOnly{hits[0], hits[1]};
    EXPECT_EQ(grabCodes(FeedChecker::selectShowReleases(show, datedOnly, 3)),
              (QStringList{"2024.03.04", "2024.03.07"}));
}

TEST(SeriesCheck, StrictSeriesGetAPickOrderedByScore) {
    Show show = series();
    show.fallbackAnyQuality = false;
    const QList<RawHit> hits{makeHit("Show.Name.S01E02.720p.HDTV", 50, kFullSize),
                             makeHit("Show.Name.S01E02.480p.PROPER", 60, kFullSize),
                             makeHit("Show.Name.S01E02.720p.WEB", 80, 50'000'000),
                             makeHit("Show.Name.S01E02.720p.HDCAM", 900, kFullSize)};
    const auto result = FeedChecker::selectShowReleases(show, hits, 3);
    EXPECT_TRUE(result.grabs.isEmpty());
    ASSERT_EQ(result.picks.size(), 1);
    EXPECT_EQ(result.picks[0].episodeCode, "S01E02");
    EXPECT_EQ(resultTitles(result.picks[0].alternates),
              (QStringList{"Show.Name.S01E02.480p.PROPER", "Show.Name.S01E02.720p.HDTV",
                           "Show.Name.S01E02.720p.WEB", "Show.Name.S01E02.720p.HDCAM"}));
    EXPECT_EQ(result.picks[0].alternates[0].episodeCode, "S01E02");
    EXPECT_EQ(result.picks[0].alternates[0].quality, "480p");

    // The wanted resolution is grabbed outright.
    QList<RawHit> withWanted = hits;
    withWanted.append(makeHit("Show.Name.S01E02.1080p", 2, kFullSize));
    const auto grabbed = FeedChecker::selectShowReleases(show, withWanted, 3);
    EXPECT_EQ(grabTitles(grabbed), QStringList{"Show.Name.S01E02.1080p"});
    EXPECT_TRUE(grabbed.picks.isEmpty());
}

TEST(SeriesCheck, FallbackTakesTheNearestResolutionThenTheBestScore) {
    Show show = series();
    const QList<RawHit> hits{makeHit("Show.Name.S01E02.480p", 500, kFullSize),
                             makeHit("Show.Name.S01E02.2160p", 900, kFullSize),
                             makeHit("Show.Name.S01E02.720p.A", 50, kFullSize),
                             makeHit("Show.Name.S01E02.720p.B", 70, kFullSize),
                             makeHit("Show.Name.S01E02.720p.C", 70, kFullSize)};
    EXPECT_EQ(grabTitles(FeedChecker::selectShowReleases(show, hits, 3)),
              QStringList{"Show.Name.S01E02.720p.B"}); // equal score: the earlier one stays

    // With the wanted resolution present, it wins whatever the seeders.
    QList<RawHit> withWanted = hits;
    withWanted.append(makeHit("Show.Name.S01E02.1080p.X", 1, 100'000'000)); // tier 1
    withWanted.append(makeHit("Show.Name.S01E02.1080p.Y", 1, kFullSize));
    withWanted.append(makeHit("Show.Name.S01E02.1080p.Z", 1, kFullSize));
    EXPECT_EQ(grabTitles(FeedChecker::selectShowReleases(show, withWanted, 3)),
              QStringList{"Show.Name.S01E02.1080p.Y"});
}

TEST(SeriesCheck, AnyQualityTakesTheBestScoreOfAll) {
    Show show = series();
    show.anyQuality = true;
    const QList<RawHit> hits{makeHit("Show.Name.S01E02.1080p", 10, kFullSize),
                             makeHit("Show.Name.S01E02.480p", 300, kFullSize),
                             makeHit("Show.Name.S01E02.HDCAM", 900, kFullSize)};
    EXPECT_EQ(grabTitles(FeedChecker::selectShowReleases(show, hits, 3)),
              QStringList{"Show.Name.S01E02.480p"});
}

TEST(SeriesCheck, FiltersSeedersRejectsSeasonsDownloadsAndPacks) {
    Show show = series();
    const RawHit best = makeHit("Show.Name.S01E01.1080p.BEST", 900, kFullSize, 77);
    show.rejectedHashes = {testHash(77).toUpper()};
    show.seasonFilter = 1;
    // The latest known episode is dated, so every numbered episode found is yielded and only
    // the downloaded list keeps S01E04 out.
    show.downloadedEpisodes = {"S01E04", "2024.03.05"};
    const QList<RawHit> hits{best,
                             makeHit("Show.Name.S01E01.1080p.OK", 5, kFullSize),
                             makeHit("Show.Name.S01E02.1080p", 0, kFullSize),
                             makeHit("Show.Name.S03E01.1080p", 50, kFullSize),
                             makeHit("Show.Name.S01E04.1080p", 50, kFullSize),
                             makeHit("Show.Name.S01.1080p.Complete", 50, kFullSize),
                             makeHit("Show.Name.S01E05-E08.1080p", 50, kFullSize),
                             makeHit("Show.Name.US.S01E06.1080p", 50, kFullSize),
                             makeHit("Young.Show.Name.S01E07.1080p", 50, kFullSize)};
    show.originCountries = {"GB"};
    const auto result = FeedChecker::selectShowReleases(show, hits, 3);
    EXPECT_EQ(grabTitles(result),
              (QStringList{"Show.Name.S01E01.1080p.OK", "Show.Name.S01E05-E08.1080p"}));
    EXPECT_EQ(grabCodes(result), (QStringList{"S01E01", "S01E05"}));
}

TEST(SeriesCheck, MatchingImdbIdsSkipTheNameChecks) {
    Show show = series();
    show.imdbID = "tt0944947";
    show.firstAirYear = "2011";
    RawHit byId = makeHit("GoT.S08E06.1080p", 10, kFullSize);
    byId.imdbID = "tt0944947";
    RawHit otherId = makeHit("Show.Name.S08E05.1080p", 10, kFullSize);
    otherId.imdbID = "tt1111111";
    RawHit noId = makeHit("Show.Name.S08E04.1080p", 10, kFullSize);
    RawHit noIdWrongYear = makeHit("Show.Name.1998.S08E03.1080p", 10, kFullSize);
    const auto result =
        FeedChecker::selectShowReleases(show, {byId, otherId, noId, noIdWrongYear}, 3);
    EXPECT_EQ(grabTitles(result), (QStringList{"Show.Name.S08E04.1080p", "GoT.S08E06.1080p"}));
}

TEST(SeriesCheck, TheSearchAliasIsASecondName) {
    Show show = series("Le Bureau des Légendes");
    show.searchAlias = "The Bureau";
    const QList<RawHit> hits{
        makeHit("The.Bureau.S05E01.1080p", 10, kFullSize),
        makeHit("Le.Bureau.des.Legendes.S05E02.1080p", 10, kFullSize),
        makeHit(QString::fromUtf8("Le.Bureau.des.Légendes.S05E03.1080p"), 10, kFullSize)};
    EXPECT_EQ(grabCodes(FeedChecker::selectShowReleases(show, hits, 3)),
              (QStringList{"S05E01", "S05E03"}));
    EXPECT_EQ(FeedChecker::showQuery(show).text, "The Bureau");
}

// ---- checking through the sources ----------------------------------------------------------

TEST(SeriesCheckSearch, ASeriesNotYetAiredAsksNoIndex) {
    ManualClock clock; // 2026-01-01 00:00 UTC
    auto source =
        std::make_shared<FakeSource>("A", QList<RawHit>{makeHit("Show.Name.S01E01.1080p", 5)});
    FeedChecker checker({source}, clock);
    Show show = series();

    show.nextAirDate = Timestamp::fromUnixSeconds(1767398400.0 + 5 * 3600); // 2026-01-03 05:00
    const auto waiting = awaitTask(checker.checkShow(show, 3));
    EXPECT_EQ(waiting, (ShowCheckResult{kShowID, {}, {}}));
    EXPECT_EQ(source->calls(), 0);

    show.nextAirDate = Timestamp::fromUnixSeconds(1767312000.0 + 23 * 3600); // 2026-01-02 23:00
    EXPECT_EQ(awaitTask(checker.checkShow(show, 3)).grabs.size(), 1);
    EXPECT_EQ(source->calls(), 1);
}

TEST(SeriesCheckSearch, AsksWithTheSeriesQuery) {
    ManualClock clock;
    auto source = std::make_shared<FakeSource>("A");
    FeedChecker checker({source}, clock);
    Show show = series();
    show.imdbID = "tt0944947";
    show.searchAlias = "  ";
    show.quality = Show::Quality::k4;
    awaitTask(checker.checkShow(show, 3));
    const TorrentQuery& q = source->lastQuery();
    EXPECT_EQ(q.text, "Show Name");
    EXPECT_EQ(q.kind, TorrentQuery::Kind::tv);
    EXPECT_EQ(q.order, TorrentQuery::Order::date);
    EXPECT_EQ(q.size, 100);
    EXPECT_EQ(q.quality, std::nullopt);
    EXPECT_EQ(q.imdbID, "tt0944947");
}

TEST(SearchAll, MergesInCompletionOrderDropsUnfinishedAndDuplicates) {
    ManualClock clock;
    const RawHit shared = makeHit("Show.Name.S01E01.1080p", 5, 0, 1);
    RawHit sameIdOtherTitle = makeHit("Show Name S01E01 1080p WEB", 5, 0, 1);
    auto slow = std::make_shared<FakeSource>(
        "slow", QList<RawHit>{makeHit("Slow.S01E01", 1, 0, 2), shared}, 250);
    auto fast = std::make_shared<FakeSource>(
        "fast", QList<RawHit>{sameIdOtherTitle, makeHit("Fast.S01E01.mkv.part", 1, 0, 3)}, 0);
    auto middle = std::make_shared<FakeSource>(
        "middle", QList<RawHit>{makeHit("Middle.S01E01", 1, 0, 4)}, 100);
    FeedChecker checker({slow, fast, middle}, clock);

    const QList<RawHit> hits = awaitTask(checker.searchAll(TorrentQuery{}));
    QStringList order;
    for (const RawHit& hit : hits)
        order.append(hit.title);
    EXPECT_EQ(order, (QStringList{"Show Name S01E01 1080p WEB", "Middle.S01E01", "Slow.S01E01"}));
    EXPECT_EQ(slow->calls(), 1);
    EXPECT_EQ(fast->calls(), 1);
    EXPECT_EQ(middle->calls(), 1);
}

TEST(SearchAll, NoSourcesOrOneSource) {
    ManualClock clock;
    FeedChecker none({}, clock);
    EXPECT_TRUE(awaitTask(none.searchAll(TorrentQuery{})).isEmpty());

    auto only = std::make_shared<FakeSource>(
        "only", QList<RawHit>{makeHit("A.S01E01", 1, 0, 1), makeHit("A.S01E01.again", 1, 0, 1),
                              makeHit("Match (12.05.2023) 720p", 1, 0, 2)});
    FeedChecker one({only}, clock);
    EXPECT_EQ(awaitTask(one.searchAll(TorrentQuery{})).size(), 1);
}

TEST(SearchAll, KeysWithoutHashFallBackToSourceIdThenTitle) {
    RawHit a;
    a.title = "A";
    a.source = "X";
    a.sourceID = "1";
    RawHit b = a;
    b.title = "B"; // same source#id
    RawHit c;
    c.title = "A"; // title key "A" differs from "X#1"
    RawHit d = c;
    EXPECT_EQ(FeedChecker::mergeHits({{a, b}, {c, d}}).size(), 2);
}

TEST(SeriesCheckSearch, CheckShowsSkipsDisabledSeriesAndKeepsListOrder) {
    ManualClock clock;
    auto source = std::make_shared<FakeSource>(
        "A",
        QList<RawHit>{makeHit("Show.Name.S01E01.1080p", 5), makeHit("Show.Name.S01E02.1080p", 5),
                      makeHit("Show.Name.S01E03.1080p", 5), makeHit("Show.Name.S01E04.1080p", 5),
                      makeHit("Other.Show.S01E01.1080p", 5)},
        10);
    FeedChecker checker({source}, clock);
    Show first = series("Other Show");
    first.id = QUuid::createUuid();
    Show disabled = series();
    disabled.isEnabled = false;
    disabled.id = QUuid::createUuid();
    Show last = series();
    last.monitorAnchor = "S01E00";

    const auto results = awaitTask(checker.checkShows({first, disabled, last}));
    ASSERT_EQ(results.size(), 2);
    EXPECT_EQ(results[0].showID, first.id);
    EXPECT_EQ(grabCodes(results[0]), QStringList{"S01E01"});
    EXPECT_EQ(results[1].showID, kShowID);
    EXPECT_EQ(grabCodes(results[1]), (QStringList{"S01E01", "S01E02", "S01E03"}));
    EXPECT_EQ(source->calls(), 2);
}

TEST(ReleaseLists, ShowAndMovieSearchesBuildScoredResults) {
    ManualClock clock;
    RawHit hit = makeHit("Show.Name.S02E05.720p.WEB", 12, 123456, 5, "EZTV");
    hit.leechers = 3;
    hit.date = Timestamp::fromUnixSeconds(1700000000);
    RawHit noHash;
    noHash.title = "Show.Name.2x06.1080p";
    noHash.source = "Nyaa";
    noHash.sourceID = "view/9";
    auto source = std::make_shared<FakeSource>("A", QList<RawHit>{hit, noHash});
    FeedChecker checker({source}, clock);

    const auto results = awaitTask(checker.searchShowReleases("Show Name", Show::Quality::p720));
    const TorrentQuery& q = source->lastQuery();
    EXPECT_EQ(q.kind, TorrentQuery::Kind::tv);
    EXPECT_EQ(q.order, TorrentQuery::Order::date);
    EXPECT_EQ(q.size, 150);
    EXPECT_EQ(q.quality, Show::Quality::p720);
    ASSERT_EQ(results.size(), 2);
    SearchResult expected{testHash(5), hit.title, "720p", "S02E05",     2, hit.date, 12,
                          3,           123456,    "EZTV", hit.magnetURL};
    EXPECT_EQ(results[0], expected);
    EXPECT_EQ(results[1].id, "Nyaa#view/9");
    EXPECT_EQ(results[1].episodeCode, "S02E06");

    const auto movies = awaitTask(checker.searchMovieReleases("Some Film", std::nullopt));
    EXPECT_EQ(source->lastQuery().kind, TorrentQuery::Kind::movie);
    EXPECT_EQ(source->lastQuery().order, TorrentQuery::Order::seeders);
    EXPECT_EQ(source->lastQuery().size, 150);
    EXPECT_EQ(source->lastQuery().quality, std::nullopt);
    EXPECT_EQ(movies.size(), 2);
}

// The add flow files a release by its season when it has no episode code: a season pack must
// carry its season, a whole-series pack none.
TEST(ReleaseLists, APackCarriesItsSeasonWithoutAnEpisodeCode) {
    const struct {
        const char* title;
        std::optional<QString> code;
        std::optional<int> season;
    } cases[] = {
        {"Show.Name.S03.1080p.WEB", std::nullopt, 3},
        {"Show Name Season 2 Complete 720p", std::nullopt, 2},
        {"Show.Name.S02E01-E08.1080p", QStringLiteral("S02E01"), 2},
        {"Show.Name.S01-S03.1080p", std::nullopt, std::nullopt},
        {"Show.Name.Complete.Series.1080p", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        const SearchResult r = FeedChecker::searchResult(makeHit(c.title, 10));
        EXPECT_EQ(r.episodeCode, c.code) << c.title;
        EXPECT_EQ(r.season, c.season) << c.title;
    }
}

TEST(ReleaseLists, EpisodeAlternatesAreTheAcceptableReleasesOfOneEpisode) {
    ManualClock clock;
    auto source = std::make_shared<FakeSource>(
        "A", QList<RawHit>{makeHit("Show.Name.S01E02.720p", 50, kFullSize),
                           makeHit("Show.Name.S01E02.HDCAM", 900, kFullSize),
                           makeHit("Show.Name.S01E02.1080p", 40, kFullSize),
                           makeHit("Show.Name.S01E02.1080p.dead", 0, kFullSize),
                           makeHit("Show.Name.S01E03.1080p", 90, kFullSize),
                           makeHit("Other.Show.S01E02.1080p", 90, kFullSize)});
    FeedChecker checker({source}, clock);
    Show show = series();
    show.downloadedEpisodes = {"S01E02"}; // asked for explicitly: still offered
    show.seasonFilter = 3;

    const auto results = awaitTask(checker.episodeAlternates(show, "S01E02"));
    EXPECT_EQ(resultTitles(results), (QStringList{"Show.Name.S01E02.720p", "Show.Name.S01E02.1080p",
                                                  "Show.Name.S01E02.HDCAM"}));
    EXPECT_EQ(awaitTask(checker.episodeAlternates(show, "s1e2")).size(), 3);
}

// ---- movies and resolutions ----------------------------------------------------------------

TEST(MovieChoice, ModesDecideBetweenWantedAndOtherResolutions) {
    const QList<RawHit> hits{makeHit("Some.Film.1999.720p", 300, kFullSize, 1),
                             makeHit("Some.Film.1999.1080p", 20, kFullSize, 2),
                             makeHit("Some.Film.1999.1080p.PROPER", 20, kFullSize, 3),
                             makeHit("Some.Film.1999.2160p", 500, kFullSize, 4),
                             makeHit("Some.Film.1999.HDCAM", 5000, kFullSize, 5),
                             makeHit("Some.Film.1970.1080p", 999, kFullSize, 6),
                             makeHit("Some.Film.1999.1080p.dead", 0, kFullSize, 7)};
    using Mode = Show::QualityMode;
    const auto choose = [&](Show::Quality q, Mode mode, QStringList rejected = {}) {
        return FeedChecker::chooseMovieRelease(hits, "Some Film", QStringLiteral("1999"), q, mode,
                                               rejected);
    };

    auto any = choose(Show::Quality::p1080, Mode::any);
    ASSERT_TRUE(any);
    EXPECT_EQ(any->result.title, "Some.Film.1999.2160p");
    EXPECT_FALSE(any->atOtherResolution);
    EXPECT_EQ(any->result.episodeCode, std::nullopt);

    auto wanted = choose(Show::Quality::p1080, Mode::strict);
    ASSERT_TRUE(wanted);
    EXPECT_EQ(wanted->result.title, "Some.Film.1999.1080p.PROPER");
    EXPECT_FALSE(wanted->atOtherResolution);

    EXPECT_EQ(choose(Show::Quality::p1080, Mode::strict, {testHash(3), testHash(2)}), std::nullopt);
    auto fallback =
        choose(Show::Quality::p1080, Mode::preferWithFallback, {testHash(3), testHash(2)});
    ASSERT_TRUE(fallback);
    EXPECT_EQ(fallback->result.title, "Some.Film.1999.720p");
    EXPECT_TRUE(fallback->atOtherResolution);

    EXPECT_EQ(choose(Show::Quality::p480, Mode::strict), std::nullopt);
    EXPECT_EQ(FeedChecker::chooseMovieRelease({hits[4]}, "Some Film", QStringLiteral("1999"),
                                              Show::Quality::p1080, Mode::any, {}),
              std::nullopt);
}

TEST(ClosestQuality, NearestResolutionThenStrictlyMoreSeeders) {
    auto result = [](const QString& title, int seeders) {
        SearchResult r;
        r.title = title;
        r.seeders = seeders;
        return r;
    };
    EXPECT_EQ(FeedChecker::closestQuality({}, Show::Quality::p1080), std::nullopt);
    const QList<SearchResult> results{result("A.2160p", 900), result("B.720p", 10),
                                      result("C.720p", 10),   result("D.720p", 11),
                                      result("E.480p", 99),   result("F", 1000)};
    EXPECT_EQ(FeedChecker::closestQuality(results, Show::Quality::p1080)->title, "D.720p");
    // The wanted resolution itself ranks after every lower one (10 against 1–3).
    EXPECT_EQ(FeedChecker::closestQuality(results, Show::Quality::k4)->title, "D.720p");
    EXPECT_EQ(FeedChecker::closestQuality({results[0], results[5]}, Show::Quality::k4)->title,
              "A.2160p");
    EXPECT_EQ(FeedChecker::closestQuality(results, Show::Quality::p480)->title, "E.480p");
}

} // namespace
