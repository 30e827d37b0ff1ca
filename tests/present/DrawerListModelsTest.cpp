// The drawer's lists as rows: what each role reads for an episode or a download in every state,
// where the offer and the alternates open, and that a change repaints only the row it is about.

#include "DarkSeries.h"
#include "EpisodeListModel.h"
#include "Fixtures.h"
#include "ListSpies.h"
#include "RecentListModel.h"

#include <gtest/gtest.h>

namespace {

using Outcome = WatchlistOperations::EpisodeOutcome;
using Phase = EpisodeDrawerModel::Phase;
using json = nlohmann::json;

template <typename Model>
class DrawerList : public testing::Test {
protected:
    QString read(int row, int role) const { return list.index(row).data(role).toString(); }

    // Each row as drawer-lists.json's table of that name writes it: its id, what the roles
    // read, and whether it takes the keyboard.
    void expectRows(const char* name, std::initializer_list<int> roles) const {
        const json table = fixtureJson("present/drawer-lists.json")[name]["rows"];
        ASSERT_EQ(list.rowCount(), int(table.size()));
        for (int i = 0; i < list.rowCount(); ++i) {
            json got{list.row(i).id.toStdString()};
            for (int role : roles) {
                const QVariant v = list.index(i).data(role);
                got.push_back(v.typeId() == QMetaType::Bool  ? json(v.toBool())
                              : v.typeId() == QMetaType::Int ? json(v.toInt())
                                                             : json(v.toString().toStdString()));
            }
            got.push_back(bool(list.flags(list.index(i)) & Qt::ItemIsEnabled));
            EXPECT_EQ(got, table[i]) << i;
        }
    }

