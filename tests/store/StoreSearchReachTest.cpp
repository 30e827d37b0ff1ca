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
