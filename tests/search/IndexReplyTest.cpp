// Each index says whether it answered, so a check can tell "nothing new" from "nobody
// answered"; the checker tallies the indexes over a whole check.

#include "AwaitTask.h"
#include "DaemonSupport.h"
#include "FakeHttpServer.h"
#include "model/ServiceEndpoints.h"
#include "search/FeedChecker.h"

#include <QNetworkAccessManager>

#include <gtest/gtest.h>

namespace {

using Outcome = TorrentIndex::Reported::Reach;

enum class Server { refusing, error503, garbage, emptyAnswer };

struct ReplyCase {
    const char* label;
    int source; // position in the default sources: Knaben, TPB, EZTV, Torrents-CSV, Nyaa, YTS
    TorrentQuery::Kind kind;
    Server server;
    Outcome outcome;
};

// A well-formed answer without hits, per source.
QByteArray emptyAnswer(int source) {
    switch (source) {
    case 0: return R"({"hits":[]})";
    case 1: return "[]";
    case 2: return R"({"torrents":[]})";
    case 3: return R"({"torrents":[]})";
    case 4: return R"(<?xml version="1.0"?><rss><channel></channel></rss>)";
    default: return R"({"status":"ok","data":{"movies":[]}})";
    }
}

class IndexReply : public testing::TestWithParam<ReplyCase> {};

} // namespace

TEST_P(IndexReply, SaysWhetherTheIndexAnswered) {
    const ReplyCase& c = GetParam();
    FakeHttpServer server;
    server.setHandler([&](const FakeHttpServer::Request&) {
        FakeHttpServer::Response r;
        if (c.server == Server::error503)
            r.status = 503;
        r.body = c.server == Server::garbage ? QByteArray("<html>moved</html>") : emptyAnswer(c.source);
        return r;
    });
    ServiceEndpoints endpoints;
    const QUrl base = c.server == Server::refusing
                          ? QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(freeLoopbackPort()))
                          : server.url("/");
    for (QUrl* url : {&endpoints.knabenAPI, &endpoints.apibayQuery, &endpoints.eztvPrimary,
                      &endpoints.eztvFallback, &endpoints.torrentsCsvSearch, &endpoints.nyaaRoot,
                      &endpoints.ytsHost})
        *url = base;
    QNetworkAccessManager network;
    const auto sources = FeedChecker::defaultSources(network, endpoints);

    TorrentQuery query;
    query.text = "Dark";
    query.kind = c.kind;
    query.imdbID = "tt5753856";
    const auto reply = awaitTask(sources[c.source]->searchReported(query));
    EXPECT_EQ(reply.reach, c.outcome);
    EXPECT_TRUE(reply.hits.isEmpty());
    // The plain search gives the same hits as before, whatever happened.
    EXPECT_TRUE(awaitTask(sources[c.source]->search(query)).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Sources, IndexReply,
    testing::Values(
        ReplyCase{"knabenRefusing", 0, TorrentQuery::Kind::tv, Server::refusing, Outcome::unreachable},
        ReplyCase{"knabenEmpty", 0, TorrentQuery::Kind::tv, Server::emptyAnswer, Outcome::answered},
        ReplyCase{"knabenMovedDomain", 0, TorrentQuery::Kind::tv, Server::garbage, Outcome::unreachable},
        ReplyCase{"apibay503", 1, TorrentQuery::Kind::tv, Server::error503, Outcome::unreachable},
        ReplyCase{"apibayEmpty", 1, TorrentQuery::Kind::movie, Server::emptyAnswer, Outcome::answered},
        ReplyCase{"eztvRefusing", 2, TorrentQuery::Kind::tv, Server::refusing, Outcome::unreachable},
        ReplyCase{"eztvEmpty", 2, TorrentQuery::Kind::tv, Server::emptyAnswer, Outcome::answered},
        ReplyCase{"eztvNotForMovies", 2, TorrentQuery::Kind::movie, Server::emptyAnswer, Outcome::skipped},
        ReplyCase{"torrentsCsvMovedDomain", 3, TorrentQuery::Kind::tv, Server::garbage, Outcome::unreachable},
        ReplyCase{"torrentsCsvEmpty", 3, TorrentQuery::Kind::tv, Server::emptyAnswer, Outcome::answered},
        ReplyCase{"nyaa503", 4, TorrentQuery::Kind::tv, Server::error503, Outcome::unreachable},
        ReplyCase{"nyaaEmpty", 4, TorrentQuery::Kind::tv, Server::emptyAnswer, Outcome::answered},
        ReplyCase{"ytsRefusing", 5, TorrentQuery::Kind::movie, Server::refusing, Outcome::unreachable},
        ReplyCase{"ytsEmpty", 5, TorrentQuery::Kind::movie, Server::emptyAnswer, Outcome::answered},
        ReplyCase{"ytsNotForSeries", 5, TorrentQuery::Kind::tv, Server::refusing, Outcome::skipped}),
    [](const auto& info) { return std::string(info.param.label); });

