#include "MovieRowText.h"

#include "EpisodeDrawerTexts.h"

#include <algorithm>
#include <cmath>

namespace MovieRowText {

namespace {

const QString kNoRelease = QStringLiteral("no release found yet");

QString counted(qint64 n, const char* word) {
    return QStringLiteral("%1 %2%3").arg(n).arg(QLatin1StringView(word)).arg(n == 1 ? "" : "s");
}

} // namespace

StatusLine statusLine(const Movie& movie) {
    using State = ShowStatus::State;
    const ShowStatus& status = movie.status;
    const QString detail = status.detail.value_or(QString());
    if (!movie.isEnabled)
        return {QStringLiteral("Disabled"), Tone::plain};
    if (movie.downloaded)
        return {QStringLiteral("Downloaded ✓"), Tone::done};
    switch (status.state) {
    case State::idle:
        return movie.monitor
                   ? StatusLine{QStringLiteral("Watching for a release"), Tone::plain}
                   : StatusLine{QStringLiteral("Not monitored — right-click to search"),
                                Tone::plain};
    case State::found:
        return {QStringLiteral("Searching for a release…"), Tone::working};
    case State::downloading:
        return {QStringLiteral("Downloading %1%")
                    .arg(std::lround(std::clamp(status.progress, 0.0, 1.0) * 100)),
                Tone::working};
    case State::sorted:
        return {QStringLiteral("Downloaded ✓"), Tone::done};
    case State::error:
        if (detail.isEmpty())
            return {QStringLiteral("Error"), Tone::failure};
        if (detail == kNoRelease)
            return movie.monitor ? StatusLine{QStringLiteral("No release found yet — will keep "
                                                             "trying"),
                                              Tone::attention}
                                 : StatusLine{QStringLiteral("No release found yet"),
                                              Tone::attention};
        return {QStringLiteral("Error: ") + detail, Tone::failure};
    }
    return {};
}

QString titleLine(const Movie& movie) {
    return movie.displayTitle();
}

QString trashTooltip(const Movie& movie) {
    return QStringLiteral("Remove ") + movie.displayTitle() + QStringLiteral(" from Movies");
}

std::optional<DownloadRecord> runningDownload(const QList<DownloadRecord>& rowsNewestFirst) {
    for (const DownloadRecord& row : rowsNewestFirst) {
        if (row.state == DownloadRecord::State::downloading)
            return row;
    }
    return std::nullopt;
}

QString downloadLine(const DownloadRecord& row, Timestamp now) {
    QStringList pieces{counted(row.peers, "peer")};
    if (row.stuckSince) {
        const auto days = static_cast<qint64>(std::floor((now - *row.stuckSince) / 86400.0));
        if (days >= 1)
            pieces << QStringLiteral("stuck ") + counted(days, "day");
    }
    return pieces.join(QStringLiteral(" · "));
}

QList<SearchResult> alternates(const QList<SearchResult>& found, const QString& runningHash,
                               const QStringList& rejectedHashes) {
    QList<SearchResult> out;
    for (const SearchResult& r : found) {
        // A release's id is its info hash when it has one.
        if (r.id.compare(runningHash, Qt::CaseInsensitive) == 0 ||
            rejectedHashes.contains(r.id, Qt::CaseInsensitive))
            continue;
        out.append(r);
    }
    return out;
}

QString alternateLine(const SearchResult& release) {
    return EpisodeDrawerTexts::seedersAndSize(release.seeders, release.sizeBytes);
}

QList<MenuItem> menuItems(const Movie& movie) {
    return {{MenuAction::toggleEnabled,
             movie.isEnabled ? QStringLiteral("Disable") : QStringLiteral("Enable")},
            {MenuAction::searchNow, QStringLiteral("Search now")},
            {MenuAction::clearStatus, QStringLiteral("Clear status")},
            {MenuAction::separator, QString()},
            {MenuAction::remove, QStringLiteral("Remove from Movies")}};
}

} // namespace MovieRowText
