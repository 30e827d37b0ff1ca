#include "FakeTmdbCatalog.h"

#include <QRegularExpression>

#include <nlohmann/json.hpp>

using nlohmann::json;

namespace {

FakeHttpServer::Response answer(int status, const json& body, int delayMs = 0) {
    return {status, QByteArray::fromStdString(body.dump()), "application/json", {}, delayMs};
}

} // namespace

FakeTmdbCatalog::FakeTmdbCatalog() {
    m_server.setHandler([this](const FakeHttpServer::Request& r) {
        if (status != 200)
            return answer(status, {{"success", false}, {"status_code", 7}});
        if (r.path == QStringLiteral("/3/search/tv")) {
            json results = json::array();
            for (const Match& m : matches) {
                results.push_back({{"id", m.id}, {"name", m.name.toStdString()}, {"overview", ""},
                                   {"first_air_date", m.year.isEmpty() ? "" : (m.year + "-01-10").toStdString()},
                                   {"poster_path", m.posterPath.toStdString()}});
            }
            return answer(200, {{"page", 1}, {"results", results}});
        }
        static const QRegularExpression path(QStringLiteral(R"(^/3/tv/(\d+)(/season/(\d+))?$)"));
        const auto match = path.match(r.path);
        const int id = match.captured(1).toInt();
        if (!match.hasMatch() || !episodes.contains(id))
            return answer(404, {{"success", false}, {"status_code", 34}});
        if (match.captured(3).isEmpty()) {
            json seasons = json::array();
            for (const int n : episodes[id].keys())
                seasons.push_back({{"season_number", n}});
            return answer(200, {{"id", id}, {"name", "Series"}, {"seasons", seasons}});
        }
        const int season = match.captured(3).toInt();
        json list = json::array();
        for (const Episode& e : episodes[id].value(season)) {
            list.push_back({{"episode_number", e.number}, {"name", e.name.toStdString()},
                            {"air_date", e.airDate ? json(e.airDate->toString(Qt::ISODate).toStdString()) : json()}});
        }
        return answer(200, {{"season_number", season}, {"episodes", list}},
                      seasonDelayMs.value(season));
    });
}

int FakeTmdbCatalog::searchCount() const {
    return static_cast<int>(
        std::count_if(m_server.requests().cbegin(), m_server.requests().cend(),
                      [](const auto& r) { return r.path == QStringLiteral("/3/search/tv"); }));
}
