#pragma once

#include "WatchlistOperations.h"
#include "model/ActiveDownload.h"
#include "model/ActivityEntry.h"
#include "model/AppSettings.h"
#include "model/CalEvent.h"
#include "model/DownloadRecord.h"
#include "model/EngineHealth.h"
#include "model/Movie.h"
#include "model/SearchHealth.h"
#include "model/SearchResult.h"
#include "model/Show.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QUrl>
#include <QUuid>

#include <optional>

// What the engine publishes for the views and the command line: the watchlist, the logs and
// the engine's health, each with a signal when it changes. Read-only; changes go through
// WatchlistOperations.
class PublishedState : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PublishedState)

public:
    using QObject::QObject;

    virtual const QList<Show>& shows() const = 0;
    virtual const QList<Movie>& movies() const = 0;
    virtual const QList<ActivityEntry>& activity() const = 0; // newest first
    virtual const QList<DownloadRecord>& history() const = 0; // newest first
    virtual const AppSettings& settings() const = 0;
    virtual const QMap<QUuid, EpisodePick>& pendingQualityPicks() const = 0;
    // The torrents being followed, by info hash.
    virtual const QMap<QString, ActiveDownload>& activeDownloads() const = 0;
    virtual const QList<CalEvent>& calendarEvents() const = 0;
    virtual bool isChecking() const = 0;
    virtual int secondsUntilNextCheck() const = 0;
    virtual bool isSearchingNow(const QUuid& showID) const = 0;
    virtual const EngineHealth& engineHealth() const = 0;
    virtual const SearchHealth& searchHealth() const = 0;
    // The download daemon's version; none when it cannot be run.
    virtual std::optional<QString> daemonVersion() const = 0;
    virtual const QString& workingFolderSizeLabel() const = 0;
    virtual QUrl rootFolderURL() const = 0;
    // Finished downloads waiting to be filed until the library's folder can be written.
    virtual int sortsWaiting() const { return 0; }
    // The engine's clock: every "now" the views show reads it.
    virtual Timestamp now() const = 0;

    // --- read from the above ---------------------------------------------------------------
    const Show* show(const QUuid& id) const;
    const Movie* movie(const QUuid& id) const;
    // The history rows of one series or movie, newest first.
    QList<DownloadRecord> historyRows(const QUuid& id) const;
    // What clearing the working folder would cancel: the rows still downloading.
    QList<DownloadRecord> inProgressDownloads() const;
    // A download of this series or movie is stuck long enough to ask the user about it.
    bool hasFlaggedDownload(const QUuid& id) const;
    int flaggedSeriesCount() const;
    int flaggedMovieCount() const;

Q_SIGNALS:
    void showsChanged();
    void moviesChanged();
    void activityChanged();
    void activityLogged(const ActivityEntry& entry); // each new line, as it is logged
    void historyChanged();
    void settingsChanged();
    void pendingQualityPicksChanged();
    void calendarEventsChanged();
    void isCheckingChanged();
    void secondsUntilNextCheckChanged();
    void engineHealthChanged();
    void searchHealthChanged();
    void workingFolderSizeLabelChanged();
    void sortsWaitingChanged();
    void checkCycleFinished();
    void followUpPassFinished();
    // A hand-picked episode's search has ended.
    void episodeSearchFinished(const QUuid& showID, const QString& code,
                               WatchlistOperations::EpisodeOutcome outcome);
};
