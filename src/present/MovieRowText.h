#pragma once

#include "ShowRowText.h"
#include "model/DownloadRecord.h"
#include "model/Movie.h"
#include "model/SearchResult.h"
#include "model/Timestamp.h"

#include <QList>
#include <QString>

#include <optional>

// What a row of the movie list says: its status line, the labels and tooltips of its
// controls, a running download's line, the flagged download's actions and alternates, and
// the context menu.
namespace MovieRowText {

inline const QString kTitle = QStringLiteral("Movies");
inline const QString kAddMovie = QStringLiteral("Add Movie");
inline const QString kEmptyTitle = QStringLiteral("No movies yet");
inline const QString kEmptyLine = QStringLiteral("Add a movie to start hunting for a release");
inline const QString kQualityTooltip = QStringLiteral("Change the resolution for this movie");
inline const QString kQualityPopoverTitle = QStringLiteral("Change resolution for this movie");
inline const QString kQualityPopoverNote =
    QStringLiteral("Adjusting this will restart the search, and discontinue any stalled download "
                   "of this movie");
inline const QString kApplyQuality = QStringLiteral("Apply");
inline const QString kFindAlternate = QStringLiteral("Find an alternate request");
inline const QString kRemoveRequest = QStringLiteral("Remove request");
inline const QString kSnoozeWeek = QStringLiteral("Snooze a week");
inline const QString kSearching = QStringLiteral("Searching…");
inline const QString kNoAlternates = QStringLiteral("No other releases found for this movie.");
inline constexpr int kSnoozeDays = 7;

using Tone = ShowRowText::Tone;
using StatusLine = ShowRowText::StatusLine;

// The line under the title; the first rule that applies wins.
StatusLine statusLine(const Movie& movie);

// "Heat (1995)": the title and the year when there is one.
QString titleLine(const Movie& movie);
QString trashTooltip(const Movie& movie);

// The movie's download under way, if any: the newest history row still downloading.
std::optional<DownloadRecord> runningDownload(const QList<DownloadRecord>& rowsNewestFirst);
// "3 peers", "1 peer · stuck 2 days": the peer count and, when stalled a day or more, for how
// long.
QString downloadLine(const DownloadRecord& row, Timestamp now);

// The releases a flagged download may switch to: not the running one, not a rejected one.
QList<SearchResult> alternates(const QList<SearchResult>& found, const QString& runningHash,
                               const QStringList& rejectedHashes);
// "12 seeders · 1.4 GB"
QString alternateLine(const SearchResult& release);

enum class MenuAction { toggleEnabled, searchNow, clearStatus, separator, remove };

struct MenuItem {
    MenuAction action;
    QString label; // empty for the separator
    bool operator==(const MenuItem&) const = default;
};

QList<MenuItem> menuItems(const Movie& movie);

} // namespace MovieRowText
