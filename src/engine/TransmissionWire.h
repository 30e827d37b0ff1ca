#pragma once

// The daemon's wire format in one place: the request objects the client sends and the
// reading of the answers. A change of the daemon's protocol should touch only this file
// and its source.

#include "Outcome.h"
#include "RPCError.h"
#include "TorrentInfo.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <nlohmann/json.hpp>

#include <optional>

namespace TransmissionWire {

using Json = nlohmann::ordered_json;

inline constexpr char kRPCPath[] = "/transmission/rpc";
inline constexpr char kSessionHeader[] = "X-Transmission-Session-Id";
// From this RPC version on the daemon reads and writes a torrent's trackers as one text
// ("trackerList"); older daemons only know "trackers" and "trackerAdd".
inline constexpr int kTrackerListRPCVersion = 17;

struct Request {
    const char* method = "";
    Json arguments = Json::object();
};

QByteArray encode(const Request& request);

Request add(const QString& filename, const QString& downloadDir);
Request torrents(const QStringList& hashes);
Request allHashes();
Request remove(const QString& hash, bool deleteData);
Request removeAll(bool deleteData);
Request reannounce(const QString& hash);
Request trackerList(const QString& hash);
Request setTrackerList(const QString& hash, const QString& text);
Request trackers(const QString& hash);
Request addTrackers(const QString& hash, const QStringList& announceURLs);
Request seedRatio(double limit, bool limited);
// Where new downloads go, and where they stay until finished.
Request folders(const QString& downloadDir, const QString& incompleteDir);
Request queueStalled();
Request sessionGet();
Request sessionClose(); // the daemon saves its state and exits

// The twelve torrent fields the client reads, in the order they are asked for.
QStringList torrentFields();

// Answers. Each takes the whole answer object.
Outcome<std::optional<QString>, RPCError> readAdded(const Json& answer);
Outcome<QList<TorrentInfo>, RPCError> readTorrents(const Json& answer);
Outcome<QStringList, RPCError> readHashes(const Json& answer);
// The first torrent's tracker text; none when the daemon does not know the torrent.
Outcome<std::optional<QString>, RPCError> readTrackerList(const Json& answer);
// The first torrent's announce addresses; none when the daemon does not know the torrent.
Outcome<std::optional<QStringList>, RPCError> readAnnounceURLs(const Json& answer);
std::optional<int> readRPCVersion(const Json& answer);

// One torrent object; none when it lacks a text hashString or name or a numeric percentDone.
std::optional<TorrentInfo> readTorrent(const Json& object);
// The largest seeder count of the tracker scrapes that succeeded.
std::optional<int> seedsSeen(const Json& trackerStats);
// Diagnosis of a downloading torrent that does not move.
std::optional<StallReason> stallReason(const Json& trackerStats, qint64 peersConnected,
                                       qint64 rateDownload);
std::optional<StallReason> stallNote(int status, const Json& trackerStats, qint64 peersConnected,
                                     qint64 rateDownload);

} // namespace TransmissionWire
