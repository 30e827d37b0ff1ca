#include "Timestamp.h"

#include <QTimeZone>

#include <cmath>

Timestamp Timestamp::fromDateTime(const QDateTime& dt) {
    return fromUnixSeconds(static_cast<double>(dt.toMSecsSinceEpoch()) / 1000.0);
}

QDateTime Timestamp::toDateTime() const {
    // A hand-edited file may hold any number; past about 270,000 years either way the
    // milliseconds no longer fit, and no real date lies there.
    constexpr double kMaxMilliseconds = 8.64e15;
    const double ms = std::round(toUnixSeconds() * 1000.0);
    if (!(std::fabs(ms) <= kMaxMilliseconds))
        return QDateTime();
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(ms), Qt::UTC);
}
