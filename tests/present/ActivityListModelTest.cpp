#include "ActivityListModel.h"

#include "FakeWatchlist.h"
#include "ScopedTimeZone.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

// Local wall-clock time in the zone the test runs in.
Timestamp local(int y, int m, int d, int h, int min, int s) {
    return Timestamp::fromDateTime(QDateTime(QDate(y, m, d), QTime(h, min, s), Qt::LocalTime));
}

ActivityEntry entry(Timestamp at, const char* message,
                    ActivityEntry::Kind kind = ActivityEntry::Kind::check) {
    return {QUuid::createUuid(), at, QString::fromUtf8(message), kind};
}

// Every row as one line: "# HEADER" or "time message".
QStringList rows(const ActivityListModel& model) {
    QStringList out;
    for (int r = 0; r < model.rowCount(); ++r) {
        const QModelIndex i = model.index(r);
        out << (i.data(ActivityListModel::IsHeaderRole).toBool()
                    ? QStringLiteral("# ") + i.data().toString()
                    : i.data(ActivityListModel::TimeRole).toString() + QLatin1Char(' ') +
                          i.data().toString());
    }
    return out;
}

class ActivityModel : public testing::Test {
protected:
    // Far from UTC, so a day boundary computed in UTC would land on the wrong side.
    ScopedTimeZone m_zone{"America/Los_Angeles"};
    FakeWatchlist m_fake;

    FakeWatchlist& start(const QList<ActivityEntry>& log, Timestamp now) {
        m_fake.clock.set(now);
        m_fake.log = log;
        return m_fake;
    }

    // A new line as the engine logs it, keeping at most `keep` lines.
    void logLine(const char* message, ActivityEntry::Kind kind, int keep = 500) {
        m_fake.log.prepend(entry(m_fake.now(), message, kind));
        while (m_fake.log.size() > keep)
            m_fake.log.removeLast();
        Q_EMIT m_fake.activityLogged(m_fake.log.first());
    }
};

} // namespace

TEST_F(ActivityModel, GroupsByLocalDayInTheLogsOrder) {
    const Timestamp now = local(2026, 3, 4, 10, 0, 0);
    // Newest first, as the log keeps it; the 3rd run of March 3 comes after a March 2 line.
    start({entry(local(2026, 3, 4, 0, 0, 1), "after midnight"),
           entry(local(2026, 3, 3, 23, 59, 59), "before midnight"),
           entry(local(2026, 3, 3, 8, 5, 0), "morning"),
           entry(local(2026, 3, 2, 17, 30, 0), "two days ago"),
           entry(local(2026, 3, 3, 7, 0, 0), "out of order")},
          now);
    ActivityListModel model(m_fake);

    EXPECT_EQ(rows(model),
              (QStringList{"# TODAY", "00:00:01 after midnight", "# YESTERDAY",
                           "23:59:59 before midnight", "08:05:00 morning", "# MONDAY, MAR 2",
                           "17:30:00 two days ago", "# YESTERDAY", "07:00:00 out of order"}));
    EXPECT_EQ(model.entryCount(), 5);
    EXPECT_TRUE(model.index(1).data(ActivityListModel::IsTodayRole).toBool());
    EXPECT_FALSE(model.index(3).data(ActivityListModel::IsTodayRole).toBool());

    // Past midnight the headers are renamed in place.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    m_fake.clock.advance(86400.0);
    model.refreshToday();
    EXPECT_GE(changed.count(), 1);
    EXPECT_EQ(model.index(0).data().toString(), QStringLiteral("YESTERDAY"));
}

TEST_F(ActivityModel, NewLinesAreInsertedAtTheTopWithoutAReset) {
    const Timestamp now = local(2026, 3, 4, 10, 0, 0);
    FakeWatchlist& store = start({entry(local(2026, 3, 3, 9, 0, 0), "yesterday")}, now);
    ActivityListModel model(store);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    // A new day: its header and the line arrive together.
    logLine("first today", ActivityEntry::Kind::found);
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 0);
    EXPECT_EQ(inserted[0][2].toInt(), 1);

    // The same day: only the line, under the header.
    m_fake.clock.advance(65);
    logLine("second today", ActivityEntry::Kind::error);
    ASSERT_EQ(inserted.count(), 2);
    EXPECT_EQ(inserted[1][1].toInt(), 1);
    EXPECT_EQ(inserted[1][2].toInt(), 1);

    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(rows(model), (QStringList{"# TODAY", "10:01:05 second today", "10:00:00 first today",
                                        "# YESTERDAY", "09:00:00 yesterday"}));
    EXPECT_EQ(model.index(1).data(ActivityListModel::KindRole).toInt(),
              int(ActivityEntry::Kind::error));

    m_fake.log.clear(); // the log emptied from the view
    Q_EMIT m_fake.activityChanged();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.entryCount(), 0);
}

TEST_F(ActivityModel, AFullLogDropsItsOldestRowsAndAnEmptiedDaysHeader) {
    const Timestamp now = local(2026, 3, 4, 10, 0, 0);
    QList<ActivityEntry> log;
    for (int i = 0; i < 499; ++i)
        log.append(entry(now - 60.0 * (i + 1), "older"));
    log.append(entry(local(2026, 2, 20, 12, 0, 0), "lonely"));
    FakeWatchlist& store = start(log, now);
    ActivityListModel model(store);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    ASSERT_EQ(rows(model).last(), QStringLiteral("12:00:00 lonely"));

    logLine("newest", ActivityEntry::Kind::check);

    EXPECT_EQ(resets.count(), 0);
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed[0][2].toInt() - removed[0][1].toInt(), 1); // the line and its header
    EXPECT_EQ(model.entryCount(), 500);
    // The model built step by step equals one built from scratch.
    ActivityListModel fresh(store);
    EXPECT_EQ(rows(model), rows(fresh));
    EXPECT_FALSE(rows(model).join(QLatin1Char('\n')).contains(QStringLiteral("lonely")));
}
