#pragma once

#include "model/DownloadRecord.h"
#include "model/Movie.h"
#include "model/MovieResult.h"
#include "model/SearchResult.h"
#include "model/Show.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <optional>

class DownloadFollower;
class MovieHunter;
class StoreRecords;

// What the user does with one movie: add it, change its resolution or release, enable it,
// clear its status, remove it. The hunt itself: MovieHunter.
class MovieDesk final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MovieDesk)

public:
    struct Parts {
        QList<Movie>& movies; // the list a new movie joins and a removed one leaves
        DownloadFollower& follower;
        MovieHunter& hunter;
    };
    MovieDesk(StoreRecords& records, Parts parts, QObject* parent = nullptr);

    // Adds a movie from the add-movie form and starts hunting it; a picked release starts at once.
    QUuid addMovie(const QString& name, const std::optional<MovieResult>& match,
                   Show::Quality quality, bool monitor, bool anyQuality,
                   const std::optional<SearchResult>& picked,
                   const std::optional<QString>& searchAlias);
    void setMovieQuality(const QUuid& id, Show::Quality quality);
    void switchMovieRelease(const DownloadRecord& row, const SearchResult& release);
    void removeMovie(const QUuid& id);
    void setMovieEnabled(const QUuid& id, bool on);
    void clearMovieStatus(const QUuid& id);

private:
    StoreRecords& m_records;
    QList<Movie>& m_movies;
    DownloadFollower& m_follower;
    MovieHunter& m_hunter;
};
