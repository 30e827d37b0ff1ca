#include "FakeTransmission.h"

#include <QUrl>
#include <QUrlQuery>

using nlohmann::json;

namespace {

const QByteArray kSessionId = "fake-session";

FakeHttpServer::Response success(json arguments) {
    return {200, QByteArray::fromStdString(json{{"arguments", std::move(arguments)}, {"result", "success"}}.dump())};
}

QString text(const json& v) {
    return v.is_string() ? QString::fromStdString(v.get<std::string>()) : QString();
}

// The hash and display name a magnet names.
std::pair<QString, QString> magnetParts(const QString& magnet) {
    const QUrlQuery query(QUrl(magnet).query());
    QString hash = query.queryItemValue(QStringLiteral("xt"), QUrl::FullyDecoded);
    hash = hash.startsWith(QStringLiteral("urn:btih:"), Qt::CaseInsensitive) ? hash.mid(9).toLower()
                                                                             : QString();
    return {hash, query.queryItemValue(QStringLiteral("dn"), QUrl::FullyDecoded)};
}

} // namespace

FakeTransmission::FakeTransmission() {
    m_server.setHandler([this](const FakeHttpServer::Request& r) { return answer(r); });
}

QList<json> FakeTransmission::calls(const std::string& method) const {
    QList<json> out;
    for (const json& c : m_calls) {
        if (method.empty() || c.value("method", "") == method)
            out.append(c);
    }
    return out;
}

FakeHttpServer::Response FakeTransmission::answer(const FakeHttpServer::Request& request) {
    if (!m_reachable)
        return {500, "down", "text/plain"};
    if (request.header("X-Transmission-Session-Id") != kSessionId)
        return {409, "<h1>409: Conflict</h1>", "text/html", {{"X-Transmission-Session-Id", kSessionId}}};

    const json body = json::parse(request.body.toStdString(), nullptr, false);
    if (!body.is_object())
        return {400, "bad request", "text/plain"};
    m_calls.append(body);
    const std::string method = body.value("method", "");
    const json args = body.value("arguments", json::object());

    if (method == "session-get" && sessionGetFailures > 0) {
        --sessionGetFailures;
        return {500, "starting", "text/plain"};
    }
    if (method == "session-get")
        return success({{"rpc-version", 16}, {"version", "3.00 (fake)"}});
    if (method == "session-set" || method == "torrent-reannounce" || method == "torrent-set")
        return success(json::object());

    if (method == "torrent-add") {
        const auto [hash, name] = magnetParts(text(args.value("filename", json())));
        if (hash.isEmpty())
            return {200, R"({"arguments":{},"result":"invalid or corrupt torrent file"})"};
        const bool duplicate = torrents.contains(hash);
        if (!duplicate) {
            Torrent t;
            t.hash = hash;
            t.name = name.isEmpty() ? hash : name;
            t.downloadDir = text(args.value("download-dir", json()));
            if (onAdd)
                onAdd(t);
            torrents.insert(hash, t);
        }
        const json added{{"hashString", hash.toStdString()}, {"id", 1}, {"name", torrents[hash].name.toStdString()}};
        return success({{duplicate ? "torrent-duplicate" : "torrent-added", added}});
    }

    // The torrents a call names, or all of them when it names none.
    QStringList ids = args.contains("ids") ? QStringList() : torrents.keys();
    for (const json& id : args.value("ids", json::array()))
        ids << text(id);
    if (method == "torrent-get") {
        json list = json::array();
        for (const QString& id : ids) {
            if (torrents.contains(id))
                list.push_back(torrentJson(torrents[id], args.value("fields", json::array())));
        }
        return success({{"torrents", list}});
    }
    if (method == "torrent-remove") {
        for (const QString& id : ids) {
            if (torrents.remove(id))
                removed.append({id, args.value("delete-local-data", false)});
        }
        return success(json::object());
    }
    return {200, R"({"arguments":{},"result":"method name not recognized"})"};
}

json FakeTransmission::torrentJson(const Torrent& t, const json& fields) const {
    json files = json::array();
    for (const QString& f : t.files)
        files.push_back({{"name", f.toStdString()}, {"length", 1000}, {"bytesCompleted", 1000}});
    json stats = json::array();
    if (t.seeders)
        stats.push_back({{"lastScrapeSucceeded", true}, {"seederCount", *t.seeders}, {"lastAnnounceSucceeded", true}});
    else if (t.trackersFailing)
        stats.push_back({{"lastScrapeSucceeded", false}, {"lastAnnounceSucceeded", false}, {"lastAnnounceTime", 1700000000}});
    const json all{{"hashString", t.hash.toStdString()},
                   {"name", t.name.toStdString()},
                   {"percentDone", t.percentDone},
                   {"isFinished", t.percentDone >= 1.0},
                   {"downloadDir", t.downloadDir.toStdString()},
                   {"files", files},
                   {"rateDownload", t.rateDownload},
                   {"leftUntilDone", t.percentDone >= 1.0 ? 0 : 1000},
                   {"sizeWhenDone", t.files.isEmpty() ? 0 : 1000 * t.files.size()},
                   {"peersConnected", t.peersConnected},
                   {"trackerStats", stats},
                   {"status", t.status}};
    json out = json::object();
    for (const json& f : fields) {
        if (f.is_string() && all.contains(f.get<std::string>()))
            out[f.get<std::string>()] = all[f.get<std::string>()];
    }
    return out;
}
