#pragma once

#include "RawHit.h"
#include "TorrentQuery.h"

#include <QList>
#include <QString>
#include <qcoro/qcorotask.h>

// One index's answer to one search.
struct IndexReply {
    enum class Reach {
        answered, // a usable answer, with or without hits
        failed,   // no answer, an error status or an answer it could not read
        notAsked, // the query is not one this index serves (no request was made)
    };
    QList<RawHit> hits;
    Reach reach = Reach::failed; // what a search that threw counts as
};

// A public torrent index behind one interface. A search never fails: transport and format
// trouble yields an empty list, so a sweep always gets an answer from every index.
// Implementations hold no mutable state; the caller keeps the object alive while a search runs.
class TorrentIndex {
public:
    TorrentIndex() = default;
    virtual ~TorrentIndex() = default;
    Q_DISABLE_COPY_MOVE(TorrentIndex)

    virtual QString name() const = 0;
    virtual QCoro::Task<QList<RawHit>> search(TorrentQuery query) const = 0;

    // The same search, saying whether the index gave a usable answer, so a flow can tell
    // "nothing found" from "nobody answered". An index that does not know says it answered.
    virtual QCoro::Task<IndexReply> searchReported(TorrentQuery query) const {
        // (filled apart: GCC 12 miscompiles a braced list around co_await)
        IndexReply reply;
        reply.hits = co_await search(std::move(query));
        reply.reach = IndexReply::Reach::answered;
        co_return reply;
    }
};
