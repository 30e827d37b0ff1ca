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
constexpr qint64 kFullSize = 2'000'000'000;

const json& table() {
    static const json all = fixtureJson("checks/feed.json");
    return all;
}

// One field of every item of a list, in order.
QStringList fieldOf(const auto& list, auto field) {
    QStringList out;
    for (const auto& item : list)
        out.append(item.*field);
    return out;
}

Show::Quality qualityOf(const json& name) {
    return *fromRaw<Show::Quality>(qstr(name));
}

// A series from a partial stored record, named "Show Name" unless it says.
Show showOf(json record) {
    record.emplace("name", "Show Name");
    Show show = showFrom(record);
    show.id = kShowID;
    return show;
}

} // namespace

TEST(ReleaseScoring, TierAndValueThenTierBeforeSeeders) {
    for (const json& c : table()["scores"]) {
        const Score score = Score::of(qstr(c[0]), c[1], c[2], c[3]);
        EXPECT_EQ(score.tier, c[4].get<int>()) << c;
        EXPECT_DOUBLE_EQ(score.value, c[5].get<double>()) << c;
    }
    EXPECT_GT((Score{2, 1}), (Score{1, 1000}));
}

// What a series check takes from a list of hits, one row per rule of the choice.
TEST(SeriesCheck, ChoosesFromTheHitsOfTheTable) {
    for (const json& c : table()["series"]) {
        SCOPED_TRACE(c["name"].get<std::string>());
        QList<RawHit> hits;
        for (const json& h : c["hits"]) {
            hits.append(makeHit(qstr(h[0]), h[1], h[2], h.size() > 3 ? h[3].get<int>() : 0));
            if (h.size() > 4)
                hits.back().imdbID = qstr(h[4]);
        }
        const auto result = FeedChecker::selectShowReleases(showOf(c["show"]), hits, c["limit"]);
        json codes = json::array(), titles = json::array(), picks = json::array();
        for (const FeedMatch& m : result.grabs) {
            EXPECT_EQ(m.showID, kShowID);
            EXPECT_FALSE(m.userPicked);
            EXPECT_EQ(m.tracker, "Knaben");
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
        for (const auto& [key, got] : {std::pair{"grabs", codes}, {"grabTitles", titles}, {"picks", picks}}) {
            if (c.contains(key)) {
                EXPECT_EQ(got, c[key]) << key;
            }
        }
    }
}

// The add flow files a release by its season when it has no episode code: a season pack must
// carry its season, a whole-series pack none.
TEST(ReleaseLists, APackCarriesItsSeasonWithoutAnEpisodeCode) {
    for (const json& c : table()["packs"]) {
        const SearchResult r = FeedChecker::searchResult(makeHit(qstr(c[0]), 10));
        EXPECT_EQ(r.episodeCode, c[1].is_null() ? std::nullopt : std::optional(qstr(c[1]))) << c;
        EXPECT_EQ(r.season, c[2].is_null() ? std::nullopt : std::optional(c[2].get<int>())) << c;
    }
}

TEST(MovieChoice, ModesDecideBetweenWantedAndOtherResolutions) {
    static const std::map<std::string, Show::QualityMode> modes{
        {"any", Show::QualityMode::any}, {"strict", Show::QualityMode::strict},
        {"preferWithFallback", Show::QualityMode::preferWithFallback}};
    QList<RawHit> all;
    for (const json& h : table()["movieHits"])
        all.append(makeHit(qstr(h[0]), h[1], kFullSize, h[2]));
    for (const json& c : table()["movies"]) {
        SCOPED_TRACE(c["name"].get<std::string>());
        QList<RawHit> hits;
        for (const json& n : c.value("only", json::array()))
            hits.append(all[n.get<int>() - 1]);
        QStringList rejected;
        for (const json& n : c.value("rejected", json::array()))
            rejected.append(testHash(n));
        const auto choice = FeedChecker::chooseMovieRelease(hits.isEmpty() ? all : hits, "Some Film", QStringLiteral("1999"),
                                                            qualityOf(c["quality"]), modes.at(c["mode"]), rejected);
        ASSERT_EQ(choice.has_value(), !c["title"].is_null());
        if (choice) {
            EXPECT_EQ(choice->result.title, qstr(c["title"]));
            EXPECT_EQ(choice->atOtherResolution, c["otherResolution"].get<bool>());
            EXPECT_EQ(choice->result.episodeCode, std::nullopt);
        }
    }
}

// Nearest resolution first, then strictly more seeders; the wanted one ranks after every lower.
TEST(ClosestQuality, NearestResolutionThenStrictlyMoreSeeders) {
    for (const json& c : table()["closestQuality"]) {
        QList<SearchResult> results;
        for (const json& r : c["results"])
            results.append(SearchResult{.title = qstr(r[0]), .seeders = r[1]});
        const auto closest = FeedChecker::closestQuality(results, qualityOf(c["wanted"]));
        EXPECT_EQ(closest ? json(closest->title.toStdString()) : json(), c["title"]) << c;
    }
}

// ---- checking through the sources ----------------------------------------------------------

TEST(SeriesCheckSearch, ASeriesNotYetAiredAsksNoIndex) {
    ManualClock clock; // 2026-01-01 00:00 UTC
    auto source =
        std::make_shared<FakeSource>("A", QList<RawHit>{makeHit("Show.Name.S01E01.1080p", 5)});
    FeedChecker checker({source}, clock);
    Show show = showOf({});

    show.nextAirDate = Timestamp::fromUnixSeconds(1767398400.0 + 5 * 3600); // 2026-01-03 05:00
    EXPECT_EQ(awaitTask(checker.checkShow(show, 3)), (ShowCheckResult{kShowID, {}, {}}));
    EXPECT_EQ(source->calls(), 0);

    show.nextAirDate = Timestamp::fromUnixSeconds(1767312000.0 + 23 * 3600); // 2026-01-02 23:00
    EXPECT_EQ(awaitTask(checker.checkShow(show, 3)).grabs.size(), 1);
    EXPECT_EQ(source->calls(), 1);
}

TEST(SeriesCheckSearch, CheckShowsSkipsDisabledSeriesAndKeepsListOrder) {
    ManualClock clock;
    QList<RawHit> hits{makeHit("Other.Show.S01E01.1080p", 5)};
    for (int e = 1; e <= 4; ++e)
        hits.append(makeHit(QStringLiteral("Show.Name.S01E0%1.1080p").arg(e), 5));
    auto source = std::make_shared<FakeSource>("A", hits, 10);
    FeedChecker checker({source}, clock);
    Show first = showOf({{"name", "Other Show"}}), disabled = showOf({}), last = showOf({});
    first.id = QUuid::createUuid();
    disabled.id = QUuid::createUuid();
    disabled.isEnabled = false;
    last.monitorAnchor = "S01E00";

    const auto results = awaitTask(checker.checkShows({first, disabled, last}));
    ASSERT_EQ(results.size(), 2);
    EXPECT_EQ(results[0].showID, first.id);
    EXPECT_EQ(fieldOf(results[0].grabs, &FeedMatch::episodeCode), QStringList{"S01E01"});
    EXPECT_EQ(results[1].showID, kShowID);
    EXPECT_EQ(fieldOf(results[1].grabs, &FeedMatch::episodeCode), (QStringList{"S01E01", "S01E02", "S01E03"}));
    EXPECT_EQ(source->calls(), 2);
}

// Every index is asked at once; the first answer naming a release keeps it, a later one naming
// it again changes nothing.
TEST(SearchAll, MergesInCompletionOrderDropsUnfinishedAndDuplicates) {
    ManualClock clock;
    const RawHit shared = makeHit("Show.Name.S01E01.1080p", 5, 0, 1);
    RawHit sameIdOtherTitle = makeHit("Show Name S01E01 1080p WEB", 5, 0, 1);
    auto slow = std::make_shared<FakeSource>(
        "slow", QList<RawHit>{makeHit("Slow.S01E01", 1, 0, 2), shared}, 250);
    auto fast = std::make_shared<FakeSource>(
        "fast", QList<RawHit>{sameIdOtherTitle, makeHit("Fast.S01E01.mkv.part", 1, 0, 3),
                              makeHit("Match (12.05.2023) 720p", 1, 0, 6)}, 0);
    auto middle = std::make_shared<FakeSource>(
        "middle", QList<RawHit>{makeHit("Middle.S01E01", 1, 0, 4)}, 100);
    FeedChecker checker({slow, fast, middle}, clock);

    const QList<RawHit> hits = awaitTask(checker.searchAll(TorrentQuery{}));
    EXPECT_EQ(fieldOf(hits, &RawHit::title), (QStringList{"Show Name S01E01 1080p WEB", "Middle.S01E01", "Slow.S01E01"}));
    EXPECT_EQ(slow->calls() + fast->calls() + middle->calls(), 3);

    // Without a hash a release is known by its index and id there, else by its title.
    const RawHit a{.title = "A", .source = "X", .sourceID = "1"}, b{.title = "B", .source = "X", .sourceID = "1"},
        c{.title = "A"};
    EXPECT_EQ(fieldOf(FeedChecker::mergeHits({{a, b}, {c, c}}), &RawHit::title), (QStringList{"A", "A"}));
}

TEST(ReleaseLists, SearchesAskTheirQueriesAndBuildScoredResults) {
    ManualClock clock;
    RawHit hit = makeHit("Show.Name.S02E05.720p.WEB", 12, 123456, 5, "EZTV");
    hit.leechers = 3;
    hit.date = Timestamp::fromUnixSeconds(1700000000);
    const RawHit noHash{.title = "Show.Name.2x06.1080p", .source = "Nyaa", .sourceID = "view/9"};
    auto source = std::make_shared<FakeSource>("A", QList<RawHit>{hit, noHash});
    FeedChecker checker({source}, clock);
    const auto query = [&source] {
        const TorrentQuery& q = source->lastQuery();
        return std::tuple{q.text, q.kind, q.order, q.size, q.quality, q.imdbID};
    };
    using Kind = TorrentQuery::Kind;
    using Order = TorrentQuery::Order;

    const auto results = awaitTask(checker.searchShowReleases("Show Name", Show::Quality::p720));
    EXPECT_EQ(query(), std::tuple("Show Name", Kind::tv, Order::date, 150, Show::Quality::p720, std::nullopt));
    ASSERT_EQ(results.size(), 2);
    EXPECT_EQ(results[0], (SearchResult{testHash(5), hit.title, "720p", "S02E05", 2, hit.date, 12, 3,
                                        123456, "EZTV", hit.magnetURL}));
    EXPECT_EQ(results[1].id, "Nyaa#view/9");
    EXPECT_EQ(results[1].episodeCode, "S02E06");

    EXPECT_EQ(awaitTask(checker.searchMovieReleases("Some Film", std::nullopt)).size(), 2);
    EXPECT_EQ(query(), std::tuple("Some Film", Kind::movie, Order::seeders, 150, std::nullopt, std::nullopt));

    // A series check asks by the series' name (a blank alias is none), by date, with its id,
    // whatever resolution it wants.
    Show show = showOf({});
    show.imdbID = "tt0944947";
    show.searchAlias = "  ";
    show.quality = Show::Quality::k4;
    awaitTask(checker.checkShow(show, 3));
    EXPECT_EQ(query(), std::tuple("Show Name", Kind::tv, Order::date, 100, std::nullopt, "tt0944947"));
    show.searchAlias = "The Bureau";
    EXPECT_EQ(FeedChecker::showQuery(show).text, "The Bureau");
}

TEST(ReleaseLists, EpisodeAlternatesAreTheAcceptableReleasesOfOneEpisode) {
    ManualClock clock;
    QList<RawHit> hits;
    for (const json& h : table()["alternates"])
        hits.append(makeHit(qstr(h[0]), h[1], kFullSize));
    auto source = std::make_shared<FakeSource>("A", hits);
    FeedChecker checker({source}, clock);
    Show show = showOf({});
    show.downloadedEpisodes = {"S01E02"}; // asked for explicitly: still offered
    show.seasonFilter = 3;

    const auto results = awaitTask(checker.episodeAlternates(show, "S01E02"));
    EXPECT_EQ(fieldOf(results, &SearchResult::title), (QStringList{"Show.Name.S01E02.720p", "Show.Name.S01E02.1080p",
                                              "Show.Name.S01E02.HDCAM"}));
    EXPECT_EQ(awaitTask(checker.episodeAlternates(show, "s1e2")).size(), 3);
}

// ---- which indexes answered ------------------------------------------------------------------
// With every asked index failing, an empty result is no answer.

namespace {

using Reach = FakeSource::Reach;

// Every index that answers hands on the same release; the reported search gives what the plain
// one gives.
TEST(IndexTally, NamesTheIndexesAskedAndThoseThatAnswered) {
    const std::map<std::string, Reach> reaches{
        {"unreachable", Reach::unreachable}, {"skipped", Reach::skipped}, {"answered", Reach::answered}};
    for (const json& c : table()["tally"]) {
        SCOPED_TRACE(c.dump());
        FeedChecker::Sources sources;
        for (const json& s : c["sources"])
            sources << std::make_shared<FakeSource>(qstr(s[0]), QList<RawHit>{makeHit("Show S02E03 720p", 3)}, -1,
                                                    s[1].is_null() ? std::nullopt : std::optional(reaches.at(s[1])));
        ManualClock clock;
        FeedChecker checker(sources, clock);

        const auto report = awaitTask(checker.checkShowsReported(
            {Show{.id = QUuid::createUuid(), .name = "Dark"}, Show{.id = QUuid::createUuid(), .name = "Andor"}}));
        EXPECT_EQ(report.results.size(), 2);
        EXPECT_EQ(report.indexes.asked.join(','), qstr(c["asked"]));
        EXPECT_EQ(report.indexes.answered.join(','), qstr(c["answered"]));
        EXPECT_EQ(report.indexes.noneAnswered(), c["noneAnswered"].get<bool>());

        const auto search = awaitTask(checker.searchShowReleasesReported(QStringLiteral("Show"), {}));
        EXPECT_EQ(search.results.size(), report.indexes.answered.isEmpty() ? 0 : 1);
        EXPECT_EQ(search.results, awaitTask(checker.searchShowReleases(QStringLiteral("Show"), {})));
        EXPECT_EQ(search.indexesAsked, report.indexes.asked.size());
        EXPECT_EQ(search.indexesAnswered, report.indexes.answered.size());
        EXPECT_EQ(search.noIndexAnswered(), c["noneAnswered"].get<bool>());
    }
}

} // namespace
