#pragma once

#include "model/DownloadRecord.h"
#include "model/Lookup.h"
#include "model/Timestamp.h"

#include <QLocale>
#include <QString>

#include <optional>

// The episode drawer's rules of what a row says: the state of an episode row and its tooltip,
// the air-date line, the season button's tooltip, a download's state line and the texts for a
// failed lookup. Plain functions of their facts, so each rule is tested on its own.
namespace EpisodeDrawerTexts {

// Listed in precedence order: the first that applies is what the row shows.
enum class RowState { gotIt, grabbing, chooseCopy, unreachable, noneFound, upcoming, grab };

// The colour of what the drawer shows, by what it means; the view maps each to its theme.
// An episode row in `done` or `faint` is a quiet tag; in the others, a button.
enum class Tone {
    plain,     // ordinary text
    quiet,     // secondary: a state line, a search under way, a button that needs nothing
    faint,     // not yet there (upcoming), nothing to say
    action,    // the thing to do
    done,      // saved, got it
    attention, // the user is asked
    failure,   // it went wrong
};
Tone rowTone(RowState state);
// A download's state line: stuck long enough to ask, failed, saved, or under way.
Tone recentTone(const DownloadRecord& row, bool flagged, bool failed);

struct RowFacts {
    bool downloaded = false;
    bool grabbing = false;                 // searching, or a download is under way
    std::optional<QString> offeredQuality; // other-quality releases wait: the label offered
    bool noRelease = false;                // the last search found nothing seeded
    bool upcoming = false;                 // airs later, or no air date
    bool indexesUnreachable = false;       // the last search reached no index at all
};

RowState rowState(const RowFacts& facts);
// What a download's tracker hint reads as: the count of seeds found when there is one.
QString trackerHintText(const DownloadRecord& row);
QString rowLabel(RowState state);
QString rowTooltip(RowState state, const QString& offeredQuality = {});
// Whether pressing the row does something (grab, grab again, open the offer).
bool rowPressable(RowState state);

// "Aired Mar 6, 2025" / "Airs Mar 20, 2025"; empty without an air date. The date is TMDB's
// air day (a UTC midnight), so it is read in UTC and never shifts a day west of Greenwich.
QString airDateText(std::optional<Timestamp> airDate, Timestamp now,
                    const QLocale& locale = QLocale());

QString completeSeasonTooltip(int season, int missing);

// "42% · 3 peers · stuck 2 days", "Saved", "Error: engine unreachable", "Cancelled — …".
QString recentStateLine(const DownloadRecord& row, Timestamp now);

// What a failed TMDB request tells the user, and what to do about it.
QString tmdbFailureText(LookupFailure failure);
QString indexesUnreachableText();

// "12 seeders · 1.4 GB"
QString seedersAndSize(int seeders, qint64 sizeBytes, const QLocale& locale = QLocale());

} // namespace EpisodeDrawerTexts
