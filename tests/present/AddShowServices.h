#pragma once

// The add-series flow's outside world on loopback: TMDB's series search (answers read from
// tests/fixtures/present/add-series.json), the six indexes and the daemon, with a store on a
// manual clock pointed at them. Shared by the model tests and the widget tests.

#include "AddShowModel.h"
#include "EventLoop.h"
#include "FakeHttpServer.h"
#include "FakeServices.h"
#include "FakeTransmission.h"
#include "Fixtures.h"
#include "TestEnvironment.h"
#include "store/WatchlistStore.h"

#include <QMap>
#include <QStringList>

#include <memory>

class AddShowServices {
public:
    enum class Tmdb { answers, refusesKey, unreachable };

    AddShowServices() {
        m_tmdb.setHandler([this](const FakeHttpServer::Request& r) {
            const QString query = r.queryValue(QStringLiteral("query"));
            FakeHttpServer::Response response{
                200, {}, "application/json", {}, delayFor.value(query)};
            if (r.path.startsWith(QStringLiteral("/t/p/")) && !posterBytes.isEmpty())
                return FakeHttpServer::Response{200, posterBytes, "image/png", {}, 0};
            if (tmdb == Tmdb::refusesKey) {
                response.status = 401;
                response.body = R"({"status_code":7,"status_message":"Invalid API key"})";
            } else if (r.path != QStringLiteral("/3/search/tv")) {
                response.status = 404;
            } else {
                const auto found = catalog.find(query.toStdString());
                const auto results = found == catalog.end() ? nlohmann::json::array() : *found;
                response.body =
                    QByteArray::fromStdString(nlohmann::json{{"results", results}}.dump());
            }
            return response;
        });
        m_deadIndexes.setHandler([this](const FakeHttpServer::Request& r) {
            if (indexesBack && r.path == QStringLiteral("/service/search"))
                return FakeHttpServer::Response{
                    200, R"({"torrents":[]})", "application/json", {}, 0};
            return FakeHttpServer::Response{503, "busy", "text/plain", {}, 0};
        });
    }

    // Builds the store against the services as they are configured now.
    WatchlistStore& start() {
        StoreEnvironment env = m_env.environment();
        env.endpoints.tmdbAPI = tmdb == Tmdb::unreachable
                                    ? QUrl(QStringLiteral("http://127.0.0.1:1/3"))
                                    : m_tmdb.url(QStringLiteral("/3"));
        if (indexesAnswer)
            index.apply(env.endpoints);
        else
            pointIndexesAt(m_deadIndexes, env.endpoints);
        env.endpoints.tmdbImages = m_tmdb.baseUrl();
        env.endpoints.rpcPort = daemon.port();
        m_store = std::make_unique<WatchlistStore>(env, nullptr, nullptr);
        return *m_store;
    }

    WatchlistStore& store() const { return *m_store; }
    ManualClock& clock() { return m_env.clock(); }

    // Log lines, oldest first.
    QStringList log() const {
        QStringList lines;
        for (const ActivityEntry& e : m_store->activity())
            lines.prepend(e.message);
        return lines;
    }

    // Walks a model through a step as the panels would: a lookup, the first match confirmed past
    // the arming delay, ticks on the first listed releases, a plan, the options, a season. False
    // when a search does not settle or the match is not taken.
    bool drive(AddShowModel& model, const nlohmann::json& step) {
        const auto settled = [&] {
            return runEventLoopUntil([&] { return !model.isSearching(); });
        };
        model.setName(qstr(step["lookUp"]));
        model.find();
        if (!settled())
            return false;
        if (step.value("confirm", false)) {
            clock().advance(1);
            if (!model.pickMatch(0) || !settled())
                return false;
        }
        for (int i = 0; i < step.value("tick", 0); ++i)
            model.togglePick(model.listedResults().at(i).id);
        if (step.contains("plan"))
            model.setPickPlan(planNamed(step["plan"]));
        model.setShowAdvanced(step.value("advanced", false));
        if (step.contains("season")) {
            model.setSeasonText(qstr(step["season"]));
            model.setPullEntireSeason(step.value("pull", false));
        }
        return true;
    }

    static AddShowModel::PickPlan planNamed(const nlohmann::json& name) {
        return AddShowModel::PickPlan(
            QStringList{"continueForward", "onlyThis", "thisThenLatest"}.indexOf(qstr(name)));
    }

    int tmdbSearches() const {
        return int(
            std::count_if(m_tmdb.requests().cbegin(), m_tmdb.requests().cend(),
                          [](const auto& r) { return r.path == QStringLiteral("/3/search/tv"); }));
    }

    Tmdb tmdb = Tmdb::answers;
    nlohmann::json catalog = fixtureJson("present/add-series.json")["tmdbByQuery"];
    QMap<QString, int> delayFor; // milliseconds, by query
    QByteArray posterBytes;      // served for every image path when set
    bool indexesAnswer = true;
    bool indexesBack = false; // unreachable indexes: Torrents-CSV answers again
    FakeIndexes index;
    FakeTransmission daemon;

private:
    TestEnvironment m_env;
    FakeHttpServer m_tmdb;
    FakeHttpServer m_deadIndexes;
    std::unique_ptr<WatchlistStore> m_store;
};

// A release as Torrents-CSV's fake serves it; `h` fills the info hash.
inline FakeIndexes::Hit release(const QString& title, char h, int seeders = 10,
                                qint64 size = 1'500'000'000) {
    return {title, QString(40, QLatin1Char(h)), seeders, size};
}
