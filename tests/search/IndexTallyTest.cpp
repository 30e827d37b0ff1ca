// The checker tallies which indexes it asked and which answered: with every asked index
// failing, an empty result is no answer.

#include "SearchTestSupport.h"
#include "search/FeedChecker.h"

#include <gtest/gtest.h>

namespace {

using Reach = TorrentIndex::Reported::Reach;

// An index with a scripted reach; without one it cannot tell, as an index written before
// reaches existed.
class ScriptedIndex final : public TorrentIndex {
public:
    ScriptedIndex(QString name, std::optional<Reach> reach, QList<RawHit> hits = {})
        : m_name(std::move(name))
        , m_reach(reach)
        , m_hits(std::move(hits)) {}
    QString name() const override { return m_name; }
    QCoro::Task<QList<RawHit>> search(TorrentQuery) const override {
        co_return m_reach.value_or(Reach::answered) == Reach::answered ? m_hits : QList<RawHit>{};
    }
    QCoro::Task<Reported> searchReported(TorrentQuery query) const override {
        if (!m_reach)
            co_return co_await TorrentIndex::searchReported(std::move(query));
        // Awaited apart: GCC 12 miscompiles co_await inside a braced initialiser.
        QList<RawHit> hits = co_await search(std::move(query));
        co_return Reported{std::move(hits), *m_reach};
    }

private:
    QString m_name;
    std::optional<Reach> m_reach;
    QList<RawHit> m_hits;
};

// Every index that answers hands on the same release; the reported search gives what the plain
// one gives.
TEST(IndexTally, NamesTheIndexesAskedAndThoseThatAnswered) {
    const std::optional<Reach> u = Reach::unreachable, s = Reach::skipped, a = Reach::answered;
    const struct {
        QList<std::pair<const char*, std::optional<Reach>>> sources;
        QStringList asked;
        QStringList answered;
        bool noneAnswered;
    } cases[] = {
        {{{"Knaben", u}, {"EZTV", s}, {"Nyaa", u}}, {"Knaben", "Nyaa"}, {}, true},
        {{{"Knaben", u}, {"Torrents-CSV", a}, {"Nyaa", u}}, {"Knaben", "Torrents-CSV", "Nyaa"}, {"Torrents-CSV"}, false},
        {{{"EZTV", s}, {"YTS", s}}, {}, {}, false},
        {{}, {}, {}, false},
        {{{"Plain", std::nullopt}}, {"Plain"}, {"Plain"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked.join(',').toStdString());
        FeedChecker::Sources sources;
        for (const auto& [name, reach] : c.sources)
            sources << std::make_shared<ScriptedIndex>(QString::fromLatin1(name), reach,
                                                       QList<RawHit>{makeHit("Show S02E03 720p", 3)});
        ManualClock clock;
        FeedChecker checker(sources, clock);

        const auto report = awaitTask(checker.checkShowsReported(
            {Show{.id = QUuid::createUuid(), .name = "Dark"}, Show{.id = QUuid::createUuid(), .name = "Andor"}}));
        EXPECT_EQ(report.results.size(), 2);
        EXPECT_EQ(report.indexes.asked, c.asked);
        EXPECT_EQ(report.indexes.answered, c.answered);
        EXPECT_EQ(report.indexes.noneAnswered(), c.noneAnswered);

        const auto search = awaitTask(checker.searchShowReleasesReported(QStringLiteral("Show"), {}));
        EXPECT_EQ(search.results.size(), c.answered.isEmpty() ? 0 : 1);
        EXPECT_EQ(search.results, awaitTask(checker.searchShowReleases(QStringLiteral("Show"), {})));
        EXPECT_EQ(search.indexesAsked, c.asked.size());
        EXPECT_EQ(search.indexesAnswered, c.answered.size());
        EXPECT_EQ(search.noIndexAnswered(), c.noneAnswered);
    }
}

} // namespace
