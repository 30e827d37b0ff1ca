#pragma once

#include "SeriesAirInfo.h"
#include "SeriesSeasons.h"
#include "model/Timestamp.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <qcoro/qcorotask.h>

#include <chrono>
#include <optional>
#include <utility>

class QNetworkAccessManager;

// The only source of series and movie metadata: plain GETs against TMDB's version-3 API,
// answers read loosely (each field by name and type, everything else ignored). No failure
// ever reaches the caller: no key, no network, a refused key or a garbled answer all give the
// empty list or no value, and the caller decides what to tell the user.
class TMDBClient final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TMDBClient)

public:
    struct SeriesResult {
        int id = 0;
        QString name;
        std::optional<QString> firstAirYear; // "2011"
        QString overview;
        std::optional<QString> posterPath;

        bool operator==(const SeriesResult&) const = default;
    };

    struct MovieResult {
        int id = 0;
        QString title;
        std::optional<QString> year;
        QString overview;
        std::optional<QString> posterPath;
        std::optional<Timestamp> releaseDate; // midnight UTC of the release day

        bool operator==(const MovieResult&) const = default;
    };

    struct Episode {
        int season = 0; // as asked for, not as answered
        int number = 0;
        QString name;
        std::optional<Timestamp> airDate; // midnight UTC of the air day

        QString id() const; // "S01E05"
        bool operator==(const Episode&) const = default;
    };

    static constexpr std::chrono::milliseconds kTimeout{20000};
    static constexpr qint64 kMaxAnswerBytes = 8 * 1024 * 1024;

    // `base` is the API root including its version path, e.g. https://api.themoviedb.org/3.
    TMDBClient(QNetworkAccessManager& network, QUrl base, QObject* parent = nullptr);
    ~TMDBClient() override;

    const QUrl& base() const { return m_base; }

    QCoro::Task<QList<SeriesResult>> searchSeries(QString query, QString key);
    QCoro::Task<QList<MovieResult>> searchMovies(QString query, QString key);
    QCoro::Task<std::optional<SeriesSeasons>> seriesSeasons(int seriesID, QString key);
    QCoro::Task<std::optional<QString>> seriesIMDbID(int seriesID, QString key);
    QCoro::Task<std::optional<SeriesAirInfo>> seriesAirInfo(int seriesID, QString key);
    QCoro::Task<QList<Episode>> seasonEpisodes(int seriesID, int season, QString key);

    // The address of a request: base + path, the items in order, then "api_key".
    QUrl requestURL(const QString& path, const QList<std::pair<QString, QString>>& items,
                    const QString& key) const;

private:
    // The answer's top-level object as JSON text, or none for any failure.
    QCoro::Task<std::optional<QByteArray>> fetch(QUrl url);

    QNetworkAccessManager& m_network;
    QUrl m_base;
};
