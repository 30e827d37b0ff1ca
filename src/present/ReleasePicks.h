#pragma once

#include "api/ReleaseFinder.h"
#include "model/SearchResult.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// The releases a search listed and the ones ticked among them, with the panel's order and
// season filter. A movie is fetched once, so it keeps one tick at most and has no seasons.
class ReleasePicks final {
public:
    enum class SortField { date, quality, seeders, size };

    explicit ReleasePicks(bool movie);

    const QList<SearchResult>& results() const { return m_results; }
    // A search has answered since the last reset.
    bool didSearch() const { return m_didSearch; }
    // The last search reached no index.
    bool indexesUnreachable() const { return m_indexesUnreachable; }
    // The name that found the releases when the official one found none.
    const std::optional<QString>& alias() const { return m_alias; }
    bool fellBack() const { return m_alias.has_value(); }
    const QSet<QString>& picked() const { return m_picked; }
    SortField sort() const { return m_sort; }
    const std::optional<int>& seasonView() const { return m_seasonView; }

    // A new search starts: the old list and ticks go, the order and the filter stay.
    void clearForSearch();
    // Nothing was searched yet, as for a new name.
    void reset();
    // A search answered; `alias` is set when the list came from the typed name instead.
    void publish(const ReleaseFinder::Releases& found, std::optional<QString> alias);
    // Ticks or unticks a release; the ids whose tick changed, the one asked for last.
    QStringList toggle(const QString& releaseID);
    bool setSort(SortField sort);
    bool setSeasonView(std::optional<int> season);

    // The releases listed: season filter, then sort order.
    QList<SearchResult> listed() const;
    // Ticked releases in list order, including ones the filter hides.
    QList<SearchResult> pickedInOrder() const;
    // Seasons the results carry, ascending.
    QList<int> seasonsOffered() const;
    // The sort choices in the order the panel offers them.
    QList<SortField> sortFields() const;

    static QList<SearchResult> sorted(QList<SearchResult> results, SortField sort);

private:
    bool m_movie;
    QList<SearchResult> m_results;
    bool m_didSearch = false;
    bool m_indexesUnreachable = false;
    std::optional<QString> m_alias;
    QSet<QString> m_picked;
    SortField m_sort;
    std::optional<int> m_seasonView;
};
