#include "EpisodeDrawerModel.h"
#include "EventLoop.h"
#include "FakeServices.h"
#include "FakeTmdbCatalog.h"
#include "FakeTransmission.h"
#include "Fixtures.h"
#include "TestEnvironment.h"
#include "model/RecordCodecs.h"
#include "model/StorageFiles.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

namespace {

using Phase = EpisodeDrawerModel::Phase;
using RowState = EpisodeDrawerTexts::RowState;
using json = nlohmann::json;

QString hashOf(char c) {
    return QString(40, QLatin1Char(c));
}

// A store on loopback TMDB, indexes and daemon, with the drawer's model over it.
class DrawerModel : public testing::Test {
protected:
    void SetUp() override {
        m_env.clock().set(*utcOf("2025-03-13T12:00"));
        // Dark: season 1 has three aired episodes and one to come; season 2 is all to come.
        m_tmdb.episodes[70523] = {
            {1,
             {{1, "Secrets", QDate(2025, 2, 20)},
              {2, "Lies", QDate(2025, 2, 27)},
              {3, "Past and Present", QDate(2025, 3, 6)},
              {4, "Double Lives", QDate(2025, 3, 20)}}},
            {2, {{1, "Beginnings and Endings", std::nullopt}}},
        };
        m_dark.tmdbID = 70523;
    }

    void start(const Show& show) {
        m_model.reset();
        m_store.reset();
        m_env.writeStorageFile(StorageFiles::kShows, encodeDocument(QList<Show>{show}));
        StoreEnvironment env = m_env.environment();
        env.endpoints.rpcPort = m_daemon.port();
        // One follow-up pass at each start, none later: the stall handling stays out of the way.
        env.pollInterval = std::chrono::hours(1);
        env.endpoints.tmdbAPI = m_tmdbDown ? QUrl("http://127.0.0.1:1/3") : m_tmdb.apiRoot();
        if (m_indexesDown)
            pointIndexesAt(m_deadIndexes, env.endpoints);
        else
            m_indexes.apply(env.endpoints);
        m_store = std::make_unique<WatchlistStore>(env, nullptr, nullptr);
        m_model = std::make_unique<EpisodeDrawerModel>(*m_store);
        m_model->open(show.id);
    }

