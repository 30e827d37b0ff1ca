#include "ReleasePicks.h"

#include "FakeWatchlist.h"
#include "Fixtures.h"

#include <gtest/gtest.h>

namespace {

using SortField = ReleasePicks::SortField;
using json = nlohmann::json;

SearchResult inSeason(const QString& title, char h, std::optional<int> season, int seeders) {
    SearchResult r = fakeRelease(title, h, "1080p", seeders);
    r.season = season;
    return r;
}

QStringList titles(const QList<SearchResult>& results) {
    QStringList out;
    for (const SearchResult& r : results)
        out << r.title;
    return out;
}

TEST(ReleasePicks, SortWithStableTies) {
    QList<SearchResult> arrived;
    const json table = fixtureJson("present/add-series.json")["releaseOrder"];
    for (const json& a : table["arrived"]) {
        SearchResult& r = arrived.emplaceBack();
        r.id = r.title = qstr(a[0]);
        if (!a[1].is_null())
            r.date = Timestamp::fromUnixSeconds(a[1].get<double>());
        r.quality = qstr(a[2]);
        r.seeders = a[3];
        r.sizeBytes = a[4];
    }
    for (const json& order : table["rows"]) {
        const auto field =
            SortField(QStringList{"date", "quality", "seeders", "size"}.indexOf(qstr(order[0])));
        QString ids;
        for (const SearchResult& r : ReleasePicks::sorted(arrived, field))
            ids += r.id;
        EXPECT_EQ(ids, qstr(order[1])) << order[0];
    }
}

TEST(ReleasePicks, AMovieKeepsOneTickAndSaysWhichItDropped) {
    const json rows = fixtureJson("present/add-series.json")["ticking"]["rows"];
    ASSERT_EQ(rows.size(), 4u);
    for (const json& row : rows) {
        ReleasePicks picks(row[1].get<bool>());
        picks.toggle(QStringLiteral("a"));
        picks.toggle(QStringLiteral("b"));
        EXPECT_EQ(picks.toggle(qstr(row[2])), strings(row[3])) << row[0];
        QStringList ticked(picks.picked().cbegin(), picks.picked().cend());
        ticked.sort();
        EXPECT_EQ(ticked, strings(row[4])) << row[0];
    }
}

TEST(ReleasePicks, TicksHiddenByTheFilterStillCountAndANewSearchDropsThem) {
    ReleasePicks picks(false);
    picks.publish({{inSeason("S02 pack", 'a', 2, 5), inSeason("S01E01", 'b', 1, 50),
                    inSeason("S02E03", 'c', 2, 20)},
                   false},
                  std::nullopt);
    EXPECT_EQ(picks.seasonsOffered(), (QList<int>{1, 2}));
    picks.setSort(SortField::seeders);
    picks.toggle(picks.results()[0].id);
    picks.toggle(picks.results()[1].id);
    picks.setSeasonView(2);
    EXPECT_EQ(titles(picks.listed()), (QStringList{"S02E03", "S02 pack"}));
    EXPECT_EQ(titles(picks.pickedInOrder()), (QStringList{"S01E01", "S02 pack"}));

    picks.clearForSearch();
    EXPECT_TRUE(picks.picked().isEmpty());
    EXPECT_EQ(picks.sort(), SortField::seeders);
    picks.publish({{inSeason("S01E01", 'b', 1, 50)}, false}, QStringLiteral("Dark"));
    EXPECT_EQ(picks.seasonView(), std::nullopt); // a new list opens on every season
    EXPECT_TRUE(picks.fellBack());
}

TEST(ReleasePicks, OnlyAnEmptyAnswerFromNoIndexCountsAsUnreachable) {
    ReleasePicks picks(true);
    picks.publish({{fakeRelease("Heat 1995 1080p", 'h')}, true}, std::nullopt);
    EXPECT_FALSE(picks.indexesUnreachable());
    EXPECT_TRUE(picks.seasonsOffered().isEmpty());
    picks.publish({{}, true}, std::nullopt);
    EXPECT_TRUE(picks.indexesUnreachable());
    picks.reset();
    EXPECT_FALSE(picks.indexesUnreachable());
    EXPECT_FALSE(picks.didSearch());
}

} // namespace
