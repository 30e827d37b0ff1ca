#pragma once

#include "model/Timestamp.h"

// Per-torrent bookkeeping of a stall, in memory only.
struct StallTracker {
    Timestamp stalledSince; // start of the current stall period
    bool reannounced = false;
    bool exhausted = false; // no more automatic switches

    bool operator==(const StallTracker&) const = default;
};
