#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <qcoro/qcorotask.h>

#include <chrono>

class QNetworkAccessManager;
class QTimer;

struct DaemonWatchdogTimings {
    // How often the daemon is asked, and how long each question may take.
    std::chrono::milliseconds interval{10000};
    std::chrono::milliseconds timeout{5000};
    // The least time without any answer before a daemon counts as hung.
    std::chrono::milliseconds silence{30000};
};

// Asks a daemon that is up whether it still answers RPC (a small "session-get"), and tells
// when it has stopped: several questions in a row unanswered, over a span long enough that a
// daemon merely busy for a moment is not taken for a hung one. A connection that is accepted
// but never answered (a stopped process still has its listen backlog) counts as unanswered.
// Nothing blocks: each question is a request with its own time-out.
class DaemonWatchdog final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DaemonWatchdog)

public:
    static constexpr int kUnansweredToHang = 3;
    using Timings = DaemonWatchdogTimings;

    DaemonWatchdog(quint16 rpcPort, Timings timings, QObject* parent = nullptr);
    ~DaemonWatchdog() override;

    // Starts over with a daemon that has just shown it listens; the first question follows
    // one interval later.
    void watch();
    void stop();
    bool isWatching() const;

Q_SIGNALS:
    void answered();
    // Sent once; watching stops with it.
    void hung();

private:
    QCoro::Task<> ask(quint64 round);

    quint16 m_rpcPort;
    Timings m_timings;
    QNetworkAccessManager* m_network;
    QTimer* m_timer;
    // Bumped by watch() and stop(): an answer to a question of an earlier round is ignored.
    quint64 m_round = 0;
    bool m_asking = false;
    int m_unanswered = 0;
    QElapsedTimer m_sinceAnswer; // steady: a changed wall clock must not look like silence
    QByteArray m_sessionID;
};
