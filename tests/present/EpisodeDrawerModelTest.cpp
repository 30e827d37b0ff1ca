#include "EpisodeDrawerModel.h"

#include "DrawerServices.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using Phase = EpisodeDrawerModel::Phase;
using RowState = EpisodeDrawerTexts::RowState;
using json = nlohmann::json;

// The drawer's model over a store on loopback services.
class DrawerModel : public testing::Test {
protected:
    void start(const Show& show) {
        m_model.reset();
        m_store = &m_services.start({show});
        m_model = std::make_unique<EpisodeDrawerModel>(*m_store);
        m_model->open(show.id);
    }

    // Until the opening has settled on a phase and no season is loading.
    bool settled() {
        return runEventLoopUntil(
            [&] { return m_model->phase() != Phase::loading && !m_model->loadingEpisodes(); });
    }

    QStringList labels() const {
        QStringList out;
        for (const auto& row : m_model->episodeRows())
            out << row.code + ": " + row.label;
        return out;
    }

    EpisodeDrawerModel::EpisodeRow row(const QString& code) const {
        for (const auto& r : m_model->episodeRows()) {
            if (r.code == code)
                return r;
        }
        ADD_FAILURE() << "no row " << code.toStdString();
        return {};
    }

    // A download of S02E04 that has been stuck for eight days.
    void startWithStuckDownload() {
        start(m_dark);
        m_services.grabStuck(m_dark);
        m_model->open(m_dark.id);
    }

    const Show& stored() const { return m_store->shows().first(); }

    DrawerServices m_services;
    FakeTmdbCatalog& m_tmdb = m_services.tmdb;
    FakeIndexes& m_indexes = m_services.indexes;
    WatchlistStore* m_store = nullptr;
    std::unique_ptr<EpisodeDrawerModel> m_model;
    Show m_dark = m_services.dark;
};

// --- linking -----------------------------------------------------------------------------------

TEST_F(DrawerModel, OneMatchOrAFirstMatchNamedLikeTheSeriesIsTakenElseTheUserPicks) {
    const json table = fixtureJson("present/drawer-linking.json");
    for (const json& c : table["rows"]) {
        SCOPED_TRACE(c[0].get<std::string>());
        m_tmdb.matches.clear();
        for (const json& m : c[1])
            m_tmdb.matches.append({m[0], qstr(m[1]), qstr(m[2]), qstr(m[3])});
        const Show unlinked{.id = QUuid::createUuid(), .name = "Dark"};
        start(unlinked);
        ASSERT_TRUE(settled());

        const QStringList phases{"loading", "noKey", "needsPick", "ready", "notFound", "failed"};
        EXPECT_EQ(phases.value(int(m_model->phase())), qstr(c[2]));
        EXPECT_EQ(stored().tmdbID, c[3].is_null() ? std::nullopt : std::optional(c[3].get<int>()));
        QStringList offered, expected;
        for (const auto& candidate : m_model->candidates())
            offered << EpisodeDrawerModel::candidateLabel(candidate);
        for (const json& label : c[4])
            expected << qstr(label);
        EXPECT_EQ(offered, expected);
        if (m_model->phase() == Phase::notFound) {
            EXPECT_EQ(m_model->phaseTitle(), "Couldn’t find “Dark” on TMDB.");
        }
        if (m_model->phase() == Phase::ready) {
            EXPECT_EQ(m_model->seasons(), (QList<int>{1, 2})); // the highest is selected
            EXPECT_EQ(m_model->selectedSeason(), 2);
        }
    }
}

TEST_F(DrawerModel, APickedMatchIsLinkedSoTheNextOpeningSkipsTheSearch) {
    m_dark.tmdbID.reset();
    m_dark.downloadedEpisodes = {"S01E02", "S01E01"};
    start(m_dark);
    ASSERT_TRUE(settled());
    m_model->pickCandidate(1);
    ASSERT_TRUE(settled());
    EXPECT_EQ(stored().tmdbID, 70523);
    EXPECT_EQ(stored().posterPath, "/dark.jpg");

    m_model->open(m_dark.id);
    ASSERT_TRUE(settled());
    EXPECT_EQ(m_model->phase(), Phase::ready);
    EXPECT_EQ(m_tmdb.searchCount(), 1);

    // Every aired episode of season 1 is in: nothing to complete.
    m_model->selectSeason(1);
    ASSERT_TRUE(settled());
    EXPECT_FALSE(m_model->completeSeasonEnabled());
    EXPECT_EQ(m_model->completeSeasonTooltip(), "You have every aired episode of Season 1");
}

