#include "search/FeedChecker.h"
#include "search/TitleGrammar.h"

#include "Fixtures.h"
#include "SearchTestSupport.h"
#include "model/Clock.h"

#include <gtest/gtest.h>

using Score = FeedChecker::ReleaseScore;
using nlohmann::json;

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


QStringList resultTitles(const QList<SearchResult>& results) {
    QStringList out;
    for (const SearchResult& r : results)
        out.append(r.title);
    return out;
}

constexpr qint64 kFullSize = 2'000'000'000;

Show showOf(const json& s) {
    Show show = series(qstr(s.value("name", json("Show Name"))));
    for (const json& c : s.value("downloaded", json::array()))
        show.downloadedEpisodes.append(qstr(c));
    for (const json& c : s.value("rejected", json::array()))
        show.rejectedHashes.append(qstr(c));
    for (const json& c : s.value("origin", json::array()))
        show.originCountries.append(qstr(c));
    if (s.contains("anchor"))
        show.monitorAnchor = qstr(s["anchor"]);
    if (s.contains("seasonFilter"))
        show.seasonFilter = s["seasonFilter"].get<int>();
    if (s.contains("imdb"))
        show.imdbID = qstr(s["imdb"]);
    if (s.contains("firstAirYear"))
        show.firstAirYear = qstr(s["firstAirYear"]);
    if (s.contains("alias"))
        show.searchAlias = qstr(s["alias"]);
    show.fallbackAnyQuality = s.value("fallbackAny", show.fallbackAnyQuality);
    show.anyQuality = s.value("any", show.anyQuality);
    return show;
}

} // namespace

TEST(ReleaseScoring, TierAndValueThenTierBeforeSeeders) {
    for (const json& c : fixtureJson("checks/feed.json")["scores"]) {
        const Score score = Score::of(qstr(c[0]), c[1], c[2], c[3]);
        EXPECT_EQ(score.tier, c[4].get<int>()) << c;
        EXPECT_DOUBLE_EQ(score.value, c[5].get<double>()) << c;
    }
    EXPECT_GT((Score{2, 1}), (Score{1, 1000}));
    EXPECT_GT(Score::of("Show.S01E01.PROPER.1080p", 100, kFullSize, true), Score::of("Show.S01E01.1080p", 110, kFullSize, true));
}

// What a series check takes from a list of hits, one row per rule of the choice.
TEST(SeriesCheck, ChoosesFromTheHitsOfTheTable) {
    for (const json& c : fixtureJson("checks/feed.json")["series"]) {
        SCOPED_TRACE(c["name"].get<std::string>());
        QList<RawHit> hits;
        for (const json& h : c["hits"]) {
            hits.append(makeHit(qstr(h[0]), h[1], h[2], h.size() > 3 ? h[3].get<int>() : 0));
            if (h.size() > 4)
                hits.back().imdbID = qstr(h[4]);
        }
        const auto result = FeedChecker::selectShowReleases(showOf(c["show"]), hits, c["limit"]);
        for (const FeedMatch& m : result.grabs) {
            EXPECT_EQ(m.showID, kShowID);
            EXPECT_FALSE(m.userPicked);
            EXPECT_EQ(m.tracker, "Knaben");
        }
        json codes = json::array(), titles = json::array(), picks = json::array();
        for (const FeedMatch& m : result.grabs) {
            codes.push_back(m.episodeCode.toStdString());
            titles.push_back(m.torrentTitle.toStdString());
        }
        for (const auto& pick : result.picks) {
            json row{pick.episodeCode.toStdString()};
            for (const SearchResult& r : pick.alternates) {
                row.push_back(r.title.toStdString());
                EXPECT_EQ(r.episodeCode, pick.episodeCode);
                EXPECT_EQ(r.quality, qualityLabel(r.title));
            }
            picks.push_back(row);
        }
        if (c.contains("grabs")) {
            EXPECT_EQ(codes, c["grabs"]);
        }
        if (c.contains("grabTitles")) {
            EXPECT_EQ(titles, c["grabTitles"]);
        }
        if (c.contains("picks")) {
            EXPECT_EQ(picks, c["picks"]);
        }
    }
    EXPECT_EQ(FeedChecker::showQuery([] { Show s = series(); s.searchAlias = "The Bureau"; return s; }()).text, "The Bureau");
}

namespace {

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
