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
    return {.showName = show, .code = code, .date = Timestamp::fromDateTime(at), .state = state};
}

QDateTime utc(int y, int m, int d, int h = 0) {
    return QDateTime(QDate(y, m, d), QTime(h, 0), QTimeZone::utc());
}

QDateTime local(int y, int m, int d, int h = 0) {
    return QDateTime(QDate(y, m, d), QTime(h, 0));
}

} // namespace

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
