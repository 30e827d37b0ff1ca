#include "AddShowModel.h"

#include "AddShowServices.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using PickPlan = AddShowModel::PickPlan;
using SortField = AddShowModel::SortField;
using json = nlohmann::json;

// Each row of a table gets a fresh store.
std::vector<json> rowsOf(const char* name) {
    static const json all = fixtureJson("present/add-series.json");
    return {all[name]["rows"].begin(), all[name]["rows"].end()};
}

class AddShow : public testing::Test {
protected:
    WatchlistStore& start() {
        WatchlistStore& store = services.start();
        model = std::make_unique<AddShowModel>(store);
        return store;
    }

    void lookUp(const QString& name, bool confirm = false) {
        ASSERT_TRUE(services.drive(*model, {{"lookUp", name.toStdString()}, {"confirm", confirm}}));
    }

    void tick(int count) {
        for (int i = 0; i < count; ++i)
            model->togglePick(model->listedResults().at(i).id);
    }

    const Show* stored(const QString& name) const {
        for (const Show& s : services.store().shows()) {
            if (s.name == name)
                return &s;
        }
        return nullptr;
    }

    AddShowServices services;
    std::unique_ptr<AddShowModel> model;
};

TEST(AddShowReleases, SortWithStableTies) {
    QList<SearchResult> arrived;
    const json table = fixtureJson("present/add-series.json")["releaseOrder"];
    for (const json& a : table["arrived"]) {
        SearchResult& r = arrived.emplaceBack();
        r.id = r.title = qstr(a[0]);
        if (!a[1].is_null())
            r.date = Timestamp::fromUnixSeconds(a[1].get<double>());
        r.quality = qstr(a[2]);
        r.seeders = a[3];
        r.sizeBytes = a[4];
    }
    for (const json& order : table["rows"]) {
        const auto field =
            SortField(QStringList{"date", "quality", "seeders", "size"}.indexOf(qstr(order[0])));
        QString ids;
        for (const SearchResult& r : AddShowModel::sorted(arrived, field))
            ids += r.id;
        EXPECT_EQ(ids, qstr(order[1])) << order[0];
    }
}

TEST_F(AddShow, SeasonFilterAndHeaderCounts) {
    services.index.hits = {release("Dark S03E01 1080p WEB", 'a'), release("Dark S03 1080p", 'b'),
                           release("Dark S01E02 720p", 'c'),
                           release("Dark Complete Series 1080p", 'd')};
    start();
    lookUp(QStringLiteral("Dark"), true);
    ASSERT_EQ(model->results().size(), 4);
    EXPECT_EQ(model->seasonsOffered(), (QList<int>{1, 3}));
    EXPECT_EQ(model->headerCounts(), "4 releases · 0 selected");

    model->setSeasonView(3); // hides season 1 and the release without a season
    QStringList titles;
    for (const SearchResult& r : model->listedResults())
        titles << r.title;
    EXPECT_EQ(titles, (QStringList{"Dark S03E01 1080p WEB", "Dark S03 1080p"}));
    tick(1);
    EXPECT_EQ(model->headerCounts(), "2 releases · 1 selected");
    model->setSeasonView(std::nullopt);
    EXPECT_EQ(model->headerCounts(), "4 releases · 1 selected");
    tick(1);
    tick(1); // untick again
    EXPECT_EQ(model->picked().size(), 1);
    EXPECT_EQ(AddShowModel::seasonLabel(3), "Season 3");
    EXPECT_EQ(AddShowModel::seasonLabel(std::nullopt), "All seasons");
}

TEST_F(AddShow, OnlyTheLatestLookupPublishesAndClosingDropsWhatIsInFlight) {
    services.delayFor[QStringLiteral("Dar")] = 300; // the first answer arrives last
    WatchlistStore& store = start();
    QSignalSpy ended(&store.tmdb(), &TMDBClient::requestEnded);
    model->setName(QStringLiteral("Dar"));
    model->find();
    EXPECT_EQ(model->primaryLabel(), "Finding series…");
    EXPECT_EQ(model->busyText(), "Finding series…");
    model->setName(QStringLiteral("Dark"));
    model->find();
    ASSERT_TRUE(runEventLoopUntil([&] { return ended.count() == 2; }));

    ASSERT_EQ(model->showMatches().size(), 1);
    EXPECT_EQ(model->showMatches().first().name, "Dark");
    EXPECT_EQ(model->mode(), AddShowModel::ResultsMode::shows);
    EXPECT_EQ(model->resultsHeading(), "Which series?");
    EXPECT_FALSE(model->isSearching());

    // Closing drops what is in flight, and a closed flow asks nothing more.
    model->setName(QStringLiteral("Dar"));
    model->find();
    model->close();
    ASSERT_TRUE(runEventLoopUntil([&] { return ended.count() == 3; }));
    EXPECT_EQ(model->mode(), AddShowModel::ResultsMode::none); // the late answer stayed out
    model->primary();
    EXPECT_EQ(services.tmdbSearches(), 3);
}

