#pragma once

#include "model/Episode.h"
#include "model/Lookup.h"
#include "model/MovieResult.h"
#include "model/SeriesAirInfo.h"
#include "model/SeriesResult.h"
#include "model/SeriesSeasons.h"
#include "model/Timestamp.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <qcoro/qcorotask.h>

#include <nlohmann/json.hpp>

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

    QCoro::Task<Lookup<QList<SeriesResult>>> searchSeriesReported(QString query, QString key);
    QCoro::Task<Lookup<QList<MovieResult>>> searchMoviesReported(QString query, QString key);
    QCoro::Task<Lookup<std::optional<SeriesSeasons>>> seriesSeasonsReported(int seriesID,
                                                                            QString key);
    QCoro::Task<Lookup<QList<Episode>>> seasonEpisodesReported(int seriesID, int season,
                                                               QString key);

    // The address of a request: base + path, the items in order, then "api_key".
    QUrl requestURL(const QString& path, const QList<std::pair<QString, QString>>& items,
                    const QString& key) const;

Q_SIGNALS:
    // After every request, with what became of it (`noKey` is not sent: nothing was asked).
    void requestEnded(LookupFailure failure);

private:
    struct Fetched {
        std::optional<nlohmann::json> answer; // the top-level object
        LookupFailure failure = LookupFailure::none;
    };
    // The answer's top-level object, or why there is none.
    QCoro::Task<Fetched> fetch(QUrl url);

    QNetworkAccessManager& m_network;
    QUrl m_base;
};
