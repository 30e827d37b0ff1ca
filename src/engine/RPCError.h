#pragma once

#include <QString>

// Why an exchange with the daemon failed. Distinct cases stay distinct so the activity log
// can tell "daemon not running" from "daemon answered nonsense".
struct RPCError {
    enum class Kind {
        badStatus,       // HTTP status other than 200/409, or 200 with a body that is no object
        badPayload,      // no HTTP answer, or the answer lacks what the operation reads
        handshakeFailed, // 409 twice in a row, or 409 without a session id
        transport,       // could not reach the daemon
        timeout,         // no answer in time
        badJSON,         // status 200 with a body that does not parse
    };

    Kind kind = Kind::badPayload;
    int status = 0; // the HTTP status for badStatus
    QString detail; // the transport's or parser's own words, when there are any

    QString description() const;

    bool operator==(const RPCError&) const = default;
};