class Row : public AddShow, public testing::WithParamInterface<json> {};
using Outcome = Row;
using Form = Row;
using Committable = Row;

// Failures are not empty answers, and the series can be added all the same.
TEST_P(Outcome, SaysWhetherItFailedOrFoundNothingAndTheSeriesStillAdds) {
    const json& c = GetParam();
    services.tmdb = qstr(c[1]) == "refusesKey"    ? AddShowServices::Tmdb::refusesKey
                    : qstr(c[1]) == "unreachable" ? AddShowServices::Tmdb::unreachable
                                                  : AddShowServices::Tmdb::answers;
    services.indexesAnswer = c[2];
    start();
    const bool confirmed = c[4];
    lookUp(qstr(c[3]), confirmed);
    EXPECT_EQ(model->emptyTitle(), qstr(c[5]));
    if (!c[6].is_null()) {
        EXPECT_EQ(model->emptyNote(), qstr(c[6]));
    }
    if (!c[7].is_null()) {
        EXPECT_EQ(model->formNotice(), qstr(c[7]));
    }
    if (!c[8].is_null()) {
        EXPECT_EQ(model->retryLabel(), qstr(c[8]));
    }
    EXPECT_EQ(model->offersAddAsTyped(), !confirmed);

    QSignalSpy closing(model.get(), &AddShowModel::closeRequested);
    EXPECT_FALSE((confirmed ? model->commit() : model->addAsTyped()).isNull());
    const QString name = qstr(c[3]).trimmed();
    const Show* show = stored(name);
    ASSERT_NE(show, nullptr);
    EXPECT_EQ(show->tmdbID.has_value(), confirmed);
    EXPECT_EQ(closing.count(), 1);
    EXPECT_EQ(services.log().last(), "Added \"" + name + "\" to schedule");
}

INSTANTIATE_TEST_SUITE_P(Rows, Outcome, testing::ValuesIn(rowsOf("outcomes")));

TEST_F(AddShow, FallsBackToTheTypedNameAndKeepsItAsTheSearchAlias) {
    services.index.hitsFor = [](const QString& query) {
        return query == QStringLiteral("Inquest")
                   ? QList<FakeIndexes::Hit>{release("Inquest S01E01 720p", 'a')}
                   : QList<FakeIndexes::Hit>{};
    };
    start();
    lookUp(QStringLiteral("dark!"), true); // the official title as typed: no second question
    EXPECT_FALSE(model->fellBack());
    EXPECT_EQ(services.index.searchCount(), 1);
    lookUp(QStringLiteral("Inquest"), true);
    ASSERT_EQ(model->results().size(), 1);
    EXPECT_TRUE(model->fellBack());
    EXPECT_EQ(model->fallbackNotice(),
              "No results for the official title — showing results for \u201CInquest\u201D");
    model->setStartWithLatest(false);
    ASSERT_FALSE(model->commit().isNull());
    const Show* show = stored(QStringLiteral("Da Vinci's Inquest"));
    ASSERT_NE(show, nullptr);
    EXPECT_EQ(show->searchAlias, "Inquest");
    EXPECT_EQ(show->tmdbID, 5);
}

