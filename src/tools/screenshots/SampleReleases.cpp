#include "SampleReleases.h"

#include "search/FeedChecker.h"
#include "search/TorrentsCsvIndex.h"

#include <nlohmann/json.hpp>

std::optional<SearchResult> sampleRelease(const QString& title, char h, int seeders,
                                          qint64 sizeBytes, int sourceID) {
    const nlohmann::json answer{{"name", title.toStdString()},
                                {"infohash", std::string(40, h)},
                                {"seeders", seeders},
                                {"leechers", 1},
                                {"size_bytes", sizeBytes},
                                {"created_unix", 1767225600},
                                {"id", sourceID}};
    const std::optional<RawHit> hit = TorrentsCsvIndex::hit(answer);
    if (!hit)
        return std::nullopt;
    return FeedChecker::searchResult(*hit);
}
