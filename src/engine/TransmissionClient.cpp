#include "TransmissionClient.h"

#include "TransmissionWire.h"
#include "net/HttpFetch.h"

#include <QPointer>

namespace Wire = TransmissionWire;

namespace {

// Bodies of torrent lists with every file of a large season pack stay far below this.
constexpr qint64 kMaxAnswerBytes = 64 * 1024 * 1024;

RPCError clientGone() {
    return RPCError{RPCError::Kind::transport, 0, QStringLiteral("client closed")};
}

} // namespace

TransmissionClient::TransmissionClient(QNetworkAccessManager& network, quint16 rpcPort,
                                       QObject* parent)
    : QObject(parent)
    , m_network(network)
    , m_rpcURL(QStringLiteral("http://127.0.0.1:%1%2")
                   .arg(rpcPort)
                   .arg(QLatin1StringView(Wire::kRPCPath))) {}

TransmissionClient::~TransmissionClient() = default;

QCoro::Task<RPCResult<nlohmann::ordered_json>> TransmissionClient::single(Wire::Request request) {
    QPointer<TransmissionClient> self(this);
    const TurnQueue::Turn turn = co_await m_turns->next();
    if (!self)
        co_return clientGone();
    co_return co_await call(std::move(request));
}

QCoro::Task<RPCResult<nlohmann::ordered_json>> TransmissionClient::call(Wire::Request request) {
    QByteArray body = Wire::encode(request);
    co_return co_await exchange(std::move(body), false);
}

QCoro::Task<RPCResult<nlohmann::ordered_json>> TransmissionClient::exchange(QByteArray body,
                                                                            bool retried) {
    QPointer<TransmissionClient> self(this);

    HttpRequest request;
    request.method = "POST";
    request.url = m_rpcURL;
    request.headers.push_back({"Content-Type", "application/json"});
    if (m_sessionID)
        request.headers.push_back({Wire::kSessionHeader, m_sessionID->toUtf8()});
    request.body = body;
    request.timeout = kTimeout;
    request.maxBytes = kMaxAnswerBytes;
    request.maxRedirects = 0;

    const HttpResponse response = co_await httpFetch(m_network, std::move(request));
    if (!self)
        co_return clientGone();

    switch (response.failure) {
    case HttpResponse::Failure::none:
        break;
    case HttpResponse::Failure::timeout:
        co_return RPCError{RPCError::Kind::timeout, 0, response.errorText};
    case HttpResponse::Failure::tooLarge:
        co_return RPCError{RPCError::Kind::badPayload, 0, response.errorText};
    case HttpResponse::Failure::transport:
        co_return RPCError{RPCError::Kind::transport, 0, response.errorText};
    }
    if (!response.answered())
        co_return RPCError{RPCError::Kind::badPayload, 0, QStringLiteral("no HTTP answer")};

    if (response.status == 409) {
        const QByteArray id = response.header(Wire::kSessionHeader);
        if (retried || id.isEmpty())
            co_return RPCError{RPCError::Kind::handshakeFailed, 409, {}};
        const QString newID = QString::fromUtf8(id);
        // A new id means a new daemon process, which may be a different version.
        if (m_sessionID && *m_sessionID != newID)
            m_rpcVersion.reset();
        m_sessionID = newID;
        co_return co_await exchange(std::move(body), true);
    }
    if (response.status != 200)
        co_return RPCError{RPCError::Kind::badStatus, response.status, {}};

    Json answer = Json::parse(response.body.constData(),
                              response.body.constData() + response.body.size(), nullptr, false);
    if (answer.is_discarded())
        co_return RPCError{RPCError::Kind::badJSON, 200, QStringLiteral("not JSON")};
    if (!answer.is_object())
        co_return RPCError{RPCError::Kind::badStatus, 200, {}};
    co_return answer;
}

QCoro::Task<RPCResult<std::optional<QString>>> TransmissionClient::add(QUrl magnet,
                                                                       QString downloadDir) {
    Wire::Request request = Wire::add(magnet.toString(QUrl::FullyEncoded), downloadDir);
    const auto answer = co_await single(std::move(request));
    if (!answer)
        co_return answer.error();
    co_return Wire::readAdded(answer.value());
}

QCoro::Task<RPCResult<QList<TorrentInfo>>> TransmissionClient::torrents(QStringList hashes) {
    if (hashes.isEmpty())
        co_return QList<TorrentInfo>{};
    Wire::Request request = Wire::torrents(hashes);
    const auto answer = co_await single(std::move(request));
    if (!answer)
        co_return answer.error();
    co_return Wire::readTorrents(answer.value());
}

QCoro::Task<RPCResult<QStringList>> TransmissionClient::allHashes() {
    const auto answer = co_await single(Wire::allHashes());
    if (!answer)
        co_return answer.error();
    co_return Wire::readHashes(answer.value());
}

