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
    // A search's hits, and whether the index gave a usable answer at all, so "nothing new"
    // and "nobody answered" can be told apart.
    struct Reply {
        enum class Outcome {
            answered, // a well-formed answer, possibly empty
            failed,   // no answer, an error status or an answer that could not be read
            notAsked, // the query is not for this index (a kind it does not carry)
        };
        QList<RawHit> hits;
        Outcome outcome = Outcome::answered;
    };

    TorrentIndex() = default;
    virtual ~TorrentIndex() = default;
    Q_DISABLE_COPY_MOVE(TorrentIndex)

    virtual QString name() const = 0;
    virtual QCoro::Task<QList<RawHit>> search(TorrentQuery query) const = 0;
    // The search with its outcome. The default, for indexes that cannot tell, counts every
    // search as answered.
    virtual QCoro::Task<Reply> searchReported(TorrentQuery query) const;
};