    FakeWatchlist fake;
    Show& dark = scriptDark(fake);
    EpisodeDrawerModel drawer{fake};
    Model list{drawer};
};

using RecentList = DrawerList<RecentListModel>;

class EpisodeList : public DrawerList<EpisodeListModel> {
protected:
    QStringList ids() const {
        QStringList out;
        for (int i = 0; i < list.rowCount(); ++i)
            out << list.row(i).id;
        return out;
    }
};

// Every state a row can be in, as the list's roles read it. Tones: 1 quiet, 2 faint,
// 3 action, 4 done, 5 attention.
TEST_F(EpisodeList, EachRowReadsItsCodeTitleDateStateToneAndWhetherItCanBePressed) {
    dark.downloadedEpisodes = {"S02E01"};
    fake.outcomes = {{"S02E02", Outcome::notFound}, {"S02E03", Outcome::offered}};
    fake.picks.insert(dark.id,
                      {"S02E03", {fakeRelease("Dark.S02E03.720p.WEB-GRP", 'c', "720p", 8)}});
    fake.held = {"grabEpisodes Dark S02E04"};
    drawer.open(dark.id);
    ASSERT_TRUE(settled(drawer));
    for (const char* code : {"S02E02", "S02E03", "S02E04"})
        drawer.pressEpisode(QString::fromLatin1(code));
    ASSERT_TRUE(runEventLoopUntil([&] {
        return list.rowCount() == 8 && read(1, EpisodeListModel::StateTextRole) == "None found";
    }));

    expectRows("episodes", {Qt::AccessibleTextRole, Qt::AccessibleDescriptionRole,
                            EpisodeListModel::StateTextRole, EpisodeListModel::StateToneRole,
                            EpisodeListModel::PressableRole, EpisodeListModel::BusyRole});
    EXPECT_EQ(read(2, EpisodeListModel::TooltipRole),
              "720p release — tap to pick another resolution");
    EXPECT_EQ(list.row(3).releases.size(), 1);
    EXPECT_EQ(read(3, EpisodeListModel::CodeRole), "S02E03");
}

TEST_F(EpisodeList, ThreeHundredEpisodesAndOneDownloadedRepaintsExactlyThatRow) {
    QList<Episode>& season = fake.episodesOf[{70523, 2}];
    season.clear();
    for (int n = 1; n <= 300; ++n)
        season.append({2, n, QStringLiteral("Episode %1").arg(n), utcDay(2024, 1, 1)});
    drawer.open(dark.id);
    ASSERT_TRUE(settled(drawer));
    ASSERT_EQ(list.rowCount(), 300);

    ListSpies spies(&list);
    dark.downloadedEpisodes = {"S02E150"};
    Q_EMIT fake.showsChanged();
    EXPECT_EQ(spies.changedRows(), QList<int>{149});
    EXPECT_EQ(read(149, EpisodeListModel::StateTextRole), "Got it");
    EXPECT_EQ(spies.inserted.count() + spies.removed.count() + spies.moved.count() +
                  spies.reset.count(),
              0);

    // A change elsewhere that no row shows repaints nothing.
    Q_EMIT fake.historyChanged();
    EXPECT_TRUE(spies.changedRows().isEmpty());
}

TEST_F(EpisodeList, TheOfferOpensAndClosesUnderItsEpisodeAndAnotherSeasonReplacesTheRows) {
    fake.outcomes = {{"S02E03", Outcome::offered}};
    fake.picks.insert(dark.id,
                      {"S02E03", {fakeRelease("Dark.S02E03.720p.WEB-GRP", 'c', "720p", 8)}});
    drawer.open(dark.id);
    ASSERT_TRUE(settled(drawer));
    ListSpies spies(&list);

    drawer.pressEpisode("S02E03");
    ASSERT_TRUE(runEventLoopUntil([&] { return list.rowCount() == 8; }));
    ASSERT_EQ(spies.inserted.count(), 1);
    EXPECT_EQ(spies.inserted.first().at(1).toInt(), 3);
    drawer.closeOffer();
    EXPECT_EQ(ids(),
              QStringList({"S02E01", "S02E02", "S02E03", "S02E04", "S02E05", "S02E06", "S02E07"}));
    ASSERT_EQ(spies.removed.count(), 1);
    EXPECT_EQ(spies.removed.first().at(1).toInt(), 3);

    drawer.selectSeason(1);
    ASSERT_TRUE(settled(drawer));
    EXPECT_EQ(ids(), QStringList({"S01E01", "S01E02"}));
    EXPECT_EQ(spies.reset.count(), 0);

    // A failed lookup lists nothing, whatever was listed before.
    fake.tmdbFailure = LookupFailure::unreachable;
    dark.tmdbID.reset();
    drawer.open(dark.id);
    ASSERT_TRUE(settled(drawer));
    EXPECT_EQ(drawer.phase(), Phase::failed);
    EXPECT_EQ(list.rowCount(), 0);
}

// Tones: 1 quiet, 4 done, 5 attention, 6 failure.
TEST_F(RecentList, EachDownloadReadsItsEpisodeTitleStateAndActionsAndItsAlternatesOpenUnderIt) {
    fake.rows = darkHistory("a567");
    fake.alternatesOf[hashOf('a')] = {fakeRelease("Dark.S02E04.1080p.WEB-NEW", 'b', "1080p", 25)};
    drawer.open(dark.id);
    drawer.findAlternates(hashOf('a'));
    ASSERT_TRUE(runEventLoopUntil([&] { return !drawer.loadingAlternates(); }));

    expectRows("recent", {Qt::AccessibleTextRole, Qt::AccessibleDescriptionRole,
                          RecentListModel::RecordIdRole, RecentListModel::StateToneRole,
                          RecentListModel::FlaggedRole});
    ASSERT_EQ(list.row(1).releases.size(), 1);
    EXPECT_EQ(list.row(1).releases.first().label, "Dark.S02E04.1080p.WEB-NEW");

    drawer.closeAlternates();
    EXPECT_EQ(list.rowCount(), 4);
}

TEST_F(RecentList, OneDownloadMovingOnRepaintsOnlyItsRowAndTheSearchOnlyThePanel) {
    fake.rows = darkHistory("a567");
    drawer.open(dark.id);
    ASSERT_EQ(list.rowCount(), 4);
    ListSpies spies(&list);

    fake.rows[1].state = DownloadRecord::State::error;
    fake.rows[1].detail = "engine unreachable";
    Q_EMIT fake.historyChanged();
    EXPECT_EQ(spies.changedRows(), QList<int>{1});
    EXPECT_EQ(read(1, RecentListModel::StateLineRole), "Error: engine unreachable");

    drawer.findAlternates(hashOf('a'));
    ASSERT_EQ(spies.inserted.count(), 1);
    EXPECT_EQ(spies.inserted.first().at(1).toInt(), 1);
    EXPECT_EQ(list.row(1).note, "Searching…");
    ASSERT_TRUE(runEventLoopUntil([&] { return !drawer.loadingAlternates(); }));
    EXPECT_EQ(spies.changedRows(), QList<int>{1});
    EXPECT_EQ(list.row(1).note, "No other releases found for this episode.");
    EXPECT_EQ(spies.reset.count(), 0);
}

} // namespace
