#pragma once

#include "FakeHttpServer.h"
#include "model/ServiceEndpoints.h"

#include <QDate>
#include <QMap>
#include <QString>

#include <nlohmann/json.hpp>

#include <functional>
#include <optional>

// TMDB's series lookups on loopback: scripted series, their air summary and season lists.
class FakeTmdb {
public:
    struct Episode {
        int number = 0;
        std::optional<QDate> airDate;
    };
    struct Series {
        QString name;
        QString status = "Returning Series";
        std::optional<int> currentSeason;             // reported as the season of the next episode
        std::optional<std::pair<int, int>> lastAired; // season, episode
        QStringList originCountries;
        QString imdbID;
        QMap<int, QList<Episode>> seasons;
    };

    // A search match, whatever the query.
    struct Match {
        int id = 0;
        QString name;
        QString year; // first air year, "" for none
        QString posterPath;
    };

    FakeTmdb();

    QMap<int, Series> series;
    QList<Match> matches; // the answer to every series search
    int delayMs = 0; // every answer waits this long, like a distant server
    // While true, every request is refused with HTTP 401, as TMDB answers a bad API key.
    bool refusingKey = false;
    int requestCount() const { return static_cast<int>(m_server.requests().size()); }
    // The API root, as ServiceEndpoints::tmdbAPI wants it.
    QUrl apiRoot() const { return m_server.url(QStringLiteral("/3")); }

private:
    FakeHttpServer m_server;
};

// Points all six indexes (both EZTV addresses) at one loopback server, each at its own path.
void pointIndexesAt(const FakeHttpServer& server, ServiceEndpoints& endpoints);

// The six indexes on one loopback server, each answering in its own format: Knaben, apibay,
// EZTV, Torrents-CSV, Nyaa (RSS) and YTS. A hit is served by the index it is put on (Torrents-CSV
// unless told), to the searches that index would answer it for; every other search gets the
// index's own kind of empty answer.
class FakeIndexes {
public:
    enum class Index { knaben, apibay, eztv, torrentsCsv, nyaa, yts };
    enum class Kind { tv, movie };

    struct Hit {
        QString title; // for YTS the movie's long title, e.g. "Night Harbor (2024)"
        QString hash;  // 40 hex characters, or the index client drops the hit
        int seeders = 10;
        qint64 sizeBytes = 1'500'000'000;
        QString imdbID; // "tt…": how EZTV finds a series
        Index index = Index::torrentsCsv;
        Kind kind = Kind::tv;
    };
    static Hit on(Index index, Kind kind, const QString& title, const QString& hash, int seeders = 10,
                  qint64 sizeBytes = 1'600'000'000, const QString& imdbID = {}) {
        return {title, hash, seeders, sizeBytes, imdbID, index, kind};
    }

    FakeIndexes();

    QList<Hit> hits;
    // While false, only Torrents-CSV answers, with its hits whatever the query, and the other
    // five fail, as indexes often do. While true, all six answer, each hit only to a query
    // holding every word of its title, as real indexes search.
    bool allSix = false;
    // While false, every index fails (a server error), as in an outage.
    bool answering = true;
    // When set, answers a query with these hits instead of `hits`.
    std::function<QList<Hit>(const QString& query)> hitsFor;
    int delayMs = 0; // every answer waits this long
    // Points every index address at this fake.
    void apply(ServiceEndpoints& endpoints) const;
    int searchCount() const; // Torrents-CSV searches
    // Every request received has had its answer sent.
    bool allAnswered() const { return m_server.answeredCount() == m_server.requests().size(); }

private:
    FakeHttpServer::Response answer(const FakeHttpServer::Request& request) const;

    FakeHttpServer m_server;
};
