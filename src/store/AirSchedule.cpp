#include "AirSchedule.h"

#include <algorithm>

namespace {

EpisodeNumber numberOf(const Episode& e) {
    return {e.season, e.number};
}

bool isDownloaded(const Show& show, const Episode& e) {
    return show.hasDownloaded(e.id(), e.airDate);
}

} // namespace

AirSchedule AirSchedule::of(const Show& show, QList<Episode> episodes, Timestamp now) {
    std::stable_sort(episodes.begin(), episodes.end(),
                     [](const auto& a, const auto& b) { return numberOf(a) < numberOf(b); });

    QList<Episode> missing;
    for (const auto& e : episodes) {
        if (e.airDate && !isDownloaded(show, e))
            missing.append(e);
    }

    AirSchedule schedule;
    std::optional<EpisodeNumber> reference;
    const bool startsFromLatest =
        show.monitorFromLatestPending ||
        (show.startWithLatest && !show.monitorAnchor && !show.latestDownloadedEpisode());
    if (startsFromLatest) {
        // Start with the latest aired episode rather than the back catalogue. With nothing
        // aired yet no anchor is stored; the request stays for the next refresh.
        const auto lastAired =
            std::find_if(episodes.crbegin(), episodes.crend(),
                         [&](const auto& e) { return e.airDate && *e.airDate <= now; });
        if (lastAired != episodes.crend()) {
            reference = numberOf(*lastAired);
            schedule.anchor = lastAired->id();
        }
    } else {
        const auto anchor =
            show.monitorAnchor ? Show::parseEpisodeCode(*show.monitorAnchor) : std::nullopt;
        const auto downloaded = show.latestDownloadedEpisode();
        reference =
            anchor && downloaded ? std::max(*anchor, *downloaded) : (anchor ? anchor : downloaded);
        if (reference && reference->season >= 1900) {
            // A daily show's date code: find its place in TMDB's own numbering.
            reference.reset();
            for (const auto& e : episodes) {
                if (isDownloaded(show, e) && (!reference || numberOf(e) > *reference))
                    reference = numberOf(e);
            }
        }
    }

    const auto earliest = [](const QList<Episode>& list) {
        std::optional<Timestamp> best;
        for (const auto& e : list) {
            if (!best || *e.airDate < *best)
                best = e.airDate;
        }
        return best;
    };

    if (reference) {
        QList<Episode> after;
        for (const auto& e : missing) {
            if (numberOf(e) > *reference)
                after.append(e);
        }
        schedule.nextAirDate = earliest(after);
    } else {
        const auto lastAiredMissing = std::find_if(
            missing.crbegin(), missing.crend(), [&](const auto& e) { return *e.airDate <= now; });
        schedule.nextAirDate =
            lastAiredMissing != missing.crend() ? lastAiredMissing->airDate : earliest(missing);
    }
    return schedule;
}
