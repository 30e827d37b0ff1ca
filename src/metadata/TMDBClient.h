#pragma once

#include "SeriesAirInfo.h"
#include "SeriesSeasons.h"
#include "model/Timestamp.h"

#include <nlohmann/json.hpp>

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
// is thrown: no key, no network, a refused key or a garbled answer all give the empty list or
// no value. Callers that must tell the user why (the add flows, the drawer) use the
// `…Reported` forms, which also say what failed; every request's outcome is also published
// through `requestEnded`, for whoever watches the service's health.
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

    // Why a request gave nothing. An empty list with `none` is a real empty answer.
    enum class Failure {
        none,
        noKey,       // no API key to send
        refusedKey,  // TMDB answered 401: the key is wrong or revoked
        unreachable, // no answer: no network, a time-out, a refused connection
        badAnswer,   // an answer, but not a usable one (another status, garbled JSON)
    };
    template <typename T>
    struct Reported {
        T value{};
        Failure failure = Failure::none;
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

    QCoro::Task<Reported<QList<SeriesResult>>> searchSeriesReported(QString query, QString key);
    QCoro::Task<Reported<QList<MovieResult>>> searchMoviesReported(QString query, QString key);
    QCoro::Task<Reported<std::optional<SeriesSeasons>>> seriesSeasonsReported(int seriesID,
                                                                              QString key);
    QCoro::Task<Reported<QList<Episode>>> seasonEpisodesReported(int seriesID, int season,
                                                                 QString key);

    // The address of a request: base + path, the items in order, then "api_key".
    QUrl requestURL(const QString& path, const QList<std::pair<QString, QString>>& items,
                    const QString& key) const;

Q_SIGNALS:
    // After every request, with what became of it (`noKey` is not sent: nothing was asked).
    void requestEnded(TMDBClient::Failure failure);

private:
    struct Fetched {
        std::optional<nlohmann::json> answer; // the top-level object
        Failure failure = Failure::none;
    };
    // The answer's top-level object, or why there is none.
    QCoro::Task<Fetched> fetch(QUrl url);

    QNetworkAccessManager& m_network;
    QUrl m_base;
};
