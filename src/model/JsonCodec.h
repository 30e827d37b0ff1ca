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
concept RawEnum = std::is_enum_v<E> && requires {
    EnumRaw<E>::cases;
};

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

// Streams compact JSON into a buffer; much cheaper than building a document first.
class JsonWriter {
public:
    JsonWriter() { m_out.reserve(64 * 1024); }

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(const char* name);
    void key(const QString& name);

    void value(const QString& v);
    void value(bool v);
    void value(int v);
    void value(qint64 v);
    void value(double v);       // shortest round-trip form; a non-finite number is written as 0
    void value(const QUuid& v); // canonical upper-case text
    void value(Timestamp v) { value(v.secondsSinceReference); }
    void value(const QUrl& v); // absolute string
    void value(const QStringList& v);

    QByteArray take() { return std::move(m_out); }

private:
    void separate();
    void string(QByteArrayView utf8);

    QByteArray m_out;
    bool m_needComma = false;
};

inline void writeJson(JsonWriter& w, const QString& v) {
    w.value(v);
}
inline void writeJson(JsonWriter& w, bool v) {
    w.value(v);
}
inline void writeJson(JsonWriter& w, int v) {
    w.value(v);
}
inline void writeJson(JsonWriter& w, qint64 v) {
    w.value(v);
}
inline void writeJson(JsonWriter& w, double v) {
    w.value(v);
}
inline void writeJson(JsonWriter& w, const QUuid& v) {
    w.value(v);
}
inline void writeJson(JsonWriter& w, Timestamp v) {
    w.value(v);
}
inline void writeJson(JsonWriter& w, const QUrl& v) {
    w.value(v);
}
inline void writeJson(JsonWriter& w, const QStringList& v) {
    w.value(v);
}

template <RawEnum E>
void writeJson(JsonWriter& w, E v) {
    w.value(toRaw(v));
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

// Writes one JSON object with keys in the order they are put.
class JsonObjectWriter {
public:
    explicit JsonObjectWriter(JsonWriter& w)
        : m_w(w) {
        m_w.beginObject();
    }
    ~JsonObjectWriter() { m_w.endObject(); }
    Q_DISABLE_COPY_MOVE(JsonObjectWriter)

    template <typename T>
    JsonObjectWriter& put(const char* key, const T& value) {
        m_w.key(key);
        writeJson(m_w, value);
        return *this;
    }

    // Optional fields are left out when absent, never written as null.
    template <typename T>
    JsonObjectWriter& putIfPresent(const char* key, const std::optional<T>& value) {
        if (value)
            put(key, *value);
        return *this;
    }

private:
    JsonWriter& m_w;
};

// --- whole documents -------------------------------------------------------------------------

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
void writeJson(JsonWriter& w, const QList<T>& list) {
    w.beginArray();
    for (const T& item : list)
        writeJson(w, item);
    w.endArray();
}