// --- failures ----------------------------------------------------------------------------------

// Neither failure reads as "no match" nor links anything; a try again goes on from there.
TEST_F(DrawerModel, ATmdbFailureSaysWhichAndATryAgainGoesOnFromThere) {
    using Failure = LookupFailure;
    m_tmdb.episodes[70523][3] = {};
    for (const Failure failure : {Failure::unreachable, Failure::refusedKey}) {
        SCOPED_TRACE(int(failure));
        const bool refused = failure == Failure::refusedKey;
        m_services.tmdbDown = !refused;
        m_tmdb.status = refused ? 401 : 200;
        Show show = m_dark;
        if (!refused)
            show.tmdbID.reset();
        start(show);
        ASSERT_TRUE(settled());
        EXPECT_EQ(m_model->phase(), Phase::failed);
        EXPECT_EQ(m_model->phaseTitle(), EpisodeDrawerTexts::tmdbFailureText(failure));
        EXPECT_TRUE(m_model->canRetry());
        EXPECT_EQ(stored().tmdbID.has_value(), refused);
    }
    m_tmdb.status = 200;
    m_model->retry();
    ASSERT_TRUE(settled());
    EXPECT_EQ(m_model->phase(), Phase::ready);
    EXPECT_EQ(m_tmdb.searchCount(), 0); // linked: no search, before or after
    ASSERT_EQ(m_model->selectedSeason(), 3);
    EXPECT_EQ(m_model->episodesNote(), "No episodes listed for this season.");

    // A refused season request says why.
    m_tmdb.status = 401;
    m_model->selectSeason(1);
    EXPECT_EQ(m_model->episodesNote(), "Loading season 1");
    ASSERT_TRUE(settled());
    EXPECT_EQ(m_model->episodesNote(),
              EpisodeDrawerTexts::tmdbFailureText(LookupFailure::refusedKey));
    EXPECT_TRUE(m_model->episodeRows().isEmpty());
}

// --- seasons and episode rows ------------------------------------------------------------------

TEST_F(DrawerModel, AQuickSwitchBackAndForthShowsOnlyTheLastRequestedSeason) {
    m_tmdb.episodes[70523][3] = {{1, "Deja-vu", QDate(2025, 1, 1)}};
    start(m_dark);
    ASSERT_TRUE(settled());
    ASSERT_EQ(m_model->selectedSeason(), 3);

    QSignalSpy ended(&m_store->tmdb(), &TMDBClient::requestEnded);
    m_tmdb.seasonDelayMs[2] = 300; // season 2 answers after season 3's second request
    m_model->selectSeason(2);
    m_model->selectSeason(3);
    ASSERT_TRUE(runEventLoopUntil([&] { return ended.count() == 2; }));
    EXPECT_EQ(m_model->selectedSeason(), 3);
    EXPECT_EQ(labels(), QStringList{"S03E01: Grab"});
}

