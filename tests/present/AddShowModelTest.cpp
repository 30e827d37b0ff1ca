#include "AddShowModel.h"

#include "AddShowText.h"
#include "EventLoop.h"
#include "FakeWatchlist.h"
#include "Fixtures.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using PickPlan = AddShowModel::PickPlan;
using SortField = AddShowModel::SortField;
using Kind = AddShowModel::Kind;
using json = nlohmann::json;

std::vector<json> rowsOf(const char* file, const char* name) {
    const json all = fixtureJson(QStringLiteral("present/%1.json").arg(QLatin1StringView(file)));
    return {all[name]["rows"].begin(), all[name]["rows"].end()};
}

PickPlan planNamed(const json& name) {
    return PickPlan(
        QStringList{"continueForward", "onlyThis", "thisThenLatest"}.indexOf(qstr(name)));
}

SearchResult inSeason(SearchResult r, std::optional<int> season) {
    r.season = season;
    return r;
}

// The add flow in either form, on a fake that knows Dark and Heat.
template <Kind kind>
class AddFlow : public testing::Test {
protected:
    AddFlow() {
        const SeriesResult dark{70523, "Dark", "2017", "A missing child.", "/dark.jpg"};
        fake.seriesByName = {{"Dar", {{1, "Darker", {}, {}, {}}}},
                             {"Dark", {dark}},
                             {"dark!", {dark}},
                             {"Inquest", {{5, "Da Vinci's Inquest", "1998", {}, {}}}}};
        fake.releasesByName["Dark"] = {fakeRelease("Dark S01E01 1080p", 'a'),
                                       fakeRelease("Dark S01E02 1080p", 'b')};
        const MovieResult heat{949, "Heat", "1995", "A heist.", "/heat.jpg", {}};
        fake.moviesByTitle = {{"Heat", {heat, {1, "Heat", "1986", {}, {}, {}}}},
                              {"heat 1995", {heat}}};
        fake.releasesByName["Heat"] = {fakeRelease("Heat.1995.1080p.BluRay", 'a', "1080p", 40),
                                       fakeRelease("Heat.1995.1080p.WEB", 'b', "1080p", 90)};
    }

    bool settled() {
        return runEventLoopUntil([&] { return !model.isSearching(); });
    }

    // Looks the name up; a confirmed match, taken past the arming delay, lists its releases.
    void lookUp(const QString& name, bool confirm = false) {
        model.setName(name);
        model.find();
        ASSERT_TRUE(settled());
        if (confirm) {
            fake.clock.advance(1);
            ASSERT_TRUE(model.pickMatch(0));
            ASSERT_TRUE(settled());
        }
    }

    void tick(int count) {
        for (int i = 0; i < count; ++i)
            model.togglePick(model.listedResults().at(i).id);
    }

    // A row of an outcomes table: failures are not empty answers, and what was typed or
    // confirmed can be added all the same. Gives whether the match was confirmed.
    bool addAfterOutcome(const json& c) {
        fake.tmdbFailure = qstr(c[1]) == "refusesKey"    ? LookupFailure::refusedKey
                           : qstr(c[1]) == "unreachable" ? LookupFailure::unreachable
                                                         : LookupFailure::none;
        fake.indexesUnreachable = !c[2].get<bool>();
        fake.releasesByName.clear();
        const bool confirmed = c[4];
        lookUp(qstr(c[3]), confirmed);
        EXPECT_EQ(model.emptyTitle(), qstr(c[5]));
        const std::pair<int, QString> notes[] = {
            {6, model.emptyNote()}, {7, model.formNotice()}, {8, model.retryLabel()}};
        for (const auto& [column, text] : notes) {
            if (!c[column].is_null()) {
                EXPECT_EQ(text, qstr(c[column])) << column;
            }
        }
        EXPECT_EQ(model.offersAddAsTyped(), !confirmed);
        EXPECT_FALSE((confirmed ? model.commit() : model.addAsTyped()).isNull());
        return confirmed;
    }

