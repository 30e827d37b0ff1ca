// A search that reaches nobody is told as such, never as an empty answer. (The indexes and
// TMDB of this harness are closed loopback ports.)

#include "StoreHarness.h"

namespace {

class SearchReach : public StoreHarness {};

qsizetype countStarting(const QStringList& lines, const QString& start) {
    return std::count_if(lines.cbegin(), lines.cend(),
                         [&](const QString& l) { return l.startsWith(start); });
}

} // namespace

TEST_F(SearchReach, AnEpisodeGrabbedWhileNoIndexAnswersIsNotNoneFound) {
    startWith(Show{.id = QUuid::createUuid(), .name = "Dark"});
    const auto outcomes = awaitTask(m_store->grabEpisodes(dark().id, {"S01E02"}));
    EXPECT_EQ(outcomes.value("S01E02"), WatchlistStore::EpisodeOutcome::indexesUnreachable);
    EXPECT_TRUE(log().contains("Dark S01E02 — could not reach the torrent indexes"));
    EXPECT_EQ(countStarting(log(), "Dark S01E02 — no seeded release"), 0);
}

TEST_F(SearchReach, TMDBOutOfReachIsToldOnceAndItsEndOnce) {
    seed(StorageFiles::kShows,
         QList<Show>{Show{.id = QUuid::createUuid(), .name = "Dark", .tmdbID = 70523},
                     Show{.id = QUuid::createUuid(), .name = "Andor", .tmdbID = 83867}});
    start();
    ASSERT_TRUE(runEventLoopUntil([&] { return m_store->searchHealth().tmdbUnreachable; }));
    // Both series' refreshes fail, and a later request too: still one line.
    m_store->noteTMDBRequest(LookupFailure::unreachable);
    EXPECT_TRUE(log().contains(
        "Could not reach TMDB, so air dates and new titles cannot be looked up. Check the "
        "network connection, or the TMDB address in " +
        m_env.storagePath("endpoints.json") + "."));
    EXPECT_EQ(countStarting(log(), "Could not reach TMDB"), 1);
    EXPECT_FALSE(m_store->searchHealth().isHealthy());

    // Any answer, even a refusal, means TMDB is reachable again.
    m_store->noteTMDBRequest(LookupFailure::badAnswer);
    m_store->noteTMDBRequest(LookupFailure::none);
    EXPECT_FALSE(m_store->searchHealth().tmdbUnreachable);
    EXPECT_EQ(log().count("TMDB answers again."), 1);
}
