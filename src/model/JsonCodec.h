#pragma once

// Strict, hand-written JSON reading and writing for the stored records.
// Readers throw DecodeError on a wrong type, a missing required key or an unknown
// enumeration value; the file loader catches it at its edge. A key holding null reads
// as absent. Writers keep keys in the order they are put (ordered_json).

#include "EnumRaw.h"
#include "Timestamp.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QUuid>

#include <nlohmann/json.hpp>

#include <concepts>
#include <optional>
#include <stdexcept>

using Json = nlohmann::ordered_json;

struct DecodeError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

template <typename E>
concept RawEnum = std::is_enum_v<E> && requires { EnumRaw<E>::cases; };

// --- scalar values ---------------------------------------------------------------------------

void fromJsonValue(const Json& j, QString& out);
void fromJsonValue(const Json& j, bool& out);
void fromJsonValue(const Json& j, int& out);
void fromJsonValue(const Json& j, qint64& out);
void fromJsonValue(const Json& j, double& out);
void fromJsonValue(const Json& j, QUuid& out);
void fromJsonValue(const Json& j, Timestamp& out);
void fromJsonValue(const Json& j, QUrl& out);
void fromJsonValue(const Json& j, QStringList& out);

template <RawEnum E>
void fromJsonValue(const Json& j, E& out) {
    QString raw;
    fromJsonValue(j, raw);
    const auto value = fromRaw<E>(raw);
    if (!value)
        throw DecodeError("unknown enumeration value: " + raw.toStdString());
    out = *value;
}

Json toJsonValue(const QString& v);
inline Json toJsonValue(bool v) { return v; }
inline Json toJsonValue(int v) { return v; }
inline Json toJsonValue(qint64 v) { return static_cast<std::int64_t>(v); }
inline Json toJsonValue(double v) { return v; }
Json toJsonValue(const QUuid& v); // canonical upper-case text
inline Json toJsonValue(Timestamp v) { return v.secondsSinceReference; }
Json toJsonValue(const QUrl& v); // absolute string
Json toJsonValue(const QStringList& v);

template <RawEnum E>
Json toJsonValue(E v) {
    return toJsonValue(toRaw(v));
}

QString uuidText(const QUuid& id); // canonical upper-case text, no braces

// --- objects ---------------------------------------------------------------------------------

// Reads the members of one JSON object by name, whatever their order.
class JsonObjectReader {
public:
    explicit JsonObjectReader(const Json& value);

    bool has(const char* key) const;

    template <typename T>
    T required(const char* key) const {
        const Json* v = find(key);
        if (!v)
            throw DecodeError(std::string("missing key: ") + key);
        T out{};
        fromJsonValue(*v, out);
        return out;
    }

    template <typename T>
    std::optional<T> optional(const char* key) const {
        const Json* v = find(key);
        if (!v)
            return std::nullopt;
        T out{};
        fromJsonValue(*v, out);
        return out;
    }

    template <typename T>
    T value(const char* key, T fallback) const {
        auto v = optional<T>(key);
        return v ? std::move(*v) : std::move(fallback);
    }

private:
    const Json* find(const char* key) const; // null when absent or JSON null

    const Json& m_object;
};

// Builds one JSON object with keys in the order they are put.
class JsonObjectWriter {
public:
    template <typename T>
    JsonObjectWriter& put(const char* key, const T& value) {
        m_object[key] = toJsonValue(value);
        return *this;
    }

    // Optional fields are left out when absent, never written as null.
    template <typename T>
    JsonObjectWriter& putIfPresent(const char* key, const std::optional<T>& value) {
        if (value)
            m_object[key] = toJsonValue(*value);
        return *this;
    }

    JsonObjectWriter& putJson(const char* key, Json value) {
        m_object[key] = std::move(value);
        return *this;
    }

    Json take() { return std::move(m_object); }

private:
    Json m_object = Json::object();
};

// --- whole documents -------------------------------------------------------------------------

// Compact text, keys in insertion order; invalid UTF-8 can't occur from QString but is
// replaced rather than thrown on.
QByteArray dumpJson(const Json& value);

// Parses a document; nullopt for anything that is not well-formed JSON.
std::optional<Json> parseJson(QByteArrayView bytes);

// --- lists of records ------------------------------------------------------------------------
// A list decodes as a whole: one bad element fails it.

template <typename T>
void fromJsonValue(const Json& j, QList<T>& out) {
    if (!j.is_array())
        throw DecodeError("expected an array");
    out.clear();
    out.reserve(static_cast<qsizetype>(j.size()));
    for (const Json& item : j) {
        T value{};
        fromJsonValue(item, value);
        out.append(std::move(value));
    }
}

template <typename T>
Json toJsonValue(const QList<T>& list) {
    Json array = Json::array();
    for (const T& item : list)
        array.push_back(toJsonValue(item));
    return array;
}
