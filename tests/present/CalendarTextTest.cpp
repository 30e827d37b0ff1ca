// The calendar week's and the agenda's days, labels and events, without a display.

#include "CalendarText.h"

#include "QtPrinters.h"
#include "ScopedTimeZone.h"

#include <QTimeZone>

#include <gtest/gtest.h>

using namespace calendar;
using State = CalEvent::EpisodeState;

namespace {

CalEvent event(const char* show, const char* code, const QDateTime& at, State state) {
    CalEvent e;
    e.showName = show;
    e.code = code;
    e.date = Timestamp::fromDateTime(at);
    e.state = state;
    return e;
}

QDateTime utc(int y, int m, int d, int h = 0) {
    return QDateTime(QDate(y, m, d), QTime(h, 0), QTimeZone::utc());
}

QDateTime local(int y, int m, int d, int h = 0) {
    return QDateTime(QDate(y, m, d), QTime(h, 0));
}

} // namespace

TEST(CalendarDays, TheWeekStartsOnTheLocalesFirstWeekday) {
    const QLocale us("en_US"), gb("en_GB"), de("de_DE");
    ASSERT_EQ(us.firstDayOfWeek(), Qt::Sunday);
    ASSERT_EQ(gb.firstDayOfWeek(), Qt::Monday);
    const struct {
        QDate today;
        int offset;
        const QLocale* locale;
        QDate first;
        const char* header;
    } cases[] = {
        // Wednesday 2025-03-05
        {QDate(2025, 3, 5), 0, &us, QDate(2025, 3, 2), "Mar 2 – Mar 8"},
        {QDate(2025, 3, 5), 0, &gb, QDate(2025, 3, 3), "Mar 3 – Mar 9"},
        {QDate(2025, 3, 5), 0, &de, QDate(2025, 3, 3), "Mar 3 – Mar 9"},
        // The first weekday itself starts its own week; the day before ends the last one.
        {QDate(2025, 3, 2), 0, &us, QDate(2025, 3, 2), "Mar 2 – Mar 8"},
        {QDate(2025, 3, 2), 0, &gb, QDate(2025, 2, 24), "Feb 24 – Mar 2"},
        {QDate(2025, 3, 8), 0, &us, QDate(2025, 3, 2), "Mar 2 – Mar 8"},
        {QDate(2025, 3, 3), 0, &gb, QDate(2025, 3, 3), "Mar 3 – Mar 9"},
        // Offsets move whole weeks, across a month and a year.
        {QDate(2025, 3, 5), -1, &us, QDate(2025, 2, 23), "Feb 23 – Mar 1"},
        {QDate(2025, 3, 5), 1, &gb, QDate(2025, 3, 10), "Mar 10 – Mar 16"},
        {QDate(2025, 1, 2), 0, &gb, QDate(2024, 12, 30), "Dec 30 – Jan 5"},
        {QDate(2025, 1, 2), 0, &us, QDate(2024, 12, 29), "Dec 29 – Jan 4"},
        {QDate(2025, 1, 8), -2, &us, QDate(2024, 12, 22), "Dec 22 – Dec 28"},
        {QDate(2024, 2, 28), 0, &gb, QDate(2024, 2, 26), "Feb 26 – Mar 3"}, // leap day inside
    };
    for (const auto& c : cases) {
        const QList<QDate> days = weekDays(c.today, c.offset, *c.locale);
        ASSERT_EQ(days.size(), 7);
        EXPECT_EQ(days.first(), c.first)
            << c.today.toString(Qt::ISODate).toStdString() << " " << c.offset;
        for (int i = 1; i < 7; ++i)
            EXPECT_EQ(days[i], days[i - 1].addDays(1));
        EXPECT_EQ(weekHeader(days), QString::fromUtf8(c.header));
    }
    EXPECT_TRUE(weekDays(QDate(), 0, us).isEmpty());
    EXPECT_EQ(weekHeader({}), "This Week");
}

