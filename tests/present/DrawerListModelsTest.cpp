// The drawer's lists as rows: what each role reads for an episode or a download in every state,
// where the offer and the alternates open, and that a change repaints only the row it is about.

#include "DarkSeries.h"
#include "EpisodeListModel.h"
#include "ListSpies.h"
#include "RecentListModel.h"

#include <gtest/gtest.h>

namespace {

using Outcome = WatchlistOperations::EpisodeOutcome;
using Phase = EpisodeDrawerModel::Phase;

template <typename Model>
class DrawerList : public testing::Test {
protected:
    QString read(int row, int role) const { return list.index(row).data(role).toString(); }

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
        EXPECT_EQ(read(i, EpisodeListModel::StateTextRole), QString::fromUtf8(e.state));
        EXPECT_EQ(list.index(i).data(EpisodeListModel::StateToneRole).toInt(), e.tone);
        EXPECT_EQ(list.index(i).data(EpisodeListModel::PressableRole).toBool(), e.pressable);
        EXPECT_EQ(list.index(i).data(EpisodeListModel::BusyRole).toBool(), e.busy);
        // Only episodes take the keyboard; the offer's own buttons do.
        EXPECT_EQ(bool(list.flags(list.index(i)) & Qt::ItemIsEnabled),
                  !QByteArray(e.id).contains('/'));
    }
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

    struct Expected {
        QString id;
        const char* name;
        const char* description;
        int tone;
        bool flagged;
    };
    const Expected table[] = {
        {hashOf('a'), "S02E04 Dark.S02E04.1080p.WEB.h264-GRP",
         "12% · 0 peers · stuck 8 days · No seeds - likely abandoned", 5, true},
        {hashOf('a') + "/alternates", "Switch Release — S02E04", "", 0, false},
        {hashOf('5'), "S02E01 Dark.S02E01.1080p.NF.WEB-DL.DDP5.1.x264-NTb", "Saved", 4, false},
        {hashOf('6'), "S02E01 Dark.S02E01.720p.WEB.x264-ION10",
         "Cancelled — replaced by a new grab", 1, false},
        {hashOf('7'), "S01E02 Dark.S01E02.GERMAN.1080p.WEBRip.x265-RARBG",
         "Error: engine unreachable", 6, false},
    };
    ASSERT_EQ(list.rowCount(), std::size(table));
    for (int i = 0; i < list.rowCount(); ++i) {
        const Expected& e = table[i];
        SCOPED_TRACE(i);
        const bool panel = e.id.contains('/');
        EXPECT_EQ(list.row(i).id, e.id);
        EXPECT_EQ(read(i, Qt::AccessibleTextRole), QString::fromUtf8(e.name));
        EXPECT_EQ(read(i, Qt::AccessibleDescriptionRole), QString::fromUtf8(e.description));
        EXPECT_EQ(read(i, RecentListModel::RecordIdRole), e.id.left(40));
        if (!panel) {
            EXPECT_EQ(list.index(i).data(RecentListModel::StateToneRole).toInt(), e.tone);
        }
        EXPECT_EQ(list.index(i).data(RecentListModel::FlaggedRole).toBool(), e.flagged);
        EXPECT_EQ(bool(list.flags(list.index(i)) & Qt::ItemIsEnabled), !panel);
    }
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
