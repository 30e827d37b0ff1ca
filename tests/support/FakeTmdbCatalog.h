#pragma once

#include "FakeHttpServer.h"

#include <QDate>
#include <QMap>
#include <QString>

#include <optional>

// TMDB on loopback as the episode drawer asks it: a series search, a series' seasons and a
// season's episodes, each answer delayed as the test says.
class FakeTmdbCatalog {
public:
    struct Match {
        int id = 0;
        QString name;
        QString year; // first air year, "" for none
        QString posterPath;
    };
    struct Episode {
        int number = 0;
        QString name;
        std::optional<QDate> airDate;
    };

    FakeTmdbCatalog();

    QList<Match> matches;                           // the search answer, whatever the query
    QMap<int, QMap<int, QList<Episode>>> episodes;  // series id → season → episodes
    int status = 200;                               // 401: the key is refused
    QMap<int, int> seasonDelayMs;                   // season number → answer delay

    int searchCount() const;
    QUrl apiRoot() const { return m_server.url(QStringLiteral("/3")); }

private:
    FakeHttpServer m_server;
};
