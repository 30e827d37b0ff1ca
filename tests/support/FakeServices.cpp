#include "FakeServices.h"

#include "Fixtures.h"

#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <optional>

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

QStringList words(const QString& text) {
    static const QRegularExpression separators(QStringLiteral("[^\\p{L}\\p{N}]+"),
                                               QRegularExpression::UseUnicodePropertiesOption);
    return text.toLower().split(separators, Qt::SkipEmptyParts);
}

// Real indexes search titles for every word of the query.
bool titleMatches(const QString& query, const QString& title) {
    const QStringList have = words(title);
    const QStringList wanted = words(query);
    return !wanted.isEmpty() &&
           std::all_of(wanted.cbegin(), wanted.cend(), [&](const QString& w) { return have.contains(w); });
}

std::string text(const QString& s) {
    return s.toStdString();
}

// Fills a template from tests/fixtures/indexes/answer-formats.json: a string that is one "{name}" takes
// that value as it is (numbers stay numbers), names inside longer strings take its text.
json fill(const json& pattern, const json& values) {
    if (pattern.is_object() || pattern.is_array()) {
        json out = pattern;
        for (auto& [key, value] : out.items())
            value = fill(value, values);
        return out;
    }
    if (!pattern.is_string())
        return pattern;
    std::string s = pattern.get<std::string>();
    if (s.size() > 2 && s.front() == '{' && s.back() == '}' && values.contains(s.substr(1, s.size() - 2)))
        return values[s.substr(1, s.size() - 2)];
    for (const auto& [name, value] : values.items()) {
        const std::string mark = '{' + name + '}';
        for (size_t at = s.find(mark); at != std::string::npos; at = s.find(mark, at)) {
            const std::string with = value.is_string() ? value.get<std::string>() : value.dump();
            s.replace(at, mark.size(), with);
            at += with.size();
        }
    }
    return s;
}

json valuesOf(const FakeIndexes::Hit& l, int id, const QString& query) {
    static const QRegularExpression year(QStringLiteral(R"(^(.*) \((\d{4})\)$)"));
    const auto m = year.match(l.title);
    const QString tracker = QStringLiteral("udp://tracker.opentrackr.org:1337/announce");
    const bool tv = l.kind == FakeIndexes::Kind::tv;
    return {{"hash", text(l.hash)}, {"HASH", text(l.hash.toUpper())}, {"hash12", text(l.hash.left(12))},
            {"title", text(l.title)}, {"titleXml", text(l.title.toHtmlEscaped())},
            {"magnet", text(QStringLiteral("magnet:?xt=urn:btih:%1&dn=%2&tr=%3")
                                .arg(l.hash, QString::fromLatin1(QUrl::toPercentEncoding(l.title)),
                                     QString::fromLatin1(QUrl::toPercentEncoding(tracker))))},
            {"seeders", l.seeders}, {"seedersText", std::to_string(l.seeders)},
            {"size", l.sizeBytes}, {"sizeText", std::to_string(l.sizeBytes)},
            {"gib", text(QString::number(double(l.sizeBytes) / (1 << 30), 'f', 1))},
            {"id", id}, {"idText", std::to_string(id)}, {"imdb", text(l.imdbID)}, {"query", text(query)},
            {"category", tv ? "208" : "207"}, {"kindText", tv ? "TV" : "Movies"},
            {"ytsTitle", text(m.hasMatch() ? m.captured(1) : l.title)}, {"year", m.hasMatch() ? m.captured(2).toInt() : 0}};
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
    m_server.setHandler([this](const FakeHttpServer::Request& r) {
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

FakeHttpServer::Response FakeIndexes::answer(const FakeHttpServer::Request& r) const {
    if (!answering)
        return {503, "down", "text/plain"};
    static const json formats = fixtureJson(QStringLiteral("indexes/answer-formats.json"));
    const auto q = [&](const char* name) { return r.queryValue(QString::fromLatin1(name)); };
    // Which index was asked, with what, and which of its hits it answers with beyond (for allSix)
    // a title holding every word of the query. EZTV finds a series by its IMDb id alone.
    struct Route {
        const char* name;
        Index index;
        QString query;
        std::function<bool(const Hit&)> wanted = [](const Hit&) { return true; };
    };
    std::optional<Route> route;
    const json body = json::parse(r.body.toStdString(), nullptr, false);
    if (r.path == QStringLiteral("/v1") && r.method == "POST")
        route = Route{"knaben", Index::knaben, body.is_object() ? qstr(body.value("query", json())) : QString()};
    else if (r.path == QStringLiteral("/q.php"))
        route = Route{"apibay", Index::apibay, q("q"),
                      [&](const Hit& l) { return QLatin1String(l.kind == Kind::tv ? "208" : "207") == q("cat"); }};
    else if (r.path == QStringLiteral("/api/get-torrents"))
        route = Route{"eztv", Index::eztv, q("imdb_id"), [&](const Hit& l) {
                          return l.kind == Kind::tv && (l.imdbID.startsWith(QLatin1String("tt")) ? l.imdbID.mid(2) : l.imdbID) == q("imdb_id");
                      }};
    else if (r.path == QStringLiteral("/service/search"))
        route = Route{"torrentsCsv", Index::torrentsCsv, q("q")};
    else if (r.path == QStringLiteral("/") && q("page") == QStringLiteral("rss"))
        route = Route{"nyaa", Index::nyaa, q("q")};
    else if (r.path == QStringLiteral("/api/v2/list_movies.json"))
        route = Route{"yts", Index::yts, q("query_term"), [](const Hit& l) { return l.kind == Kind::movie; }};
    if (!route || (!allSix && route->index != Index::torrentsCsv))
        return {404, "Not Found", "text/plain"};

    const json& format = formats[route->name];
    json items = json::array();
    int id = 4100;
    for (const Hit& l : hitsFor && route->index == Index::torrentsCsv ? hitsFor(route->query) : hits) {
        if (l.index == route->index && route->wanted(l) &&
            (!allSix || route->index == Index::eztv || titleMatches(route->query, l.title)))
            items.push_back(fill(format["item"], valuesOf(l, ++id, route->query)));
    }
    if (format["item"].is_string()) { // an RSS feed
        std::string feed;
        for (const json& item : items)
            feed += item.get<std::string>();
        return {200, QByteArray::fromStdString(fill(format["answer"], {{"items", feed}}).get<std::string>()),
                "application/xml", {}, 0};
    }
    json answer = items.empty() && format.contains("empty")
                      ? format["empty"]
                      : fill(format["answer"], {{"items", items}, {"count", items.size()}, {"query", text(route->query)}});
    if (items.empty() && route->index == Index::yts) // YTS leaves the list out when nothing matched
        answer["data"].erase("movies");
    return {200, QByteArray::fromStdString(answer.dump()), "application/json", {}, 0};
}
