#pragma once

#include "model/Lookup.h"
#include "model/MovieResult.h"
#include "model/SeriesResult.h"
#include "model/Timestamp.h"

#include <QList>
#include <QString>

#include <optional>

// The TMDB matches offered for the typed name and the one confirmed. A movie's matches are
// listed as series are (title and year as name and first year), its own record kept beside.
class MatchLookup final {
public:
    // A click this soon after the matches appeared was meant for what was there before.
    static constexpr double kArmingDelay = 0.35; // seconds

    const QList<SeriesResult>& matches() const { return m_matches; }
    const std::optional<SeriesResult>& resolvedShow() const { return m_resolvedShow; }
    const std::optional<MovieResult>& resolvedMovie() const { return m_resolvedMovie; }
    // A lookup has answered for the current name.
    bool lookedUp() const { return m_lookedUp; }
    LookupFailure failure() const { return m_failure; }
    std::optional<Timestamp> shownAt() const { return m_shownAt; }

    void reset();
    void publishSeries(const Lookup<QList<SeriesResult>>& answer, Timestamp now);
    void publishMovies(const Lookup<QList<MovieResult>>& answer, Timestamp now);
    // Confirms a match; false when there is no such match or the click came too soon.
    bool resolve(int index, Timestamp now);
    // Drops the confirmed match, keeping what was offered ("add as typed").
    void forgetResolved();

    // Letters and digits only, lower-cased: how the typed name and the official title compare.
    static QString comparable(const QString& text);

private:
    QList<SeriesResult> m_matches;
    QList<MovieResult> m_movies; // a movie lookup's answer, in the order of m_matches
    std::optional<SeriesResult> m_resolvedShow;
    std::optional<MovieResult> m_resolvedMovie;
    bool m_lookedUp = false;
    LookupFailure m_failure = LookupFailure::none;
    std::optional<Timestamp> m_shownAt;
};