    // Until the opening has settled on a phase and no season is loading.
    bool settled() {
        return runEventLoopUntil([&] {
            return m_model->phase() != Phase::loading && !m_model->loadingEpisodes();
        });
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

    // A download of S01E02 that has been stuck for eight days.
    void startWithStuckDownload() {
        start(m_dark);
        SearchResult first;
        first.title = "Dark.S01E02.1080p.WEB-GRP";
        first.magnetURL = QUrl("magnet:?xt=urn:btih:" + hashOf('a'));
        first.seeders = 4;
        first.source = "Knaben";
        ASSERT_TRUE(m_store->grabEpisodeRelease(m_dark.id, "S01E02", first));
        ASSERT_TRUE(runEventLoopUntil([&] { return !m_store->history().isEmpty(); }));
        TorrentInfo stalled;
        stalled.hash = hashOf('a');
        stalled.status = 4;
        m_store->trackStuckSince(hashOf('a'), stalled);
        m_env.clock().advance(8 * 86400.0);
        m_model->open(m_dark.id);
    }

    const Show& stored() const { return m_store->shows().first(); }

    TestEnvironment m_env;
    FakeTransmission m_daemon;
    FakeTmdbCatalog m_tmdb;
    FakeIndexes m_indexes;
    FakeHttpServer m_deadIndexes;
    bool m_tmdbDown = false;
    bool m_indexesDown = false;
    std::unique_ptr<WatchlistStore> m_store;
    std::unique_ptr<EpisodeDrawerModel> m_model;
    Show m_dark{.id = QUuid::createUuid(), .name = "Dark"};
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
        if (m_model->phase() == Phase::notFound)
            EXPECT_EQ(m_model->phaseTitle(), "Couldn’t find “Dark” on TMDB.");
        if (m_model->phase() == Phase::ready) {
            EXPECT_EQ(m_model->seasons(), (QList<int>{1, 2})); // the highest is selected
            EXPECT_EQ(m_model->selectedSeason(), 2);
        }
    }
}

TEST_F(DrawerModel, APickedMatchIsLinkedSoTheNextOpeningSkipsTheSearch) {
    m_tmdb.matches = {{1, "Dark Matter", "2015", ""}, {70523, "Dark", "2017", "/dark.jpg"}};
    m_dark.tmdbID.reset();
    start(m_dark);
    ASSERT_TRUE(settled());
    ASSERT_EQ(m_model->phase(), Phase::needsPick);
    EXPECT_EQ(EpisodeDrawerModel::whichShowHeading(), "WHICH SHOW?");

    m_model->pickCandidate(1);
    ASSERT_TRUE(settled());
    EXPECT_EQ(m_model->phase(), Phase::ready);
    EXPECT_EQ(stored().tmdbID, 70523);
    EXPECT_EQ(stored().posterPath, "/dark.jpg");
    EXPECT_EQ(labels(), QStringList{"S02E01: Upcoming"});

    m_model->open(m_dark.id);
    ASSERT_TRUE(settled());
    EXPECT_EQ(m_model->phase(), Phase::ready);
    EXPECT_EQ(m_tmdb.searchCount(), 1);
}

// --- failures ----------------------------------------------------------------------------------

TEST_F(DrawerModel, ARefusedKeyIsSaidAsSuchAndATryAgainGoesOnFromThere) {
    m_tmdb.status = 401;
    start(m_dark);
    ASSERT_TRUE(settled());
    EXPECT_EQ(m_model->phase(), Phase::failed);
    EXPECT_EQ(m_model->phaseTitle(), EpisodeDrawerTexts::tmdbFailureText(TMDBClient::Failure::refusedKey));
    EXPECT_TRUE(m_model->canRetry());

    m_tmdb.status = 200;
    m_model->retry();
    ASSERT_TRUE(settled());
    EXPECT_EQ(m_model->phase(), Phase::ready);
    EXPECT_EQ(m_tmdb.searchCount(), 0); // linked: no search, before or after
}

TEST_F(DrawerModel, AnUnreachableTmdbIsNotReportedAsNoMatch) {
    m_tmdbDown = true;
    m_dark.tmdbID.reset();
    start(m_dark);
    ASSERT_TRUE(settled());
    EXPECT_EQ(m_model->phase(), Phase::failed);
    EXPECT_EQ(m_model->phaseTitle(),
              EpisodeDrawerTexts::tmdbFailureText(TMDBClient::Failure::unreachable));
    EXPECT_FALSE(stored().tmdbID);
}

TEST_F(DrawerModel, AnEmptySeasonSaysSoAndARefusedSeasonRequestSaysWhy) {
    m_tmdb.episodes[70523][3] = {};
    start(m_dark);
    ASSERT_TRUE(settled());
    ASSERT_EQ(m_model->selectedSeason(), 3);
    EXPECT_EQ(m_model->episodesNote(), "No episodes listed for this season.");

    m_tmdb.status = 401;
    m_model->selectSeason(1);
    EXPECT_EQ(m_model->episodesNote(), "Loading season 1");
    ASSERT_TRUE(settled());
    EXPECT_EQ(m_model->episodesNote(),
              EpisodeDrawerTexts::tmdbFailureText(TMDBClient::Failure::refusedKey));
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
    m_dark.downloadedEpisodes = {"S01E01"};
    m_indexes.hitsFor = [](const QString&) {
        return QList<FakeIndexes::Hit>{{"Dark.S01E03.720p.WEB-GRP", hashOf('c'), 8}};
    };
    start(m_dark);
    ASSERT_TRUE(settled());
    m_model->selectSeason(1);
    ASSERT_TRUE(settled());
    EXPECT_EQ(labels(), QStringList({"S01E01: Got it", "S01E02: Grab", "S01E03: Grab",
                                     "S01E04: Upcoming"}));
    EXPECT_EQ(row("S01E04").dateText, "Airs Mar 20, 2025");
    EXPECT_EQ(m_model->completeSeasonTooltip(),
              "Download the 2 episodes of Season 1 you don't have");

    // Nothing seeded for S01E02: "None found", and pressing searches again.
    m_model->pressEpisode("S01E02");
    EXPECT_EQ(row("S01E02").label, "Grabbing");
    EXPECT_FALSE(row("S01E02").pressable);
    ASSERT_TRUE(runEventLoopUntil([&] { return row("S01E02").state == RowState::noneFound; }));

    // Only a 720p copy of S01E03 while 1080p is wanted: the offer opens.
    m_model->pressEpisode("S01E03");
    ASSERT_TRUE(runEventLoopUntil([&] { return row("S01E03").state == RowState::chooseCopy; }));
    EXPECT_EQ(row("S01E03").tooltip, "720p release — tap to pick another resolution");
    EXPECT_EQ(m_model->offerEpisode(), "S01E03");
    ASSERT_EQ(m_model->offerRows().size(), 1);
    EXPECT_EQ(m_model->offerRows().first().label, "720p release for S01E03");
    EXPECT_EQ(m_model->offerRows().first().detail, "8 seeders · 1.5 GB");

    m_model->chooseOffered(0);
    EXPECT_FALSE(m_model->offerEpisode());
    ASSERT_TRUE(runEventLoopUntil([&] { return m_store->activeDownloads().contains(hashOf('c')); }));
    EXPECT_EQ(row("S01E03").label, "Grabbing");
    EXPECT_TRUE(m_store->activeDownloads().value(hashOf('c')).userPicked);
    // S01E03 is on its way: only S01E02 is missing now.
    EXPECT_EQ(m_model->completeSeasonTooltip(),
              "Download the 1 episode of Season 1 you don't have");
    EXPECT_TRUE(m_model->completeSeasonEnabled());
}

TEST_F(DrawerModel, ASeasonWithEveryAiredEpisodeInCannotBeCompleted) {
    m_dark.downloadedEpisodes = {"S01E03", "S01E02", "S01E01"};
    start(m_dark);
    ASSERT_TRUE(settled());
    m_model->selectSeason(1);
    ASSERT_TRUE(settled());
    EXPECT_FALSE(m_model->completeSeasonEnabled());
    EXPECT_EQ(m_model->completeSeasonTooltip(), "You have every aired episode of Season 1");
}

// --- the Recent tab ----------------------------------------------------------------------------

TEST_F(DrawerModel, AFlaggedDownloadOpensOnRecentAndCanBeSwitchedToAnotherRelease) {
    m_indexes.hits = {{"Dark.S01E02.1080p.WEB-GRP", hashOf('a'), 4},
                      {"Dark.S01E02.1080p.WEB-NEW", hashOf('b'), 25}};
    startWithStuckDownload();
    EXPECT_EQ(m_model->tab(), EpisodeDrawerModel::Tab::recent);
    ASSERT_EQ(m_model->recentRows().size(), 1);
    EXPECT_TRUE(m_model->recentRows().first().flagged);
    EXPECT_EQ(m_model->recentRows().first().stateLine, "0% · 0 peers · stuck 8 days");

    m_model->findAlternates(hashOf('a'));
    EXPECT_EQ(m_model->alternatesNote(), "Searching…");
    EXPECT_EQ(m_model->switchHeading(), "Switch Release — S01E02");
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_model->loadingAlternates(); }));
    ASSERT_EQ(m_model->alternateRows().size(), 1); // not the stuck copy itself
    EXPECT_EQ(m_model->alternateRows().first().label, "Dark.S01E02.1080p.WEB-NEW");

    m_model->chooseAlternate(0);
    EXPECT_FALSE(m_model->switchTarget());
    ASSERT_TRUE(runEventLoopUntil([&] { return m_store->activeDownloads().contains(hashOf('b')); }));
    EXPECT_FALSE(m_store->activeDownloads().contains(hashOf('a')));
}

