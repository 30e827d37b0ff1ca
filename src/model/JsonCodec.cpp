#include "JsonCodec.h"

#include <cmath>
#include <limits>

namespace {

template <typename Int>
Int readInteger(const Json& j) {
    if (j.is_number_unsigned()) {
        const auto v = j.get<std::uint64_t>();
        if (v > static_cast<std::uint64_t>(std::numeric_limits<Int>::max()))
            throw DecodeError("integer out of range");
        return static_cast<Int>(v);
    }
    if (j.is_number_integer()) {
        const auto v = j.get<std::int64_t>();
        if (v < std::numeric_limits<Int>::min() || v > std::numeric_limits<Int>::max())
            throw DecodeError("integer out of range");
        return static_cast<Int>(v);
    }
    if (j.is_number_float()) {
        // A conforming writer may print a whole number as 3.0; a real fraction is an error.
        const double d = j.get<double>();
        if (std::trunc(d) != d || d < static_cast<double>(std::numeric_limits<Int>::min()) ||
            d >= -static_cast<double>(std::numeric_limits<Int>::min()))
            throw DecodeError("not an integer");
        return static_cast<Int>(d);
    }
    throw DecodeError("expected an integer");
}

} // namespace

void fromJsonValue(const Json& j, QString& out) {
    if (!j.is_string())
        throw DecodeError("expected a string");
    const auto& s = j.get_ref<const std::string&>();
    out = QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

void fromJsonValue(const Json& j, bool& out) {
    if (!j.is_boolean())
        throw DecodeError("expected a boolean");
    out = j.get<bool>();
}

void fromJsonValue(const Json& j, int& out) {
    out = readInteger<int>(j);
}

void fromJsonValue(const Json& j, qint64& out) {
    out = readInteger<std::int64_t>(j);
}

void fromJsonValue(const Json& j, double& out) {
    if (!j.is_number())
        throw DecodeError("expected a number");
    out = j.get<double>();
}

void fromJsonValue(const Json& j, QUuid& out) {
    QString text;
    fromJsonValue(j, text);
    // Only the canonical 36-character form, as written; any letter case.
    out = text.size() == 36 ? QUuid::fromString(text) : QUuid();
    if (out.isNull())
        throw DecodeError("not a UUID");
}

void fromJsonValue(const Json& j, Timestamp& out) {
    double seconds = 0;
    fromJsonValue(j, seconds);
    out = Timestamp::fromReferenceSeconds(seconds);
}

void fromJsonValue(const Json& j, QUrl& out) {
    QString text;
    fromJsonValue(j, text);
    out = QUrl(text, QUrl::StrictMode);
    if (text.isEmpty() || !out.isValid())
        throw DecodeError("not a URL");
}

void fromJsonValue(const Json& j, QStringList& out) {
    if (!j.is_array())
        throw DecodeError("expected an array");
    out.clear();
    out.reserve(static_cast<qsizetype>(j.size()));
    for (const Json& item : j) {
        QString s;
        fromJsonValue(item, s);
        out.append(std::move(s));
    }
}

Json toJsonValue(const QString& v) {
    return v.toStdString();
}

QString uuidText(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces).toUpper();
}

Json toJsonValue(const QUuid& v) {
    return uuidText(v).toStdString();
}

Json toJsonValue(const QUrl& v) {
    return v.toString(QUrl::FullyEncoded).toStdString();
}

Json toJsonValue(const QStringList& v) {
    Json array = Json::array();
    for (const QString& s : v)
        array.push_back(s.toStdString());
    return array;
}

JsonObjectReader::JsonObjectReader(const Json& value)
    : m_object(value) {
    if (!value.is_object())
        throw DecodeError("expected an object");
}

const Json* JsonObjectReader::find(const char* key) const {
    const auto it = m_object.find(key);
    if (it == m_object.end() || it->is_null())
        return nullptr;
    return &*it;
}

bool JsonObjectReader::has(const char* key) const {
    return find(key) != nullptr;
}

QByteArray dumpJson(const Json& value) {
    const std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::optional<Json> parseJson(QByteArrayView bytes) {
    Json value = Json::parse(bytes.begin(), bytes.end(), nullptr, /*allow_exceptions=*/false);
    if (value.is_discarded())
        return std::nullopt;
    return value;
}
