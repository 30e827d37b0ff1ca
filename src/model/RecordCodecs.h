#pragma once

// JSON form of every stored record: keys written in the record's own order, missing
// keys read with the record's defaults, anything else strict (see JsonCodec.h).

#include "ActiveDownload.h"
#include "ActivityEntry.h"
#include "AppSettings.h"
#include "DownloadRecord.h"
#include "JsonCodec.h"
#include "Movie.h"
#include "Show.h"

#include <QMap>

void fromJsonValue(const Json& j, ShowStatus& out);
void fromJsonValue(const Json& j, Show& out);
void fromJsonValue(const Json& j, Movie& out);
void fromJsonValue(const Json& j, AppSettings& out);
void fromJsonValue(const Json& j, ActivityEntry& out);
void fromJsonValue(const Json& j, DownloadRecord& out);
void fromJsonValue(const Json& j, ActiveDownload& out);
void fromJsonValue(const Json& j, QMap<QString, ActiveDownload>& out);

void writeJson(JsonWriter& w, const ShowStatus& v);
void writeJson(JsonWriter& w, const Show& v);
void writeJson(JsonWriter& w, const Movie& v);
void writeJson(JsonWriter& w, const AppSettings& v);
void writeJson(JsonWriter& w, const ActivityEntry& v);
void writeJson(JsonWriter& w, const DownloadRecord& v);
void writeJson(JsonWriter& w, const ActiveDownload& v);
void writeJson(JsonWriter& w, const QMap<QString, ActiveDownload>& v);

// Decodes a whole document into T; nullopt when it is not valid JSON or not a valid T.
template <typename T>
std::optional<T> decodeDocument(QByteArrayView bytes) {
    const auto json = parseJson(bytes);
    if (!json)
        return std::nullopt;
    try {
        T out{};
        fromJsonValue(*json, out);
        return out;
    } catch (const DecodeError&) {
        return std::nullopt;
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
}

// --- reading what can be read ----------------------------------------------------------------
// A hand edit or a torn write should cost the records it touched, not the whole file: these
// readers keep every record that decodes and count the ones that do not. Settings count per
// value: one of the wrong type takes its default.

struct SalvageCount {
    int kept = 0;    // records (settings: values) read
    int dropped = 0; // records left out (settings: values back at their default)
};

template <typename T>
void salvageJsonValue(const Json& j, QList<T>& out, SalvageCount& count) {
    if (!j.is_array())
        throw DecodeError("expected an array");
    out.clear();
    for (const Json& item : j) {
        try {
            T value{};
            fromJsonValue(item, value);
            out.append(std::move(value));
            ++count.kept;
        } catch (const DecodeError&) {
            ++count.dropped;
        } catch (const nlohmann::json::exception&) {
            ++count.dropped;
        }
    }
}
void salvageJsonValue(const Json& j, QMap<QString, ActiveDownload>& out, SalvageCount& count);
void salvageJsonValue(const Json& j, AppSettings& out, SalvageCount& count);

// Decodes what can be decoded; nullopt only when the document is not JSON or not of the right
// shape at its top (an array of records, the object of settings or downloads).
template <typename T>
std::optional<T> salvageDocument(QByteArrayView bytes, SalvageCount& count) {
    count = {};
    const auto json = parseJson(bytes);
    if (!json)
        return std::nullopt;
    try {
        T out{};
        salvageJsonValue(*json, out, count);
        return out;
    } catch (const DecodeError&) {
        return std::nullopt;
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
}

template <typename T>
QByteArray encodeDocument(const T& value) {
    JsonWriter w;
    writeJson(w, value);
    return w.take();
}
