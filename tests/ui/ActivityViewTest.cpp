#include "ActivityView.h"

#include "UiHarness.h"

#include <QAbstractButton>
#include <QListView>
#include <QStackedWidget>
#include <QTest>

class ActivityViewTest : public UiHarness {};

TEST_F(ActivityViewTest, ClearEmptiesTheLogAndShowsTheEmptyState) {
    WatchlistStore& store = start();
    store.logActivity(QStringLiteral("Added \"Dark\" to schedule"), ActivityEntry::Kind::check);
    store.logActivity(QStringLiteral("Found Dark S01E01"), ActivityEntry::Kind::found);
    ActivityView view(store, m_theme);
    view.resize(576, 480);
    view.show();
    auto* list = find<QListView>(view, "activityList");
    auto* empty = find<QWidget>(view, "activityEmpty");
    ASSERT_TRUE(list && empty);
    EXPECT_TRUE(list->isVisible());

    QTest::mouseClick(find<QAbstractButton>(view, "clearActivityButton"), Qt::LeftButton);

    EXPECT_TRUE(store.activity().isEmpty());
    EXPECT_TRUE(empty->isVisible());
    EXPECT_FALSE(list->isVisible());

    // The first new line brings the list back.
    store.logActivity(QStringLiteral("Checked 1 series"), ActivityEntry::Kind::check);
    EXPECT_TRUE(list->isVisible());
}
