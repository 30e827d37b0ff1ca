// The drawer's Recent tab as rows: what each download reads, where its alternates open, and
// that a change repaints only the row it is about.

#include "RecentListModel.h"

#include "DarkSeries.h"
#include "ListSpies.h"

#include <gtest/gtest.h>

namespace {

using Model = RecentListModel;

class RecentList : public testing::Test {
protected:
    QString read(int row, int role) const { return list.index(row).data(role).toString(); }

    FakeWatchlist fake;
    Show& dark = scriptDark(fake);
    EpisodeDrawerModel drawer{fake};
    Model list{drawer};
};

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
        EXPECT_EQ(read(i, Model::RecordIdRole), e.id.left(40));
        if (!panel) {
            EXPECT_EQ(list.index(i).data(Model::StateToneRole).toInt(), e.tone);
        }
        EXPECT_EQ(list.index(i).data(Model::FlaggedRole).toBool(), e.flagged);
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
    EXPECT_EQ(read(1, Model::StateLineRole), "Error: engine unreachable");

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
