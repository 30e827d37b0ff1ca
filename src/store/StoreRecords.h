#pragma once

#include "ActivityLog.h"
#include "model/AppSettings.h"
#include "model/DownloadRecord.h"
#include "model/Movie.h"
#include "model/Show.h"
#include "model/Timestamp.h"

#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

// The store's records as its collaborators reach them: find one by id and change it in place,
// then say what changed, so that its file is written and the views hear of it.
class StoreRecords : public ActivityLog {
public:
    enum class Part : quint8 { shows, movies, history, downloads };

    virtual const QList<Show>& shows() const = 0;
    virtual const QList<Movie>& movies() const = 0;
    virtual Show* findShow(const QUuid& id) = 0;
    virtual Movie* findMovie(const QUuid& id) = 0;
    virtual DownloadRecord* findHistoryRow(const QString& hash) = 0;
    // A new history row for `row.id`, replacing an older row of the same torrent; saved.
    virtual void addHistoryRow(DownloadRecord row) = 0;

    virtual const AppSettings& settings() const = 0;
    virtual Timestamp now() const = 0;

    // Writes the part's file; a write that fails is tried again with the next one that works.
    virtual void save(Part part) = 0;
    // Tells the views (the followed downloads have no view of their own).
    virtual void publish(Part part) = 0;
    void edited(Part part) {
        save(part);
        publish(part);
    }

    ShowStatus statusNow(ShowStatus::State state, std::optional<QString> episode = {},
                         std::optional<QString> detail = {}) const {
        return ShowStatus{state, 0.0, std::move(episode), std::move(detail), now()};
    }

protected:
    StoreRecords() = default;
};
