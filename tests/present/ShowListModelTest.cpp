#include "ShowListModel.h"

#include "FakeWatchlist.h"
#include "ListSpies.h"

#include <gtest/gtest.h>

namespace {

Timestamp at(int day, int hour) {
    return Timestamp::fromDateTime(QDateTime(QDate(2025, 3, day), QTime(hour, 0), Qt::UTC));
}

class ShowListModelTest : public testing::Test {
protected:
    ShowListModelTest() {
        for (const char* name : {"Dark", "Severance", "The Bear"})
            m_fake.showNamed(name);
        m_fake.showList[2].status = {
            ShowStatus::State::sorted, 1.0, QString("S01E02"), {}, at(12, 13)};
    }

    void start() {
        m_model = std::make_unique<ShowListModel>(m_fake);
        m_spies = std::make_unique<ListSpies>(m_model.get());
    }

    QVariant data(int row, int role) const { return m_model->data(m_model->index(row), role); }
    QString text(int row, int role) const { return data(row, role).toString(); }
    QList<int> changedRows() { return m_spies->changedRows(); }

    FakeWatchlist m_fake;
    std::unique_ptr<ShowListModel> m_model;
    std::unique_ptr<ListSpies> m_spies;
};

} // namespace

TEST_F(ShowListModelTest, RepaintsOnlyAChangedRowAndAddsOrRemovesInPlace) {
    start();
    ASSERT_EQ(m_model->rowCount(), 3);
    EXPECT_EQ(text(2, ShowListModel::NameRole), "The Bear");
    EXPECT_EQ(text(2, ShowListModel::StatusLineRole), "Sorted S01E02 · 23h ago");
    EXPECT_EQ(m_model->rowOf(m_fake.showList[1].id), 1);

    m_fake.showList[1].isEnabled = false;
    Q_EMIT m_fake.showsChanged();
    EXPECT_EQ(changedRows(), QList<int>{1});
    EXPECT_EQ(text(1, ShowListModel::SubscribeLabelRole), "Not subscribed");

    m_fake.showList[0].quality = Show::Quality::p720;
    Q_EMIT m_fake.showsChanged();
    EXPECT_EQ(changedRows(), QList<int>{0});
    EXPECT_EQ(text(0, ShowListModel::QualityLabelRole), "720p");

    Q_EMIT m_fake.showsChanged(); // nothing reads differently: nothing repaints
    EXPECT_TRUE(changedRows().isEmpty());

    m_fake.clock.set(at(13, 14)); // the sorted status is now 25 hours old
    m_model->refresh();
    EXPECT_EQ(changedRows(), QList<int>{2});
    EXPECT_EQ(text(2, ShowListModel::StatusLineRole), "Subscribed — checking the schedule…");
    EXPECT_EQ(m_spies->inserted.count() + m_spies->removed.count(), 0);

    m_fake.showList.removeAt(1);
    Q_EMIT m_fake.showsChanged();
    ASSERT_EQ(m_spies->removed.count(), 1);
    EXPECT_EQ(m_spies->removed.first()[1].toInt(), 1);
    EXPECT_EQ(text(1, ShowListModel::NameRole), "The Bear");

    m_fake.showList.insert(1, Show{.id = QUuid::createUuid(), .name = "Shōgun"});
    Q_EMIT m_fake.showsChanged();
    ASSERT_EQ(m_spies->inserted.count(), 1);
    EXPECT_EQ(m_spies->inserted.first()[1].toInt(), 1);
    EXPECT_EQ(text(1, ShowListModel::NameRole), "Shōgun");

    m_fake.showList.swapItemsAt(0, 2); // a rename that sorts elsewhere moves the row
    Q_EMIT m_fake.showsChanged();
    EXPECT_EQ(text(0, ShowListModel::NameRole), "The Bear");
    EXPECT_EQ(text(2, ShowListModel::NameRole), "Dark");
    EXPECT_EQ(m_spies->reset.count(), 0);
}

TEST_F(ShowListModelTest, AHiddenListOnlyCatchesUpWhenItIsLiveAgain) {
    start();
    m_model->setLive(false);
    m_fake.showList[1].isEnabled = false;
    m_fake.showList.removeFirst();
    Q_EMIT m_fake.showsChanged();
    EXPECT_TRUE(changedRows().isEmpty());
    EXPECT_EQ(m_model->rowCount(), 3);

    m_model->setLive(true);
    ASSERT_EQ(m_model->rowCount(), 2);
    EXPECT_EQ(text(0, ShowListModel::SubscribeLabelRole), "Not subscribed");
    EXPECT_EQ(m_spies->removed.count(), 1);
}

// The picks, the history and the settings each repaint the rows they concern.
TEST_F(ShowListModelTest, APendingPickAndAStuckDownloadMarkTheirRow) {
    start();
    SearchResult alternate = fakeRelease("Dark.S02E05.720p", 'b', "720p");
    m_fake.picks.insert(m_fake.showList[0].id, {"S02E05", {alternate}});
    Q_EMIT m_fake.pendingQualityPicksChanged();
    EXPECT_EQ(changedRows(), QList<int>{0});
    EXPECT_EQ(text(0, ShowListModel::StatusLineRole),
              "No 1080p release for S02E05 — choose a copy");
    EXPECT_TRUE(data(0, ShowListModel::PickPendingRole).toBool());
    EXPECT_EQ(m_model->menuItems(0).size(), 6);
    // A screen reader hears the name, then quality, subscription and the same status line.
    EXPECT_EQ(text(0, Qt::AccessibleTextRole), "Dark");
    EXPECT_EQ(text(0, Qt::AccessibleDescriptionRole),
              "1080p, Subscribed, No 1080p release for S02E05 — choose a copy");

    m_fake.picks.clear();
    Q_EMIT m_fake.pendingQualityPicksChanged();
    EXPECT_EQ(changedRows(), QList<int>{0});
    EXPECT_FALSE(data(0, ShowListModel::PickPendingRole).toBool());

    // Stuck for eight days: past the week the settings allow, not past a fortnight.
    DownloadRecord stuck;
    stuck.id = QString(40, 'a');
    stuck.showID = m_fake.showList[2].id;
    stuck.state = DownloadRecord::State::downloading;
    stuck.stuckSince = at(5, 12);
    m_fake.rows = {stuck};
    Q_EMIT m_fake.historyChanged();
    EXPECT_EQ(changedRows(), QList<int>{2});
    EXPECT_TRUE(data(2, ShowListModel::StaleRole).toBool());
    EXPECT_FALSE(data(0, ShowListModel::StaleRole).toBool());
    // The marker is a symbol on screen and words for a screen reader.
    EXPECT_TRUE(
        text(2, Qt::AccessibleDescriptionRole).endsWith("Possible stalled item in recents"));
    EXPECT_FALSE(text(0, Qt::AccessibleDescriptionRole).contains("stalled"));

    m_fake.appSettings.staleNudgeDays = 14;
    Q_EMIT m_fake.settingsChanged();
    EXPECT_EQ(changedRows(), QList<int>{2});
    EXPECT_FALSE(data(2, ShowListModel::StaleRole).toBool());
}
