#include "IndexAnswer.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QTime>
#include <QTimeZone>

#include <cmath>
#include <limits>

using namespace std::chrono_literals;

namespace IndexAnswer {

namespace {

const QByteArray kUserAgent = QByteArrayLiteral("Lumivane/0.1");

const Json* member(const Json& object, const char* key) {
    if (!object.is_object())
        return nullptr;
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

// A JSON number as a whole 64-bit integer; fractions are cut toward zero.
std::optional<qint64> wholeNumber(const Json& value) {
    if (value.is_number_unsigned()) {
        const auto v = value.get<std::uint64_t>();
        if (v > static_cast<std::uint64_t>(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return static_cast<qint64>(v);
    }
    if (value.is_number_integer())
        return value.get<std::int64_t>();
    if (value.is_number_float()) {
        const double d = std::trunc(value.get<double>());
        if (!std::isfinite(d) || d < -9.2e18 || d > 9.2e18)
            return std::nullopt;
        return static_cast<qint64>(d);
    }
    return std::nullopt;
}

} // namespace

HttpRequest get(const QUrl& url) {
    HttpRequest request;
    request.method = "GET";
    request.url = url;
    request.headers = {{"User-Agent", kUserAgent}};
    request.timeout = 15s;
    request.maxBytes = kMaxAnswerBytes;
    return request;
}

HttpRequest postJson(const QUrl& url, QByteArray body) {
    HttpRequest request = get(url);
    request.method = "POST";
    request.headers.push_back({"Content-Type", "application/json"});
    request.body = std::move(body);
    return request;
}

QUrl withQuery(const QUrl& base, const QList<std::pair<QString, QString>>& items) {
    QString query;
    for (const auto& [key, value] : items) {
        if (!query.isEmpty())
            query += u'&';
        query += QString::fromLatin1(QUrl::toPercentEncoding(key)) + u'=' +
                 QString::fromLatin1(QUrl::toPercentEncoding(value));
    }
    QUrl url = base;
    url.setQuery(query, QUrl::StrictMode);
    return url;
}

std::optional<Json> parse(const QByteArray& body) {
    Json value = Json::parse(body.begin(), body.end(), nullptr, /*allow_exceptions=*/false);
    if (value.is_discarded())
        return std::nullopt;
    return value;
}

bool isArrayOfObjects(const Json& value) {
    if (!value.is_array())
        return false;
    for (const Json& item : value) {
        if (!item.is_object())
            return false;
    }
    return true;
}

std::optional<QString> string(const Json& object, const char* key) {
    const Json* v = member(object, key);
    if (!v || !v->is_string())
        return std::nullopt;
    return QString::fromStdString(v->get_ref<const std::string&>());
}

int intOrZero(const Json& object, const char* key) {
    const Json* v = member(object, key);
    if (!v)
        return 0;
    const auto n = wholeNumber(*v);
    return n ? clampedToInt(*n) : 0;
}

qint64 int64OrZero(const Json& object, const char* key) {
    const Json* v = member(object, key);
    if (!v)
        return 0;
    return wholeNumber(*v).value_or(0);
}

std::optional<Timestamp> unixDate(const Json& object, const char* key) {
    const Json* v = member(object, key);
    if (!v || !v->is_number())
        return std::nullopt;
    const double seconds = v->get<double>();
    if (!std::isfinite(seconds))
        return std::nullopt;
    return Timestamp::fromUnixSeconds(seconds);
}

std::optional<QString> integerText(const Json& object, const char* key) {
    const Json* v = member(object, key);
    if (!v)
        return std::nullopt;
    if (v->is_number_float()) {
        const double d = v->get<double>();
        if (!std::isfinite(d) || std::trunc(d) != d)
            return std::nullopt;
    }
    const auto n = wholeNumber(*v);
    return n ? std::optional<QString>(QString::number(*n)) : std::nullopt;
}

std::optional<qint64> parseDecimalInteger(QStringView text) {
    bool negative = false;
    QStringView digits = text;
    if (!digits.isEmpty() && (digits[0] == u'+' || digits[0] == u'-')) {
        negative = digits[0] == u'-';
        digits = digits.sliced(1);
    }
    if (digits.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : digits) {
        if (c.unicode() < '0' || c.unicode() > '9')
            return std::nullopt;
        const int digit = c.unicode() - '0';
        if (value > (std::numeric_limits<qint64>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

std::optional<Timestamp> parseInternetDate(QStringView text) {
    // 2024-05-01T10:20:30Z, 2024-05-01T10:20:30.123+02:00
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(QStringLiteral(
        R"(([0-9]{4})-([0-9]{2})-([0-9]{2})[Tt]([0-9]{2}):([0-9]{2}):([0-9]{2})(\.[0-9]{1,9})?([Zz]|[+-][0-9]{2}:[0-9]{2}))")));
    if (text.size() > 64)
        return std::nullopt;
    const auto m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.capturedView(1).toInt(), m.capturedView(2).toInt(),
                     m.capturedView(3).toInt());
    const QTime time(m.capturedView(4).toInt(), m.capturedView(5).toInt(),
                     m.capturedView(6).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    int offsetSeconds = 0;
    const QStringView zone = m.capturedView(8);
    if (zone.size() == 6) {
        const int hours = zone.sliced(1, 2).toInt();
        const int minutes = zone.sliced(4, 2).toInt();
        if (hours > 23 || minutes > 59)
            return std::nullopt;
        offsetSeconds = (hours * 60 + minutes) * 60 * (zone[0] == u'-' ? -1 : 1);
    }
    const QDateTime utc(date, time, Qt::UTC);
    double seconds = static_cast<double>(utc.toSecsSinceEpoch() - offsetSeconds);
    if (const QStringView fraction = m.capturedView(7); !fraction.isEmpty())
        seconds += (QStringLiteral("0") + fraction.toString()).toDouble();
    return Timestamp::fromUnixSeconds(seconds);
}

int clampedToInt(qint64 value) {
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return 0;
    return static_cast<int>(value);
}

} // namespace IndexAnswer
