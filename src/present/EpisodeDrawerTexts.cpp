#include "EpisodeDrawerTexts.h"

#include "model/DateText.h"

#include <cmath>

namespace EpisodeDrawerTexts {

QString trackerHintText(const DownloadRecord& row) {
    if (!row.trackerHint)
        return {};
    if (*row.trackerHint == QLatin1String("Found seeds") && row.seedsSeen >= 1) {
        return QStringLiteral("Found %1 seed%2. Waiting for handshake")
            .arg(row.seedsSeen)
            .arg(row.seedsSeen == 1 ? QString() : QStringLiteral("s"));
    }
    return *row.trackerHint;
}

namespace {

QString counted(qint64 n, const char* word) {
    return QStringLiteral("%1 %2%3").arg(n).arg(QLatin1StringView(word)).arg(n == 1 ? "" : "s");
}

} // namespace

RowState rowState(const RowFacts& facts) {
    if (facts.downloaded)
        return RowState::gotIt;
    if (facts.grabbing)
        return RowState::grabbing;
    if (facts.offeredQuality)
        return RowState::chooseCopy;
    if (facts.indexesUnreachable)
        return RowState::unreachable;
    if (facts.noRelease)
        return RowState::noneFound;
    if (facts.upcoming)
        return RowState::upcoming;
    return RowState::grab;
}

QString rowLabel(RowState state) {
    switch (state) {
    case RowState::gotIt:
        return QStringLiteral("Got it");
    case RowState::grabbing:
        return QStringLiteral("Grabbing");
    case RowState::chooseCopy:
        return QStringLiteral("Choose a copy");
    case RowState::unreachable:
        return QStringLiteral("Try again");
    case RowState::noneFound:
        return QStringLiteral("None found");
    case RowState::upcoming:
        return QStringLiteral("Upcoming");
    case RowState::grab:
        break;
    }
    return QStringLiteral("Grab");
}

QString rowTooltip(RowState state, const QString& offeredQuality) {
    if (state == RowState::noneFound)
        return QStringLiteral("No seeded release found at any quality — tap to try again");
    // Not "None found": with no index answering, nobody knows whether a release exists.
    if (state == RowState::unreachable)
        return QStringLiteral("Couldn’t reach any torrent index — tap to try again");
    if (state == RowState::chooseCopy)
        return offeredQuality + QStringLiteral(" release — tap to pick another resolution");
    return {};
}

bool rowPressable(RowState state) {
    return state == RowState::grab || state == RowState::noneFound ||
           state == RowState::unreachable || state == RowState::chooseCopy;
}

QString airDateText(std::optional<Timestamp> airDate, Timestamp now, const QLocale& locale) {
    if (!airDate)
        return {};
    const QDate day = airDate->toDateTime().toUTC().date();
    return (*airDate <= now ? QStringLiteral("Aired ") : QStringLiteral("Airs ")) +
           abbreviatedDate(day, locale);
}

QString completeSeasonTooltip(int season, int missing) {
    if (missing <= 0)
        return QStringLiteral("You have every aired episode of Season %1").arg(season);
    return QStringLiteral("Download the %1 of Season %2 you don't have")
        .arg(counted(missing, "episode"))
        .arg(season);
}

Tone rowTone(RowState state) {
    switch (state) {
    case RowState::gotIt:
        return Tone::done;
    case RowState::upcoming:
        return Tone::faint;
    case RowState::grab:
        return Tone::action;
    case RowState::chooseCopy:
    case RowState::unreachable:
        return Tone::attention;
    case RowState::grabbing:
    case RowState::noneFound:
        break;
    }
    return Tone::quiet;
}

Tone recentTone(const DownloadRecord& row, bool flagged, bool failed) {
    if (flagged)
        return Tone::attention;
    if (failed)
        return Tone::failure;
    return row.state == DownloadRecord::State::sorted ? Tone::done : Tone::quiet;
}

QString recentStateLine(const DownloadRecord& row, Timestamp now) {
    switch (row.state) {
    case DownloadRecord::State::sorted:
        return QStringLiteral("Saved");
    case DownloadRecord::State::error: {
        const QString detail = row.detail.value_or(QString());
        if (row.wasCancelled())
            return detail; // the reason says it already

        return QStringLiteral("Error: ") + (detail.isEmpty() ? QStringLiteral("failed") : detail);
    }
    case DownloadRecord::State::downloading:
        break;
    }
    const int percent = static_cast<int>(std::floor(std::clamp(row.progress, 0.0, 1.0) * 100));
    QStringList pieces{QStringLiteral("%1%").arg(percent), counted(row.peers, "peer")};
    if (row.stuckSince) {
        const auto days = static_cast<qint64>(std::floor((now - *row.stuckSince) / 86400.0));
        if (days >= 1)
            pieces << QStringLiteral("stuck ") + counted(days, "day");
    }
    if (row.peers == 0) {
        if (const QString hint = trackerHintText(row); !hint.isEmpty())
            pieces << hint;
    }
    return pieces.join(QStringLiteral(" · "));
}

QString tmdbFailureText(LookupFailure failure) {
    switch (failure) {
    case LookupFailure::noKey:
    case LookupFailure::refusedKey:
        return QStringLiteral("TMDB refused the API key. Check the key in Settings.");
    case LookupFailure::unreachable:
        return QStringLiteral("Couldn’t reach TMDB. Check your internet connection, then try "
                              "again.");
    case LookupFailure::badAnswer:
        return QStringLiteral("TMDB sent an answer that couldn’t be read. Try again in a moment.");
    case LookupFailure::none:
        break;
    }
    return {};
}

QString indexesUnreachableText() {
    return QStringLiteral(
        "Couldn’t reach any torrent index. Check your internet connection, then try again.");
}

QString seedersAndSize(int seeders, qint64 sizeBytes, const QLocale& locale) {
    QString text = QStringLiteral("%1 seeders").arg(seeders);
    if (sizeBytes > 0)
        text += QStringLiteral(" · ") +
                locale.formattedDataSize(sizeBytes, 1, QLocale::DataSizeSIFormat);
    return text;
}

} // namespace EpisodeDrawerTexts
