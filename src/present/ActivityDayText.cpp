#include "ActivityDayText.h"

#include <QLocale>

namespace activity {

QDate localDay(Timestamp t) {
    return t.toDateTime().toLocalTime().date();
}

QString dayHeader(QDate day, QDate today) {
    if (day == today)
        return QStringLiteral("TODAY");
    if (day == today.addDays(-1))
        return QStringLiteral("YESTERDAY");
    // English names whatever the machine's language: the rest of the window is English too.
    return QLocale(QLocale::English, QLocale::UnitedStates)
        .toString(day, QStringLiteral("dddd, MMM d"))
        .toUpper();
}

QString timeText(Timestamp t) {
    return QLocale::c().toString(t.toDateTime().toLocalTime().time(), QStringLiteral("HH:mm:ss"));
}

} // namespace activity
