#include "RecordCodecs.h"

void fromJsonValue(const Json& j, ShowStatus& out) {
    const JsonObjectReader r(j);
    const ShowStatus defaults;
    out.state = r.value("state", defaults.state);
    out.progress = r.value("progress", defaults.progress);
    out.episode = r.optional<QString>("episode");
    out.detail = r.optional<QString>("detail");
    out.lastEventDate = r.optional<Timestamp>("lastEventDate");
}

void writeJson(JsonWriter& w, const ShowStatus& v) {
    JsonObjectWriter(w)
        .put("state", v.state)
        .put("progress", v.progress)
        .putIfPresent("episode", v.episode)
        .putIfPresent("detail", v.detail)
        .putIfPresent("lastEventDate", v.lastEventDate);
}

void fromJsonValue(const Json& j, Show& out) {
    const JsonObjectReader r(j);
    const Show d;
    out.id = r.optional<QUuid>("id").value_or(QUuid::createUuid());
    out.name = r.required<QString>("name");
    out.quality = r.value("quality", d.quality);
    out.isEnabled = r.value("isEnabled", d.isEnabled);
    out.nextAirDate = r.optional<Timestamp>("nextAirDate");
    out.status = r.value("status", d.status);
    out.downloadedEpisodes = r.value("downloadedEpisodes", d.downloadedEpisodes);
    out.tmdbID = r.optional<int>("tmdbID");
    out.posterPath = r.optional<QString>("posterPath");
    out.firstAirYear = r.optional<QString>("firstAirYear");
    out.imdbID = r.optional<QString>("imdbID");
    out.originCountries = r.value("originCountries", d.originCountries);
    out.startWithLatest = r.value("startWithLatest", d.startWithLatest);
    out.anyQuality = r.value("anyQuality", d.anyQuality);
    out.fallbackAnyQuality = r.value("fallbackAnyQuality", d.fallbackAnyQuality);
    out.seasonFilter = r.optional<int>("seasonFilter");
    out.monitorAnchor = r.optional<QString>("monitorAnchor");
    out.monitorFromLatestPending = r.value("monitorFromLatestPending", d.monitorFromLatestPending);
    out.searchAlias = r.optional<QString>("searchAlias");
    out.tmdbStatus = r.optional<QString>("tmdbStatus");
    out.lastCheckedAt = r.optional<Timestamp>("lastCheckedAt");
    out.airInfoRefreshedAt = r.optional<Timestamp>("airInfoRefreshedAt");
    out.rejectedHashes = r.value("rejectedHashes", d.rejectedHashes);
    out.qualityGraceEpisode = r.optional<QString>("qualityGraceEpisode");
    out.qualityGraceFirstSeenAt = r.optional<Timestamp>("qualityGraceFirstSeenAt");
    out.qualityGraceDismissedEpisode = r.optional<QString>("qualityGraceDismissedEpisode");
}

void writeJson(JsonWriter& w, const Show& v) {
    // Key order differs from field order (imdbID, rejectedHashes); readers go by name.
    JsonObjectWriter(w)
        .put("id", v.id)
        .put("name", v.name)
        .put("quality", v.quality)
        .put("isEnabled", v.isEnabled)
        .putIfPresent("nextAirDate", v.nextAirDate)
        .put("status", v.status)
        .put("downloadedEpisodes", v.downloadedEpisodes)
        .putIfPresent("tmdbID", v.tmdbID)
        .putIfPresent("posterPath", v.posterPath)
        .putIfPresent("firstAirYear", v.firstAirYear)
        .putIfPresent("imdbID", v.imdbID)
        .put("originCountries", v.originCountries)
        .put("startWithLatest", v.startWithLatest)
        .put("anyQuality", v.anyQuality)
        .put("fallbackAnyQuality", v.fallbackAnyQuality)
        .putIfPresent("seasonFilter", v.seasonFilter)
        .putIfPresent("monitorAnchor", v.monitorAnchor)
        .put("monitorFromLatestPending", v.monitorFromLatestPending)
        .putIfPresent("searchAlias", v.searchAlias)
        .putIfPresent("tmdbStatus", v.tmdbStatus)
        .putIfPresent("lastCheckedAt", v.lastCheckedAt)
        .putIfPresent("airInfoRefreshedAt", v.airInfoRefreshedAt)
        .put("rejectedHashes", v.rejectedHashes)
        .putIfPresent("qualityGraceEpisode", v.qualityGraceEpisode)
        .putIfPresent("qualityGraceFirstSeenAt", v.qualityGraceFirstSeenAt)
        .putIfPresent("qualityGraceDismissedEpisode", v.qualityGraceDismissedEpisode);
}

