#include "Timestamp.h"

#include <QTimeZone>

#include <cmath>

Timestamp Timestamp::fromDateTime(const QDateTime& dt) {
    return fromUnixSeconds(static_cast<double>(dt.toMSecsSinceEpoch()) / 1000.0);
}

QDateTime Timestamp::toDateTime() const {
    const double ms = std::round(toUnixSeconds() * 1000.0);
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(ms), Qt::UTC);
}
