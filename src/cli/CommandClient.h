#pragma once

#include "CommandLine.h"

#include <QString>

#include <cstdio>
#include <functional>

// The command line's side of a command: sends it to the running instance and prints the
// answer. Blocking; it has nothing else to do meanwhile.
namespace CommandClient {

inline constexpr int kAnswerWaitMs = 120000; // TMDB may take its time over a name
inline constexpr int kConnectWaitMs = 3000;
inline constexpr int kStartWaitMs = 10000; // a tray instance listens once its tray is there

QString noInstanceMessage();

// The exit status: 0 done, 1 refused or failed, 2 no such name (or several), 3 no instance,
// 4 the instance stopped while `activity --follow` was listening.
// `starting` says whether an instance runs that may not listen yet; while it does, the
// connection is tried again for a while.
int run(const CommandLine::Run& command, const QString& socketPath,
        const std::function<bool()>& starting = {}, FILE* out = stdout, FILE* err = stderr);

} // namespace CommandClient
