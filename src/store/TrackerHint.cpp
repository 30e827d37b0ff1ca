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

QString trackerHintText(const DownloadRecord& row) {
    if (!row.trackerHint)
        return {};
    if (*row.trackerHint == trackerHintFor(StallReason::foundSeeds) && row.seedsSeen >= 1) {
        return QStringLiteral("Found %1 seed%2. Waiting for handshake")
            .arg(row.seedsSeen)
            .arg(row.seedsSeen == 1 ? QString() : QStringLiteral("s"));
    }
    return *row.trackerHint;
}
