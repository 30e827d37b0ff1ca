// The drawer's episode list as rows: what each role reads for an episode in every state, where
// the offer opens, and that a change repaints only the row it is about.

#include "EpisodeListModel.h"

#include "DarkSeries.h"
#include "ListSpies.h"

#include <gtest/gtest.h>

namespace {

using Outcome = WatchlistOperations::EpisodeOutcome;
using Model = EpisodeListModel;
using Phase = EpisodeDrawerModel::Phase;

class EpisodeList : public testing::Test {
protected:
    bool settled() { return ::settled(drawer); }
    QString read(int row, int role) const { return list.index(row).data(role).toString(); }
    QStringList ids() const {
        QStringList out;
        for (int i = 0; i < list.rowCount(); ++i)
            out << list.row(i).id;
        return out;
    }

    FakeWatchlist fake;
    Show& dark = scriptDark(fake);
    EpisodeDrawerModel drawer{fake};
    Model list{drawer};
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
    ASSERT_TRUE(settled());
    for (const char* code : {"S02E02", "S02E03", "S02E04"})
        drawer.pressEpisode(QString::fromLatin1(code));
    ASSERT_TRUE(runEventLoopUntil(
        [&] { return list.rowCount() == 8 && read(1, Model::StateTextRole) == "None found"; }));

    struct Expected {
        const char* id;
        const char* name; // the accessible name
        const char* description;
        const char* state;
        int tone;
        bool pressable;
        bool busy;
    };
    const Expected table[] = {
        {"S02E01", "S02E01 Beginnings and Endings", "Aired Feb 20, 2025, Got it", "Got it", 4,
         false, false},
        {"S02E02", "S02E02 Dark Matter", "Aired Feb 27, 2025, None found", "None found", 1, true,
         false},
        {"S02E03", "S02E03 Ghosts", "Aired Mar 6, 2025, Choose a copy", "Choose a copy", 5, true,
         false},
        {"S02E03/offer", "Other qualities are available — pick one to grab:", "", "", 0, false,
         false},
        {"S02E04", "S02E04 Travelers", "Aired Mar 6, 2025, Grabbing", "Grabbing", 1, false, true},
        {"S02E05", "S02E05 Lost and Found", "Aired Mar 13, 2025, Grab", "Grab", 3, true, false},
        {"S02E06", "S02E06 An Endless Cycle", "Airs Mar 20, 2025, Upcoming", "Upcoming", 2, false,
         false},
        {"S02E07", "S02E07 The White Devil", "Upcoming", "Upcoming", 2, false, false},
    };
    ASSERT_EQ(list.rowCount(), std::size(table));
    for (int i = 0; i < list.rowCount(); ++i) {
        const Expected& e = table[i];
        SCOPED_TRACE(e.id);
        EXPECT_EQ(list.row(i).id, QString::fromUtf8(e.id));
        EXPECT_EQ(read(i, Qt::AccessibleTextRole), QString::fromUtf8(e.name));
        EXPECT_EQ(read(i, Qt::AccessibleDescriptionRole), QString::fromUtf8(e.description));
        EXPECT_EQ(read(i, Model::StateTextRole), QString::fromUtf8(e.state));
        EXPECT_EQ(list.index(i).data(Model::StateToneRole).toInt(), e.tone);
        EXPECT_EQ(list.index(i).data(Model::PressableRole).toBool(), e.pressable);
        EXPECT_EQ(list.index(i).data(Model::BusyRole).toBool(), e.busy);
        // Only episodes take the keyboard; the offer's own buttons do.
        EXPECT_EQ(bool(list.flags(list.index(i)) & Qt::ItemIsEnabled),
                  !QByteArray(e.id).contains('/'));
    }
    EXPECT_EQ(read(2, Model::TooltipRole), "720p release — tap to pick another resolution");
    EXPECT_EQ(list.row(3).releases.size(), 1);
    EXPECT_EQ(read(3, Model::CodeRole), "S02E03");
}

TEST_F(EpisodeList, ThreeHundredEpisodesAndOneDownloadedRepaintsExactlyThatRow) {
    QList<Episode>& season = fake.episodesOf[{70523, 2}];
    season.clear();
    for (int n = 1; n <= 300; ++n)
        season.append({2, n, QStringLiteral("Episode %1").arg(n), utcDay(2024, 1, 1)});
    drawer.open(dark.id);
    ASSERT_TRUE(settled());
    ASSERT_EQ(list.rowCount(), 300);

    ListSpies spies(&list);
    dark.downloadedEpisodes = {"S02E150"};
    Q_EMIT fake.showsChanged();
    EXPECT_EQ(spies.changedRows(), QList<int>{149});
    EXPECT_EQ(read(149, Model::StateTextRole), "Got it");
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
    ASSERT_TRUE(settled());
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
    ASSERT_TRUE(settled());
    EXPECT_EQ(ids(), QStringList({"S01E01", "S01E02"}));
    EXPECT_EQ(spies.reset.count(), 0);

    // A failed lookup lists nothing, whatever was listed before.
    fake.tmdbFailure = LookupFailure::unreachable;
    dark.tmdbID.reset();
    drawer.open(dark.id);
    ASSERT_TRUE(settled());
    EXPECT_EQ(drawer.phase(), Phase::failed);
    EXPECT_EQ(list.rowCount(), 0);
}

} // namespace
