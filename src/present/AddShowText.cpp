#include "AddShowText.h"

#include "model/EnumRaw.h"

#include <QDateTime>
#include <QLocale>
#include <QStringList>

namespace {

const QChar kOpenQuote(0x201C);
const QChar kCloseQuote(0x201D);

// The three texts of a plan: its choice, what the choice means, and the button that commits it.
struct PlanTexts {
    const char* title;
    const char* description;
    const char* commit;
};

PlanTexts planTexts(WatchlistOperations::PickPlan plan) {
    using PickPlan = WatchlistOperations::PickPlan;
    switch (plan) {
    case PickPlan::continueForward:
        return {"Continue from here", "Grab this and every episode after it",
                "Grab & continue from here"};
    case PickPlan::onlyThis:
        return {"Just this", "Only what you picked — nothing ongoing", "Grab just this"};
    case PickPlan::thisThenLatest:
        return {"This, then newest", "Grab this, then follow new episodes as they air",
                "Grab & follow newest"};
    }
    return {"", "", ""};
}

} // namespace

namespace AddShowText {

QString noun(bool movie) {
    return movie ? QStringLiteral("movie") : QStringLiteral("series");
}

QString sortLabel(ReleasePicks::SortField sort) {
    using SortField = ReleasePicks::SortField;
    switch (sort) {
    case SortField::date:
        return QStringLiteral("Date");
    case SortField::quality:
        return QStringLiteral("Quality");
    case SortField::seeders:
        return QStringLiteral("Seeders");
    case SortField::size:
        return QStringLiteral("Size");
    }
    return {};
}

QString seasonLabel(std::optional<int> season) {
    return season ? QStringLiteral("Season %1").arg(*season) : QStringLiteral("All seasons");
}

QString planTitle(WatchlistOperations::PickPlan plan) {
    return QString::fromUtf8(planTexts(plan).title);
}

QString planDescription(WatchlistOperations::PickPlan plan) {
    return QString::fromUtf8(planTexts(plan).description);
}

QString planCommitLabel(WatchlistOperations::PickPlan plan) {
    return QString::fromUtf8(planTexts(plan).commit);
}

QString releaseDetail(const SearchResult& result) {
    const QLocale c = QLocale::c();
    QStringList parts;
    parts.append(result.quality);
    if (result.sizeBytes > 0)
        parts.append(c.formattedDataSize(result.sizeBytes, 1, QLocale::DataSizeTraditionalFormat));
    parts.append(result.seeders == 1 ? QStringLiteral("1 seeder")
                                     : QStringLiteral("%1 seeders").arg(result.seeders));
    if (result.date)
        parts.append(
            c.toString(result.date->toDateTime().toUTC().date(), QStringLiteral("d MMM yyyy")));
    if (!result.source.isEmpty())
        parts.append(result.source);
    return parts.join(QStringLiteral(" · "));
}

QString matchTitle(const SeriesResult& match) {
    if (!match.firstAirYear || match.firstAirYear->isEmpty())
        return match.name;
    return match.name + QStringLiteral(" (") + *match.firstAirYear + u')';
}

QString lookupNotice(LookupFailure failure, const QString& typed) {
    switch (failure) {
    case LookupFailure::none:
        return QStringLiteral("TMDB has no match for ") + kOpenQuote + typed + kCloseQuote;
    case LookupFailure::noKey:
        return QStringLiteral("No TMDB API key is set — add one in Settings.");
    case LookupFailure::refusedKey:
        return QStringLiteral("TMDB refused the API key — check the TMDB key in Settings.");
    case LookupFailure::unreachable:
        return QStringLiteral("Could not reach TMDB — check the connection.");
    case LookupFailure::badAnswer:
        return QStringLiteral("TMDB sent an answer that could not be read — try again shortly.");
    }
    return {};
}

QString lookupEmptyTitle(LookupFailure failure, bool movie) {
    switch (failure) {
    case LookupFailure::none:
        return movie ? QStringLiteral("No films found on TMDB")
                     : QStringLiteral("No series found on TMDB");
    case LookupFailure::noKey:
        return QStringLiteral("No TMDB API key");
    case LookupFailure::refusedKey:
        return QStringLiteral("TMDB refused the API key");
    case LookupFailure::unreachable:
        return QStringLiteral("Could not reach TMDB");
    case LookupFailure::badAnswer:
        return QStringLiteral("TMDB's answer could not be read");
    }
    return {};
}

QString lookupEmptyNote(LookupFailure failure, bool movie) {
    switch (failure) {
    case LookupFailure::none:
        return {};
    case LookupFailure::noKey:
    case LookupFailure::refusedKey:
        return QStringLiteral("Check the TMDB key in Settings, or add the %1 as typed.")
            .arg(noun(movie));
    case LookupFailure::unreachable:
        return QStringLiteral("Check the connection, or add the %1 as typed.").arg(noun(movie));
    case LookupFailure::badAnswer:
        return QStringLiteral("Try again in a moment, or add the %1 as typed.").arg(noun(movie));
    }
    return {};
}

QString fallbackNotice(const QString& alias, bool movie) {
    const QString which = movie ? QStringLiteral("exact") : QStringLiteral("official");
    return QStringLiteral("No results for the %1 title — showing results for ").arg(which) +
           kOpenQuote + alias + kCloseQuote;
}

QString qualityNote(Show::Quality quality) {
    return QStringLiteral("If there's no ") + toRaw(quality) +
           QStringLiteral(" release, grab the best other one automatically. Off = ask me first.");
}

QString pullTitle(std::optional<int> season) {
    if (season)
        return QStringLiteral("Pull all of Season %1").arg(*season);
    return QStringLiteral("Pull entire series");
}

QString pullNote(std::optional<int> season) {
    if (season)
        return QStringLiteral("Grabs all of Season %1 — every aired episode, one by one.")
            .arg(*season);
    return QStringLiteral(
        "Type a season number to pull — or turn the switch off to just follow the series.");
}

} // namespace AddShowText