TEST_F(DrawerModel, NoAlternateSaysWhyThenSnoozingUnflagsAndRemovingEndsTheDownload) {
    startWithStuckDownload();
    m_model->findAlternates(hashOf('a'));
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_model->loadingAlternates(); }));
    EXPECT_EQ(m_model->alternatesNote(), "No other releases found for this episode.");

    m_model->snoozeWeek(hashOf('a'));
    EXPECT_FALSE(m_model->recentRows().first().flagged);
    EXPECT_EQ(m_store->history().first().staleSnoozedUntil, m_store->now() + 7 * 86400.0);

    m_model->removeRequest(hashOf('a'));
    EXPECT_TRUE(m_store->activeDownloads().isEmpty());
    EXPECT_FALSE(m_model->recentRows().first().failed); // given up by the user, not gone wrong
    EXPECT_EQ(m_model->recentRows().first().stateLine, "Cancelled — removed by you");
}

TEST_F(DrawerModel, IndexesThatDoNotAnswerAreNotReportedAsNoAlternate) {
    m_deadIndexes.respondWith({503, "busy", "text/plain"});
    m_indexesDown = true;
    startWithStuckDownload();
    m_model->findAlternates(hashOf('a'));
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_model->loadingAlternates(); }));
    EXPECT_EQ(m_model->alternatesNote(), EpisodeDrawerTexts::indexesUnreachableText());
}

} // namespace