    FakeWatchlist fake;
    AddShowModel model{fake, kind};
};

using AddShow = AddFlow<Kind::series>;
using AddMovie = AddFlow<Kind::movie>;

template <typename Flow>
class Row : public Flow, public testing::WithParamInterface<json> {};
using Outcome = Row<AddShow>;
using Form = Row<AddShow>;
using Committable = Row<AddShow>;
using MovieOutcome = Row<AddMovie>;
using MovieHeader = Row<AddMovie>;

TEST_F(AddShow, SeasonFilterAndHeaderCounts) {
    fake.releasesByName["Dark"] = {inSeason(fakeRelease("Dark S03E01 1080p WEB", 'a'), 3),
                                   inSeason(fakeRelease("Dark S03 1080p", 'b'), 3),
                                   inSeason(fakeRelease("Dark S01E02 720p", 'c', "720p"), 1),
                                   fakeRelease("Dark Complete Series 1080p", 'd')};
    lookUp(QStringLiteral("Dark"), true);
    ASSERT_EQ(model.results().size(), 4);
    EXPECT_EQ(model.seasonsOffered(), (QList<int>{1, 3}));
    EXPECT_EQ(model.headerCounts(), "4 releases · 0 selected");

    model.setSeasonView(3); // hides season 1 and the release without a season
    QStringList titles;
    for (const SearchResult& r : model.listedResults())
        titles << r.title;
    EXPECT_EQ(titles, (QStringList{"Dark S03E01 1080p WEB", "Dark S03 1080p"}));
    tick(1);
    EXPECT_EQ(model.headerCounts(), "2 releases · 1 selected");
    model.setSeasonView(std::nullopt);
    EXPECT_EQ(model.headerCounts(), "4 releases · 1 selected");
    tick(1);
    tick(1); // untick again
    EXPECT_EQ(model.picked().size(), 1);
    EXPECT_EQ(AddShowText::seasonLabel(3), "Season 3");
    EXPECT_EQ(AddShowText::seasonLabel(std::nullopt), "All seasons");
    EXPECT_EQ(fake.callsTo("seriesReleases"), QStringList{"seriesReleases Dark 1080p"});
}

TEST_F(AddShow, OnlyTheLatestLookupPublishesAndClosingDropsWhatIsInFlight) {
    fake.held = {"searchSeries Dar"}; // the first answer arrives last
    model.setName(QStringLiteral("Dar"));
    model.find();
    EXPECT_EQ(model.primaryLabel(), "Finding series…");
    EXPECT_EQ(model.busyText(), "Finding series…");
    model.setName(QStringLiteral("Dark"));
    model.find();
    ASSERT_TRUE(runEventLoopUntil([&] { return fake.answered == 1; }));
    fake.release("searchSeries Dar");
    ASSERT_TRUE(runEventLoopUntil([&] { return fake.answered == 2; }));

    ASSERT_EQ(model.showMatches().size(), 1);
    EXPECT_EQ(model.showMatches().first().name, "Dark");
    EXPECT_EQ(model.mode(), AddShowModel::ResultsMode::shows);
    EXPECT_EQ(model.resultsHeading(), "Which series?");
    EXPECT_FALSE(model.isSearching());

    // Closing drops what is in flight, and a closed flow asks nothing more.
    fake.held = {"searchSeries Dar"};
    model.setName(QStringLiteral("Dar"));
    model.find();
    model.close();
    fake.release("searchSeries Dar");
    ASSERT_TRUE(runEventLoopUntil([&] { return fake.answered == 3; }));
    EXPECT_EQ(model.mode(), AddShowModel::ResultsMode::none); // the late answer stayed out
    model.primary();
    EXPECT_EQ(fake.callsTo("searchSeries").size(), 3);
}

