#include "FakeHttpServer.h"
#include "FakeServices.h"
#include "SearchTestSupport.h"
#include "model/ServiceEndpoints.h"
#include "search/FeedChecker.h"
#include "search/TorrentsCsvIndex.h"

#include <QNetworkAccessManager>

#include <gtest/gtest.h>

// Whether an index answered at all, so the add flows can tell "nothing found" from "no index
// could be reached".

namespace {

using Reach = TorrentIndex::Reported::Reach;

TEST(IndexReach, IndexesThatDoNotServeTheQueryAreNotCountedAsAsked) {
    FakeHttpServer server;
    ServiceEndpoints endpoints;
    pointIndexesAt(server, endpoints);
    QNetworkAccessManager network;
    const FeedChecker::Sources sources = FeedChecker::defaultSources(network, endpoints);
    TorrentQuery tv;
    tv.text = QStringLiteral("Show");
    tv.kind = TorrentQuery::Kind::tv; // no IMDb id: EZTV has nothing to ask; YTS is for movies

    QStringList notAsked;
    for (const auto& source : sources) {
        if (awaitTask(source->searchReported(tv)).reach == Reach::skipped)
            notAsked.append(source->name());
    }
    EXPECT_EQ(notAsked.size(), 2) << notAsked.join(u',').toStdString();
}

// An in-process index whose reach is scripted; each one has a name of its own, as real ones do.
class ScriptedIndex final : public TorrentIndex {
public:
    ScriptedIndex(Reach reach, QList<RawHit> hits = {})
        : m_reach(reach)
        , m_hits(std::move(hits))
        , m_name(QStringLiteral("scripted %1").arg(++s_made)) {}
    QString name() const override { return m_name; }
    QCoro::Task<QList<RawHit>> search(TorrentQuery query) const override {
        co_return (co_await searchReported(std::move(query))).hits;
    }
    QCoro::Task<TorrentIndex::Reported> searchReported(TorrentQuery) const override {
        co_return TorrentIndex::Reported{m_reach == Reach::answered ? m_hits : QList<RawHit>{}, m_reach};
    }

private:
    static inline int s_made = 0;
    Reach m_reach;
    QList<RawHit> m_hits;
    QString m_name;
};

struct SweepCase {
    const char* what;
    QList<Reach> reaches;
    bool noIndexAnswered;
};

class ReleaseSearchReach : public testing::TestWithParam<SweepCase> {};

TEST_P(ReleaseSearchReach, NoIndexAnsweredOnlyWhenEveryAskedIndexFailed) {
    const SweepCase& c = GetParam();
    FeedChecker::Sources sources;
    for (const Reach reach : c.reaches)
        sources.append(std::make_shared<ScriptedIndex>(reach));
    ManualClock clock;
    FeedChecker checker(sources, clock);

    const auto search = awaitTask(checker.searchShowReleasesReported(QStringLiteral("Show"), {}));
    EXPECT_TRUE(search.results.isEmpty()) << c.what;
    EXPECT_EQ(search.noIndexAnswered(), c.noIndexAnswered) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Sweeps, ReleaseSearchReach,
    testing::Values(SweepCase{"all failed", {Reach::unreachable, Reach::unreachable}, true},
                    SweepCase{"failed and not asked", {Reach::unreachable, Reach::skipped}, true},
                    SweepCase{"one answered empty", {Reach::unreachable, Reach::answered}, false},
                    SweepCase{"none asked", {Reach::skipped}, false},
                    SweepCase{"no indexes", {}, false}));

TEST(ReleaseSearchReach, ResultsMatchThePlainSearch) {
    RawHit hit;
    hit.title = QStringLiteral("Show S02E03 720p");
    hit.magnetURL = QUrl(QStringLiteral("magnet:?xt=urn:btih:0123456789abcdef0123456789abcdef01234567"));
    hit.seeders = 3;
    const FeedChecker::Sources sources{std::make_shared<ScriptedIndex>(Reach::answered,
                                                                       QList<RawHit>{hit}),
                                       std::make_shared<ScriptedIndex>(Reach::unreachable)};
    ManualClock clock;
    FeedChecker checker(sources, clock);

    const auto reported = awaitTask(checker.searchShowReleasesReported(QStringLiteral("Show"), {}));
    const auto plain = awaitTask(checker.searchShowReleases(QStringLiteral("Show"), {}));
    ASSERT_EQ(reported.results.size(), 1);
    EXPECT_EQ(reported.results, plain);
    EXPECT_EQ(reported.indexesAsked, 2);
    EXPECT_EQ(reported.indexesAnswered, 1);
}

} // namespace
