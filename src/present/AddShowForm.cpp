#include "AddShowForm.h"

std::optional<int> AddShowForm::parsedSeason(const QString& text) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(n) : std::nullopt;
}

std::optional<Show::Quality> AddShowForm::wantedQuality() const {
    return anyQuality ? std::nullopt : std::optional<Show::Quality>(quality);
}

bool AddShowForm::canCommit(bool movie) const {
    if (name.trimmed().isEmpty())
        return false;
    if (movie)
        return true;
    return !pullEntireSeason || season().has_value();
}

WatchlistOperations::NewShow AddShowForm::newShow(std::optional<SeriesResult> match,
                                                  std::optional<QString> searchAlias) const {
    WatchlistOperations::NewShow form;
    form.name = name;
    form.match = std::move(match);
    form.searchAlias = std::move(searchAlias);
    form.quality = quality;
    form.anyQuality = anyQuality;
    form.fallbackAnyQuality = fallbackAnyQuality;
    form.startWithLatest = startWithLatest;
    form.seasonText = seasonText;
    form.pullEntireSeason = pullEntireSeason;
    return form;
}
