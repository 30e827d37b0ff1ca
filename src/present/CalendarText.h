#pragma once

#include "model/CalEvent.h"

#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>

// What the calendar week and the agenda show: which days, their labels, each day's events and
// the texts around them. Dates are calendar days in the user's time zone.
namespace calendar {

enum class Mode { week, month };
QString modeLabel(Mode mode); // "Week", "Month"

// The seven days of the week `weekOffset` weeks away from the one holding `today`, starting on
// the locale's first weekday.
QList<QDate> weekDays(QDate today, int weekOffset, const QLocale& locale = QLocale());
// "Mar 2 – Mar 8"; "This Week" when there are no days.
QString weekHeader(const QList<QDate>& days);
// A day column's heading: the short weekday ("Mon") and the day of the month ("3").
QString columnWeekday(QDate day);
QString columnDayNumber(QDate day);
// A day as a screen reader says it: "Thursday, Mar 13".
QString dayName(QDate day);

// The calendar day an event falls on, in local time.
QDate eventDay(const CalEvent& event);
// The events on `day`, in the order they were published.
QList<CalEvent> eventsOn(const QList<CalEvent>& events, QDate day);
// "Dark — S01E02"
QString eventTooltip(const CalEvent& event);
// "Got it", "Upcoming", "Missing": the legend, in this order.
QString stateLabel(CalEvent::EpisodeState state);
QList<CalEvent::EpisodeState> legendStates();

QString monthPlaceholder();
QString sourceNote();

// One day of the agenda: "Today", "Tomorrow", then the weekday's name; the date as "Mar 3".
struct AgendaDay {
    QDate day;
    QString title;
    QString date;
    QList<CalEvent> events;
    bool operator==(const AgendaDay&) const = default;
};
inline constexpr int kAgendaDays = 7;
QString agendaDayTitle(QDate day, QDate today);
// The coming `kAgendaDays` days from `today` that have events, in date order.
QList<AgendaDay> agendaDays(const QList<CalEvent>& events, QDate today);
QString agendaEmptyText();

} // namespace calendar
