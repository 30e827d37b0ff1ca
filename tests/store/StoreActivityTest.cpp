#include "StoreHarness.h"

#include <QSignalSpy>

class StoreActivity : public StoreHarness {};

TEST_F(StoreActivity, ClearEmptiesTheLogAndItsFileAtOnce) {
    WatchlistStore& store = start();
    store.logActivity(QStringLiteral("Checked 3 series"), ActivityEntry::Kind::check);
    store.logActivity(QStringLiteral("Found Dark S01E01"), ActivityEntry::Kind::found);
    ASSERT_EQ(stored<QList<ActivityEntry>>(StorageFiles::kActivity)->size(), 2);

    QSignalSpy changed(&store, &WatchlistStore::activityChanged);
    store.clearActivity();

    EXPECT_TRUE(store.activity().isEmpty());
    EXPECT_EQ(changed.count(), 1);
    // Written before any event loop runs: a crash right after cannot bring the lines back.
    const auto onDisk = stored<QList<ActivityEntry>>(StorageFiles::kActivity);
    ASSERT_TRUE(onDisk.has_value());
    EXPECT_TRUE(onDisk->isEmpty());

    // The next start reads the empty log, and logging starts afresh.
    m_store.reset();
    WatchlistStore& again = start();
    EXPECT_TRUE(again.activity().isEmpty());
    again.logActivity(QStringLiteral("Checked 3 series"), ActivityEntry::Kind::check);
    EXPECT_EQ(stored<QList<ActivityEntry>>(StorageFiles::kActivity)->size(), 1);
}