void fromJsonValue(const Json& j, Movie& out) {
    const JsonObjectReader r(j);
    const Movie d;
    out.id = r.optional<QUuid>("id").value_or(QUuid::createUuid());
    out.name = r.required<QString>("name");
    out.year = r.optional<QString>("year");
    out.quality = r.value("quality", d.quality);
    out.isEnabled = r.value("isEnabled", d.isEnabled);
    out.monitor = r.value("monitor", d.monitor);
    out.anyQuality = r.value("anyQuality", d.anyQuality);
    out.fallbackAnyQuality = r.value("fallbackAnyQuality", d.fallbackAnyQuality);
    out.tmdbID = r.optional<int>("tmdbID");
    out.posterPath = r.optional<QString>("posterPath");
    out.releaseDate = r.optional<Timestamp>("releaseDate");
    out.status = r.value("status", d.status);
    out.downloaded = r.value("downloaded", d.downloaded);
    out.searchAlias = r.optional<QString>("searchAlias");
    out.pendingMagnet = r.optional<QUrl>("pendingMagnet");
    out.rejectedHashes = r.value("rejectedHashes", d.rejectedHashes);
}

void writeJson(JsonWriter& w, const Movie& v) {
    JsonObjectWriter(w)
        .put("id", v.id)
        .put("name", v.name)
        .putIfPresent("year", v.year)
        .put("quality", v.quality)
        .put("isEnabled", v.isEnabled)
        .put("monitor", v.monitor)
        .put("anyQuality", v.anyQuality)
        .put("fallbackAnyQuality", v.fallbackAnyQuality)
        .putIfPresent("tmdbID", v.tmdbID)
        .putIfPresent("posterPath", v.posterPath)
        .putIfPresent("releaseDate", v.releaseDate)
        .put("status", v.status)
        .put("downloaded", v.downloaded)
        .putIfPresent("searchAlias", v.searchAlias)
        .putIfPresent("pendingMagnet", v.pendingMagnet)
        .put("rejectedHashes", v.rejectedHashes);
}

namespace {

// A file URL, or a plain absolute path as a person editing the file would write it.
std::optional<QUrl> rootFolderFrom(const QString& text) {
    if (text.startsWith(QLatin1Char('/')))
        return QUrl::fromLocalFile(text);
    QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid())
        return std::nullopt;
    return url;
}

} // namespace

void fromJsonValue(const Json& j, AppSettings& out) {
    const JsonObjectReader r(j);
    const AppSettings d;
    if (const auto root = r.optional<QString>("rootFolder")) {
        out.rootFolder = rootFolderFrom(*root);
        if (!out.rootFolder)
            throw DecodeError("not a URL");
    }
    out.defaultQuality = r.value("defaultQuality", d.defaultQuality);
    out.checkIntervalMinutes = r.value("checkIntervalMinutes", d.checkIntervalMinutes);
    out.tmdbAPIKey = r.value("tmdbAPIKey", d.tmdbAPIKey);
    out.seedRatioEnabled = r.value("seedRatioEnabled", d.seedRatioEnabled);
    out.seedRatioLimit = r.value("seedRatioLimit", d.seedRatioLimit);
    out.seedMigratedV1 = r.value("seedMigratedV1", d.seedMigratedV1);
    out.notificationSoundEnabled = r.value("notificationSoundEnabled", d.notificationSoundEnabled);
    out.theme = r.value("theme", d.theme);
    out.windowMagnetization = r.value("windowMagnetization", d.windowMagnetization);
    out.staleNudgeDays = r.value("staleNudgeDays", d.staleNudgeDays);
    out.qualityGraceBufferHours = r.value("qualityGraceBufferHours", d.qualityGraceBufferHours);
    out.qualityGraceFallbackDays = r.value("qualityGraceFallbackDays", d.qualityGraceFallbackDays);
}

void salvageJsonValue(const Json& j, AppSettings& out, SalvageCount& count) {
    const JsonObjectReader r(j);
    out = AppSettings{};
    const auto take = [&](const char* key, auto& field) {
        if (!r.has(key))
            return;
        try {
            field = r.required<std::remove_reference_t<decltype(field)>>(key);
            ++count.kept;
        } catch (const DecodeError&) {
            ++count.dropped;
        } catch (const nlohmann::json::exception&) {
            ++count.dropped;
        }
    };
    QString root;
    take("rootFolder", root);
    if (!root.isEmpty()) {
        out.rootFolder = rootFolderFrom(root);
        if (!out.rootFolder) {
            --count.kept;
            ++count.dropped;
        }
    }
    take("defaultQuality", out.defaultQuality);
    take("checkIntervalMinutes", out.checkIntervalMinutes);
    take("tmdbAPIKey", out.tmdbAPIKey);
    take("seedRatioEnabled", out.seedRatioEnabled);
    take("seedRatioLimit", out.seedRatioLimit);
    take("seedMigratedV1", out.seedMigratedV1);
    take("notificationSoundEnabled", out.notificationSoundEnabled);
    take("theme", out.theme);
    take("windowMagnetization", out.windowMagnetization);
    take("staleNudgeDays", out.staleNudgeDays);
    take("qualityGraceBufferHours", out.qualityGraceBufferHours);
    take("qualityGraceFallbackDays", out.qualityGraceFallbackDays);
}

