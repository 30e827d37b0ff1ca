#pragma once

// What the index clients share: how a request is sent (agent, time-out, size cap) and how
// loosely typed answer members are read. Members of the wrong type read as absent.

#include "RawHit.h"
#include "model/Timestamp.h"
#include "net/HttpFetch.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <QUrl>

#include <nlohmann/json.hpp>

#include <optional>
#include <utility>

namespace IndexAnswer {

using Json = nlohmann::json;

// An index answer larger than this is a broken or hostile index, not a result list.
inline constexpr qint64 kMaxAnswerBytes = 4 * 1024 * 1024;

HttpRequest get(const QUrl& url);
HttpRequest postJson(const QUrl& url, QByteArray body);

// `base` with its query replaced by the items in this order, every reserved character encoded.
QUrl withQuery(const QUrl& base, const QList<std::pair<QString, QString>>& items);

// Parses a body; none when it is not well-formed JSON.
std::optional<Json> parse(const QByteArray& body);
bool isArrayOfObjects(const Json& value);

// The hits of an array of objects, each read by `read` (giving an optional hit); none when
// `objects` is not such an array.
template <typename Read>
std::optional<QList<RawHit>> hitsOf(const Json& objects, Read read) {
    if (!isArrayOfObjects(objects))
        return std::nullopt;
    QList<RawHit> hits;
    for (const auto& object : objects) {
        if (auto mapped = read(object))
            hits.append(*std::move(mapped));
    }
    return hits;
}

// The hits of an answer object whose member `key` is an array of objects, each read by `read`
// (giving an optional hit); none when the answer is not of that shape.
template <typename Read>
std::optional<QList<RawHit>> hitsOfArray(const QByteArray& body, const char* key, Read read) {
    const auto answer = parse(body);
    if (!answer || !answer->is_object())
        return std::nullopt;
    const auto objects = answer->find(key);
    if (objects == answer->end())
        return std::nullopt;
    return hitsOf(*objects, read);
}

// Member readers; a missing member or one of another type gives the fallback.
std::optional<QString> string(const Json& object, const char* key);
int intOrZero(const Json& object, const char* key);
qint64 int64OrZero(const Json& object, const char* key);
std::optional<Timestamp> unixDate(const Json& object, const char* key);  // seconds since 1970
std::optional<QString> integerText(const Json& object, const char* key); // a number as decimal

// "123", "+123", "-123"; nothing else (no spaces, no fraction), and it must fit.
std::optional<qint64> parseDecimalInteger(QStringView text);
// RFC 3339 date-time with a zone, with or without fractional seconds.
std::optional<Timestamp> parseInternetDate(QStringView text);

int clampedToInt(qint64 value); // 0 when it does not fit

} // namespace IndexAnswer
