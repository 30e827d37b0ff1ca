#include "AwaitTask.h"
#include "EpisodeDrawerModel.h"
#include "FakeServices.h"
#include "FakeTmdbCatalog.h"
#include "FakeTransmission.h"
#include "TestEnvironment.h"
#include "model/RecordCodecs.h"
#include "model/StorageFiles.h"

#include <QSignalSpy>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <memory>

namespace {

using Phase = EpisodeDrawerModel::Phase;
using RowState = EpisodeDrawerTexts::RowState;

Timestamp utcAt(int y, int m, int d, int h = 0) {
    return Timestamp::fromDateTime(QDateTime(QDate(y, m, d), QTime(h, 0), QTimeZone::utc()));
}

QString hashOf(char c) {
    return QString(40, QLatin1Char(c));
}

// A store on loopback TMDB, indexes and daemon, with the drawer's model over it.
class DrawerModel : public testing::Test {
protected:
    void SetUp() override {
        m_env.clock().set(utcAt(2025, 3, 13, 12));
        // Dark: season 1 has three aired episodes and one to come; season 2 is all to come.
        m_tmdb.episodes[70523] = {
            {1,
             {{1, "Secrets", QDate(2025, 2, 20)},
              {2, "Lies", QDate(2025, 2, 27)},
              {3, "Past and Present", QDate(2025, 3, 6)},
              {4, "Double Lives", QDate(2025, 3, 20)}}},
            {2, {{1, "Beginnings and Endings", std::nullopt}}},
        };
    }

