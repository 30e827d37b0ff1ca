#pragma once

#include "model/CalEvent.h"

#include <QList>
#include <QString>

// What a screen reader hears for rows that are painted rather than built from labelled
// widgets: a short name, and a description with what the eye reads around it.
namespace accessible {

// Parts of a description that are empty are left out, with their separator.
QString joined(const QStringList& parts);

// A series row: its name; then quality, subscription and status line.
QString seriesRowDescription(const QString& qualityLabel, const QString& subscribeLabel,
                             const QString& statusLine, bool stalled);

// An episode row of the drawer: "S02E05 Lost and Found"; then its air date and state.
QString episodeRowName(const QString& code, const QString& title);
QString episodeRowDescription(const QString& dateText, const QString& state);

// A release row of the add panels: its detail line, then whether it is ticked.
QString releaseRowDescription(const QString& detail, bool ticked);

// A calendar day: its name; then each event as series, code and state, or "No episodes".
QString calendarDayDescription(const QList<CalEvent>& events);

} // namespace accessible
