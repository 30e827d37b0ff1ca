#pragma once

#include <QString>
#include <QtGlobal>

#include <chrono>

// Asks the daemon listening on loopback `rpcPort` to save its state and exit ("session-close"),
// provided it is the one run from `configDir`, waiting at most `budget` in all. Blocks the
// calling thread; meant for shutdown, where the event loop may no longer run. True once the
// daemon has acknowledged; false when nothing answered, another daemon holds the port, the
// answer was not a success, or the time ran out.
//
// Signalling the daemon instead is not safe: Debian's 3.00 daemon can abort on SIGTERM (its
// handler allocates) before it has written any resume file, and every torrent then comes
// back at 0 % on the next start.
bool requestDaemonClose(quint16 rpcPort, const QString& configDir,
                        std::chrono::milliseconds budget);

// Whether the daemon answering on loopback `rpcPort` is the one run from `configDir`. Blocks
// the calling thread for at most `budget`.
bool isDaemonFrom(quint16 rpcPort, const QString& configDir, std::chrono::milliseconds budget);
