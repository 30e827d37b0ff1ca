#include "ReleasePicks.h"

#include <algorithm>

namespace {

int qualityRank(const QString& label) {
    static const QStringList order{QStringLiteral("4K"), QStringLiteral("1080p"),
                                   QStringLiteral("720p"), QStringLiteral("480p")};
    const qsizetype at = order.indexOf(label);
    return at < 0 ? int(order.size()) : int(at);
}

} // namespace

ReleasePicks::ReleasePicks(bool movie)
    : m_movie(movie)
    , m_sort(movie ? SortField::seeders : SortField::date) {}

void ReleasePicks::clearForSearch() {
    m_results.clear();
    m_picked.clear();
    m_alias.reset();
    m_indexesUnreachable = false;
}

void ReleasePicks::reset() {
    clearForSearch();
    m_didSearch = false;
    m_seasonView.reset();
}

void ReleasePicks::publish(const ReleaseFinder::Releases& found, std::optional<QString> alias) {
    m_results = found.results;
    m_indexesUnreachable = found.results.isEmpty() && found.indexesUnreachable;
    m_alias = std::move(alias);
    m_didSearch = true;
    m_seasonView.reset();
}

QStringList ReleasePicks::toggle(const QString& releaseID) {
    QStringList changed;
    if (m_picked.contains(releaseID)) {
        m_picked.remove(releaseID);
    } else {
        // A movie is fetched once: picking another release replaces the first.
        if (m_movie) {
            changed = QStringList(m_picked.cbegin(), m_picked.cend());
            m_picked.clear();
        }
        m_picked.insert(releaseID);
    }
    changed.append(releaseID);
    return changed;
}

bool ReleasePicks::setSort(SortField sort) {
    if (sort == m_sort)
        return false;
    m_sort = sort;
    return true;
}

bool ReleasePicks::setSeasonView(std::optional<int> season) {
    if (season == m_seasonView)
        return false;
    m_seasonView = season;
    return true;
}

QList<SearchResult> ReleasePicks::sorted(QList<SearchResult> results, SortField sort) {
    const auto by = [&](auto key) {
        std::stable_sort(
            results.begin(), results.end(),
            [&](const SearchResult& a, const SearchResult& b) { return key(a) < key(b); });
    };
    switch (sort) {
    case SortField::date:
        // Newest first; undated ones count as the most distant past.
        std::stable_sort(results.begin(), results.end(),
                         [](const SearchResult& a, const SearchResult& b) {
                             return a.date.value_or(Timestamp::distantPast()) >
                                    b.date.value_or(Timestamp::distantPast());
                         });
        break;
    case SortField::quality:
        by([](const SearchResult& r) { return qualityRank(r.quality); });
        break;
    case SortField::seeders:
        by([](const SearchResult& r) { return -qint64(r.seeders); });
        break;
    case SortField::size:
        by([](const SearchResult& r) { return r.sizeBytes; });
        break;
    }
    return results;
}

QList<SearchResult> ReleasePicks::listed() const {
    QList<SearchResult> shown;
    for (const SearchResult& r : m_results) {
        if (!m_seasonView || r.season == m_seasonView)
            shown.append(r);
    }
    return sorted(std::move(shown), m_sort);
}

QList<SearchResult> ReleasePicks::pickedInOrder() const {
    QList<SearchResult> picked;
    for (const SearchResult& r : sorted(m_results, m_sort)) {
        if (m_picked.contains(r.id))
            picked.append(r);
    }
    return picked;
}

QList<int> ReleasePicks::seasonsOffered() const {
    QList<int> seasons;
    if (m_movie)
        return seasons;
    for (const SearchResult& r : m_results) {
        if (r.season && !seasons.contains(*r.season))
            seasons.append(*r.season);
    }
    std::sort(seasons.begin(), seasons.end());
    return seasons;
}

QList<ReleasePicks::SortField> ReleasePicks::sortFields() const {
    if (m_movie)
        return {SortField::seeders, SortField::date, SortField::quality, SortField::size};
    return {SortField::date, SortField::quality, SortField::seeders, SortField::size};
}
