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

    virtual QString name() const = 0;
    virtual QCoro::Task<QList<RawHit>> search(TorrentQuery query) const = 0;
};
