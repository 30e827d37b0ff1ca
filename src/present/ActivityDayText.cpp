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

QString kindText(ActivityEntry::Kind kind) {
    switch (kind) {
    case ActivityEntry::Kind::check:
        return QStringLiteral("Check");
    case ActivityEntry::Kind::found:
        return QStringLiteral("Found");
    case ActivityEntry::Kind::downloaded:
        return QStringLiteral("Downloaded");
    case ActivityEntry::Kind::sorted:
        return QStringLiteral("Sorted");
    case ActivityEntry::Kind::error:
        return QStringLiteral("Error");
    }
    return {};
}

} // namespace activity
