#pragma once

// The episode drawer's outside world on loopback: TMDB with Dark's two seasons, the six indexes
// and the daemon, with a store on a manual clock (2025-03-13 12:00 UTC) pointed at them. Shared
// by the model tests and the widget tests.

#include "EventLoop.h"
#include "FakeHttpServer.h"
#include "FakeServices.h"
#include "FakeTmdbCatalog.h"
#include "FakeTransmission.h"
#include "Fixtures.h"
#include "TestEnvironment.h"
#include "model/RecordCodecs.h"
#include "model/StorageFiles.h"
#include "store/WatchlistStore.h"

#include <gtest/gtest.h>

#include <memory>

inline QString hashOf(char c) {
    return QString(40, QLatin1Char(c));
}

class DrawerServices {
public:
    DrawerServices() {
        env.clock().set(*utcOf("2025-03-13T12:00"));
        // Season 1 aired long ago; season 2 is airing: two episodes still to come.
        tmdb.episodes[70523] = {
            {1, {{1, "Secrets", QDate(2017, 12, 1)}, {2, "Lies", QDate(2017, 12, 1)}}},
            {2,
             {{1, "Beginnings and Endings", QDate(2025, 2, 20)},
              {2, "Dark Matter", QDate(2025, 2, 27)},
              {3, "Ghosts", QDate(2025, 3, 6)},
              {4, "Travelers", QDate(2025, 3, 6)},
              {5, "Lost and Found", QDate(2025, 3, 13)},
              {6, "An Endless Cycle", QDate(2025, 3, 20)},
              {7, "The White Devil", std::nullopt}}},
        };
        tmdb.matches = {{1, "Dark Matter", "2015", ""}, {70523, "Dark", "2017", "/dark.jpg"}};
        deadIndexes.respondWith({503, "busy", "text/plain"});
    }

    // Stores the series and the records of tests/fixtures/present/drawer-history.json named by
    // their hash's letter, then starts a store on them.
    WatchlistStore& start(const QList<Show>& shows, const QString& history = {}) {
        m_store.reset();
        env.writeStorageFile(StorageFiles::kShows, encodeDocument(shows));
        nlohmann::json records = nlohmann::json::array();
        const nlohmann::json stored = fixtureJson("present/drawer-history.json");
        for (const auto& r : stored["records"]) {
            if (history.contains(qstr(r["id"]).front()))
                records.push_back(r);
        }
        env.writeStorageFile(StorageFiles::kHistory, QByteArray::fromStdString(records.dump()));
        StoreEnvironment e = env.environment();
        e.endpoints.rpcPort = daemon.port();
        // One follow-up pass at each start, none later: the stall handling stays out of the way.
        e.pollInterval = std::chrono::hours(1);
        e.endpoints.tmdbAPI = tmdbDown ? QUrl("http://127.0.0.1:1/3") : tmdb.apiRoot();
        if (indexesDown)
            pointIndexesAt(deadIndexes, e.endpoints);
        else
            indexes.apply(e.endpoints);
        m_store = std::make_unique<WatchlistStore>(e, nullptr, nullptr);
        EXPECT_EQ(m_store->history().size(), records.size());
        return *m_store;
    }

    // Grabs a copy of S02E04 (hash a) that then stays stuck for eight days.
    void grabStuck(const Show& show) {
        SearchResult copy;
        copy.title = "Dark.S02E04.1080p.WEB.h264-GRP";
        copy.magnetURL = QUrl("magnet:?xt=urn:btih:" + hashOf('a'));
        ASSERT_TRUE(m_store->grabEpisodeRelease(show.id, "S02E04", copy));
        ASSERT_TRUE(runEventLoopUntil([&] { return !m_store->history().isEmpty(); }));
        TorrentInfo stalled;
        stalled.hash = hashOf('a');
        stalled.status = 4;
        m_store->trackStuckSince(hashOf('a'), stalled);
        env.clock().advance(8 * 86400.0);
    }

    TestEnvironment env;
    FakeTransmission daemon;
    FakeTmdbCatalog tmdb;
    FakeIndexes indexes;
    FakeHttpServer deadIndexes;
    bool tmdbDown = false;
    bool indexesDown = false;
    // Linked to TMDB; its id is the one drawer-history.json's records name.
    Show dark{
        .id = QUuid("{6F1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D}"), .name = "Dark", .tmdbID = 70523};

private:
    std::unique_ptr<WatchlistStore> m_store;
};