QCoro::Task<RPCStatus> TransmissionClient::remove(QString hash, bool deleteData) {
    Wire::Request request = Wire::remove(hash, deleteData);
    const auto answer = co_await single(std::move(request));
    if (!answer)
        co_return answer.error();
    co_return Done{};
}

QCoro::Task<RPCStatus> TransmissionClient::removeAll(bool deleteData) {
    Wire::Request request = Wire::removeAll(deleteData);
    const auto answer = co_await single(std::move(request));
    if (!answer)
        co_return answer.error();
    co_return Done{};
}

QCoro::Task<RPCStatus> TransmissionClient::reannounce(QString hash) {
    Wire::Request request = Wire::reannounce(hash);
    const auto answer = co_await single(std::move(request));
    if (!answer)
        co_return answer.error();
    co_return Done{};
}

QCoro::Task<RPCResult<int>> TransmissionClient::fetchRPCVersion() {
    QPointer<TransmissionClient> self(this);
    const auto answer = co_await call(Wire::sessionGet());
    if (!self)
        co_return clientGone();
    if (!answer)
        co_return answer.error();
    const auto version = Wire::readRPCVersion(answer.value());
    if (!version)
        co_return RPCError{RPCError::Kind::badPayload, 0, QStringLiteral("no rpc-version")};
    m_rpcVersion = version;
    co_return *version;
}

QCoro::Task<RPCStatus> TransmissionClient::addDefaultTrackers(QString hash, QStringList trackers) {
    QPointer<TransmissionClient> self(this);
    const TurnQueue::Turn turn = co_await m_turns->next();
    if (!self)
        co_return clientGone();

    int version = 0;
    if (m_rpcVersion) {
        version = *m_rpcVersion;
    } else {
        const auto fetched = co_await fetchRPCVersion();
        if (!self)
            co_return clientGone();
        if (!fetched)
            co_return fetched.error();
        version = fetched.value();
    }

    if (version >= Wire::kTrackerListRPCVersion) {
        const auto answer = co_await call(Wire::trackerList(hash));
        if (!self)
            co_return clientGone();
        if (!answer)
            co_return answer.error();
        const auto current = Wire::readTrackerList(answer.value());
        if (!current)
            co_return current.error();
        if (!current.value()) // the daemon does not know the torrent
            co_return Done{};
        QString text = *current.value();
        bool appended = false;
        for (const QString& tracker : std::as_const(trackers)) {
            if (text.contains(tracker))
                continue;
            if (!text.isEmpty())
                text += QStringLiteral("\n\n");
            text += tracker;
            appended = true;
        }
        if (!appended)
            co_return Done{};
        Wire::Request set = Wire::setTrackerList(hash, text);
        const auto done = co_await call(std::move(set));
        if (!done)
            co_return done.error();
        co_return Done{};
    }

    // Older daemons have no tracker text: compare announce addresses and add the missing ones.
    const auto answer = co_await call(Wire::trackers(hash));
    if (!self)
        co_return clientGone();
    if (!answer)
        co_return answer.error();
    const auto current = Wire::readAnnounceURLs(answer.value());
    if (!current)
        co_return current.error();
    if (!current.value())
        co_return Done{};
    QStringList missing;
    for (const QString& tracker : std::as_const(trackers)) {
        if (!current.value()->contains(tracker) && !missing.contains(tracker))
            missing.push_back(tracker);
    }
    if (missing.isEmpty())
        co_return Done{};
    Wire::Request add = Wire::addTrackers(hash, missing);
    const auto done = co_await call(std::move(add));
    if (!done)
        co_return done.error();
    co_return Done{};
}

QCoro::Task<RPCStatus> TransmissionClient::setSeedRatio(double limit, bool limited) {
    Wire::Request request = Wire::seedRatio(limit, limited);
    const auto answer = co_await single(std::move(request));
    if (!answer)
        co_return answer.error();
    co_return Done{};
}

QCoro::Task<RPCStatus> TransmissionClient::setFolders(QString downloadDir, QString incompleteDir) {
    Wire::Request request = Wire::folders(downloadDir, incompleteDir);
    const auto answer = co_await single(std::move(request));
    if (!answer)
        co_return answer.error();
    co_return Done{};
}

QCoro::Task<RPCStatus> TransmissionClient::setQueueStalled() {
    const auto answer = co_await single(Wire::queueStalled());
    if (!answer)
        co_return answer.error();
    co_return Done{};
}

QCoro::Task<RPCStatus> TransmissionClient::sessionGet() {
    QPointer<TransmissionClient> self(this);
    const auto answer = co_await single(Wire::sessionGet());
    if (!answer)
        co_return answer.error();
    if (!self)
        co_return clientGone();
    if (const auto version = Wire::readRPCVersion(answer.value()))
        m_rpcVersion = version;
    co_return Done{};
}
