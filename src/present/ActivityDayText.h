#pragma once

#include "model/ActivityEntry.h"
#include "model/Timestamp.h"

#include <QDate>
#include <QString>

// Day and time texts of the activity log, in the user's time zone.
namespace activity {

// The calendar day a moment falls on, in local time.
QDate localDay(Timestamp t);
// "TODAY", "YESTERDAY", else e.g. "MONDAY, MAR 3" (the header is shown in upper case).
QString dayHeader(QDate day, QDate today);
// "HH:mm:ss" on a 24-hour clock, local time.
QString timeText(Timestamp t);
// The kind of a line in words, for those who do not see its colour and symbol: "Error".
QString kindText(ActivityEntry::Kind kind);

} // namespace activity
