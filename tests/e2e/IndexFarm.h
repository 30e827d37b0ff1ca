#pragma once

#include "FakeHttpServer.h"
#include "model/ServiceEndpoints.h"

#include <QList>
#include <QString>

// The six torrent indexes on one loopback server, each answering in its own format: Knaben,
// apibay, EZTV, Torrents-CSV, Nyaa (RSS) and YTS. A listing is served by the index it is put
// on, to the queries that index would answer it for; every other search gets the index's own
// kind of empty answer.
class IndexFarm {
public:
    enum class Index { knaben, apibay, eztv, torrentsCsv, nyaa, yts };
    enum class Kind { tv, movie };

    struct Listing {
        Index index = Index::torrentsCsv;
        Kind kind = Kind::tv;
        // The release title; for YTS the movie's long title, e.g. "Night Harbor (2024)".
        QString title;
        QString hash; // 40 hex characters
        int seeders = 10;
        qint64 sizeBytes = 1'600'000'000;
        QString imdbID; // "tt…": how EZTV finds a series
    };

    IndexFarm();

    QList<Listing> listings;

    void apply(ServiceEndpoints& endpoints) const;

private:
    FakeHttpServer::Response answer(const FakeHttpServer::Request& request) const;

    FakeHttpServer m_server;
};
