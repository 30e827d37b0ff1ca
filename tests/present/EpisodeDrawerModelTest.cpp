#include "EpisodeDrawerModel.h"

#include "DarkSeries.h"
#include "Fixtures.h"

#include <gtest/gtest.h>

namespace {

using Phase = EpisodeDrawerModel::Phase;
using RowState = EpisodeDrawerTexts::RowState;
using Outcome = WatchlistOperations::EpisodeOutcome;
using json = nlohmann::json;

const QString kRefusedKey = "TMDB refused the API key. Check the key in Settings.";
const QString kTmdbUnreachable =
    "Couldn’t reach TMDB. Check your internet connection, then try again.";

class DrawerModel : public testing::Test {
protected:
    void open() { model.open(dark.id); }

    QStringList labels() const {
        QStringList out;
        for (const auto& row : model.episodeRows())
            out << row.code + ": " + row.label;
        return out;
    }

    EpisodeDrawerModel::EpisodeRow row(const QString& code) const {
        for (const auto& r : model.episodeRows()) {
            if (r.code == code)
                return r;
        }
        ADD_FAILURE() << "no row " << code.toStdString();
        return {};
    }

    FakeWatchlist fake;
    Show& dark = scriptDark(fake);
    EpisodeDrawerModel model{fake};
};

// --- linking -----------------------------------------------------------------------------------

TEST_F(DrawerModel, OneMatchOrAFirstMatchNamedLikeTheSeriesIsTakenElseTheUserPicks) {
    const json table = fixtureJson("present/drawer-linking.json");
    for (const json& c : table["rows"]) {
        SCOPED_TRACE(c[0].get<std::string>());
        dark.tmdbID.reset();
        fake.calls.clear();
        QList<SeriesResult>& matches = fake.seriesByName["Dark"];
        matches.clear();
        for (const json& m : c[1]) {
            const QString year = qstr(m[2]);
            matches.append({m[0],
                            qstr(m[1]),
                            year.isEmpty() ? std::nullopt : std::optional(year),
                            {},
                            qstr(m[3])});
        }
        open();
        ASSERT_TRUE(settled(model));

        const QStringList phases{"loading", "noKey", "needsPick", "ready", "notFound", "failed"};
        EXPECT_EQ(phases.value(int(model.phase())), qstr(c[2]));
        EXPECT_EQ(fake.callsTo("linkTMDBMatch"),
                  c[3].is_null()
                      ? QStringList{}
                      : QStringList{QStringLiteral("linkTMDBMatch Dark %1").arg(c[3].get<int>())});
        QStringList offered;
        for (const auto& candidate : model.candidates())
            offered << EpisodeDrawerModel::candidateLabel(candidate);
        EXPECT_EQ(offered, strings(c[4]));
        if (model.phase() == Phase::notFound) {
            EXPECT_EQ(model.phaseTitle(), "Couldn’t find “Dark” on TMDB.");
        }
        if (model.phase() == Phase::ready) {
            EXPECT_EQ(model.seasons(), (QList<int>{1, 2})); // the highest is selected
            EXPECT_EQ(model.selectedSeason(), 2);
        }
    }
}

TEST_F(DrawerModel, APickedMatchIsLinkedAndALinkedSeriesIsNeverSearched) {
    dark.tmdbID.reset();
    dark.downloadedEpisodes = {"S01E02", "S01E01"};
    open();
    ASSERT_TRUE(settled(model));
    model.pickCandidate(1);
    ASSERT_TRUE(settled(model));
    EXPECT_EQ(fake.callsTo("linkTMDBMatch"), QStringList{"linkTMDBMatch Dark 70523"});
    EXPECT_EQ(model.phase(), Phase::ready);

    fake.calls.clear();
    open();
    ASSERT_TRUE(settled(model));
    EXPECT_EQ(model.phase(), Phase::ready);
    EXPECT_TRUE(fake.callsTo("searchSeries").isEmpty());

    // Every aired episode of season 1 is in: nothing to complete.
    model.selectSeason(1);
    ASSERT_TRUE(settled(model));
    EXPECT_FALSE(model.completeSeasonEnabled());
    EXPECT_EQ(model.completeSeasonTooltip(), "You have every aired episode of Season 1");

    fake.key = false;
    open();
    EXPECT_EQ(model.phase(), Phase::noKey);
}

// --- failures ----------------------------------------------------------------------------------

// Neither failure reads as "no match" nor links anything; a try again goes on from there.
TEST_F(DrawerModel, ATmdbFailureSaysWhichAndATryAgainGoesOnFromThere) {
    fake.seasonsOf[70523] = {1, 2, 3};
    for (const auto& [failure, text] : {std::pair{LookupFailure::unreachable, kTmdbUnreachable},
                                        std::pair{LookupFailure::refusedKey, kRefusedKey}}) {
        SCOPED_TRACE(int(failure));
        fake.tmdbFailure = failure;
        open();
        ASSERT_TRUE(settled(model));
        EXPECT_EQ(model.phase(), Phase::failed);
        EXPECT_EQ(model.phaseTitle(), text);
        EXPECT_EQ(model.phaseTone(), EpisodeDrawerTexts::Tone::attention);
        EXPECT_TRUE(model.canRetry());
    }
    fake.tmdbFailure = LookupFailure::none;
    model.retry();
    ASSERT_TRUE(settled(model));
    EXPECT_EQ(model.phase(), Phase::ready);
    EXPECT_TRUE(fake.callsTo("searchSeries").isEmpty()); // linked: no search, before or after
    EXPECT_TRUE(fake.callsTo("linkTMDBMatch").isEmpty());
    ASSERT_EQ(model.selectedSeason(), 3);
    EXPECT_EQ(model.episodesNote(), "No episodes listed for this season.");

    // A refused season request says why.
    fake.tmdbFailure = LookupFailure::refusedKey;
    model.selectSeason(1);
    EXPECT_EQ(model.episodesNote(), "Loading season 1");
    ASSERT_TRUE(settled(model));
    EXPECT_EQ(model.episodesNote(), kRefusedKey);
    EXPECT_TRUE(model.episodeRows().isEmpty());
}

// --- seasons and episode rows ------------------------------------------------------------------

TEST_F(DrawerModel, AQuickSwitchBackAndForthShowsOnlyTheLastRequestedSeason) {
    open();
    ASSERT_TRUE(settled(model));
    ASSERT_EQ(model.selectedSeason(), 2);
    const int before = fake.answered;
    fake.held = {"seasonEpisodes 70523 1"}; // season 1 answers after season 2's second request
    model.selectSeason(1);
    model.selectSeason(2);
    ASSERT_TRUE(runEventLoopUntil([&] { return fake.answered == before + 1; }));
    fake.release("seasonEpisodes 70523 1");
    ASSERT_TRUE(runEventLoopUntil([&] { return fake.answered == before + 2; }));
    EXPECT_EQ(model.selectedSeason(), 2);
    EXPECT_EQ(model.episodeRows().size(), 7);
}

TEST_F(DrawerModel, RowsFollowWhatTheEngineMakesOfEachGrab) {
    dark.downloadedEpisodes = {"S02E01"};
    open();
    ASSERT_TRUE(settled(model));
    EXPECT_EQ(labels(),
              QStringList({"S02E01: Got it", "S02E02: Grab", "S02E03: Grab", "S02E04: Grab",
                           "S02E05: Grab", "S02E06: Upcoming", "S02E07: Upcoming"}));
    EXPECT_EQ(model.completeSeasonTooltip(), "Download the 4 episodes of Season 2 you don't have");
    Q_EMIT fake.episodeSearchFinished(QUuid::createUuid(), "S02E04", Outcome::notFound);
    EXPECT_EQ(row("S02E04").label, "Grab"); // another series' search

    // Nothing seeded for S02E02: "None found", and pressing searches again.
    fake.outcomes["S02E02"] = Outcome::notFound;
    model.pressEpisode("S02E02");
    EXPECT_EQ(row("S02E02").label, "Grabbing");
    ASSERT_TRUE(runEventLoopUntil([&] { return row("S02E02").state == RowState::noneFound; }));
    EXPECT_TRUE(row("S02E02").pressable);

    // Only a 720p copy of S02E03 while 1080p is wanted: the offer opens.
    fake.outcomes["S02E03"] = Outcome::offered;
    fake.picks.insert(dark.id,
                      {"S02E03", {fakeRelease("Dark.S02E03.720p.WEB-GRP", 'c', "720p", 8)}});
    model.pressEpisode("S02E03");
    ASSERT_TRUE(runEventLoopUntil([&] { return row("S02E03").state == RowState::chooseCopy; }));
    EXPECT_EQ(model.offerEpisode(), "S02E03");
    ASSERT_EQ(model.offerRows().size(), 1);
    EXPECT_EQ(model.offerRows().first().label, "720p release for S02E03");
    EXPECT_EQ(model.offerRows().first().detail, "8 seeders · 1.5 GB");
    model.chooseOffered(0);
    EXPECT_FALSE(model.offerEpisode());
    EXPECT_EQ(fake.callsTo("grabEpisodeRelease"),
              QStringList{"grabEpisodeRelease Dark S02E03 Dark.S02E03.720p.WEB-GRP"});

    // What the engine follows reads as grabbing, and no longer counts as missing.
    fake.picks.clear();
    fake.downloads.insert(hashOf('c'), {ActiveDownload::Kind::episode, dark.id, "S02E03", true});
    Q_EMIT fake.historyChanged();
    EXPECT_EQ(row("S02E03").label, "Grabbing");
    EXPECT_FALSE(row("S02E03").pressable);
    EXPECT_EQ(model.completeSeasonTooltip(), "Download the 3 episodes of Season 2 you don't have");
    EXPECT_EQ(fake.callsTo("grabEpisodes"),
              QStringList({"grabEpisodes Dark S02E02", "grabEpisodes Dark S02E03"}));
}

// --- the Recent tab ----------------------------------------------------------------------------

TEST_F(DrawerModel, AFlaggedDownloadOpensOnRecentIsSnoozedSwitchedAndRemoved) {
    fake.rows = darkHistory("a7");
    open();
    EXPECT_EQ(model.tab(), EpisodeDrawerModel::Tab::recent);
    ASSERT_EQ(model.recentRows().size(), 2);
    EXPECT_TRUE(model.recentRows().first().flagged);
    EXPECT_TRUE(model.recentRows().last().failed);
    model.findAlternates(hashOf('a'));
    EXPECT_EQ(model.alternatesNote(), "Searching…");
    EXPECT_EQ(model.alternatesNoteTone(), EpisodeDrawerTexts::Tone::quiet);
    EXPECT_EQ(model.switchHeading(), "Switch Release — S02E04");
    ASSERT_TRUE(runEventLoopUntil([&] { return !model.loadingAlternates(); }));
    EXPECT_EQ(model.alternatesNote(), "No other releases found for this episode.");
    EXPECT_EQ(model.alternatesNoteTone(), EpisodeDrawerTexts::Tone::plain);

    model.snoozeWeek(hashOf('a'));
    EXPECT_EQ(fake.callsTo("snoozeStaleFor"), QStringList{"snoozeStaleFor " + hashOf('a') + " 7"});

    fake.alternatesOf[hashOf('a')] = {fakeRelease("Dark.S02E04.1080p.WEB-NEW", 'b', "1080p", 25)};
    model.findAlternates(hashOf('a'));
    ASSERT_TRUE(runEventLoopUntil([&] { return !model.loadingAlternates(); }));
    ASSERT_EQ(model.alternateRows().size(), 1);
    EXPECT_EQ(model.alternateRows().first().label, "Dark.S02E04.1080p.WEB-NEW");
    model.chooseAlternate(0);
    EXPECT_FALSE(model.switchTarget());
    EXPECT_EQ(fake.callsTo("switchRelease"),
              QStringList{"switchRelease " + hashOf('a') + " Dark.S02E04.1080p.WEB-NEW"});

    model.removeRequest(hashOf('a'));
    EXPECT_EQ(fake.callsTo("removeDownload"), QStringList{"removeDownload " + hashOf('a')});
    fake.rows.first().state = DownloadRecord::State::error;
    fake.rows.first().detail = "Cancelled — removed by you";
    Q_EMIT fake.historyChanged();
    EXPECT_FALSE(model.recentRows().first().failed); // given up by the user, not gone wrong
    EXPECT_EQ(model.recentRows().first().stateLine, "Cancelled — removed by you");
}

TEST_F(DrawerModel, IndexesThatDoNotAnswerAreNotReportedAsNoAlternateNorNoneFound) {
    fake.indexesUnreachable = true;
    fake.rows = darkHistory("a");
    open();
    model.findAlternates(hashOf('a'));
    ASSERT_TRUE(runEventLoopUntil([&] { return !model.loadingAlternates(); }));
    EXPECT_EQ(model.alternatesNote(),
              "Couldn’t reach any torrent index. Check your internet connection, then try again.");

    model.setTab(EpisodeDrawerModel::Tab::episodes);
    ASSERT_TRUE(settled(model));
    fake.outcomes["S02E02"] = Outcome::indexesUnreachable;
    model.pressEpisode("S02E02");
    ASSERT_TRUE(runEventLoopUntil([&] { return row("S02E02").state == RowState::unreachable; }));
    EXPECT_TRUE(row("S02E02").pressable);
    model.pressEpisode("S02E02"); // tries again
    EXPECT_EQ(row("S02E02").state, RowState::grabbing);
}

} // namespace
