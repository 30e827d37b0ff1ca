// What is told when something is broken: once when an outage starts, once when it ends.

#include "store/HealthWatch.h"

#include "StoreHarness.h"

#include <QSignalSpy>

namespace {

const QString kFolder = QStringLiteral("/home/u/.local/share/Lumivane");

// A report as a story writes it: [state, cause, detail], cause and detail optional.
EngineHealth engineReport(const nlohmann::json& r) {
    static const QStringList states{"starting", "running", "stopped"};
    static const QStringList causes{
        "none",         "binaryMissing",   "notExecutable",   "exitedAtStart",
        "rpcPortTaken", "restartsGivenUp", "stoppedAnswering"};
    const auto part = [&](size_t i) { return i < r.size() ? qstr(r[i]) : QString(); };
    return {EngineHealth::State(states.indexOf(part(0))),
            EngineHealth::Cause(std::max<qsizetype>(0, causes.indexOf(part(1)))), part(2)};
}

} // namespace

TEST(HealthWatch, EachEngineFailureIsToldOnceAndItsEndToo) {
    for (const auto& story : fixtureJson("store/engine-stories.json")) {
        SCOPED_TRACE(story["label"].get<std::string>());
        RecordingLog log;
        RecordingNotifier notices;
        HealthWatch watch(log, &notices, nullptr, kFolder);
        QSignalSpy changes(&watch, &HealthWatch::engineHealthChanged);
        for (const auto& report : story["reports"])
            watch.noteEngineHealth(engineReport(report));

        const QStringList expected =
            strings(story["lines"])
                .replaceInStrings("{endpoints}", kFolder + "/endpoints.json")
                .replaceInStrings("{log}", kFolder + "/transmission-config/engine.log");
        EXPECT_EQ(log.lines, expected);
        ASSERT_EQ(notices.notices.size(), story["notices"].get<int>());
        if (!notices.notices.isEmpty()) {
            EXPECT_EQ(notices.notices.first().title, "Lumivane cannot download");
            EXPECT_EQ(notices.notices.first().body, expected.first());
        }
        EXPECT_EQ(watch.engineHealth(), engineReport(story["reports"].back()));
        EXPECT_GE(changes.size(), 1);
    }
}

// Each row: a run of TMDB request outcomes, and the lines they tell.
TEST(HealthWatch, TMDBOutOfReachAndARefusedKeyAreToldOnceWithTheirEnds) {
    using F = LookupFailure;
    const QString gone = "Could not reach TMDB, so air dates and new titles cannot be looked up. "
                         "Check the network connection, or the TMDB address in " +
                         kFolder + "/endpoints.json.";
    const QString refused =
        "TMDB refused the API key, so air dates and new titles cannot be looked up. Check the "
        "TMDB API key in Settings (leave it empty to use the built-in key).";
    const struct {
        const char* label;
        QList<F> outcomes;
        QStringList lines;
        bool healthyAtEnd;
    } rows[] = {
        {"answersOnly", {F::none, F::none}, {}, true},
        {"outAndBack",
         {F::unreachable, F::unreachable, F::unreachable, F::badAnswer},
         {gone, "TMDB answers again."},
         true},
        {"stillOut", {F::unreachable, F::unreachable}, {gone}, false},
        // An unreachable TMDB says nothing about the key; only an accepted request ends it.
        {"keyRefusedThenOutThenTaken",
         {F::refusedKey, F::refusedKey, F::unreachable, F::badAnswer, F::none},
         {refused, gone, "TMDB answers again.", "TMDB accepts the API key again."},
         true},
        {"keyStillRefused",
         {F::refusedKey, F::unreachable, F::badAnswer},
         {refused, gone, "TMDB answers again."},
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        RecordingLog log;
        HealthWatch watch(log, nullptr, nullptr, kFolder);
        for (const F outcome : row.outcomes)
            watch.noteTMDBRequest(outcome);
        EXPECT_EQ(log.lines, row.lines);
        EXPECT_EQ(watch.searchHealth().isHealthy(), row.healthyAtEnd);
    }
}

TEST(HealthWatch, SilentIndexesAreToldWhenTheOutageStartsAndWhenItEnds) {
    RecordingLog log;
    HealthWatch watch(log, nullptr, nullptr, kFolder);
    QSignalSpy changes(&watch, &HealthWatch::searchHealthChanged);
    const FeedChecker::IndexTally silent{.asked = {"Knaben", "Nyaa"}, .answered = {}};
    const FeedChecker::IndexTally nothingAsked{};
    const FeedChecker::IndexTally oneBack{.asked = {"Knaben", "Nyaa"}, .answered = {"Nyaa"}};

    watch.noteIndexAnswers(silent);
    watch.noteIndexAnswers(nothingAsked); // no search, no news
    watch.noteIndexAnswers(silent);
    EXPECT_EQ(watch.searchHealth().silentIndexes, QStringList({"Knaben", "Nyaa"}));
    watch.noteIndexAnswers(oneBack);
    watch.noteIndexAnswers(oneBack);
    EXPECT_EQ(log.lines,
              QStringList({"No torrent index answered this check (Knaben, Nyaa), so new "
                           "episodes cannot be found. Check the network connection, or the "
                           "index addresses in " +
                               kFolder + "/endpoints.json.",
                           "Torrent indexes answer again (Nyaa)."}));
    EXPECT_EQ(log.errors, 1);
    EXPECT_TRUE(watch.searchHealth().isHealthy());
    EXPECT_EQ(changes.size(), 2);
}
