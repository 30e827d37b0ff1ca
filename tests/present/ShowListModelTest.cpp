#include "ShowListModel.h"

#include "Fixtures.h"
#include "TestEnvironment.h"
#include "model/RecordCodecs.h"
#include "store/WatchlistStore.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

Timestamp at(int day, int hour) {
    return Timestamp::fromDateTime(QDateTime(QDate(2025, 3, day), QTime(hour, 0), Qt::UTC));
}

class ShowListModelTest : public testing::Test {
protected:
    void SetUp() override {
        m_env.clock().set(at(13, 12));
        for (const char* name : {"Dark", "Severance", "The Bear"})
            m_shows.append(Show{.id = QUuid::createUuid(), .name = name});
        m_shows[2].status = {ShowStatus::State::sorted, 1.0, QString("S01E02"), {}, at(12, 13)};
    }

    void start() {
        m_env.writeStorageFile(StorageFiles::kShows, encodeDocument(m_shows));
        m_store = std::make_unique<WatchlistStore>(m_env.environment(), nullptr, nullptr);
        m_model = std::make_unique<ShowListModel>(*m_store);
        m_tester = std::make_unique<QAbstractItemModelTester>(
            m_model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        m_changed = std::make_unique<QSignalSpy>(m_model.get(), &QAbstractItemModel::dataChanged);
        m_inserted = std::make_unique<QSignalSpy>(m_model.get(), &QAbstractItemModel::rowsInserted);
        m_removed = std::make_unique<QSignalSpy>(m_model.get(), &QAbstractItemModel::rowsRemoved);
        m_reset = std::make_unique<QSignalSpy>(m_model.get(), &QAbstractItemModel::modelReset);
    }

    QString text(int row, int role) const {
        return m_model->data(m_model->index(row), role).toString();
    }

    // The rows that dataChanged named, in order.
    QList<int> changedRows() const {
        QList<int> rows;
        for (const QList<QVariant>& args : *m_changed) {
            const auto from = args[0].toModelIndex().row(), to = args[1].toModelIndex().row();
            for (int r = from; r <= to; ++r)
                rows.append(r);
        }
        return rows;
    }

    TestEnvironment m_env;
    QList<Show> m_shows;
    std::unique_ptr<WatchlistStore> m_store;
    std::unique_ptr<ShowListModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    std::unique_ptr<QSignalSpy> m_changed, m_inserted, m_removed, m_reset;
};

} // namespace

TEST_F(ShowListModelTest, ListsTheStoreInOrderRepaintsOnlyAChangedRowAndAddsOrRemovesInPlace) {
    start();
    ASSERT_EQ(m_model->rowCount(), 3);
    EXPECT_EQ(text(2, ShowListModel::NameRole), "The Bear");
    EXPECT_EQ(text(2, ShowListModel::StatusLineRole), "Sorted S01E02 · 23h ago");
    EXPECT_EQ(m_model->rowOf(m_shows[1].id), 1);

    m_store->setSubscribed(m_shows[1].id, false);
    EXPECT_EQ(changedRows(), QList<int>{1});
    EXPECT_EQ(text(1, ShowListModel::SubscribeLabelRole), "Not subscribed");

    m_changed->clear();
    m_store->setShowQuality(m_shows[0].id, Show::Quality::p720);
    EXPECT_EQ(changedRows(), QList<int>{0});
    EXPECT_EQ(text(0, ShowListModel::QualityLabelRole), "720p");
    EXPECT_EQ(m_inserted->count() + m_removed->count() + m_reset->count(), 0);

    m_changed->clear();
    m_env.clock().set(at(13, 14)); // the sorted status is now 25 hours old
    m_model->refresh();
    EXPECT_EQ(changedRows(), QList<int>{2});
    EXPECT_EQ(text(2, ShowListModel::StatusLineRole), "Subscribed — checking the schedule…");

    // Added and removed series are inserted and removed in place.
    m_changed->clear();
    m_store->removeShow(m_shows[1].id);
    ASSERT_EQ(m_removed->count(), 1);
    EXPECT_EQ(m_removed->first()[1].toInt(), 1);
    EXPECT_EQ(text(1, ShowListModel::NameRole), "The Bear");

    m_store->addShow({.name = "Shōgun", .startWithLatest = false});
    ASSERT_EQ(m_inserted->count(), 1);
    EXPECT_EQ(m_inserted->first()[1].toInt(), 2);
    EXPECT_EQ(text(2, ShowListModel::NameRole), "Shōgun");
    EXPECT_TRUE(changedRows().isEmpty());
    EXPECT_EQ(m_reset->count(), 0);
}

TEST_F(ShowListModelTest, AHiddenListOnlyCatchesUpWhenItIsLiveAgain) {
    start();
    m_model->setLive(false);
    m_store->setSubscribed(m_shows[1].id, false);
    m_store->removeShow(m_shows[0].id);
    EXPECT_TRUE(m_changed->isEmpty());
    EXPECT_EQ(m_model->rowCount(), 3);

    m_model->setLive(true);
    ASSERT_EQ(m_model->rowCount(), 2);
    EXPECT_EQ(text(0, ShowListModel::SubscribeLabelRole), "Not subscribed");
    EXPECT_EQ(m_removed->count(), 1);
}

TEST_F(ShowListModelTest, APendingPickTakesOverItsRow) {
    // The grace for S02E05 ran out days ago: the next sighting asks the user.
    m_shows[0].qualityGraceEpisode = "S02E05";
    m_shows[0].qualityGraceFirstSeenAt = at(1, 0);
    start();
    SearchResult alternate;
    alternate.quality = "720p";
    ASSERT_TRUE(m_store->holdOrAskForResolution("S02E05", {alternate}, m_shows[0].id));

    EXPECT_EQ(changedRows(), QList<int>{0});
    EXPECT_EQ(text(0, ShowListModel::StatusLineRole),
              "No 1080p release for S02E05 — choose a copy");
    EXPECT_TRUE(m_model->data(m_model->index(0), ShowListModel::PickPendingRole).toBool());
    EXPECT_EQ(m_model->menuItems(0).size(), 6);

    m_changed->clear();
    m_store->dismissQualityPick(m_shows[0].id);
    EXPECT_EQ(changedRows(), QList<int>{0});
    EXPECT_FALSE(m_model->data(m_model->index(0), ShowListModel::PickPendingRole).toBool());
}

TEST_F(ShowListModelTest, TheStaleMarkerFollowsTheHistory) {
    // The first record there is stuck since March 5, past the default week.
    const nlohmann::json stuck = fixtureJson("present/drawer-history.json")["records"][0];
    m_shows[2].id = QUuid(qstr(stuck["showID"]));
    m_env.writeStorageFile(StorageFiles::kHistory,
                           QByteArray::fromStdString("[" + stuck.dump() + "]"));
    start();
    EXPECT_TRUE(m_model->data(m_model->index(2), ShowListModel::StaleRole).toBool());
    EXPECT_FALSE(m_model->data(m_model->index(0), ShowListModel::StaleRole).toBool());

    m_store->snoozeStale(qstr(stuck["id"]));
    EXPECT_EQ(changedRows(), QList<int>{2});
    EXPECT_FALSE(m_model->data(m_model->index(2), ShowListModel::StaleRole).toBool());
}
