#include "IndexFarm.h"

#include "FakeServices.h"

#include <QRegularExpression>
#include <QUrl>

#include <nlohmann/json.hpp>

using nlohmann::json;

namespace {

constexpr qint64 kUploaded = 1767168000; // 2025-12-31 08:00 UTC, the day before the journeys

QStringList words(const QString& text) {
    static const QRegularExpression separators(QStringLiteral("[^\\p{L}\\p{N}]+"),
                                               QRegularExpression::UseUnicodePropertiesOption);
    return text.toLower().split(separators, Qt::SkipEmptyParts);
}

// Real indexes search titles for every word of the query.
bool titleMatches(const QString& query, const QString& title) {
    const QStringList have = words(title);
    const QStringList wanted = words(query);
    return !wanted.isEmpty() && std::all_of(wanted.cbegin(), wanted.cend(),
                                            [&](const QString& w) { return have.contains(w); });
}

std::string text(const QString& s) {
    return s.toStdString();
}

std::string magnetFor(const IndexFarm::Listing& l) {
    return text(QStringLiteral("magnet:?xt=urn:btih:%1&dn=%2&tr=%3")
                    .arg(l.hash, QString::fromLatin1(QUrl::toPercentEncoding(l.title)),
                         QString::fromLatin1(QUrl::toPercentEncoding(
                             QStringLiteral("udp://tracker.opentrackr.org:1337/announce")))));
}

FakeHttpServer::Response jsonAnswer(const json& body) {
    return {200, QByteArray::fromStdString(body.dump()), "application/json", {}, 0};
}

QString imdbDigits(const QString& id) {
    return id.startsWith(QLatin1String("tt")) ? id.mid(2) : id;
}

QString category(const IndexFarm::Listing& l) {
    return l.kind == IndexFarm::Kind::tv ? QStringLiteral("208") : QStringLiteral("207");
}

} // namespace

IndexFarm::IndexFarm() {
    m_server.setHandler([this](const FakeHttpServer::Request& r) { return answer(r); });
}

void IndexFarm::apply(ServiceEndpoints& endpoints) const {
    pointIndexesAt(m_server, endpoints);
}