// Forms confirmed without a pull go on to add the series: the store follows and grabs what the
// button said.
TEST_P(Form, TheButtonSaysWhatAddingDoes) {
    const json& c = GetParam();
    services.index.hits = {release("Dark S01E01 1080p", 'a'), release("Dark S01E02 1080p", 'b')};
    start();
    if (c[1].get<bool>())
        lookUp(QStringLiteral("Dark"), true); // confirmed
    else
        model->setName(QStringLiteral("Dark"));
    model->setSeasonText(qstr(c[2]));
    model->setPullEntireSeason(c[3]);
    model->setStartWithLatest(c[4]);
    model->setPickPlan(AddShowServices::planNamed(c[6]));
    tick(c[5]);
    EXPECT_EQ(model->primaryLabel(), qstr(c[7]));
    EXPECT_EQ(model->showsPlan(), c[5].get<int>() > 0);
    if (c.size() < 10)
        return;
    ASSERT_FALSE(model->commit().isNull());
    const Show* show = stored(QStringLiteral("Dark"));
    ASSERT_NE(show, nullptr);
    EXPECT_EQ(show->isEnabled, c[8].get<bool>());
    EXPECT_EQ(show->startWithLatest, c[8].get<bool>());
    EXPECT_EQ(show->monitorFromLatestPending, c[9].get<bool>());
    EXPECT_EQ(show->tmdbID, 70523);
    EXPECT_EQ(show->posterPath, "/dark.jpg");
    EXPECT_TRUE(services.log().contains("Added \"Dark\" to schedule"));
    EXPECT_TRUE(runEventLoopUntil(
        [&] { return services.store().activeDownloads().size() == c[5].get<int>(); }));
}

INSTANTIATE_TEST_SUITE_P(Rows, Form, testing::ValuesIn(rowsOf("forms")));

TEST_P(Committable, NeedsANameAndASeasonForAPull) {
    const json& c = GetParam();
    start();
    model->setName(qstr(c[0]));
    model->setPullEntireSeason(c[1]);
    model->setSeasonText(qstr(c[2]));
    EXPECT_EQ(model->canCommit(), c[3].get<bool>()) << c.dump();
    EXPECT_EQ(!model->commit().isNull(), c[3].get<bool>()) << c.dump();
    EXPECT_EQ(services.store().shows().size(), c[3].get<bool>() ? 1 : 0) << c.dump();
}

INSTANTIATE_TEST_SUITE_P(Rows, Committable, testing::ValuesIn(rowsOf("commitForms")));

TEST_F(AddShow, ASeasonPullFollowsTheSwitch) {
    start();
    lookUp(QStringLiteral("Dark"), true);
    EXPECT_EQ(model->pullTitle(), "Pull entire series");
    model->setSeasonText(QStringLiteral("2"));
    model->setPullEntireSeason(true);
    model->setStartWithLatest(false);
    model->setFallbackAnyQuality(false);
    model->setQuality(Show::Quality::p720);
    EXPECT_EQ(model->qualityNote(), "If there's no 720p release, grab the best other one "
                                    "automatically. Off = ask me first.");
    EXPECT_EQ(model->pullTitle(), "Pull all of Season 2");
    EXPECT_EQ(model->pullNote(), "Grabs all of Season 2 — every aired episode, one by one.");
    EXPECT_EQ(AddShowModel::planTitle(PickPlan::thisThenLatest), "This, then newest");
    EXPECT_EQ(AddShowModel::planDescription(PickPlan::onlyThis),
              "Only what you picked — nothing ongoing");
    ASSERT_FALSE(model->commit().isNull());
    const Show* show = stored(QStringLiteral("Dark"));
    ASSERT_NE(show, nullptr);
    EXPECT_FALSE(show->isEnabled);
    EXPECT_EQ(show->seasonFilter, 2);
    EXPECT_TRUE(show->fallbackAnyQuality); // a pull takes what it finds
    EXPECT_TRUE(services.log().contains("Added \"Dark\" — pulling Season 2"));
}

TEST_F(AddShow, AMatchCountsOnlyAfterTheArmingDelayAndANewNameForgetsIt) {
    services.index.hits = {release("Dark S01E01 1080p", 'a')};
    start();
    lookUp(QStringLiteral("  Dark "));
    services.clock().advance(0.2);
    EXPECT_FALSE(model->pickMatch(0));
    EXPECT_FALSE(model->resolvedShow().has_value());

    services.clock().advance(0.3);
    EXPECT_TRUE(model->pickMatch(0));
    EXPECT_EQ(model->resolvedShow()->id, 70523);
    EXPECT_TRUE(model->isSearching()); // the release search started
    EXPECT_EQ(model->busyText(), "Searching releases…");
    ASSERT_TRUE(runEventLoopUntil([&] { return !model->isSearching(); }));
    EXPECT_EQ(model->mode(), AddShowModel::ResultsMode::releases);
    tick(1);
    model->setName(QStringLiteral("Dark ")); // same letters: still the same series
    EXPECT_TRUE(model->resolvedShow().has_value());
    model->setName(QStringLiteral("Darkwing Duck"));
    EXPECT_FALSE(model->resolvedShow().has_value());
    EXPECT_TRUE(model->picked().isEmpty());
}

} // namespace
