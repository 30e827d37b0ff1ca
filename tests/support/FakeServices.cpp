#include "FakeServices.h"

#include <QRegularExpression>

using nlohmann::json;

namespace {

FakeHttpServer::Response jsonAnswer(const json& body) {
    return {200, QByteArray::fromStdString(body.dump())};
}

FakeHttpServer::Response notFound() {
    return {404, R"({"success":false,"status_code":34})"};
}

json episodeJson(int season, int number) {
    return {{"season_number", season}, {"episode_number", number}};
}

} // namespace

FakeTmdb::FakeTmdb() {
    const FakeHttpServer::Handler answer = [this](const FakeHttpServer::Request& r) {
        if (r.path == QStringLiteral("/3/search/tv")) {
            json results = json::array();
            for (const Match& m : matches) {
                results.push_back({{"id", m.id}, {"name", m.name.toStdString()}, {"overview", ""},
                                   {"first_air_date", m.year.isEmpty() ? "" : (m.year + "-01-10").toStdString()},
                                   {"poster_path", m.posterPath.toStdString()}});
            }
            return jsonAnswer({{"page", 1}, {"results", results}});
        }
        static const QRegularExpression path(
            QStringLiteral(R"(^/3/tv/(\d+)(/external_ids|/season/(\d+))?$)"));
        const auto m = path.match(r.path);
        if (!m.hasMatch() || !series.contains(m.captured(1).toInt()))
            return notFound();
        const Series& s = series[m.captured(1).toInt()];
        if (m.captured(2) == QStringLiteral("/external_ids"))
            return jsonAnswer({{"imdb_id", s.imdbID.toStdString()}});
        if (!m.captured(3).isEmpty()) {
            const int season = m.captured(3).toInt();
            json episodes = json::array();
            for (const Episode& e : s.seasons.value(season)) {
                episodes.push_back({{"episode_number", e.number}, {"name", "Episode"},
                                    {"air_date", e.airDate ? json(e.airDate->toString(Qt::ISODate).toStdString()) : json()}});
            }
            return jsonAnswer({{"season_number", season}, {"episodes", episodes}});
        }
        json countries = json::array();
        for (const QString& c : s.originCountries)
            countries.push_back(c.toStdString());
        json seasons = json::array();
        for (const int n : s.seasons.keys())
            seasons.push_back({{"season_number", n}});
        return jsonAnswer({{"name", s.name.toStdString()}, {"status", s.status.toStdString()},
                           {"origin_country", countries}, {"seasons", seasons},
                           {"next_episode_to_air", s.currentSeason ? episodeJson(*s.currentSeason, 1) : json()},
                           {"last_episode_to_air", s.lastAired ? episodeJson(s.lastAired->first, s.lastAired->second) : json()}});
    };
    m_server.setHandler([this, answer](const FakeHttpServer::Request& r) {
        FakeHttpServer::Response response =
            refusingKey ? FakeHttpServer::Response{401, R"({"status_code":7,"status_message":"Invalid API key"})"}
                        : answer(r);
        response.delayMs = delayMs;
        return response;
    });
}

FakeIndexes::FakeIndexes() {
    const FakeHttpServer::Handler answer = [this](const FakeHttpServer::Request& r) {
        if (!answering)
            return FakeHttpServer::Response{503, "down", "text/plain"};
        if (r.path != QStringLiteral("/service/search"))
            return FakeHttpServer::Response{404, "", "text/plain"};
        json torrents = json::array();
        int id = 1;
        for (const Hit& h : hitsFor ? hitsFor(r.queryValue(QStringLiteral("q"))) : hits) {
            torrents.push_back({{"name", h.title.toStdString()}, {"infohash", h.hash.toStdString()}, {"seeders", h.seeders},
                                {"leechers", 1}, {"size_bytes", h.sizeBytes}, {"created_unix", 1767225600}, {"id", id++}});
        }
        return jsonAnswer({{"torrents", torrents}});
    };
    m_server.setHandler([this, answer](const FakeHttpServer::Request& r) {
        FakeHttpServer::Response response = answer(r);
        response.delayMs = delayMs;
        return response;
    });
}

void pointIndexesAt(const FakeHttpServer& server, ServiceEndpoints& endpoints) {
    endpoints.knabenAPI = server.url(QStringLiteral("/v1"));
    endpoints.apibayQuery = server.url(QStringLiteral("/q.php"));
    endpoints.eztvPrimary = endpoints.eztvFallback = server.baseUrl();
    endpoints.torrentsCsvSearch = server.url(QStringLiteral("/service/search"));
    endpoints.nyaaRoot = server.url(QStringLiteral("/"));
    endpoints.ytsHost = server.baseUrl();
}

void FakeIndexes::apply(ServiceEndpoints& endpoints) const {
    pointIndexesAt(m_server, endpoints);
}

int FakeIndexes::searchCount() const {
    return static_cast<int>(
        std::count_if(m_server.requests().cbegin(), m_server.requests().cend(),
                      [](const auto& r) { return r.path == QStringLiteral("/service/search"); }));
}
