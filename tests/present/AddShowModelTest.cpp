#include "AddShowModel.h"
#include "AddShowServices.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using PickPlan = AddShowModel::PickPlan;
using SortField = AddShowModel::SortField;

const AddShowServices::Match kDark{70523, QStringLiteral("Dark"), QStringLiteral("2017"),
                                   QStringLiteral("/dark.jpg"), QStringLiteral("A missing child.")};

class AddShow : public testing::Test {
protected:
    WatchlistStore& start() {
        WatchlistStore& store = services.start();
        model = std::make_unique<AddShowModel>(store);
        return store;
    }

    bool settled() {
        return runEventLoopUntil([&] { return !model->isSearching(); });
    }

    // Looks "Dark" up, waits past the arming delay and confirms the first match.
    void resolveDark() {
        model->setName(QStringLiteral("Dark"));
        model->find();
        ASSERT_TRUE(settled());
        services.clock().advance(1);
        ASSERT_TRUE(model->pickMatch(0));
        ASSERT_TRUE(settled());
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

// ---- the release list -----------------------------------------------------------------------------

SearchResult result(const char* id, std::optional<double> unixDate, const char* quality,
                    int seeders, qint64 size, std::optional<int> season = {}) {
    SearchResult r;
    r.id = QString::fromLatin1(id);
    r.title = r.id;
    r.quality = QString::fromUtf8(quality);
    r.seeders = seeders;
    r.sizeBytes = size;
    r.season = season;
    if (unixDate)
        r.date = Timestamp::fromUnixSeconds(*unixDate);
    return r;
}

struct SortCase {
    SortField sort;
    QStringList order;
};

class ReleaseOrder : public testing::TestWithParam<SortCase> {};

TEST_P(ReleaseOrder, SortsWithStableTies) {
    // a and e tie on every field but quality; b and d are undated; c and f tie on seeders.
    const QList<SearchResult> arrived{
        result("a", 2000, "720p", 5, 300), result("b", {}, "4K", 9, 100),
        result("c", 3000, "\u2014", 7, 200), result("d", {}, "480p", 1, 500),
        result("e", 2000, "1080p", 5, 300), result("f", 1000, "1080p", 7, 300),
    };
    QStringList ids;
    for (const SearchResult& r : AddShowModel::sorted(arrived, GetParam().sort))
        ids << r.id;
    EXPECT_EQ(ids, GetParam().order) << AddShowModel::sortLabel(GetParam().sort).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ReleaseOrder,
    testing::Values(SortCase{SortField::date, {"c", "a", "e", "f", "b", "d"}},
                    SortCase{SortField::quality, {"b", "e", "f", "a", "d", "c"}},
                    SortCase{SortField::seeders, {"b", "c", "f", "a", "e", "d"}},
                    SortCase{SortField::size, {"b", "c", "a", "e", "f", "d"}}));

TEST_F(AddShow, SeasonFilterAndHeaderCounts) {
    services.matches[QStringLiteral("Dark")] = {kDark};
    services.index.hits = {release("Dark S03E01 1080p WEB", 'a'), release("Dark S03 1080p", 'b'),
                           release("Dark S01E02 720p", 'c'),
                           release("Dark Complete Series 1080p", 'd')};
    start();
    resolveDark();
    ASSERT_EQ(model->results().size(), 4);
    EXPECT_EQ(model->seasonsOffered(), (QList<int>{1, 3}));
    EXPECT_EQ(model->headerCounts(), "4 releases · 0 selected");

    model->setSeasonView(3); // hides season 1 and the release without a season
    QStringList titles;
    for (const SearchResult& r : model->listedResults())
        titles << r.title;
    EXPECT_EQ(titles, (QStringList{"Dark S03E01 1080p WEB", "Dark S03 1080p"}));
    model->togglePick(model->listedResults().at(1).id);
    EXPECT_EQ(model->headerCounts(), "2 releases · 1 selected");
    EXPECT_EQ(model->resultsHeading(), "2 releases · 1 selected");

    model->setSeasonView(std::nullopt);
    EXPECT_EQ(model->headerCounts(), "4 releases · 1 selected");
    model->togglePick(model->listedResults().at(0).id);
    model->togglePick(model->listedResults().at(0).id); // untick again
    EXPECT_EQ(model->picked().size(), 1);
    EXPECT_EQ(AddShowModel::seasonLabel(3), "Season 3");
    EXPECT_EQ(AddShowModel::seasonLabel(std::nullopt), "All seasons");
}

// ---- lookup ---------------------------------------------------------------------------------------

TEST_F(AddShow, OnlyTheLatestLookupPublishes) {
    services.matches[QStringLiteral("Dar")] = {{1, QStringLiteral("Darker"), "", "", ""}};
    services.matches[QStringLiteral("Dark")] = {kDark};
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
}

TEST_F(AddShow, AClickOnAMatchCountsOnlyAfterTheArmingDelay) {
    services.matches[QStringLiteral("Dark")] = {kDark};
    start();
    model->setName(QStringLiteral("  Dark "));
    model->find();
    ASSERT_TRUE(settled());

    services.clock().advance(0.2);
    EXPECT_FALSE(model->pickMatch(0));
    EXPECT_FALSE(model->resolvedShow().has_value());
    EXPECT_EQ(model->primaryLabel(), "Find series");

    services.clock().advance(0.3);
    EXPECT_TRUE(model->pickMatch(0));
    EXPECT_EQ(model->resolvedShow()->id, 70523);
    EXPECT_TRUE(model->isSearching()); // the release search started
    EXPECT_EQ(model->busyText(), "Searching releases…");
    ASSERT_TRUE(settled());
    EXPECT_EQ(model->mode(), AddShowModel::ResultsMode::releases);
}

TEST_F(AddShow, NoMatchOffersTheTypedName) {
    start();
    model->setName(QStringLiteral(" Da Vinci's Inquest "));
    model->find();
    ASSERT_TRUE(settled());
    EXPECT_EQ(model->emptyTitle(), "No series found on TMDB");
    EXPECT_EQ(model->emptyNote(), "");
    EXPECT_EQ(model->formNotice(), "TMDB has no match for \u201CDa Vinci's Inquest\u201D");
    ASSERT_TRUE(model->offersAddAsTyped());

    QSignalSpy closing(model.get(), &AddShowModel::closeRequested);
    EXPECT_FALSE(model->addAsTyped().isNull());
    const Show* show = stored(QStringLiteral("Da Vinci's Inquest"));
    ASSERT_NE(show, nullptr);
    EXPECT_FALSE(show->tmdbID.has_value());
    EXPECT_EQ(closing.count(), 1);
    EXPECT_EQ(services.log().last(), "Added \"Da Vinci's Inquest\" to schedule");
}

// ---- failures are not empty answers ------------------------------------------------------------

struct FailureCase {
    const char* what;
    AddShowServices::Tmdb tmdb;
    QString title;
    QString notice;
};

class LookupFailure : public AddShow, public testing::WithParamInterface<FailureCase> {};

TEST_P(LookupFailure, SaysWhatWentWrongAndStillAddsAsTyped) {
    const FailureCase& c = GetParam();
    services.tmdb = c.tmdb;
    services.matches[QStringLiteral("Dark")] = {kDark};
    start();
    model->setName(QStringLiteral("Dark"));
    model->find();
    ASSERT_TRUE(settled());
    EXPECT_EQ(model->emptyTitle(), c.title) << c.what;
    EXPECT_EQ(model->formNotice(), c.notice) << c.what;
    EXPECT_NE(model->formNotice(), "TMDB has no match for \u201CDark\u201D");
    EXPECT_TRUE(model->offersAddAsTyped());
    EXPECT_FALSE(model->addAsTyped().isNull());
    EXPECT_NE(stored(QStringLiteral("Dark")), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Tmdb, LookupFailure,
    testing::Values(
        FailureCase{"refused key", AddShowServices::Tmdb::refusesKey, "TMDB refused the API key",
                    "TMDB refused the API key — check the TMDB key in Settings."},
        FailureCase{"unreachable", AddShowServices::Tmdb::unreachable, "Could not reach TMDB",
                    "Could not reach TMDB — check the connection."}));

TEST_F(AddShow, NoIndexAnsweringIsNotAnEmptyAnswer) {
    services.indexes = AddShowServices::Indexes::unreachable;
    services.matches[QStringLiteral("Dark")] = {kDark};
    start();
    resolveDark();
    EXPECT_TRUE(model->didSearch());
    EXPECT_EQ(model->emptyTitle(), "Could not reach the torrent indexes");
    EXPECT_NE(model->emptyNote(), "Try a different quality or season.");
    EXPECT_EQ(model->retryLabel(), "Search again");
    // The series can still be added, without releases.
    EXPECT_TRUE(model->canCommit());
    EXPECT_FALSE(model->commit().isNull());
    EXPECT_NE(stored(QStringLiteral("Dark")), nullptr);
}

TEST_F(AddShow, AnEmptyAnswerFromTheIndexesReadsNoReleasesFound) {
    services.matches[QStringLiteral("Dark")] = {kDark};
    start();
    resolveDark();
    EXPECT_EQ(model->emptyTitle(), "No releases found");
    EXPECT_EQ(model->emptyNote(), "Try a different quality or season.");
    EXPECT_EQ(model->retryLabel(), ""); // an answer: asking again would say the same
}

// ---- release search fallback ------------------------------------------------------------------

TEST_F(AddShow, FallsBackToTheTypedNameAndKeepsItAsTheSearchAlias) {
    services.matches[QStringLiteral("Inquest")] = {
        {5, QStringLiteral("Da Vinci's Inquest"), "1998", "", ""}};
    services.index.hitsFor = [](const QString& query) {
        return query == QStringLiteral("Inquest")
                   ? QList<FakeIndexes::Hit>{release("Inquest S01E01 720p", 'a')}
                   : QList<FakeIndexes::Hit>{};
    };
    start();
    model->setName(QStringLiteral("Inquest"));
    model->find();
    ASSERT_TRUE(settled());
    services.clock().advance(1);
    ASSERT_TRUE(model->pickMatch(0));
    ASSERT_TRUE(settled());

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

TEST_F(AddShow, NoFallbackWhenTheTypedNameIsTheOfficialTitle) {
    services.matches[QStringLiteral("dark!")] = {kDark};
    start();
    model->setName(QStringLiteral("dark!"));
    model->find();
    ASSERT_TRUE(settled());
    services.clock().advance(1);
    ASSERT_TRUE(model->pickMatch(0));
    ASSERT_TRUE(settled());
    EXPECT_FALSE(model->fellBack());
    EXPECT_EQ(services.index.searchCount(), 1); // one question, not a second under "dark!"
}

// ---- the primary button and what can be committed ----------------------------------------------

struct LabelCase {
    const char* what;
    bool resolve;
    QString season;
    bool pull;
    bool subscribe;
    int ticks;
    PickPlan plan;
    QString label;
};

class PrimaryLabel : public AddShow, public testing::WithParamInterface<LabelCase> {};

TEST_P(PrimaryLabel, NamesWhatTheButtonDoes) {
    const LabelCase& c = GetParam();
    services.matches[QStringLiteral("Dark")] = {kDark};
    services.index.hits = {release("Dark S01E01 1080p", 'a'), release("Dark S01E02 1080p", 'b')};
    start();
    model->setName(QStringLiteral("Dark"));
    if (c.resolve)
        resolveDark();
    model->setSeasonText(c.season);
    model->setPullEntireSeason(c.pull);
    model->setStartWithLatest(c.subscribe);
    model->setPickPlan(c.plan);
    for (int i = 0; i < c.ticks; ++i)
        model->togglePick(model->listedResults().at(i).id);
    EXPECT_EQ(model->primaryLabel(), c.label) << c.what;
    EXPECT_EQ(model->showsPlan(), c.ticks > 0) << c.what;
}

const auto kAny = PickPlan::continueForward;

INSTANTIATE_TEST_SUITE_P(
    States, PrimaryLabel,
    testing::Values(
        LabelCase{"nothing resolved", false, "", false, true, 0, kAny, "Find series"},
        LabelCase{"nothing resolved, season typed", false, "2", true, true, 0, kAny,
                  "Find series"},
        LabelCase{"pull, subscribed", true, "2", true, true, 0, kAny,
                  "Pull Season 2, and subscribe"},
        LabelCase{"pull, not subscribed", true, " 3 ", true, false, 0, kAny, "Pull Season 3"},
        LabelCase{"season typed without the pull", true, "2", false, true, 0, kAny,
                  "Add to your schedule"},
        LabelCase{"subscribed", true, "", false, true, 0, kAny, "Add to your schedule"},
        LabelCase{"not subscribed", true, "", false, false, 0, kAny, "Add to watchlist"},
        LabelCase{"ticked, continue", true, "", false, true, 1, PickPlan::continueForward,
                  "Grab & continue from here"},
        LabelCase{"ticked, just this", true, "", false, false, 2, PickPlan::onlyThis,
                  "Grab just this"},
        LabelCase{"ticked, newest, with a pull", true, "2", true, true, 1,
                  PickPlan::thisThenLatest, "Grab & follow newest"}));

struct CommitCase {
    QString name;
    bool pull;
    QString season;
    bool allowed;
};

class Committable : public AddShow, public testing::WithParamInterface<CommitCase> {};

TEST_P(Committable, NeedsANameAndASeasonForAPull) {
    const CommitCase& c = GetParam();
    start();
    model->setName(c.name);
    model->setPullEntireSeason(c.pull);
    model->setSeasonText(c.season);
    EXPECT_EQ(model->canCommit(), c.allowed);
    EXPECT_EQ(!model->commit().isNull(), c.allowed);
    EXPECT_EQ(services.store().shows().size(), c.allowed ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Forms, Committable,
                         testing::Values(CommitCase{"", false, "", false},
                                         CommitCase{"   ", false, "", false},
                                         CommitCase{"Dark", false, "", true},
                                         CommitCase{"Dark", false, "two", true},
                                         CommitCase{"Dark", true, "", false},
                                         CommitCase{"Dark", true, "two", false},
                                         CommitCase{"Dark", true, "+2", true},
                                         CommitCase{"Dark", true, " 2 ", true}));

// ---- the plan, through the store ---------------------------------------------------------------

struct PlanCase {
    const char* what;
    bool subscribe;
    int ticks;
    PickPlan plan;
    bool following;  // isEnabled and startWithLatest
    bool fromLatest; // monitorFromLatestPending
};

class PlanFlags : public AddShow, public testing::WithParamInterface<PlanCase> {};

TEST_P(PlanFlags, FollowTheSwitchAndThePlan) {
    const PlanCase& c = GetParam();
    services.matches[QStringLiteral("Dark")] = {kDark};
    services.index.hits = {release("Dark S01E01 1080p", 'a'), release("Dark S01E02 1080p", 'b')};
    start();
    resolveDark();
    model->setStartWithLatest(c.subscribe);
    model->setPickPlan(c.plan);
    for (int i = 0; i < c.ticks; ++i)
        model->togglePick(model->listedResults().at(i).id);
    ASSERT_FALSE(model->commit().isNull());

    const Show* show = stored(QStringLiteral("Dark"));
    ASSERT_NE(show, nullptr);
    EXPECT_EQ(show->isEnabled, c.following) << c.what;
    EXPECT_EQ(show->startWithLatest, c.following) << c.what;
    EXPECT_EQ(show->monitorFromLatestPending, c.fromLatest) << c.what;
    EXPECT_EQ(show->tmdbID, 70523);
    EXPECT_EQ(show->posterPath, "/dark.jpg");
    EXPECT_TRUE(services.log().contains("Added \"Dark\" to schedule")) << c.what;
    EXPECT_TRUE(runEventLoopUntil(
        [&] { return services.store().activeDownloads().size() == c.ticks; }))
        << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Plans, PlanFlags,
    testing::Values(
        PlanCase{"nothing ticked, subscribed", true, 0, kAny, true, true},
        PlanCase{"nothing ticked, not subscribed", false, 0, kAny, false, false},
        PlanCase{"continue", false, 1, PickPlan::continueForward, true, false},
        PlanCase{"just this", false, 1, PickPlan::onlyThis, false, false},
        PlanCase{"this then newest", false, 2, PickPlan::thisThenLatest, true, true},
        PlanCase{"just this, but subscribed", true, 1, PickPlan::onlyThis, true, true},
        PlanCase{"continue, subscribed", true, 1, PickPlan::continueForward, true, false},
        PlanCase{"newest, subscribed", true, 1, PickPlan::thisThenLatest, true, true}));

TEST_F(AddShow, ASeasonPullFollowsTheSwitch) {
    services.matches[QStringLiteral("Dark")] = {kDark};
    start();
    resolveDark();
    model->setSeasonText(QStringLiteral("2"));
    model->setPullEntireSeason(true);
    model->setStartWithLatest(false);
    model->setFallbackAnyQuality(false);
    EXPECT_EQ(model->pullTitle(), "Pull all of Season 2");
    EXPECT_EQ(model->pullNote(), "Grabs all of Season 2 — every aired episode, one by one.");
    ASSERT_FALSE(model->commit().isNull());
    const Show* show = stored(QStringLiteral("Dark"));
    ASSERT_NE(show, nullptr);
    EXPECT_FALSE(show->isEnabled);
    EXPECT_EQ(show->seasonFilter, 2);
    EXPECT_TRUE(show->fallbackAnyQuality); // a pull takes what it finds
    EXPECT_TRUE(services.log().contains("Added \"Dark\" — pulling Season 2"));
}

TEST_F(AddShow, ClosingDropsWhatIsInFlight) {
    services.matches[QStringLiteral("Dark")] = {kDark};
    services.delayFor[QStringLiteral("Dark")] = 100;
    WatchlistStore& store = start();
    QSignalSpy ended(&store.tmdb(), &TMDBClient::requestEnded);
    model->setName(QStringLiteral("Dark"));
    model->find();
    model->close();
    ASSERT_TRUE(runEventLoopUntil([&] { return ended.count() == 1; }));
    EXPECT_TRUE(model->showMatches().isEmpty());
    EXPECT_EQ(model->mode(), AddShowModel::ResultsMode::none);
    model->primary();
    EXPECT_EQ(services.tmdbSearches(), 1); // a closed flow asks nothing more
}

TEST_F(AddShow, ANewNameForgetsTheConfirmedSeries) {
    services.matches[QStringLiteral("Dark")] = {kDark};
    services.index.hits = {release("Dark S01E01 1080p", 'a')};
    start();
    resolveDark();
    model->togglePick(model->results().first().id);
    model->setName(QStringLiteral("Dark ")); // same letters: still the same series
    EXPECT_TRUE(model->resolvedShow().has_value());
    model->setName(QStringLiteral("Darkwing Duck"));
    EXPECT_FALSE(model->resolvedShow().has_value());
    EXPECT_TRUE(model->picked().isEmpty());
    EXPECT_EQ(model->primaryLabel(), "Find series");
}

TEST(AddShowTexts, QualityNoteNamesTheResolution) {
    EXPECT_EQ(AddShowModel::planTitle(PickPlan::thisThenLatest), "This, then newest");
    EXPECT_EQ(AddShowModel::planDescription(PickPlan::onlyThis),
              "Only what you picked — nothing ongoing");
    AddShowServices services;
    AddShowModel model(services.start());
    model.setQuality(Show::Quality::p720);
    EXPECT_EQ(model.qualityNote(),
              "If there's no 720p release, grab the best other one automatically. Off = ask me "
              "first.");
    EXPECT_EQ(model.pullTitle(), "Pull entire series");
}

} // namespace
