#pragma once

#include <QMetaType>
#include <QString>

// How the download daemon is doing, as the supervisor sees it. `running` means it is up and
// listening for requests; `stopped` with a cause is a failure the user must hear about.
struct EngineHealth {
    enum class State { starting, running, stopped };
    enum class Cause {
        none,
        binaryMissing,   // nothing (or a dangling link) where the daemon should be
        notExecutable,   // something is there, but it cannot be run
        exitedAtStart,   // it ended before it listened; `detail` says why
        rpcPortTaken,    // another program listens on the daemon's RPC port
        restartsGivenUp, // it kept ending and the restart budget is spent; `detail` says why
        stoppedAnswering, // it was alive but no longer answered, so it is being replaced
    };

    State state = State::stopped;
    Cause cause = Cause::none;
    // The path, the port, or the last words of the daemon (its log, or how it exited).
    QString detail;

    bool isFailure() const { return state == State::stopped && cause != Cause::none; }
    bool operator==(const EngineHealth&) const = default;
};

Q_DECLARE_METATYPE(EngineHealth)