    WatchlistStore& start(const Show& show) {
        m_env.writeStorageFile(StorageFiles::kShows, encodeDocument(QList<Show>{show}));
        StoreEnvironment env = m_env.environment();
        env.endpoints.rpcPort = m_daemon.port();
        // One follow-up pass at each start, none later: the stall handling stays out of the way.
        env.pollInterval = std::chrono::hours(1);
        env.endpoints.tmdbAPI = m_tmdbDown ? QUrl("http://127.0.0.1:1/3") : m_tmdb.apiRoot();
        m_indexes.apply(env.endpoints);
        m_store = std::make_unique<WatchlistStore>(env, nullptr, nullptr);
        m_model = std::make_unique<EpisodeDrawerModel>(*m_store);
        m_model->open(show.id);
        return *m_store;
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

    const Show& stored() const { return m_store->shows().first(); }

    TestEnvironment m_env;
    FakeTransmission m_daemon;
    FakeTmdbCatalog m_tmdb;
    FakeIndexes m_indexes;
    bool m_tmdbDown = false;
    std::unique_ptr<WatchlistStore> m_store;
    std::unique_ptr<EpisodeDrawerModel> m_model;
    Show m_dark{.id = QUuid::createUuid(), .name = "Dark"};
};

// --- linking -----------------------------------------------------------------------------------

struct LinkCase {
    const char* label;
    QList<FakeTmdbCatalog::Match> matches;
    Phase phase;
    std::optional<int> linked;
    QStringList candidates;
};

class Linking : public DrawerModel, public testing::WithParamInterface<LinkCase> {};

TEST_P(Linking, OneMatchOrAFirstMatchNamedLikeTheSeriesIsTakenElseTheUserPicks) {
    const LinkCase& c = GetParam();
    m_tmdb.matches = c.matches;
    start(m_dark);
    ASSERT_TRUE(settled());

    EXPECT_EQ(m_model->phase(), c.phase);
    EXPECT_EQ(stored().tmdbID, c.linked);
    QStringList offered;
    for (const auto& candidate : m_model->candidates())
        offered << EpisodeDrawerModel::candidateLabel(candidate);
    EXPECT_EQ(offered, c.candidates);
    if (c.phase == Phase::notFound) {
        EXPECT_EQ(m_model->phaseTitle(), "Couldn’t find “Dark” on TMDB.");
    }
    if (c.phase == Phase::ready) {
        EXPECT_EQ(m_model->seasons(), (QList<int>{1, 2})); // the highest is selected
        EXPECT_EQ(m_model->selectedSeason(), 2);
    }
}

INSTANTIATE_TEST_SUITE_P(
    DrawerModel, Linking,
    testing::Values(
        LinkCase{"one match, whatever its name", {{70523, "Dark (2017)", "2017", "/d.jpg"}},
                 Phase::ready, 70523, {}},
        LinkCase{"first named like the series in another case",
                 {{70523, "DARK", "2017", ""}, {1, "Dark Matter", "2015", ""}}, Phase::ready,
                 70523, {}},
        LinkCase{"a later match named like the series does not count",
                 {{1, "Dark Matter", "2015", ""}, {70523, "Dark", "2017", ""}}, Phase::needsPick,
                 std::nullopt, {"Dark Matter (2015)", "Dark (2017)"}},
        LinkCase{"no year, no parentheses", {{1, "Darker", "", ""}, {2, "Darkest", "", ""}},
                 Phase::needsPick, std::nullopt, {"Darker", "Darkest"}},
        LinkCase{"nothing", {}, Phase::notFound, std::nullopt, {}}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(DrawerModel, APickedMatchIsLinkedSoTheNextOpeningSkipsTheSearch) {
    m_tmdb.matches = {{1, "Dark Matter", "2015", ""}, {70523, "Dark", "2017", "/dark.jpg"}};
    start(m_dark);
    ASSERT_TRUE(settled());
    ASSERT_EQ(m_model->phase(), Phase::needsPick);
    EXPECT_EQ(EpisodeDrawerModel::whichShowHeading(), "WHICH SHOW?");

    m_model->pickCandidate(1);
    ASSERT_TRUE(settled());
    EXPECT_EQ(m_model->phase(), Phase::ready);
    EXPECT_EQ(stored().tmdbID, 70523);
    EXPECT_EQ(stored().posterPath, "/dark.jpg");
    EXPECT_EQ(m_model->selectedSeason(), 2);
    EXPECT_EQ(labels(), QStringList{"S02E01: Upcoming"});

    m_model->open(m_dark.id);
    ASSERT_TRUE(settled());
    EXPECT_EQ(m_model->phase(), Phase::ready);
    EXPECT_EQ(m_tmdb.searchCount(), 1);
}

// --- failures ----------------------------------------------------------------------------------

TEST_F(DrawerModel, ARefusedKeyIsSaidAsSuchAndATryAgainGoesOnFromThere) {
    m_tmdb.status = 401;
    Show linked = m_dark;
    linked.tmdbID = 70523;
    start(linked);
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
    start(m_dark);
    ASSERT_TRUE(settled());
    EXPECT_EQ(m_model->phase(), Phase::failed);
    EXPECT_EQ(m_model->phaseTitle(),
              EpisodeDrawerTexts::tmdbFailureText(TMDBClient::Failure::unreachable));
    EXPECT_FALSE(stored().tmdbID);
}

TEST_F(DrawerModel, AnEmptySeasonSaysSoAndARefusedSeasonRequestSaysWhy) {
    m_tmdb.episodes[70523][3] = {};
    Show linked = m_dark;
    linked.tmdbID = 70523;
    start(linked);
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

// --- seasons -----------------------------------------------------------------------------------

TEST_F(DrawerModel, AQuickSwitchBackAndForthShowsOnlyTheLastRequestedSeason) {
    m_tmdb.episodes[70523][3] = {{1, "Deja-vu", QDate(2025, 1, 1)}};
    Show linked = m_dark;
    linked.tmdbID = 70523;
    start(linked);
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

// --- episode rows ------------------------------------------------------------------------------

TEST_F(DrawerModel, RowsFollowWhatTheStoreMakesOfEachGrab) {
    Show show = m_dark;
    show.tmdbID = 70523;
    show.fallbackAnyQuality = false;
    show.downloadedEpisodes = {"S01E01"};
    m_indexes.hitsFor = [](const QString&) {
        return QList<FakeIndexes::Hit>{{"Dark.S01E03.720p.WEB-GRP", hashOf('c'), 8}};
    };
    start(show);
    ASSERT_TRUE(settled());
    m_model->selectSeason(1);
    ASSERT_TRUE(settled());
    EXPECT_EQ(labels(), QStringList({"S01E01: Got it", "S01E02: Grab", "S01E03: Grab",
                                     "S01E04: Upcoming"}));
    EXPECT_EQ(row("S01E02").dateText, "Aired Feb 27, 2025");
    EXPECT_EQ(row("S01E04").dateText, "Airs Mar 20, 2025");
    EXPECT_EQ(m_model->completeSeasonTooltip(),
              "Download the 2 episodes of Season 1 you don't have");

    // Nothing seeded for S01E02: "None found", and pressing searches again.
    m_model->pressEpisode("S01E02");
    EXPECT_EQ(row("S01E02").label, "Grabbing");
    EXPECT_FALSE(row("S01E02").pressable);
    ASSERT_TRUE(runEventLoopUntil([&] { return row("S01E02").state == RowState::noneFound; }));
    EXPECT_EQ(row("S01E02").tooltip, "No seeded release found at any quality — tap to try again");

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
    // S01E03 is on its way: only S01E02 is missing now, without a plural s.
    EXPECT_EQ(m_model->completeSeasonTooltip(),
              "Download the 1 episode of Season 1 you don't have");
    EXPECT_TRUE(m_model->completeSeasonEnabled());
}

TEST_F(DrawerModel, ASeasonWithEveryAiredEpisodeInCannotBeCompleted) {
    Show show = m_dark;
    show.tmdbID = 70523;
    show.downloadedEpisodes = {"S01E03", "S01E02", "S01E01"};
    start(show);
    ASSERT_TRUE(settled());
    m_model->selectSeason(1);
    ASSERT_TRUE(settled());
    EXPECT_FALSE(m_model->completeSeasonEnabled());
    EXPECT_EQ(m_model->completeSeasonTooltip(), "You have every aired episode of Season 1");
}

// --- the Recent tab ----------------------------------------------------------------------------

class RecentTab : public DrawerModel {
protected:
    // A download of S01E02 that has been stuck for eight days.
    void startWithStuckDownload() {
        Show show = m_dark;
        show.tmdbID = 70523;
        start(show);
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
    }
};

TEST_F(RecentTab, WithoutDownloadsItExplainsWhatTheListKeeps) {
    start(m_dark);
    EXPECT_TRUE(m_model->recentRows().isEmpty());
    EXPECT_EQ(EpisodeDrawerModel::recentEmptyText(),
              "Nothing downloaded yet. The Recent list keeps a record of every episode the app "
              "fetches — even after you move or delete the files.");
}

TEST_F(RecentTab, AFlaggedDownloadOpensOnRecentAndCanBeSwitchedToAnotherRelease) {
    startWithStuckDownload();
    m_indexes.hits = {{"Dark.S01E02.1080p.WEB-GRP", hashOf('a'), 4},
                      {"Dark.S01E02.1080p.WEB-NEW", hashOf('b'), 25}};
    m_model->open(m_dark.id);
    EXPECT_EQ(m_model->tab(), EpisodeDrawerModel::Tab::recent);
    ASSERT_EQ(m_model->recentRows().size(), 1);
    const auto record = m_model->recentRows().first();
    EXPECT_TRUE(record.flagged);
    EXPECT_EQ(record.stateLine, "0% · 0 peers · stuck 8 days");

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

TEST_F(RecentTab, NoAlternateSaysSoAndSnoozingUnflagsTheDownload) {
    startWithStuckDownload();
    m_model->open(m_dark.id);
    m_model->findAlternates(hashOf('a'));
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_model->loadingAlternates(); }));
    EXPECT_EQ(m_model->alternatesNote(), "No other releases found for this episode.");

    m_model->snoozeWeek(hashOf('a'));
    EXPECT_FALSE(m_model->recentRows().first().flagged);
    EXPECT_EQ(m_store->history().first().staleSnoozedUntil, m_store->now() + 7 * 86400.0);
}

TEST_F(RecentTab, RemovingARequestEndsTheDownload) {
    startWithStuckDownload();
    m_model->open(m_dark.id);
    m_model->removeRequest(hashOf('a'));
    EXPECT_TRUE(m_store->activeDownloads().isEmpty());
    const auto record = m_model->recentRows().first();
    EXPECT_FALSE(record.flagged);
    EXPECT_FALSE(record.failed); // given up by the user, not gone wrong
    EXPECT_EQ(record.stateLine, "Cancelled — removed by you");
}

} // namespace
