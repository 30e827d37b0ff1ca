// The add-series flow's model in its movie form: what differs from a series.

#include "AddShowModel.h"
#include "AddShowText.h"

#include "EventLoop.h"
#include "FakeWatchlist.h"
#include "Fixtures.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using json = nlohmann::json;
using SortField = AddShowModel::SortField;

std::vector<json> rowsOf(const char* name) {
    static const json all = fixtureJson("present/add-movie.json");
    return {all[name]["rows"].begin(), all[name]["rows"].end()};
}

class AddMovie : public testing::Test {
protected:
    AddMovie() {
        const MovieResult heat{949, "Heat", "1995", "A heist.", "/heat.jpg", {}};
        fake.moviesByTitle = {{"Heat", {heat, {1, "Heat", "1986", {}, {}, {}}}},
                              {"heat 1995", {heat}}};
        fake.releasesByName["Heat"] = {fakeRelease("Heat.1995.1080p.BluRay", 'a', "1080p", 40),
                                       fakeRelease("Heat.1995.1080p.WEB", 'b', "1080p", 90)};
    }

    bool settled() {
        return runEventLoopUntil([&] { return !model.isSearching(); });
    }

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

    FakeWatchlist fake;
    AddShowModel model{fake, AddShowModel::Kind::movie};
};

class MovieRow : public AddMovie, public testing::WithParamInterface<json> {};
using MovieOutcome = MovieRow;
using MovieHeader = MovieRow;

} // namespace

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
    EXPECT_EQ(fake.callsTo("addMovie"), QStringList{"addMovie heat 1995 949 1080p monitor   alias heat 1995"});
}

TEST_P(MovieHeader, CountsTheListedReleasesAndTheOnePicked) {
    const json& c = GetParam();
    fake.releasesByName["Heat"].clear();
    for (int i = 0; i < c[0].get<int>(); ++i)
        fake.releasesByName["Heat"].append(fakeRelease(QStringLiteral("Heat %1").arg(i), char('a' + i)));
    lookUp("Heat", true);
    for (int i = 0; i < c[1].get<int>(); ++i)
        model.togglePick(model.listedResults().at(i).id);
    EXPECT_EQ(model.headerCounts(), qstr(c[2]));
}

INSTANTIATE_TEST_SUITE_P(Rows, MovieHeader, testing::ValuesIn(rowsOf("headers")));

// Failures are not empty answers, and the movie can be added all the same.
TEST_P(MovieOutcome, SaysWhetherItFailedOrFoundNothingAndTheMovieStillAdds) {
    const json& c = GetParam();
    fake.tmdbFailure = qstr(c[1]) == "refusesKey"    ? LookupFailure::refusedKey
                       : qstr(c[1]) == "unreachable" ? LookupFailure::unreachable
                                                     : LookupFailure::none;
    fake.indexesUnreachable = !c[2].get<bool>();
    fake.releasesByName.clear();
    const bool confirmed = c[4];
    lookUp(qstr(c[3]), confirmed);
    EXPECT_EQ(model.emptyTitle(), qstr(c[5]));
    if (!c[6].is_null()) {
        EXPECT_EQ(model.emptyNote(), qstr(c[6]));
    }
    if (!c[7].is_null()) {
        EXPECT_EQ(model.formNotice(), qstr(c[7]));
    }
    if (!c[8].is_null()) {
        EXPECT_EQ(model.retryLabel(), qstr(c[8]));
    }
    EXPECT_EQ(model.offersAddAsTyped(), !confirmed);
    EXPECT_FALSE((confirmed ? model.commit() : model.addAsTyped()).isNull());
    const QStringList added = fake.callsTo("addMovie");
    ASSERT_EQ(added.size(), 1);
    EXPECT_TRUE(added.first().startsWith(QStringLiteral("addMovie ") + qstr(c[3]) + " " +
                                         (confirmed ? "949" : "0")))
        << added.first().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Rows, MovieOutcome, testing::ValuesIn(rowsOf("outcomes")));