TEST_F(DrawerModel, RowsFollowWhatTheStoreMakesOfEachGrab) {
    m_dark.fallbackAnyQuality = false;
    m_dark.downloadedEpisodes = {"S02E01"};
    m_indexes.hitsFor = [](const QString&) {
        return QList<FakeIndexes::Hit>{{"Dark.S02E03.720p.WEB-GRP", hashOf('c'), 8}};
    };
    start(m_dark);
    ASSERT_TRUE(settled());
    EXPECT_EQ(labels(),
              QStringList({"S02E01: Got it", "S02E02: Grab", "S02E03: Grab", "S02E04: Grab",
                           "S02E05: Grab", "S02E06: Upcoming", "S02E07: Upcoming"}));
    EXPECT_EQ(m_model->completeSeasonTooltip(),
              "Download the 4 episodes of Season 2 you don't have");

    // Nothing seeded for S02E02: "None found", and pressing searches again.
    m_model->pressEpisode("S02E02");
    EXPECT_EQ(row("S02E02").label, "Grabbing");
    ASSERT_TRUE(runEventLoopUntil([&] { return row("S02E02").state == RowState::noneFound; }));

    // Only a 720p copy of S02E03 while 1080p is wanted: the offer opens.
    m_model->pressEpisode("S02E03");
    ASSERT_TRUE(runEventLoopUntil([&] { return row("S02E03").state == RowState::chooseCopy; }));
    EXPECT_EQ(m_model->offerEpisode(), "S02E03");
    ASSERT_EQ(m_model->offerRows().size(), 1);
    EXPECT_EQ(m_model->offerRows().first().label, "720p release for S02E03");
    EXPECT_EQ(m_model->offerRows().first().detail, "8 seeders · 1.5 GB");

    m_model->chooseOffered(0);
    EXPECT_FALSE(m_model->offerEpisode());
    ASSERT_TRUE(
        runEventLoopUntil([&] { return m_store->activeDownloads().contains(hashOf('c')); }));
    EXPECT_EQ(row("S02E03").label, "Grabbing");
    EXPECT_TRUE(m_store->activeDownloads().value(hashOf('c')).userPicked);
    // S02E03 is on its way: three are missing now.
    EXPECT_EQ(m_model->completeSeasonTooltip(),
              "Download the 3 episodes of Season 2 you don't have");
    EXPECT_TRUE(m_model->completeSeasonEnabled());
}

// --- the Recent tab ----------------------------------------------------------------------------

TEST_F(DrawerModel, AFlaggedDownloadOpensOnRecentIsSnoozedSwitchedAndRemoved) {
    startWithStuckDownload();
    EXPECT_EQ(m_model->tab(), EpisodeDrawerModel::Tab::recent);
    ASSERT_EQ(m_model->recentRows().size(), 1);
    EXPECT_TRUE(m_model->recentRows().first().flagged);
    m_model->findAlternates(hashOf('a'));
    EXPECT_EQ(m_model->alternatesNote(), "Searching…");
    EXPECT_EQ(m_model->switchHeading(), "Switch Release — S02E04");
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_model->loadingAlternates(); }));
    EXPECT_EQ(m_model->alternatesNote(), "No other releases found for this episode.");

    m_model->snoozeWeek(hashOf('a'));
    EXPECT_FALSE(m_model->recentRows().first().flagged);
    EXPECT_EQ(m_store->history().first().staleSnoozedUntil, m_store->now() + 7 * 86400.0);

    m_indexes.hits = {{"Dark.S02E04.1080p.WEB.h264-GRP", hashOf('a'), 4},
                      {"Dark.S02E04.1080p.WEB-NEW", hashOf('b'), 25}};
    m_model->findAlternates(hashOf('a'));
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_model->loadingAlternates(); }));
    ASSERT_EQ(m_model->alternateRows().size(), 1); // not the stuck copy itself
    EXPECT_EQ(m_model->alternateRows().first().label, "Dark.S02E04.1080p.WEB-NEW");
    m_model->chooseAlternate(0); // the drawer's widget test follows the switch into the store
    EXPECT_FALSE(m_model->switchTarget());
    ASSERT_TRUE(
        runEventLoopUntil([&] { return m_store->activeDownloads().contains(hashOf('b')); }));

    m_model->removeRequest(hashOf('b'));
    EXPECT_TRUE(m_store->activeDownloads().isEmpty());
    EXPECT_FALSE(m_model->recentRows().first().failed); // given up by the user, not gone wrong
    EXPECT_EQ(m_model->recentRows().first().stateLine, "Cancelled — removed by you");
}

TEST_F(DrawerModel, IndexesThatDoNotAnswerAreNotReportedAsNoAlternateNorNoneFound) {
    m_services.indexesDown = true;
    startWithStuckDownload();
    m_model->findAlternates(hashOf('a'));
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_model->loadingAlternates(); }));
    EXPECT_EQ(m_model->alternatesNote(), EpisodeDrawerTexts::indexesUnreachableText());

    m_model->setTab(EpisodeDrawerModel::Tab::episodes);
    ASSERT_TRUE(settled());
    m_model->pressEpisode("S02E02");
    ASSERT_TRUE(runEventLoopUntil([&] { return row("S02E02").state == RowState::unreachable; }));
    EXPECT_TRUE(row("S02E02").pressable);
    m_model->pressEpisode("S02E02"); // tries again
    EXPECT_EQ(row("S02E02").state, RowState::grabbing);
}

} // namespace
