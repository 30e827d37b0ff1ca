#include "AccessibleText.h"

#include "CalendarText.h"

namespace accessible {

QString joined(const QStringList& parts) {
    QStringList kept;
    for (const QString& part : parts) {
        if (!part.trimmed().isEmpty())
            kept << part.trimmed();
    }
    return kept.join(QStringLiteral(", "));
}

QString seriesRowDescription(const QString& qualityLabel, const QString& subscribeLabel,
                             const QString& statusLine, bool stalled) {
    // The stalled marker is only a symbol on screen; here it is words. A status line that
    // starts with the subscription ("Subscribed — checking the schedule…") says it once.
    const bool said = !subscribeLabel.isEmpty() && statusLine.trimmed().startsWith(subscribeLabel);
    return joined({qualityLabel, said ? QString() : subscribeLabel, statusLine,
                   stalled ? QStringLiteral("Possible stalled item in recents") : QString()});
}

QString episodeRowName(const QString& code, const QString& title) {
    return (code + QLatin1Char(' ') + title).trimmed();
}

QString episodeRowDescription(const QString& dateText, const QString& state) {
    return joined({dateText, state});
}

QString releaseRowDescription(const QString& detail, bool ticked) {
    // The tick is only a symbol on screen.
    return joined({detail, ticked ? QStringLiteral("Selected") : QStringLiteral("Not selected")});
}

QString calendarDayDescription(const QList<CalEvent>& events) {
    if (events.isEmpty())
        return QStringLiteral("No episodes");
    QStringList parts;
    for (const CalEvent& event : events)
        parts << calendar::eventTooltip(event) + QLatin1Char(' ') + calendar::stateLabel(event.state);
    return parts.join(QStringLiteral("; "));
}

} // namespace accessible
