#include "TransmissionWire.h"

#include <cmath>
#include <limits>

namespace TransmissionWire {

namespace {

// Torrent status codes that matter for the stall diagnosis.
constexpr int kStatusQueuedToDownload = 3;
constexpr int kStatusDownloading = 4;

Json text(const QString& s) {
    return s.toStdString();
}

Json textList(const QStringList& hashes) {
    Json ids = Json::array();
    for (const QString& h : hashes)
        ids.push_back(text(h));
    return ids;
}

const Json* member(const Json& object, const char* key) {
    if (!object.is_object())
        return nullptr;
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

std::optional<QString> textMember(const Json& object, const char* key) {
    const Json* v = member(object, key);
    if (!v || !v->is_string())
        return std::nullopt;
    return QString::fromStdString(v->get<std::string>());
}

// Whole numbers, whether the daemon wrote them as 5 or 5.0.
std::optional<qint64> integerMember(const Json& object, const char* key) {
    const Json* v = member(object, key);
    if (!v || !v->is_number())
        return std::nullopt;
    if (v->is_number_integer())
        return v->get<qint64>();
    const double d = v->get<double>();
    if (!std::isfinite(d) || d != std::floor(d) || std::fabs(d) > 9.0e15)
        return std::nullopt;
    return static_cast<qint64>(d);
}

bool isTrue(const Json& object, const char* key) {
    const Json* v = member(object, key);
    return v && v->is_boolean() && v->get<bool>();
}

int clampToInt(qint64 v) {
    if (v > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

RPCError badPayload(const char* what) {
    return RPCError{RPCError::Kind::badPayload, 0, QString::fromLatin1(what)};
}

// arguments.torrents as a list, or why it is missing.
Outcome<const Json*, RPCError> torrentList(const Json& answer) {
    const Json* arguments = member(answer, "arguments");
    if (!arguments || !arguments->is_object())
        return badPayload("no arguments");
    const Json* list = member(*arguments, "torrents");
    if (!list || !list->is_array())
        return badPayload("no torrent list");
    return list;
}

const Json* firstTorrent(const Json& list) {
    for (const Json& t : list) {
        if (t.is_object())
            return &t;
    }
    return nullptr;
}

} // namespace

QByteArray encode(const Request& request) {
    Json body = Json::object();
    body["method"] = request.method;
    body["arguments"] = request.arguments;
    return QByteArray::fromStdString(body.dump());
}

Request add(const QString& filename, const QString& downloadDir) {
    Request r{"torrent-add"};
    r.arguments["filename"] = text(filename);
    r.arguments["download-dir"] = text(downloadDir);
    return r;
}

QStringList torrentFields() {
    return {QStringLiteral("hashString"),   QStringLiteral("name"),
            QStringLiteral("percentDone"),  QStringLiteral("isFinished"),
            QStringLiteral("downloadDir"),  QStringLiteral("files"),
            QStringLiteral("rateDownload"), QStringLiteral("leftUntilDone"),
            QStringLiteral("sizeWhenDone"), QStringLiteral("peersConnected"),
            QStringLiteral("trackerStats"), QStringLiteral("status")};
}

Request torrents(const QStringList& hashes) {
    Request r{"torrent-get"};
    r.arguments["ids"] = textList(hashes);
    r.arguments["fields"] = textList(torrentFields());
    return r;
}

Request allHashes() {
    Request r{"torrent-get"};
    r.arguments["fields"] = Json::array({"hashString"});
    return r;
}

Request remove(const QString& hash, bool deleteData) {
    Request r{"torrent-remove"};
    r.arguments["ids"] = textList({hash});
    r.arguments["delete-local-data"] = deleteData;
    return r;
}

Request removeAll(bool deleteData) {
    Request r{"torrent-remove"};
    r.arguments["delete-local-data"] = deleteData;
    return r;
}

Request reannounce(const QString& hash) {
    Request r{"torrent-reannounce"};
    r.arguments["ids"] = textList({hash});
    return r;
}

Request trackerList(const QString& hash) {
    Request r{"torrent-get"};
    r.arguments["ids"] = textList({hash});
    r.arguments["fields"] = Json::array({"trackerList"});
    return r;
}

Request setTrackerList(const QString& hash, const QString& list) {
    Request r{"torrent-set"};
    r.arguments["ids"] = textList({hash});
    r.arguments["trackerList"] = text(list);
    return r;
}

Request trackers(const QString& hash) {
    Request r{"torrent-get"};
    r.arguments["ids"] = textList({hash});
    r.arguments["fields"] = Json::array({"trackers"});
    return r;
}

Request addTrackers(const QString& hash, const QStringList& announceURLs) {
    Request r{"torrent-set"};
    r.arguments["ids"] = textList({hash});
    r.arguments["trackerAdd"] = textList(announceURLs);
    return r;
}

Request seedRatio(double limit, bool limited) {
    Request r{"session-set"};
    r.arguments["seedRatioLimit"] = limit;
    r.arguments["seedRatioLimited"] = limited;
    return r;
}

Request folders(const QString& downloadDir, const QString& incompleteDir) {
    Request r{"session-set"};
    r.arguments["download-dir"] = downloadDir.toStdString();
    r.arguments["incomplete-dir"] = incompleteDir.toStdString();
    r.arguments["incomplete-dir-enabled"] = true;
    return r;
}

Request queueStalled() {
    Request r{"session-set"};
    r.arguments["queue-stalled-enabled"] = true;
    r.arguments["queue-stalled-minutes"] = 5;
    return r;
}

Request sessionGet() {
    return Request{"session-get"};
}

Request sessionClose() {
    return Request{"session-close"};
}

Outcome<std::optional<QString>, RPCError> readAdded(const Json& answer) {
    const Json* arguments = member(answer, "arguments");
    if (!arguments || !arguments->is_object())
        return badPayload("no arguments");
    const Json* torrent = member(*arguments, "torrent-added");
    if (!torrent)
        torrent = member(*arguments, "torrent-duplicate");
    if (!torrent)
        return std::optional<QString>{};
    const auto hash = textMember(*torrent, "hashString");
    if (!hash)
        return std::optional<QString>{};
    return std::optional<QString>{hash->toLower()};
}

Outcome<QList<TorrentInfo>, RPCError> readTorrents(const Json& answer) {
    const auto list = torrentList(answer);
    if (!list)
        return list.error();
    QList<TorrentInfo> out;
    out.reserve(static_cast<qsizetype>(list.value()->size()));
    for (const Json& object : *list.value()) {
        if (auto info = readTorrent(object))
            out.push_back(std::move(*info));
    }
    return out;
}

Outcome<QStringList, RPCError> readHashes(const Json& answer) {
    const auto list = torrentList(answer);
    if (!list)
        return list.error();
    QStringList out;
    for (const Json& object : *list.value()) {
        if (const auto hash = textMember(object, "hashString"))
            out.push_back(hash->toLower());
    }
    return out;
}

Outcome<std::optional<QString>, RPCError> readTrackerList(const Json& answer) {
    const auto list = torrentList(answer);
    if (!list)
        return list.error();
    const Json* torrent = firstTorrent(*list.value());
    if (!torrent)
        return std::optional<QString>{};
    return std::optional<QString>{textMember(*torrent, "trackerList").value_or(QString())};
}

Outcome<std::optional<QStringList>, RPCError> readAnnounceURLs(const Json& answer) {
    const auto list = torrentList(answer);
    if (!list)
        return list.error();
    const Json* torrent = firstTorrent(*list.value());
    if (!torrent)
        return std::optional<QStringList>{};
    QStringList urls;
    if (const Json* trackers = member(*torrent, "trackers"); trackers && trackers->is_array()) {
        for (const Json& t : *trackers) {
            if (const auto url = textMember(t, "announce"))
                urls.push_back(*url);
        }
    }
    return std::optional<QStringList>{urls};
}

std::optional<int> readRPCVersion(const Json& answer) {
    const Json* arguments = member(answer, "arguments");
    if (!arguments)
        return std::nullopt;
    const auto version = integerMember(*arguments, "rpc-version");
    if (!version)
        return std::nullopt;
    return clampToInt(*version);
}

std::optional<TorrentInfo> readTorrent(const Json& object) {
    const auto hash = textMember(object, "hashString");
    const auto name = textMember(object, "name");
    const Json* percent = member(object, "percentDone");
    if (!hash || !name || !percent || !percent->is_number())
        return std::nullopt;

    TorrentInfo info;
    info.hash = hash->toLower();
    info.name = *name;
    info.percentDone = percent->get<double>();
    info.downloadDir = textMember(object, "downloadDir").value_or(QString());
    if (const Json* files = member(object, "files"); files && files->is_array()) {
        for (const Json& f : *files) {
            const auto fileName = textMember(f, "name");
            if (fileName && !fileName->isEmpty())
                info.files.push_back(*fileName);
        }
    }
    info.rateDownload = integerMember(object, "rateDownload").value_or(0);
    info.peersConnected = clampToInt(integerMember(object, "peersConnected").value_or(0));
    info.status = clampToInt(integerMember(object, "status").value_or(0));
    const qint64 sizeWhenDone = integerMember(object, "sizeWhenDone").value_or(0);
    info.isFinished = info.percentDone >= 1.0 && sizeWhenDone >= 1 && !info.files.isEmpty();

    static const Json kNoStats = Json::array();
    const Json* stats = member(object, "trackerStats");
    const Json& trackerStats = stats && stats->is_array() ? *stats : kNoStats;
    info.seedsSeen = seedsSeen(trackerStats);
    info.stallNote = stallNote(info.status, trackerStats, info.peersConnected, info.rateDownload);
    return info;
}

std::optional<int> seedsSeen(const Json& trackerStats) {
    std::optional<int> best;
    if (!trackerStats.is_array())
        return best;
    for (const Json& stat : trackerStats) {
        if (!isTrue(stat, "lastScrapeSucceeded"))
            continue;
        const auto seeders = integerMember(stat, "seederCount");
        if (!seeders || *seeders < 0)
            continue;
        const int count = clampToInt(*seeders);
        if (!best || count > *best)
            best = count;
    }
    return best;
}

std::optional<StallReason> stallReason(const Json& trackerStats, qint64 peersConnected,
                                       qint64 rateDownload) {
    if (peersConnected != 0 || rateDownload != 0)
        return std::nullopt;
    if (const auto seeds = seedsSeen(trackerStats))
        return *seeds == 0 ? StallReason::noSeeds : StallReason::foundSeeds;
    if (!trackerStats.is_array() || trackerStats.empty())
        return std::nullopt;
    bool announced = false;
    for (const Json& stat : trackerStats) {
        if (isTrue(stat, "lastAnnounceSucceeded"))
            return std::nullopt;
        if (integerMember(stat, "lastAnnounceTime").value_or(0) > 0)
            announced = true;
    }
    // Announces were made and none got through; before the first one there is nothing to say.
    return announced ? std::optional{StallReason::noTracker} : std::nullopt;
}

std::optional<StallReason> stallNote(int status, const Json& trackerStats, qint64 peersConnected,
                                     qint64 rateDownload) {
    if (status == kStatusQueuedToDownload)
        return StallReason::queued;
    if (status == kStatusDownloading)
        return stallReason(trackerStats, peersConnected, rateDownload);
    return std::nullopt;
}

} // namespace TransmissionWire
