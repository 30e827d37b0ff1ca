#pragma once

#include "CalEvent.h"
#include "Timestamp.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The calendar as an iCalendar file (calendar.ics) that a calendar application can subscribe
// to: one all-day event per episode, whose UID stays the same from one rebuild to the next so
// that subscribers update events instead of piling up copies.
namespace CalendarFeed {

// The whole file: CRLF line ends, long lines folded, text escaped. `stamp` is the DTSTAMP of
// every event (when the file was made).
QByteArray render(const QList<CalEvent>& events, Timestamp stamp);

// One content line, escaped value already in place, folded at 75 octets without splitting a
// UTF-8 sequence, ending in CRLF.
QByteArray foldLine(const QByteArray& line);
// A TEXT value: backslash, semicolon, comma and line breaks escaped.
QString escapeText(const QString& text);
// Stable across rebuilds: the series and the episode, not the event's fresh id.
QString uid(const CalEvent& event);
QString stateText(CalEvent::EpisodeState state);

} // namespace CalendarFeed
