#pragma once

#include "Outcome.h"
#include "RPCError.h"
#include "StallReason.h"
#include "TorrentInfo.h"
#include "TurnQueue.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <qcoro/qcorotask.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <memory>
#include <optional>

class QNetworkAccessManager;

namespace TransmissionWire {
struct Request;
}

template <typename T>
using RPCResult = Outcome<T, RPCError>;
using RPCStatus = RPCResult<Done>;

// Drives the download daemon over its JSON-RPC interface on loopback. One operation runs at a
// time (the others wait their turn), so the session id is learnt and replaced without races.
// Operations never throw: they return the answer or the RPCError that stopped them.
class TransmissionClient final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TransmissionClient)

public:
    using TorrentInfo = ::TorrentInfo;
    using StallReason = ::StallReason;
    using RPCError = ::RPCError;

    static constexpr std::chrono::milliseconds kTimeout{5000};

    TransmissionClient(QNetworkAccessManager& network, quint16 rpcPort, QObject* parent = nullptr);
    ~TransmissionClient() override;

    const QUrl& rpcURL() const { return m_rpcURL; }
    const std::optional<QString>& sessionID() const { return m_sessionID; }
    // The daemon's RPC version, once a session-get has told it.
    std::optional<int> rpcVersion() const { return m_rpcVersion; }

    // Adds a magnet link (or a path to a .torrent file the daemon can read) into a folder.
    // The info hash of the added or already present torrent; none when the daemon names neither.
    QCoro::Task<RPCResult<std::optional<QString>>> add(QUrl magnet, QString downloadDir);
    // The torrents among `hashes` the daemon knows; no request at all for an empty list.
    QCoro::Task<RPCResult<QList<TorrentInfo>>> torrents(QStringList hashes);
    QCoro::Task<RPCResult<QStringList>> allHashes();
    QCoro::Task<RPCStatus> remove(QString hash, bool deleteData);
    QCoro::Task<RPCStatus> removeAll(bool deleteData);
    QCoro::Task<RPCStatus> reannounce(QString hash);
    // Adds those of `trackers` the torrent does not list yet, each as a tier of its own.
    QCoro::Task<RPCStatus> addDefaultTrackers(QString hash, QStringList trackers);
    QCoro::Task<RPCStatus> setSeedRatio(double limit, bool limited);
    QCoro::Task<RPCStatus> setQueueStalled();
    QCoro::Task<RPCStatus> setFolders(QString downloadDir, QString incompleteDir);
    // A bare session-get: succeeds when the daemon answers at all.
    QCoro::Task<RPCStatus> sessionGet();

private:
    using Json = nlohmann::ordered_json;

    // One request in a turn of its own.
    QCoro::Task<RPCResult<Json>> single(TransmissionWire::Request request);
    // One exchange, with the session-id handshake; the caller holds the turn.
    QCoro::Task<RPCResult<Json>> call(TransmissionWire::Request request);
    QCoro::Task<RPCResult<Json>> exchange(QByteArray body, bool retried);
    QCoro::Task<RPCResult<int>> fetchRPCVersion();

    QNetworkAccessManager& m_network;
    QUrl m_rpcURL;
    std::optional<QString> m_sessionID;
    std::optional<int> m_rpcVersion;
    std::shared_ptr<TurnQueue> m_turns = TurnQueue::create();
};