void writeJson(JsonWriter& w, const AppSettings& v) {
    JsonObjectWriter(w)
        .putIfPresent("rootFolder", v.rootFolder)
        .put("defaultQuality", v.defaultQuality)
        .put("checkIntervalMinutes", v.checkIntervalMinutes)
        .put("tmdbAPIKey", v.tmdbAPIKey)
        .put("seedRatioEnabled", v.seedRatioEnabled)
        .put("seedRatioLimit", v.seedRatioLimit)
        .put("seedMigratedV1", v.seedMigratedV1)
        .put("notificationSoundEnabled", v.notificationSoundEnabled)
        .put("theme", v.theme)
        .put("windowMagnetization", v.windowMagnetization)
        .put("staleNudgeDays", v.staleNudgeDays)
        .put("qualityGraceBufferHours", v.qualityGraceBufferHours)
        .put("qualityGraceFallbackDays", v.qualityGraceFallbackDays);
}

void fromJsonValue(const Json& j, ActivityEntry& out) {
    const JsonObjectReader r(j);
    out.id = r.required<QUuid>("id");
    out.date = r.required<Timestamp>("date");
    out.message = r.required<QString>("message");
    out.kind = r.required<ActivityEntry::Kind>("kind");
}

void writeJson(JsonWriter& w, const ActivityEntry& v) {
    JsonObjectWriter(w)
        .put("id", v.id)
        .put("date", v.date)
        .put("message", v.message)
        .put("kind", v.kind);
}

void fromJsonValue(const Json& j, DownloadRecord& out) {
    const JsonObjectReader r(j);
    out.id = r.required<QString>("id");
    out.showID = r.required<QUuid>("showID");
    out.showName = r.required<QString>("showName");
    out.episode = r.required<QString>("episode");
    out.title = r.required<QString>("title");
    out.addedAt = r.required<Timestamp>("addedAt");
    out.state = r.required<DownloadRecord::State>("state");
    out.progress = r.required<double>("progress");
    out.rateBytes = r.required<qint64>("rateBytes");
    out.detail = r.optional<QString>("detail");
    out.peers = r.value("peers", 0);
    out.trackerHint = r.optional<QString>("trackerHint");
    out.seedsSeen = r.value("seedsSeen", 0);
    out.stuckSince = r.optional<Timestamp>("stuckSince");
    out.staleSnoozedUntil = r.optional<Timestamp>("staleSnoozedUntil");
    out.staleNotifiedAt = r.optional<Timestamp>("staleNotifiedAt");
    out.snoozeCount = r.value("snoozeCount", 0);
    out.staleAbandoned = r.value("staleAbandoned", false);
}

void writeJson(JsonWriter& w, const DownloadRecord& v) {
    JsonObjectWriter(w)
        .put("id", v.id)
        .put("showID", v.showID)
        .put("showName", v.showName)
        .put("episode", v.episode)
        .put("title", v.title)
        .put("addedAt", v.addedAt)
        .put("state", v.state)
        .put("progress", v.progress)
        .put("rateBytes", v.rateBytes)
        .putIfPresent("detail", v.detail)
        .put("peers", v.peers)
        .putIfPresent("trackerHint", v.trackerHint)
        .put("seedsSeen", v.seedsSeen)
        .putIfPresent("stuckSince", v.stuckSince)
        .putIfPresent("staleSnoozedUntil", v.staleSnoozedUntil)
        .putIfPresent("staleNotifiedAt", v.staleNotifiedAt)
        .put("snoozeCount", v.snoozeCount)
        .put("staleAbandoned", v.staleAbandoned);
}

void fromJsonValue(const Json& j, ActiveDownload& out) {
    const JsonObjectReader r(j);
    out.kind = r.value("kind", ActiveDownload::Kind::episode);
    out.showID = r.required<QUuid>("showID");
    out.episodeCode = r.value("episodeCode", QString());
    out.userPicked = r.value("userPicked", false);
    out.source = r.value("source", QString());
}

void writeJson(JsonWriter& w, const ActiveDownload& v) {
    JsonObjectWriter(w)
        .put("kind", v.kind)
        .put("showID", v.showID)
        .put("episodeCode", v.episodeCode)
        .put("userPicked", v.userPicked)
        .put("source", v.source);
}

void fromJsonValue(const Json& j, QMap<QString, ActiveDownload>& out) {
    if (!j.is_object())
        throw DecodeError("expected an object");
    out.clear();
    for (const auto& [hash, value] : j.items()) {
        ActiveDownload download;
        fromJsonValue(value, download);
        out.insert(QString::fromStdString(hash), download);
    }
}

void salvageJsonValue(const Json& j, QMap<QString, ActiveDownload>& out, SalvageCount& count) {
    if (!j.is_object())
        throw DecodeError("expected an object");
    out.clear();
    for (const auto& [hash, value] : j.items()) {
        try {
            ActiveDownload download;
            fromJsonValue(value, download);
            out.insert(QString::fromStdString(hash), download);
            ++count.kept;
        } catch (const DecodeError&) {
            ++count.dropped;
        } catch (const nlohmann::json::exception&) {
            ++count.dropped;
        }
    }
}

void writeJson(JsonWriter& w, const QMap<QString, ActiveDownload>& v) {
    w.beginObject();
    for (auto it = v.cbegin(); it != v.cend(); ++it) {
        w.key(it.key());
        writeJson(w, it.value());
    }
    w.endObject();
}
