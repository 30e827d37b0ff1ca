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

// The indexes on loopback. Torrents-CSV answers with the scripted hits (whatever the query);
// the other five answer with nothing, as real indexes often do.
class FakeIndexes {
public:
    struct Hit {
        QString title;
        QString hash; // 40 hex characters, or the index client drops the hit
        int seeders = 10;
        qint64 sizeBytes = 1'500'000'000;
    };

    FakeIndexes();

    QList<Hit> hits;
    // While false, every index fails (a server error), as in an outage.
    bool answering = true;
    // When set, answers a query with these hits instead of `hits`.
    std::function<QList<Hit>(const QString& query)> hitsFor;
    int delayMs = 0; // every answer waits this long
    // Points every index address at this fake.
    void apply(ServiceEndpoints& endpoints) const;
    int searchCount() const;
    // Every request received has had its answer sent.
    bool allAnswered() const { return m_server.answeredCount() == m_server.requests().size(); }

private:
    FakeHttpServer m_server;
};
