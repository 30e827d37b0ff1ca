#include "ActivityView.h"

#include "UiHarness.h"

#include <QAbstractButton>
#include <QListView>
#include <QTest>

class ActivityViewTest : public UiHarness {
protected:
    void logLine(const char* message) {
        m_fake.log.prepend(
            {QUuid::createUuid(), m_fake.now(), message, ActivityEntry::Kind::check});
        Q_EMIT m_fake.activityLogged(m_fake.log.first());
    }
};

TEST_F(ActivityViewTest, ClearAsksToEmptyTheLogAndTheEmptyStateFollowsIt) {
    logLine("Added \"Dark\" to schedule");
    ActivityView view(m_fake, m_theme);
    view.resize(576, 480);
    view.show();
    auto* list = find<QListView>(view, "activityList");
    auto* empty = find<QWidget>(view, "activityEmpty");
    ASSERT_TRUE(list && empty);
    EXPECT_TRUE(list->isVisible());

    QTest::mouseClick(find<QAbstractButton>(view, "clearActivityButton"), Qt::LeftButton);
    EXPECT_EQ(m_fake.calls, QStringList{"clearActivity"});
    m_fake.log.clear();
    Q_EMIT m_fake.activityChanged();
    EXPECT_TRUE(empty->isVisible());
    EXPECT_FALSE(list->isVisible());

    // The first new line brings the list back.
    logLine("Checked 1 series");
    EXPECT_TRUE(list->isVisible());
}
