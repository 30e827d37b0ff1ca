#pragma once

#include "model/AppSettings.h"
#include "model/DownloadRecord.h"
#include "model/MovieResult.h"
#include "model/SearchResult.h"
#include "model/SeriesResult.h"
#include "model/Show.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <qcoro/qcorotask.h>

#include <functional>
#include <optional>

// What a person can do to the watchlist, from a view or the command line. Every change goes
// through here, so it is logged, saved and scheduled the same way whoever asks.
class WatchlistOperations {
public:
    // The add-series form, as the engine needs it.
    struct NewShow {
        QString name; // as typed
        std::optional<SeriesResult> match;
        std::optional<QString> searchAlias; // the title the release search fell back to
        Show::Quality quality = Show::Quality::p1080;
        bool anyQuality = false;
        bool fallbackAnyQuality = true;
        bool startWithLatest = true;
        QString seasonText;
        bool pullEntireSeason = false;
    };
    // What happens after releases picked in the add-series flow are grabbed.
    enum class PickPlan { continueForward, onlyThis, thisThenLatest };
    // How a hand-picked episode fared. With no index answering, "not found" would be a guess.
    enum class EpisodeOutcome { grabbed, offered, notFound, indexesUnreachable };

    virtual ~WatchlistOperations() = default;

    // --- series ----------------------------------------------------------------------------
    // Adds a series from the add-series form; null when the form cannot be committed (no name,
    // or a season pull without a season number).
    virtual QUuid addShow(const NewShow& form, const QList<SearchResult>& picked = {},
                          PickPlan plan = PickPlan::continueForward) = 0;
    virtual void setSubscribed(const QUuid& id, bool on) = 0;
    // A resolution, or none for "any resolution".
    virtual void setShowQuality(const QUuid& id, std::optional<Show::Quality> quality) = 0;
    virtual void removeShow(const QUuid& id) = 0;
    // Checks one subscribed series at once; nothing happens while its own search runs.
    virtual void searchNow(const QUuid& id) = 0;
    // Puts the series' status back to idle.
    virtual void clearStatus(const QUuid& id) = 0;
    // The answer to a pending resolution choice, or no answer for now.
    virtual void pickAlternative(const SearchResult& chosen, const QUuid& showID) = 0;
    virtual void dismissQualityPick(const QUuid& showID) = 0;
    // Records a TMDB match on a series; false when the series is gone.
    virtual bool linkTMDBMatch(const QUuid& id, const SeriesResult& match) = 0;
    // Grabs the release chosen for one episode, unless that episode is already in.
    virtual bool grabEpisodeRelease(const QUuid& id, const QString& code,
                                    const SearchResult& release) = 0;
    // Searches and grabs hand-picked episodes, one after the other.
    virtual QCoro::Task<QMap<QString, EpisodeOutcome>> grabEpisodes(QUuid id,
                                                                    QStringList codes) = 0;
    virtual QCoro::Task<> pullSeason(QUuid id, int season) = 0;
    virtual QCoro::Task<> completeSeason(QUuid id, int season) = 0;

    // --- movies ----------------------------------------------------------------------------
    // Adds a movie and starts hunting it; a picked release starts at once. `searchAlias`: the
    // title the release search fell back to, which later hunts search under.
    virtual QUuid addMovie(const QString& name, const std::optional<MovieResult>& match,
                           Show::Quality quality, bool monitor, bool anyQuality,
                           const std::optional<SearchResult>& picked,
                           const std::optional<QString>& searchAlias = std::nullopt) = 0;
    virtual void huntMovie(const QUuid& id) = 0;
    virtual void setMovieQuality(const QUuid& id, Show::Quality quality) = 0;
    virtual void switchMovieRelease(const DownloadRecord& row, const SearchResult& release) = 0;
    virtual void removeMovie(const QUuid& id) = 0;
    // A disabled movie is left out of every hunt until it is enabled again.
    virtual void setMovieEnabled(const QUuid& id, bool on) = 0;
    // Puts the movie's status back to idle.
    virtual void clearMovieStatus(const QUuid& id) = 0;

    // --- downloads -------------------------------------------------------------------------
    // The user gives up on a download: it is cancelled and its data removed.
    virtual void removeDownload(const QString& hash) = 0;
    // Replaces a running download by another release of the same episode or movie.
    virtual void switchRelease(const QString& hash, const SearchResult& release) = 0;
    // Postpones a stuck download's reminder; the third time gives it up for good.
    virtual void snoozeStaleFor(const QString& hash, int days) = 0;
    // Cancels every download and empties the working folder.
    virtual QCoro::Task<> clearWorkingFolder() = 0;
    // Measures the working folder and publishes its size label.
    virtual QCoro::Task<> refreshWorkingFolderSize() = 0;

    // --- the engine as a whole -------------------------------------------------------------
    // Starts a check cycle unless one runs; a manual one leaves the countdown alone.
    virtual void runCheck(bool manual) = 0;
    // Empties the activity log.
    virtual void clearActivity() = 0;
    // Changes the settings; whatever depends on a changed value follows at once.
    virtual void updateSettings(const std::function<void(AppSettings&)>& change) = 0;
};