FakeHttpServer::Response IndexFarm::answer(const FakeHttpServer::Request& r) const {
    const auto on = [this](Index index, auto&& wanted) {
        QList<Listing> found;
        for (const Listing& l : listings) {
            if (l.index == index && wanted(l))
                found.append(l);
        }
        return found;
    };
    int id = 4100;

    if (r.path == QStringLiteral("/v1") && r.method == "POST") {
        const json body = json::parse(r.body.toStdString(), nullptr, false);
        const QString query =
            body.is_object() && body.contains("query") && body["query"].is_string()
                ? QString::fromStdString(body["query"].get<std::string>())
                : QString();
        json hits = json::array();
        for (const Listing& l :
             on(Index::knaben, [&](const Listing& l) { return titleMatches(query, l.title); })) {
            hits.push_back({{"id", text(l.hash.left(12))},
                            {"title", text(l.title)},
                            {"hash", text(l.hash)},
                            {"magnetUrl", magnetFor(l)},
                            {"bytes", l.sizeBytes},
                            {"seeders", l.seeders},
                            {"peers", 4},
                            {"date", "2025-12-31T08:00:00+00:00"},
                            {"tracker", "1337x"},
                            {"category", l.kind == Kind::tv ? "TV" : "Movies"}});
        }
        return jsonAnswer({{"total", {{"relation", "eq"}, {"value", hits.size()}}},
                           {"max_score", 1.0},
                           {"hits", hits}});
    }

    if (r.path == QStringLiteral("/q.php")) {
        const QString query = r.queryValue(QStringLiteral("q"));
        const QString cat = r.queryValue(QStringLiteral("cat"));
        json rows = json::array();
        for (const Listing& l : on(Index::apibay, [&](const Listing& l) {
                 return category(l) == cat && titleMatches(query, l.title);
             })) {
            rows.push_back({{"id", std::to_string(++id)},
                            {"name", text(l.title)},
                            {"info_hash", text(l.hash.toUpper())},
                            {"leechers", "3"},
                            {"seeders", std::to_string(l.seeders)},
                            {"num_files", "3"},
                            {"size", std::to_string(l.sizeBytes)},
                            {"username", "scene"},
                            {"added", std::to_string(kUploaded)},
                            {"status", "vip"},
                            {"category", text(cat)},
                            {"imdb", text(l.imdbID)}});
        }
        if (rows.empty()) {
            rows.push_back({{"id", "0"},
                            {"name", "No results returned"},
                            {"info_hash", "0000000000000000000000000000000000000000"},
                            {"leechers", "0"},
                            {"seeders", "0"},
                            {"num_files", "0"},
                            {"size", "0"},
                            {"username", ""},
                            {"added", "0"},
                            {"status", "member"},
                            {"category", "0"},
                            {"imdb", ""}});
        }
        return jsonAnswer(rows);
    }

    if (r.path == QStringLiteral("/api/get-torrents")) {
        const QString imdb = r.queryValue(QStringLiteral("imdb_id"));
        json torrents = json::array();
        for (const Listing& l : on(Index::eztv, [&](const Listing& l) {
                 return l.kind == Kind::tv && imdbDigits(l.imdbID) == imdb;
             })) {
            torrents.push_back({{"id", ++id},
                                {"hash", text(l.hash)},
                                {"filename", text(l.title) + "[eztv.re].mkv"},
                                {"title", text(l.title) + " EZTV"},
                                {"imdb_id", text(imdb)},
                                {"seeds", l.seeders},
                                {"peers", 6},
                                {"date_released_unix", kUploaded},
                                {"size_bytes", std::to_string(l.sizeBytes)},
                                {"magnet_url", magnetFor(l)}});
        }
        return jsonAnswer({{"imdb_id", text(imdb)},
                           {"torrents_count", torrents.size()},
                           {"limit", 100},
                           {"page", 1},
                           {"torrents", torrents}});
    }

    if (r.path == QStringLiteral("/service/search")) {
        const QString query = r.queryValue(QStringLiteral("q"));
        json torrents = json::array();
        for (const Listing& l : on(Index::torrentsCsv, [&](const Listing& l) {
                 return titleMatches(query, l.title);
             })) {
            torrents.push_back({{"infohash", text(l.hash)},
                                {"name", text(l.title)},
                                {"size_bytes", l.sizeBytes},
                                {"created_unix", kUploaded},
                                {"leechers", 2},
                                {"seeders", l.seeders},
                                {"scraped_date", kUploaded + 3600},
                                {"id", ++id}});
        }
        return jsonAnswer({{"torrents", torrents}, {"next", nullptr}});
    }

    if (r.path == QStringLiteral("/") && r.queryValue(QStringLiteral("page")) == "rss") {
        const QString query = r.queryValue(QStringLiteral("q"));
        QByteArray items;
        for (const Listing& l :
             on(Index::nyaa, [&](const Listing& l) { return titleMatches(query, l.title); })) {
            const QByteArray n = QByteArray::number(++id);
            items += "<item><title>" + l.title.toHtmlEscaped().toUtf8() +
                     "</title><link>https://nyaa.si/download/" + n +
                     ".torrent</link><guid isPermaLink=\"true\">https://nyaa.si/view/" + n +
                     "</guid><pubDate>Wed, 31 Dec 2025 08:00:00 -0000</pubDate><nyaa:seeders>" +
                     QByteArray::number(l.seeders) +
                     "</nyaa:seeders><nyaa:leechers>1</nyaa:leechers><nyaa:infoHash>" +
                     l.hash.toUtf8() + "</nyaa:infoHash><nyaa:size>" +
                     QByteArray::number(double(l.sizeBytes) / (1 << 30), 'f', 1) +
                     " GiB</nyaa:size></item>";
        }
        const QByteArray feed =
            "<?xml version=\"1.0\" encoding=\"utf-8\"?><rss "
            "xmlns:atom=\"http://www.w3.org/2005/Atom\" xmlns:nyaa=\"https://nyaa.si/xmlns/nyaa\" "
            "version=\"2.0\"><channel><title>Nyaa - Torrent File RSS</title><link>https://nyaa.si/"
            "</link>" +
            items + "</channel></rss>";
        return {200, feed, "application/xml", {}, 0};
    }

    if (r.path == QStringLiteral("/api/v2/list_movies.json")) {
        const QString query = r.queryValue(QStringLiteral("query_term"));
        json movies = json::array();
        for (const Listing& l : on(Index::yts, [&](const Listing& l) {
                 return l.kind == Kind::movie && titleMatches(query, l.title);
             })) {
            static const QRegularExpression year(QStringLiteral(R"(^(.*) \((\d{4})\)$)"));
            const auto m = year.match(l.title);
            movies.push_back({{"id", ++id},
                              {"imdb_code", text(l.imdbID)},
                              {"title", text(m.hasMatch() ? m.captured(1) : l.title)},
                              {"title_long", text(l.title)},
                              {"year", m.hasMatch() ? m.captured(2).toInt() : 0},
                              {"torrents", json::array({{{"hash", text(l.hash.toUpper())},
                                                         {"quality", text(l.ytsQuality)},
                                                         {"type", text(l.ytsType)},
                                                         {"seeds", l.seeders},
                                                         {"peers", 12},
                                                         {"size_bytes", l.sizeBytes},
                                                         {"date_uploaded_unix", kUploaded}}})}});
        }
        json data{{"movie_count", movies.size()}, {"limit", 50}, {"page_number", 1}};
        if (!movies.empty()) // YTS leaves the list out when nothing matched
            data["movies"] = movies;
        return jsonAnswer(
            {{"status", "ok"}, {"status_message", "Query was successful"}, {"data", data}});
    }

    return {404, "Not Found", "text/plain", {}, 0};
}
