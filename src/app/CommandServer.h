#pragma once

#include "api/Watchlist.h"
#include "cli/CommandRequest.h"

#include <QObject>
#include <QString>
#include <qcoro/qcorotask.h>

#include <variant>

class QLocalSocket;
struct Show;
struct Movie;

// Carries out `lumivane <command>` in the running instance, through the same operations the
// views use, so a change from the command line is logged, saved and scheduled alike.
class CommandServer final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CommandServer)

public:
    // A follower that lets this much pile up unread is dropped rather than kept in memory.
    static constexpr qint64 kFollowBufferCap = 256 * 1024;

    CommandServer(Watchlist watchlist, QString storageFolder, QObject* parent = nullptr);

    // Takes over a connection whose first line is not a hand-off: answers it, then closes it
    // (or keeps it open for `activity --follow`).
    void serve(QLocalSocket* socket, const QByteArray& line);

private:
    using Found = std::variant<const Show*, QByteArray>; // the series, or the error answer
    using FoundMovie = std::variant<const Movie*, QByteArray>;

    QByteArray status() const;
    QByteArray seriesList() const;
    QByteArray moviesList() const;
    QByteArray activity() const;
    QByteArray changeSeries(const CommandRequest& request);
    QByteArray removeMovie(const CommandRequest& request);
    QByteArray check();
    void follow(QLocalSocket* socket);
    QCoro::Task<> addSeries(QLocalSocket* socket, CommandRequest request);
    QCoro::Task<> addMovie(QLocalSocket* socket, CommandRequest request);
    Found findShow(const QString& target) const;
    FoundMovie findMovie(const QString& target) const;

    Watchlist m_watchlist;
    QString m_storageFolder;
};