TEST(CalendarDays, EventsFallOnTheirDayInTheUsersTimeZone) {
    const struct {
        const char* tz;
        QDateTime at;
        QDate day;
    } cases[] = {
        // Midnight UTC is the evening before west of Greenwich, the same day east of it.
        {"America/New_York", utc(2025, 3, 4), QDate(2025, 3, 3)},
        {"Asia/Tokyo", utc(2025, 3, 4), QDate(2025, 3, 4)},
        {"UTC", utc(2025, 3, 4), QDate(2025, 3, 4)},
        {"Europe/Berlin", utc(2025, 3, 3, 23), QDate(2025, 3, 4)},
        // Across a daylight-saving change (US: 2025-03-09).
        {"America/New_York", utc(2025, 3, 10, 3), QDate(2025, 3, 9)},
        {"America/New_York", utc(2025, 3, 10, 4), QDate(2025, 3, 10)},
    };
    for (const auto& c : cases) {
        ScopedTimeZone tz(c.tz);
        const CalEvent e = event("Dark", "S01E01", c.at, State::upcoming);
        EXPECT_EQ(eventDay(e), c.day) << c.tz << " " << c.at.toString(Qt::ISODate).toStdString();
        EXPECT_EQ(eventsOn({e}, c.day).size(), 1) << c.tz;
        EXPECT_TRUE(eventsOn({e}, c.day.addDays(1)).isEmpty()) << c.tz;
    }
    // The store writes local midnight: it stays on its day in any zone.
    for (const char* zone : {"Pacific/Auckland", "America/Los_Angeles", "UTC"}) {
        ScopedTimeZone tz(zone);
        EXPECT_EQ(eventDay(event("Dark", "S01E01", local(2025, 3, 4), State::gotIt)),
                  QDate(2025, 3, 4))
            << zone;
    }
}

TEST(CalendarDays, EventsOfADayKeepTheirPublishedOrder) {
    ScopedTimeZone tz("UTC");
    const QList<CalEvent> all = {
        event("Severance", "S02E07", utc(2025, 3, 5, 1), State::missing),
        event("Dark", "S01E01", utc(2025, 3, 4), State::gotIt),
        event("Andor", "S02E01", utc(2025, 3, 5), State::upcoming),
    };
    const QList<CalEvent> on = eventsOn(all, QDate(2025, 3, 5));
    ASSERT_EQ(on.size(), 2);
    EXPECT_EQ(on[0].showName, "Severance");
    EXPECT_EQ(on[1].showName, "Andor");
}

TEST(CalendarDays, LabelsAndTexts) {
    const CalEvent e = event("The Office (US)", "S09E23", utc(2025, 3, 4), State::missing);
    EXPECT_EQ(eventTooltip(e), QString::fromUtf8("The Office (US) — S09E23"));
    QStringList legend;
    for (State s : legendStates())
        legend << stateLabel(s);
    EXPECT_EQ(legend, QStringList({"Got it", "Upcoming", "Missing"}));
    EXPECT_EQ(modeLabel(Mode::week), "Week");
    EXPECT_EQ(modeLabel(Mode::month), "Month");
    EXPECT_EQ(monthPlaceholder(), "Month view coming soon");
    EXPECT_EQ(sourceNote(), "Dates are sourced from TMDB and can sometimes be off by a day.");
    // English names on a machine set to German.
    const QLocale previous;
    QLocale::setDefault(QLocale("de_DE"));
    EXPECT_EQ(columnWeekday(QDate(2025, 3, 3)), "Mon");
    EXPECT_EQ(columnDayNumber(QDate(2025, 3, 3)), "3");
    EXPECT_EQ(dayName(QDate(2025, 3, 13)), "Thursday, Mar 13");
    EXPECT_EQ(agendaDayTitle(QDate(2025, 3, 7), QDate(2025, 3, 5)), "Friday");
    QLocale::setDefault(previous);
}

TEST(CalendarDays, TheAgendaListsTheComingWeeksDaysThatHaveEvents) {
    ScopedTimeZone tz("Europe/Berlin");
    const QDate today(2025, 12, 29); // a Monday, the year about to turn
    const QList<CalEvent> all = {
        event("Before", "S01E01", local(2025, 12, 28, 20), State::missing), // yesterday: left out
        event("Dark", "S01E02", local(2026, 1, 2), State::upcoming),
        event("Andor", "S02E01", local(2025, 12, 29), State::gotIt),
        event("Severance", "S02E07", local(2025, 12, 30), State::upcoming),
        event("Dark", "S01E01", local(2025, 12, 29, 22), State::missing),
        event("Shogun", "S01E05", local(2026, 1, 4, 23), State::upcoming), // the seventh day
        event("After", "S01E01", local(2026, 1, 5), State::upcoming),      // the eighth: left out
    };
    const QList<AgendaDay> days = agendaDays(all, today);
    QStringList seen;
    for (const AgendaDay& d : days) {
        QStringList shows;
        for (const CalEvent& e : d.events)
            shows << e.showName + " " + e.code;
        seen << d.title + " | " + d.date + " | " + shows.join(", ");
    }
    EXPECT_EQ(seen, QStringList({
                        "Today | Dec 29 | Andor S02E01, Dark S01E01",
                        "Tomorrow | Dec 30 | Severance S02E07",
                        "Friday | Jan 2 | Dark S01E02",
                        "Sunday | Jan 4 | Shogun S01E05",
                    }));
    EXPECT_TRUE(agendaDays({all.first(), all.last()}, today).isEmpty());
    EXPECT_FALSE(agendaEmptyText().isEmpty());
}
