#include "CalendarText.h"

namespace calendar {

namespace {

// English names whatever the machine's language: the rest of the window is English too.
QLocale english() {
    return QLocale(QLocale::English, QLocale::UnitedStates);
}

QString monthDay(QDate day) {
    return english().toString(day, QStringLiteral("MMM d"));
}

} // namespace

QString modeLabel(Mode mode) {
    return mode == Mode::week ? QStringLiteral("Week") : QStringLiteral("Month");
}

QList<QDate> weekDays(QDate today, int weekOffset, const QLocale& locale) {
    if (!today.isValid())
        return {};
    const QDate anchor = today.addDays(7LL * weekOffset);
    const int first = int(locale.firstDayOfWeek());
    const QDate start = anchor.addDays(-((anchor.dayOfWeek() - first + 7) % 7));
    QList<QDate> days;
    for (int i = 0; i < 7; ++i)
        days.append(start.addDays(i));
    return days;
}

QString weekHeader(const QList<QDate>& days) {
    if (days.isEmpty())
        return QStringLiteral("This Week");
    return monthDay(days.first()) + QStringLiteral(" \u2013 ") + monthDay(days.last());
}

QString columnWeekday(QDate day) {
    return english().toString(day, QStringLiteral("ddd"));
}

QString columnDayNumber(QDate day) {
    return QString::number(day.day());
}

QString dayName(QDate day) {
    return english().toString(day, QStringLiteral("dddd, MMM d"));
}

QDate eventDay(const CalEvent& event) {
    return event.date.toDateTime().toLocalTime().date();
}

QList<CalEvent> eventsOn(const QList<CalEvent>& events, QDate day) {
    QList<CalEvent> on;
    for (const CalEvent& event : events)
        if (eventDay(event) == day)
            on.append(event);
    return on;
}

QString eventTooltip(const CalEvent& event) {
    return event.showName + QStringLiteral(" \u2014 ") + event.code;
}

QString stateLabel(CalEvent::EpisodeState state) {
    switch (state) {
    case CalEvent::EpisodeState::gotIt:
        return QStringLiteral("Got it");
    case CalEvent::EpisodeState::upcoming:
        return QStringLiteral("Upcoming");
    case CalEvent::EpisodeState::missing:
        return QStringLiteral("Missing");
    }
    return {};
}

QList<CalEvent::EpisodeState> legendStates() {
    return {CalEvent::EpisodeState::gotIt, CalEvent::EpisodeState::upcoming,
            CalEvent::EpisodeState::missing};
}

QString monthPlaceholder() {
    return QStringLiteral("Month view coming soon");
}

QString sourceNote() {
    return QStringLiteral("Dates are sourced from TMDB and can sometimes be off by a day.");
}

QString agendaDayTitle(QDate day, QDate today) {
    if (day == today)
        return QStringLiteral("Today");
    if (day == today.addDays(1))
        return QStringLiteral("Tomorrow");
    return english().toString(day, QStringLiteral("dddd"));
}

QList<AgendaDay> agendaDays(const QList<CalEvent>& events, QDate today) {
    QList<AgendaDay> days;
    for (int i = 0; i < kAgendaDays; ++i) {
        const QDate day = today.addDays(i);
        QList<CalEvent> on = eventsOn(events, day);
        if (on.isEmpty())
            continue;
        days.append({day, agendaDayTitle(day, today), monthDay(day), std::move(on)});
    }
    return days;
}

QString agendaEmptyText() {
    return QStringLiteral("Nothing airs in the coming week.");
}

} // namespace calendar
