// The Calendar tab and the agenda panel bound to an in-memory watchlist: events land on their
// day, new events repaint, the chevrons move a week, the panel fits its content and closes.

#include "calendar/CalendarView.h"

#include "AgendaPanel.h"
#include "ScopedTimeZone.h"
#include "UiHarness.h"
#include "calendar/AgendaView.h"
#include "calendar/CalendarStyle.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTest>

namespace {

using State = CalEvent::EpisodeState;

// On the day's local midnight, as the store dates them.
CalEvent event(const char* show, const char* code, QDate day, State state) {
    return {.showName = show,
            .code = code,
            .date = Timestamp::fromDateTime(QDateTime(day, QTime(0, 0))),
            .state = state};
}

// The tooltips of the events drawn inside `day`, in order.
QStringList eventsIn(const QWidget* day) {
    QStringList tips;
    if (day)
        for (const EventChip* chip : day->findChildren<EventChip*>())
            tips << chip->toolTip();
    return tips;
}

class CalendarViewTest : public UiHarness {
protected:
    CalendarViewTest() {
        QLocale::setDefault(QLocale("en_US")); // weeks start on Sunday
        // The fake's clock reads Thursday 2025-03-13, noon UTC.
        m_fake.events = {
            event("Dark", "S01E01", QDate(2025, 3, 10), State::gotIt),
            event("Severance", "S02E07", QDate(2025, 3, 11), State::missing),
            event("Andor", "S02E01", QDate(2025, 3, 13), State::upcoming),
            event("Dark", "S01E02", QDate(2025, 3, 17), State::upcoming),
        };
    }
    ~CalendarViewTest() override { QLocale::setDefault(m_locale); }

    QWidget* day(QWidget& root, int i) {
        return find<QWidget>(root, QStringLiteral("calendar.day.%1").arg(i).toLatin1().data());
    }
    QString header(QWidget& root) { return find<QLabel>(root, "calendar.weekHeader")->text(); }
    void click(QWidget& root, const char* name) {
        auto* button = find<QAbstractButton>(root, name);
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    ScopedTimeZone m_tz{"UTC"};
    QLocale m_locale;
};

TEST_F(CalendarViewTest, EventsSitOnTheirDayAndTodayIsHighlighted) {
    CalendarView view(m_fake, m_theme);
    view.resize(760, 420);
    view.show();
    EXPECT_EQ(header(view), QString::fromUtf8("Mar 9 – Mar 15"));
    const QStringList expected[7] = {
        {}, {"Dark — S01E01"}, {"Severance — S02E07"}, {}, {"Andor — S02E01"}, {}, {}};
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        QWidget* column = day(view, i);
        ASSERT_NE(column, nullptr);
        EXPECT_EQ(eventsIn(column), expected[i]);
        EXPECT_EQ(column->property("highlighted").toBool(), i == 4) << "Thursday is today";
    }
    const auto chips = day(view, 2)->findChildren<EventChip*>();
    ASSERT_EQ(chips.size(), 1);
    EXPECT_EQ(chips[0]->state(), State::missing);

    // From the keyboard: a day reads its events, arrows move a day.
    QApplication::setActiveWindow(&view);
    EXPECT_EQ(day(view, 2)->accessibleDescription(),
              QString::fromUtf8("Severance — S02E07 Missing"));
    day(view, 4)->setFocus();
    QTest::keyClick(day(view, 4), Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), day(view, 5));
    EXPECT_EQ(day(view, 5)->accessibleDescription(), "No episodes");
    QTest::keyClick(day(view, 5), Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), day(view, 4));

    // A rebuild published by the store shows at once.
    m_fake.events.append(event("Shogun", "S01E05", QDate(2025, 3, 10), State::missing));
    Q_EMIT m_fake.calendarEventsChanged();
    EXPECT_EQ(eventsIn(day(view, 1)), QStringList({"Dark — S01E01", "Shogun — S01E05"}));
    m_fake.events.clear();
    Q_EMIT m_fake.calendarEventsChanged();
    for (int i = 0; i < 7; ++i)
        EXPECT_TRUE(eventsIn(day(view, i)).isEmpty()) << i;
}

