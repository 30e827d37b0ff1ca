#include "ShowRowText.h"

#include <cmath>

namespace ShowRowText {

namespace {

constexpr double kSortedLifetime = 86400.0;
constexpr double kErrorLifetime = 3600.0;

bool present(const std::optional<QString>& text) {
    return text && !text->isEmpty();
}

} // namespace

QString qualityLabel(Show::Quality quality) {
    return toRaw(quality);
}

QString relativeTime(Timestamp date, Timestamp now) {
    const double seconds = std::trunc(now - date);
    if (seconds < 60)
        return QStringLiteral("just now");
    if (seconds < 3600)
        return QStringLiteral("%1m ago").arg(static_cast<qint64>(seconds / 60));
    if (seconds < 86400)
        return QStringLiteral("%1h ago").arg(static_cast<qint64>(seconds / 3600));
    return QStringLiteral("%1d ago").arg(static_cast<qint64>(seconds / 86400));
}

bool hasExpired(const ShowStatus& status, Timestamp now) {
    if (!status.lastEventDate)
        return false;
    const double age = now - *status.lastEventDate;
    switch (status.state) {
    case ShowStatus::State::sorted:
        return age > kSortedLifetime;
    case ShowStatus::State::error:
        return age > kErrorLifetime;
    default:
        return false;
    }
}

std::optional<StatusLine> statusLine(const Show& show, const EpisodePick* pick, Timestamp now) {
    if (pick) {
        return StatusLine{QStringLiteral("No ") + qualityLabel(show.quality) +
                              QStringLiteral(" release for ") + pick->episodeCode +
                              QStringLiteral(" — choose a copy"),
                          Tone::attention};
    }
    const ShowStatus& status = show.status;
    if (status.state != ShowStatus::State::idle && !hasExpired(status, now)) {
        switch (status.state) {
        case ShowStatus::State::idle:
            break;
        case ShowStatus::State::found:
            return StatusLine{present(status.detail) ? *status.detail
                                                     : QStringLiteral("Download in progress"),
                              Tone::working};
        case ShowStatus::State::downloading:
            return StatusLine{QStringLiteral("Download in progress"), Tone::working};
        case ShowStatus::State::sorted: {
            const QString suffix =
                status.lastEventDate
                    ? QStringLiteral(" · ") + relativeTime(*status.lastEventDate, now)
                    : QString();
            if (present(status.detail))
                return StatusLine{*status.detail + suffix, Tone::done};
            if (present(status.episode))
                return StatusLine{QStringLiteral("Sorted ") + *status.episode + suffix, Tone::done};
            return StatusLine{QStringLiteral("Sorted") + suffix, Tone::done};
        }
        case ShowStatus::State::error:
            return StatusLine{present(status.detail) ? QStringLiteral("Error: ") + *status.detail
                                                     : QStringLiteral("Error"),
                              Tone::failure};
        }
    }
    if (const std::optional<QString> watching = show.watchStatusText(now))
        return StatusLine{*watching, Tone::plain};
    return std::nullopt;
}

bool isSubscribed(const Show& show) {
    return show.isEnabled && show.startWithLatest;
}

QString subscribeLabel(bool subscribed) {
    return subscribed ? QStringLiteral("Subscribed") : QStringLiteral("Not subscribed");
}

QString subscribeTooltip(const Show& show) {
    if (isSubscribed(show))
        return QStringLiteral("Subscribed — turn off to stop grabbing new episodes");
    return QStringLiteral("Subscribe — grab new episodes of ") + show.name +
           QStringLiteral(" as they air");
}

QString trashTooltip(const Show& show) {
    return QStringLiteral("Remove ") + show.name + QStringLiteral(" from your series");
}

QString footnote(bool subscribed) {
    return subscribed ? QStringLiteral("Following this series — new episodes are grabbed as they "
                                       "air")
                      : QStringLiteral("Not following this series — nothing new will be grabbed. "
                                       "Use the switch to subscribe.");
}

QString pickPillLabel(const EpisodePick& pick) {
    return pick.episodeCode;
}

QString pickTitle(const Show& show, const EpisodePick& pick) {
    return pick.episodeCode + QStringLiteral(" — no ") + qualityLabel(show.quality) +
           QStringLiteral(" release");
}

QString alternateLabel(const SearchResult& release) {
    // A bare " release" would be a blank button.
    if (release.quality.trimmed().isEmpty())
        return QStringLiteral("Unlabelled release");
    return release.quality + QStringLiteral(" release");
}

QList<MenuItem> menuItems(const Show& show, bool pickPending) {
    const bool subscribed = isSubscribed(show);
    QList<MenuItem> items;
    items.append({MenuAction::toggleSubscription,
                  subscribed ? QStringLiteral("Unsubscribe") : QStringLiteral("Subscribe")});
    if (pickPending) {
        items.append({MenuAction::choosePick, QStringLiteral("Choose a release…")});
        items.append({MenuAction::dismissPick, QStringLiteral("Dismiss resolution prompt")});
    }
    if (subscribed)
        items.append({MenuAction::searchNow, QStringLiteral("Search now")});
    if (show.status.state != ShowStatus::State::idle)
        items.append({MenuAction::clearStatus, QStringLiteral("Clear status")});
    items.append({MenuAction::separator, QString()});
    items.append({MenuAction::remove, QStringLiteral("Remove from Watchlist")});
    return items;
}

} // namespace ShowRowText
