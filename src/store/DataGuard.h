#pragma once

#include "engine/TorrentInfo.h"
#include "engine/TransmissionClient.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <qcoro/qcorotask.h>

// Whose data a removal may take: the working folder's, for anything unfinished or not ours;
// or also the download folder's, outside the library, for what was sorted out of it.
enum class DataScope { workingFolder, downloadArea };

// Where the daemon may delete a torrent's data. The daemon deletes wherever it says the files
// lie, and a torrent may have been added by another client with its data in a folder of the
// user's own: data goes with a torrent only when every place its files may lie resolves, links
// followed, inside one of `allowed` and outside every `excluded`.
struct DataGuard {
    QString workingFolder; // where the daemon keeps unfinished data
    QStringList allowed;
    QStringList excluded;

    bool mayDelete(const TorrentInfo& info) const;
};

// Removes a torrent from the daemon, with its data only where `guard` allows. The value says
// whether its files were left where they are. Touches nothing but the client, so it may run on
// after whoever started it is gone.
QCoro::Task<RPCResult<bool>> removeGuarded(QPointer<TransmissionClient> client, QString hash,
                                           DataGuard guard);
