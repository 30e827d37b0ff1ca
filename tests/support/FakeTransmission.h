#pragma once

#include "FakeHttpServer.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <nlohmann/json.hpp>

#include <functional>
#include <optional>

// A scriptable stand-in for the download daemon's RPC on loopback: it keeps torrents whose
// state the test sets (metadata pending, files, progress, peers, finished, vanished) and
// answers torrent-add, torrent-get, torrent-remove and the session calls the way the real
// daemon does, session-id handshake included.
class FakeTransmission {
public:
    struct Torrent {
        QString hash;
        QString name;
        QString downloadDir;
        QStringList files; // empty while the metadata is pending
        double percentDone = 0.0;
        qint64 rateDownload = 0;
        int peersConnected = 0;
        int status = 4;               // downloading
        std::optional<int> seeders;   // scraped seeder count, when a tracker answered
        bool trackersFailing = false; // announces made, none answered

        // Finished: all there, with a real size (what the client reads as isFinished).
        void finish() { percentDone = 1.0; }
    };

    FakeTransmission();

    quint16 port() const { return m_server.port(); }

    // While unreachable every call fails with a server error.
    void setReachable(bool reachable) { m_reachable = reachable; }

    QMap<QString, Torrent> torrents;
    // So many session-get calls fail with a server error first, as while the daemon starts.
    int sessionGetFailures = 0;
    // Called for every newly added magnet, to script what it turns into.
    std::function<void(Torrent&)> onAdd;

    // Requests seen, as JSON bodies; the session handshake's refused requests are left out.
    QList<nlohmann::json> calls(const std::string& method = {}) const;
    // Hashes removed, with whether their data was to be deleted.
    QList<std::pair<QString, bool>> removed;

private:
    FakeHttpServer::Response answer(const FakeHttpServer::Request& request);
    nlohmann::json torrentJson(const Torrent& t, const nlohmann::json& fields) const;

    FakeHttpServer m_server;
    bool m_reachable = true;
    QList<nlohmann::json> m_calls;
};