TEST_P(Outcome, SaysWhetherItFailedOrFoundNothingAndTheSeriesStillAdds) {
    const json& c = GetParam();
    QSignalSpy closing(&model, &AddShowModel::closeRequested);
    const bool confirmed = addAfterOutcome(c);
    ASSERT_TRUE(fake.addedShow);
    EXPECT_EQ(fake.addedShow->name.trimmed(), qstr(c[3]).trimmed());
    EXPECT_EQ(fake.addedShow->match.has_value(), confirmed);
    EXPECT_EQ(closing.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, Outcome, testing::ValuesIn(rowsOf("add-series", "outcomes")));

TEST_F(AddShow, FallsBackToTheTypedNameAndKeepsItAsTheSearchAlias) {
    fake.releasesByName = {{"Inquest", {fakeRelease("Inquest S01E01 720p", 'a', "720p")}}};
    lookUp(QStringLiteral("dark!"), true); // the official title as typed: no second question
    EXPECT_FALSE(model.fellBack());
    EXPECT_EQ(fake.callsTo("seriesReleases"), QStringList{"seriesReleases Dark 1080p"});
    // With no index answering, asking under another name would reach nobody either.
    fake.calls.clear();
    fake.indexesUnreachable = true;
    lookUp(QStringLiteral("Inquest"), true);
    EXPECT_EQ(fake.callsTo("seriesReleases"),
              QStringList{"seriesReleases Da Vinci's Inquest 1080p"});

    fake.indexesUnreachable = false;
    lookUp(QStringLiteral("Inquest"), true);
    ASSERT_EQ(model.results().size(), 1);
    EXPECT_TRUE(model.fellBack());
    EXPECT_EQ(model.fallbackNotice(),
              "No results for the official title — showing results for \u201CInquest\u201D");
    ASSERT_FALSE(model.commit().isNull());
    ASSERT_TRUE(fake.addedShow);
    EXPECT_EQ(fake.addedShow->searchAlias, "Inquest");
    EXPECT_EQ(fake.addedShow->match->id, 5);
}

// The button says what adding does; forms that add hand over what the form and ticks say.
TEST_P(Form, TheButtonSaysWhatAddingDoes) {
    const json& c = GetParam();
    if (c[1].get<bool>())
        lookUp(QStringLiteral("Dark"), true); // confirmed
    else
        model.setName(QStringLiteral("Dark"));
    model.setSeasonText(qstr(c[2]));
    model.setPullEntireSeason(c[3]);
    model.setStartWithLatest(c[4]);
    model.setPickPlan(planNamed(c[6]));
    tick(c[5]);
    EXPECT_EQ(model.primaryLabel(), qstr(c[7]));
    EXPECT_EQ(model.showsPlan(), c[5].get<int>() > 0);
    if (c.size() < 9)
        return;
    ASSERT_FALSE(model.commit().isNull());
    ASSERT_EQ(fake.callsTo("addShow").size(), 1);
    EXPECT_EQ(fake.callsTo("addShow").first(), QStringLiteral("addShow Dark plan %1 picked %2")
                                                   .arg(int(planNamed(c[6])))
                                                   .arg(c[5].get<int>()));
    EXPECT_EQ(fake.addedShow->startWithLatest, c[4].get<bool>());
    EXPECT_EQ(fake.addedShow->match->id, 70523);
    if (c[5].get<int>() > 0) {
        EXPECT_EQ(fake.addedPicks.first().title, "Dark S01E01 1080p");
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, Form, testing::ValuesIn(rowsOf("add-series", "forms")));

TEST_P(Committable, NeedsANameAndASeasonForAPull) {
    const json& c = GetParam();
    model.setName(qstr(c[0]));
    model.setPullEntireSeason(c[1]);
    model.setSeasonText(qstr(c[2]));
    EXPECT_EQ(model.canCommit(), c[3].get<bool>()) << c.dump();
    EXPECT_EQ(!model.commit().isNull(), c[3].get<bool>()) << c.dump();
    EXPECT_EQ(fake.callsTo("addShow").size(), c[3].get<bool>() ? 1 : 0) << c.dump();
}

INSTANTIATE_TEST_SUITE_P(Rows, Committable, testing::ValuesIn(rowsOf("add-series", "commitForms")));

TEST_F(AddShow, ASeasonPullFollowsTheSwitch) {
    lookUp(QStringLiteral("Dark"), true);
    EXPECT_EQ(model.pullTitle(), "Pull entire series");
    model.setSeasonText(QStringLiteral("2"));
    model.setPullEntireSeason(true);
    model.setStartWithLatest(false);
    model.setFallbackAnyQuality(false);
    model.setQuality(Show::Quality::p720);
    EXPECT_EQ(model.qualityNote(), "If there's no 720p release, grab the best other one "
                                   "automatically. Off = ask me first.");
    EXPECT_EQ(model.pullTitle(), "Pull all of Season 2");
    EXPECT_EQ(model.pullNote(), "Grabs all of Season 2 — every aired episode, one by one.");
    EXPECT_EQ(AddShowText::planTitle(PickPlan::thisThenLatest), "This, then newest");
    EXPECT_EQ(AddShowText::planDescription(PickPlan::onlyThis),
              "Only what you picked — nothing ongoing");
    ASSERT_FALSE(model.commit().isNull());
    ASSERT_TRUE(fake.addedShow);
    EXPECT_EQ(fake.addedShow->seasonText, "2");
    EXPECT_TRUE(fake.addedShow->pullEntireSeason);
    EXPECT_FALSE(fake.addedShow->startWithLatest);
    EXPECT_FALSE(fake.addedShow->fallbackAnyQuality);
    EXPECT_EQ(fake.addedShow->quality, Show::Quality::p720);
}

TEST_F(AddShow, AMatchCountsOnlyAfterTheArmingDelayAndANewNameForgetsIt) {
    lookUp(QStringLiteral("  Dark "));
    fake.clock.advance(0.2);
    EXPECT_FALSE(model.pickMatch(0));
    EXPECT_FALSE(model.resolvedShow().has_value());

    fake.clock.advance(0.3);
    EXPECT_TRUE(model.pickMatch(0));
    EXPECT_EQ(model.resolvedShow()->id, 70523);
    EXPECT_TRUE(model.isSearching()); // the release search started
    EXPECT_EQ(model.busyText(), "Searching releases…");
    ASSERT_TRUE(runEventLoopUntil([&] { return !model.isSearching(); }));
    EXPECT_EQ(model.mode(), AddShowModel::ResultsMode::releases);
    tick(1);
    model.setName(QStringLiteral("Dark ")); // same letters: still the same series
    EXPECT_TRUE(model.resolvedShow().has_value());
    model.setName(QStringLiteral("Darkwing Duck"));
    EXPECT_FALSE(model.resolvedShow().has_value());
    EXPECT_TRUE(model.picked().isEmpty());
}

// The movie form: what differs from a series.

TEST_F(AddMovie, FindsAMovieThenAddsItWithTheOnePickedRelease) {
    EXPECT_EQ(model.primaryLabel(), "Find movie");
    EXPECT_EQ(model.sortFields(), (QList<SortField>{SortField::seeders, SortField::date,
                                                    SortField::quality, SortField::size}));
    EXPECT_EQ(model.sort(), SortField::seeders);

    model.setName("Heat");
    model.find();
    EXPECT_EQ(model.primaryLabel(), "Finding movie…");
    EXPECT_EQ(model.busyText(), "Finding movie…");
    ASSERT_TRUE(settled());
    EXPECT_EQ(model.resultsHeading(), "Which movie?");
    ASSERT_EQ(model.showMatches().size(), 2);
    EXPECT_EQ(AddShowText::matchTitle(model.showMatches()[1]), "Heat (1986)");
    EXPECT_EQ(model.primaryLabel(), "Find movie");

    fake.clock.advance(1);
    ASSERT_TRUE(model.pickMatch(0));
    ASSERT_TRUE(settled());
    EXPECT_EQ(fake.callsTo("movieReleases"), QStringList{"movieReleases Heat 1080p"});
    EXPECT_EQ(model.primaryLabel(), "Add to List");
    EXPECT_EQ(model.seasonsOffered(), QList<int>{});
    // Best seeded first.
    EXPECT_EQ(model.listedResults().first().title, "Heat.1995.1080p.WEB");

    model.setQuality(Show::Quality::p720);
    model.setMonitor(false);
    model.setAnyQuality(true);
    ASSERT_TRUE(settled());
    fake.releasesByName["Heat"].append(fakeRelease("Heat.1995.720p", 'c', "720p", 5));
    model.searchReleases();
    ASSERT_TRUE(settled());
    EXPECT_EQ(fake.callsTo("movieReleases").last(), "movieReleases Heat any");

    QSignalSpy ticks(&model, &AddShowModel::pickToggled);
    const QString first = model.listedResults()[0].id, second = model.listedResults()[1].id;
    model.togglePick(first);
    model.togglePick(second); // replaces the first
    EXPECT_EQ(model.picked(), QSet<QString>{second});
    EXPECT_EQ(ticks.count(), 3); // first on, first off, second on: both rows repaint
    EXPECT_FALSE(model.showsPlan());

    QSignalSpy closing(&model, &AddShowModel::closeRequested);
    EXPECT_EQ(model.commit(), fake.addedID);
    EXPECT_EQ(fake.callsTo("addMovie"),
              QStringList{"addMovie Heat 949 720p  any Heat.1995.1080p.BluRay"});
    EXPECT_EQ(closing.count(), 1);
}

TEST_F(AddMovie, FallsBackToTheTypedTitleWithItsNotice) {
    fake.releasesByName.remove("Heat");
    fake.releasesByName["heat 1995"] = {fakeRelease("Heat 1995 720p", 'd', "720p")};
    lookUp("heat 1995", true);
    EXPECT_EQ(fake.callsTo("movieReleases"),
              (QStringList{"movieReleases Heat 1080p", "movieReleases heat 1995 1080p"}));
    EXPECT_EQ(model.fallbackNotice(),
              "No results for the exact title — showing results for “heat 1995”");
    EXPECT_EQ(model.results().size(), 1);
    model.commit(); // later hunts search under the title that found something
    EXPECT_EQ(fake.callsTo("addMovie"),
              QStringList{"addMovie heat 1995 949 1080p monitor   alias heat 1995"});
}

TEST_P(MovieHeader, CountsTheListedReleasesAndTheOnePicked) {
    const json& c = GetParam();
    fake.releasesByName["Heat"].clear();
    for (int i = 0; i < c[0].get<int>(); ++i)
        fake.releasesByName["Heat"].append(
            fakeRelease(QStringLiteral("Heat %1").arg(i), char('a' + i)));
    lookUp("Heat", true);
    for (int i = 0; i < c[1].get<int>(); ++i)
        model.togglePick(model.listedResults().at(i).id);
    EXPECT_EQ(model.headerCounts(), qstr(c[2]));
}

INSTANTIATE_TEST_SUITE_P(Rows, MovieHeader, testing::ValuesIn(rowsOf("add-movie", "headers")));

TEST_P(MovieOutcome, SaysWhetherItFailedOrFoundNothingAndTheMovieStillAdds) {
    const json& c = GetParam();
    const bool confirmed = addAfterOutcome(c);
    const QStringList added = fake.callsTo("addMovie");
    ASSERT_EQ(added.size(), 1);
    EXPECT_TRUE(added.first().startsWith(QStringLiteral("addMovie ") + qstr(c[3]) + " " +
                                         (confirmed ? "949" : "0")))
        << added.first().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Rows, MovieOutcome, testing::ValuesIn(rowsOf("add-movie", "outcomes")));

} // namespace
