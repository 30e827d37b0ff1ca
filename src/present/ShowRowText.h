#pragma once

#include "model/SearchResult.h"
#include "model/Show.h"
#include "model/Timestamp.h"

#include <QList>
#include <QString>

#include <optional>

// What a row of the series list says: its status line and how it reads, the labels and
// tooltips of its controls, its footnote, the release-choice texts and the context menu.
namespace ShowRowText {

inline const QString kTitle = QStringLiteral("Series Watchlist");
inline const QString kAddSeries = QStringLiteral("Add Series");
inline const QString kEmptyTitle = QStringLiteral("No series yet");
inline const QString kEmptyLine =
    QStringLiteral("Add a series to start monitoring for new episodes");
inline const QString kStaleTooltip = QStringLiteral("Possible stalled item in recents");
inline const QString kQualityTooltip = QStringLiteral("Change the resolution for this series");
inline const QString kQualityPopoverTitle =
    QStringLiteral("Change resolution default for this series");
inline const QString kQualityPopoverNote =
    QStringLiteral("Stalled episodes of this series are searched again. Anything in progress or "
                   "complete is unaffected.");
inline const QString kPickTooltip = QStringLiteral("Pick a different resolution for this episode");
inline const QString kPickLine = QStringLiteral("Pick a copy at another resolution:");
inline const QString kDismiss = QStringLiteral("Dismiss");
inline const QString kViewEpisodes = QStringLiteral("View episodes");

// The resolutions the popover offers, best first.
inline constexpr std::array kQualityChoices{Show::Quality::p1080, Show::Quality::p720,
                                            Show::Quality::p480};

// How the status line is coloured.
enum class Tone { plain, working, done, attention, failure };

struct StatusLine {
    QString text;
    Tone tone = Tone::plain;
    bool operator==(const StatusLine&) const = default;
};

QString qualityLabel(Show::Quality quality);

// "just now", "5m ago", "3h ago", "2d ago"; a date in the future reads "just now".
QString relativeTime(Timestamp date, Timestamp now);

// A live status counts until it is old: a sorted one for a day, an error for an hour.
bool hasExpired(const ShowStatus& status, Timestamp now);

// The line under the name, by precedence: a pending pick, the live status, the schedule.
// None when there is nothing to say.
std::optional<StatusLine> statusLine(const Show& show, const EpisodePick* pick, Timestamp now);

// The switch is on only for a series that follows new episodes.
bool isSubscribed(const Show& show);
QString subscribeLabel(bool subscribed);
QString subscribeTooltip(const Show& show);
QString trashTooltip(const Show& show);
QString footnote(bool subscribed);

// The pill that opens the release choice: the episode waiting for it.
QString pickPillLabel(const EpisodePick& pick);
// "S02E05 — no 1080p release"
QString pickTitle(const Show& show, const EpisodePick& pick);
// "720p release"; a release whose title names no resolution says so.
QString alternateLabel(const SearchResult& release);

enum class MenuAction {
    toggleSubscription,
    choosePick,
    dismissPick,
    searchNow,
    clearStatus,
    separator,
    remove,
};

struct MenuItem {
    MenuAction action;
    QString label; // empty for the separator
    bool operator==(const MenuItem&) const = default;
};

// The row's context menu, in order, with only the items that apply.
QList<MenuItem> menuItems(const Show& show, bool pickPending);

} // namespace ShowRowText
