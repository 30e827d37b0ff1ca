#include "JsonCodec.h"

#include <algorithm>
#include <charconv>
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

QString uuidText(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces).toUpper();
}

void JsonWriter::separate() {
    if (m_needComma)
        m_out.append(',');
    m_needComma = true;
}

void JsonWriter::beginObject() {
    separate();
    m_out.append('{');
    m_needComma = false;
}

void JsonWriter::endObject() {
    m_out.append('}');
    m_needComma = true;
}

void JsonWriter::beginArray() {
    separate();
    m_out.append('[');
    m_needComma = false;
}

void JsonWriter::endArray() {
    m_out.append(']');
    m_needComma = true;
}

void JsonWriter::key(const char* name) {
    separate();
    string(QByteArrayView(name));
    m_out.append(':');
    m_needComma = false;
}

void JsonWriter::key(const QString& name) {
    separate();
    string(name.toUtf8());
    m_out.append(':');
    m_needComma = false;
}

void JsonWriter::string(QByteArrayView utf8) {
    static constexpr char hex[] = "0123456789abcdef";
    m_out.append('"');
    qsizetype clean = 0; // start of the run not yet copied
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        m_out.append(utf8.sliced(clean, i - clean));
        clean = i + 1;
        switch (c) {
        case '"':
            m_out.append("\\\"");
            break;
        case '\\':
            m_out.append("\\\\");
            break;
        case '\n':
            m_out.append("\\n");
            break;
        case '\r':
            m_out.append("\\r");
            break;
        case '\t':
            m_out.append("\\t");
            break;
        case '\b':
            m_out.append("\\b");
            break;
        case '\f':
            m_out.append("\\f");
            break;
        default:
            m_out.append("\\u00");
            m_out.append(hex[c >> 4]);
            m_out.append(hex[c & 0xF]);
        }
    }
    m_out.append(utf8.sliced(clean));
    m_out.append('"');
}

void JsonWriter::value(const QString& v) {
    separate();
    // Nearly all stored text is ASCII: copy it straight, skipping the UTF-8 conversion.
    const char16_t* chars = reinterpret_cast<const char16_t*>(v.utf16());
    const qsizetype n = v.size();
    if (std::any_of(chars, chars + n,
                    [](char16_t c) { return c >= 0x80 || c < 0x20 || c == '"' || c == '\\'; })) {
        string(v.toUtf8());
        return;
    }
    const qsizetype at = m_out.size();
    m_out.resize(at + n + 2);
    char* out = m_out.data() + at;
    *out++ = '"';
    for (qsizetype i = 0; i < n; ++i)
        *out++ = static_cast<char>(chars[i]);
    *out = '"';
}

void JsonWriter::value(bool v) {
    separate();
    m_out.append(v ? "true" : "false");
}

void JsonWriter::value(int v) {
    value(static_cast<qint64>(v));
}

void JsonWriter::value(qint64 v) {
    separate();
    char buf[24];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    m_out.append(buf, end - buf);
}

void JsonWriter::value(double v) {
    separate();
    // A NaN or infinity has no JSON form; writing null would make the whole file unreadable.
    if (!std::isfinite(v))
        v = 0.0;
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    m_out.append(buf, end - buf);
    if (std::find_if(buf, end, [](char c) { return c == '.' || c == 'e'; }) == end)
        m_out.append(".0");
}

void JsonWriter::value(const QUuid& v) {
    separate();
    string(uuidText(v).toLatin1());
}

void JsonWriter::value(const QUrl& v) {
    separate();
    string(v.toString(QUrl::FullyEncoded).toUtf8());
}

void JsonWriter::value(const QStringList& v) {
    beginArray();
    for (const QString& s : v)
        value(s);
    endArray();
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

std::optional<Json> parseJson(QByteArrayView bytes) {
    Json value = Json::parse(bytes.begin(), bytes.end(), nullptr, /*allow_exceptions=*/false);
    if (value.is_discarded())
        return std::nullopt;
    return value;
}
