#include "TrackerHint.h"

namespace {

constexpr std::array kHints{
    std::pair{StallReason::foundSeeds, "Found seeds"},
    std::pair{StallReason::noSeeds, "No seeds - likely abandoned"},
    std::pair{StallReason::noTracker, "No tracker connection"},
    std::pair{StallReason::queued, "Queued - waiting its turn"},
};

} // namespace

std::optional<QString> trackerHintFor(std::optional<StallReason> note) {
    for (const auto& [reason, text] : kHints) {
        if (note == reason)
            return QString::fromUtf8(text);
    }
    return std::nullopt;
}
