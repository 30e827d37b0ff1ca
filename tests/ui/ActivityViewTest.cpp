#include "ActivityView.h"

#include "ActivityDayText.h"
#include "UiHarness.h"

#include <QAbstractButton>
#include <QListView>
#include <QTest>

class ActivityViewTest : public UiHarness {
protected:
    void logLine(const char* message, ActivityEntry::Kind kind = ActivityEntry::Kind::check) {
        m_fake.log.prepend({QUuid::createUuid(), m_fake.now(), message, kind});
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

TEST_F(ActivityViewTest, ALongMessageWrapsWholeAndReadsWithItsTimeAndKind) {
    logLine("Checked 1 series");
    logLine("Could not reach the torrent indexes: knaben, apibay, yts, eztv, torrents-csv and nyaa "
            "did not answer within fifteen seconds, so the check of Severance will be tried again "
            "at the next occasion",
            ActivityEntry::Kind::error);
    ActivityView view(m_fake, m_theme);
    view.resize(576, 480);
    view.show();
    auto* list = find<QListView>(view, "activityList");
    ASSERT_TRUE(list);
    QCoreApplication::processEvents();
    // Row 0 is the day's header, then the newest line first.
    const QModelIndex longLine = list->model()->index(1, 0);
    const QModelIndex shortLine = list->model()->index(2, 0);
    const int oneLine = list->visualRect(shortLine).height();
    const int wide = list->visualRect(longLine).height();
    EXPECT_GT(wide, oneLine) << "the long message takes more than one line";

    view.resize(380, 480);
    QCoreApplication::processEvents();
    list->doItemsLayout();
    EXPECT_GT(list->visualRect(longLine).height(), wide) << "narrower, it wraps onto more lines";
    EXPECT_EQ(list->visualRect(shortLine).height(), oneLine);

    EXPECT_TRUE(longLine.data(Qt::AccessibleTextRole)
                    .toString()
                    .startsWith(activity::timeText(m_fake.now()) + " Could not reach"));
    EXPECT_EQ(longLine.data(Qt::AccessibleDescriptionRole).toString(), "Error");
    EXPECT_EQ(shortLine.data(Qt::AccessibleDescriptionRole).toString(), "Check");
}
