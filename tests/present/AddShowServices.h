#pragma once

// The add-series flow's outside world on loopback: TMDB's series search, the six indexes and
// the daemon, with a store on a manual clock pointed at them. Shared by the model tests and
// the widget tests.

#include "EventLoop.h"
#include "FakeHttpServer.h"
#include "FakeServices.h"
#include "FakeTransmission.h"
#include "TestEnvironment.h"
#include "store/WatchlistStore.h"

#include <QMap>
#include <QStringList>

#include <nlohmann/json.hpp>

#include <memory>

class AddShowServices {
public:
    struct Match {
        int id = 0;
        QString name;
        QString year;   // "" for none
        QString poster; // "" for none
        QString overview;
    };

    // How TMDB and the indexes behave for the next store.
    enum class Tmdb { answers, refusesKey, unreachable };
    enum class Indexes { answer, unreachable };

    AddShowServices() {
        m_tmdb.setHandler([this](const FakeHttpServer::Request& r) {
            FakeHttpServer::Response response;
            response.delayMs = delayFor.value(r.queryValue(QStringLiteral("query")), 0);
            if (r.path.startsWith(QStringLiteral("/t/p/")) && !posterBytes.isEmpty()) {
                response.body = posterBytes;
                response.contentType = "image/png";
                return response;
            }
            if (tmdb == Tmdb::refusesKey) {
                response.status = 401;
                response.body = R"({"status_code":7,"status_message":"Invalid API key"})";
                return response;
            }
            if (r.path != QStringLiteral("/3/search/tv")) {
                response.status = 404;
                response.body = R"({"success":false})";
                return response;
            }
            nlohmann::json results = nlohmann::json::array();
            for (const Match& m : matches.value(r.queryValue(QStringLiteral("query")))) {
                nlohmann::json item{{"id", m.id},
                                    {"name", m.name.toStdString()},
                                    {"overview", m.overview.toStdString()}};
                item["first_air_date"] =
                    m.year.isEmpty() ? nlohmann::json("") : nlohmann::json((m.year + "-01-10").toStdString());
                item["poster_path"] =
                    m.poster.isEmpty() ? nlohmann::json() : nlohmann::json(m.poster.toStdString());
                results.push_back(item);
            }
            response.body = QByteArray::fromStdString(nlohmann::json{{"results", results}}.dump());
            return response;
        });
        m_deadIndexes.setHandler([this](const FakeHttpServer::Request& r) {
            if (indexesBack && r.path == QStringLiteral("/service/search"))
                return FakeHttpServer::Response{200, R"({"torrents":[]})", "application/json", {}, 0};
            return FakeHttpServer::Response{503, "busy", "text/plain", {}, 0};
        });
    }

    // Builds the store against the services as they are configured now.
    WatchlistStore& start() {
        StoreEnvironment env = m_env.environment();
        env.endpoints.tmdbAPI = tmdb == Tmdb::unreachable ? QUrl(QStringLiteral("http://127.0.0.1:1/3"))
                                                          : m_tmdb.url(QStringLiteral("/3"));
        if (indexes == Indexes::answer)
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

    int tmdbSearches() const {
        int n = 0;
        for (const auto& r : m_tmdb.requests())
            n += r.path == QStringLiteral("/3/search/tv") ? 1 : 0;
        return n;
    }

    Tmdb tmdb = Tmdb::answers;
    Indexes indexes = Indexes::answer;
    QMap<QString, QList<Match>> matches; // by the query as sent
    QMap<QString, int> delayFor;         // milliseconds, by query
    QByteArray posterBytes;              // served for every image path when set
    bool indexesBack = false;            // unreachable indexes: Torrents-CSV answers again
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