TEST_F(CalendarViewTest, ChevronsMoveAWeekAndTodayComesBack) {
    CalendarView view(m_fake, m_theme);
    view.show();
    click(view, "calendar.nextWeek");
    EXPECT_EQ(view.weekOffset(), 1);
    EXPECT_EQ(header(view), QString::fromUtf8("Mar 16 – Mar 22"));
    EXPECT_EQ(eventsIn(day(view, 1)), QStringList({"Dark — S01E02"}));
    for (int i = 0; i < 7; ++i)
        EXPECT_FALSE(day(view, i)->property("highlighted").toBool()) << i;
    click(view, "calendar.previousWeek");
    click(view, "calendar.previousWeek");
    EXPECT_EQ(header(view), QString::fromUtf8("Mar 2 – Mar 8"));
    click(view, "calendar.today");
    EXPECT_EQ(view.weekOffset(), 0);
    EXPECT_EQ(header(view), QString::fromUtf8("Mar 9 – Mar 15"));

    // Midnight passes with the tab open: the next tick of the countdown moves the highlight.
    m_fake.clock.set(m_fake.clock.now() + 12 * 3600.0);
    Q_EMIT m_fake.secondsUntilNextCheckChanged();
    EXPECT_FALSE(day(view, 4)->property("highlighted").toBool());
    EXPECT_TRUE(day(view, 5)->property("highlighted").toBool()) << "Friday is today";
}

TEST_F(CalendarViewTest, MonthShowsOnlyThePlaceholder) {
    CalendarView view(m_fake, m_theme);
    view.resize(760, 420);
    view.show();
    auto* placeholder = find<QLabel>(view, "calendar.monthPlaceholder");
    ASSERT_NE(placeholder, nullptr);
    EXPECT_FALSE(placeholder->isVisible());
    click(view, "calendar.mode.month");
    EXPECT_EQ(view.mode(), calendar::Mode::month);
    EXPECT_TRUE(placeholder->isVisible());
    EXPECT_EQ(placeholder->text(), "Month view coming soon");
    EXPECT_FALSE(day(view, 0)->isVisible());
    EXPECT_FALSE(find<QWidget>(view, "calendar.nextWeek")->isVisible());
    click(view, "calendar.mode.week");
    EXPECT_TRUE(day(view, 0)->isVisible());
}

TEST_F(CalendarViewTest, TheAgendaPanelListsTheComingDaysAndFitsItsHeight) {
    AgendaPanel panel(m_theme, m_fake);
    panel.fitToContent();
    panel.show();
    EXPECT_EQ(panel.bodySize().width(), 208);
    QStringList seen;
    for (int i = 0;; ++i) {
        auto* d = panel.findChild<QWidget*>(QStringLiteral("agenda.day.%1").arg(i));
        if (!d)
            break;
        seen << d->findChild<QLabel*>("agenda.dayTitle")->text() + " " +
                    d->findChild<QLabel*>("agenda.dayDate")->text() + ": " + eventsIn(d).join(", ");
    }
    EXPECT_EQ(seen, QStringList({"Today Mar 13: Andor — S02E01", "Monday Mar 17: Dark — S01E02"}));
    EXPECT_EQ(panel.findChild<QWidget*>("agenda.empty"), nullptr);

    // More events make the open panel taller; none leave the "nothing airs" line.
    const int before = panel.bodySize().height();
    m_fake.events.append(event("Shogun", "S01E05", QDate(2025, 3, 14), State::upcoming));
    Q_EMIT m_fake.calendarEventsChanged();
    EXPECT_GT(panel.bodySize().height(), before);
    EXPECT_EQ(panel.findChild<QLabel*>("agenda.dayTitle", Qt::FindChildrenRecursively)->text(),
              "Today");
    m_fake.events.clear();
    Q_EMIT m_fake.calendarEventsChanged();
    auto* empty = panel.findChild<QLabel*>("agenda.empty");
    ASSERT_NE(empty, nullptr);
    EXPECT_FALSE(empty->text().isEmpty());
    EXPECT_LT(panel.bodySize().height(), before);

    click(panel, "agenda.close");
    EXPECT_FALSE(panel.isVisible());
}

} // namespace
