#include "CountdownText.h"

QString countdownText(int seconds) {
    const int s = seconds < 0 ? 0 : seconds;
    if (s < 60)
        return QStringLiteral("%1s").arg(s);
    if (s < 3600)
        return QStringLiteral("%1m %2s").arg(s / 60).arg(s % 60);
    return QStringLiteral("%1h %2m").arg(s / 60 / 60).arg(s / 60 % 60);
}
