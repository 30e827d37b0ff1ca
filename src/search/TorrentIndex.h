#pragma once

#include "RawHit.h"
#include "TorrentQuery.h"

#include <QList>
#include <QString>
#include <qcoro/qcorotask.h>

// A public torrent index behind one interface. A search never fails: transport and format
// trouble yields an empty list, so a sweep always gets an answer from every index.
// Implementations hold no mutable state; the caller keeps the object alive while a search runs.
class TorrentIndex {
public:
    TorrentIndex() = default;
    virtual ~TorrentIndex() = default;
    Q_DISABLE_COPY_MOVE(TorrentIndex)

    // A search's hits and whether the index was reached: an empty list from an index that
    // did not answer is not "nothing found".
    struct Reported {
        enum class Reach { answered, unreachable, skipped }; // skipped: the query is not for it
        QList<RawHit> hits;
        Reach reach = Reach::answered;
    };

    virtual QString name() const = 0;
    virtual QCoro::Task<QList<RawHit>> search(TorrentQuery query) const = 0;
    // Indexes that cannot tell report every search as answered.
    virtual QCoro::Task<Reported> searchReported(TorrentQuery query) const {
        Reported reported;
        reported.hits = co_await search(std::move(query));
        co_return reported;
    }
};
