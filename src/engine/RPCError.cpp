#include "RPCError.h"

QString RPCError::description() const {
    QString text;
    switch (kind) {
    case Kind::badStatus:
        return QStringLiteral("daemon answered with HTTP status %1").arg(status);
    case Kind::badPayload:
        text = QStringLiteral("unexpected answer from the daemon");
        break;
    case Kind::handshakeFailed:
        return QStringLiteral("session handshake with the daemon failed");
    case Kind::transport:
        text = QStringLiteral("daemon not reachable");
        break;
    case Kind::timeout:
        return QStringLiteral("daemon did not answer in time");
    case Kind::badJSON:
        text = QStringLiteral("unreadable answer from the daemon");
        break;
    }
    if (!detail.isEmpty())
        text += QStringLiteral(": ") + detail;
    return text;
}
