#include "MatchLookup.h"

void MatchLookup::reset() {
    *this = MatchLookup();
}

void MatchLookup::publishSeries(const Lookup<QList<SeriesResult>>& answer, Timestamp now) {
    m_matches = answer.value;
    m_movies.clear();
    m_failure = answer.failure;
    m_lookedUp = true;
    m_shownAt = now;
}

void MatchLookup::publishMovies(const Lookup<QList<MovieResult>>& answer, Timestamp now) {
    m_matches.clear();
    for (const MovieResult& movie : answer.value)
        m_matches.append({movie.id, movie.title, movie.year, movie.overview, movie.posterPath});
    m_movies = answer.value;
    m_failure = answer.failure;
    m_lookedUp = true;
    m_shownAt = now;
}

bool MatchLookup::resolve(int index, Timestamp now) {
    if (index < 0 || index >= m_matches.size() || !m_shownAt)
        return false;
    if (now - *m_shownAt < kArmingDelay)
        return false;
    m_resolvedShow = m_matches[index];
    if (!m_movies.isEmpty())
        m_resolvedMovie = m_movies.value(index);
    return true;
}

void MatchLookup::forgetResolved() {
    m_resolvedShow.reset();
    m_resolvedMovie.reset();
}

QString MatchLookup::comparable(const QString& text) {
    QString out;
    for (const QChar c : text.toLower()) {
        if (c.isLetterOrNumber())
            out.append(c);
    }
    return out;
}
