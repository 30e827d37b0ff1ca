#pragma once

#include "model/EnumRaw.h"

// Why a download that should be moving is not, as read from the daemon's tracker statistics.
enum class StallReason { foundSeeds, noSeeds, noTracker, queued };

template <>
struct EnumRaw<StallReason> {
    static constexpr std::array cases{
        std::pair{StallReason::foundSeeds, "foundSeeds"},
        std::pair{StallReason::noSeeds, "noSeeds"},
        std::pair{StallReason::noTracker, "noTracker"},
        std::pair{StallReason::queued, "queued"},
    };
};

// Hopeful: the download may still start by itself, so waiting is worth it.
constexpr bool isHopeful(StallReason reason) {
    return reason == StallReason::foundSeeds || reason == StallReason::queued;
}