namespace {

// An index with a scripted outcome.
class ScriptedIndex final : public TorrentIndex {
public:
    ScriptedIndex(QString name, Outcome outcome)
        : m_name(std::move(name))
        , m_outcome(outcome) {}
    QString name() const override { return m_name; }
    QCoro::Task<QList<RawHit>> search(TorrentQuery) const override { co_return QList<RawHit>{}; }
    QCoro::Task<Reported> searchReported(TorrentQuery) const override {
        co_return Reported{{}, m_outcome};
    }

private:
    QString m_name;
    Outcome m_outcome;
};

// A fake written before the outcomes existed: it only knows `search`.
class PlainIndex final : public TorrentIndex {
public:
    QString name() const override { return QStringLiteral("Plain"); }
    QCoro::Task<QList<RawHit>> search(TorrentQuery) const override { co_return QList<RawHit>{}; }
};

struct TallyCase {
    const char* label;
    QList<std::pair<const char*, Outcome>> sources;
    QStringList asked;
    QStringList answered;
    bool noneAnswered;
};

class CheckTally : public testing::TestWithParam<TallyCase> {};

} // namespace

TEST_P(CheckTally, NamesTheIndexesAskedAndThoseThatAnswered) {
    const TallyCase& c = GetParam();
    FeedChecker::Sources sources;
    for (const auto& [name, outcome] : c.sources)
        sources << std::make_shared<ScriptedIndex>(QString::fromLatin1(name), outcome);
    ManualClock clock;
    FeedChecker checker(sources, clock);

    const QList<Show> shows{Show{.id = QUuid::createUuid(), .name = "Dark"},
                            Show{.id = QUuid::createUuid(), .name = "Andor"}};
    const auto report = awaitTask(checker.checkShowsReported(shows));
    EXPECT_EQ(report.results.size(), 2);
    EXPECT_EQ(report.indexes.asked, c.asked);
    EXPECT_EQ(report.indexes.answered, c.answered);
    EXPECT_EQ(report.indexes.noneAnswered(), c.noneAnswered);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckTally,
    testing::Values(
        TallyCase{"allFailing",
                  {{"Knaben", Outcome::unreachable}, {"EZTV", Outcome::skipped}, {"Nyaa", Outcome::unreachable}},
                  {"Knaben", "Nyaa"}, {}, true},
        TallyCase{"oneAnswering",
                  {{"Knaben", Outcome::unreachable}, {"Torrents-CSV", Outcome::answered}, {"Nyaa", Outcome::unreachable}},
                  {"Knaben", "Torrents-CSV", "Nyaa"}, {"Torrents-CSV"}, false},
        TallyCase{"nobodyAsked", {{"EZTV", Outcome::skipped}, {"YTS", Outcome::skipped}}, {}, {}, false},
        TallyCase{"noSources", {}, {}, {}, false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CheckTally, AnIndexThatCannotTellCountsAsAnswering) {
    ManualClock clock;
    FeedChecker checker({std::make_shared<PlainIndex>()}, clock);
    const auto report =
        awaitTask(checker.checkShowsReported({Show{.id = QUuid::createUuid(), .name = "Dark"}}));
    EXPECT_EQ(report.indexes.answered, QStringList{"Plain"});
    EXPECT_FALSE(report.indexes.noneAnswered());
}
