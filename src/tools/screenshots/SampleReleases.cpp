#include "SampleReleases.h"

#include "search/FeedChecker.h"
#include "search/TorrentsCsvIndex.h"

#include <nlohmann/json.hpp>

SearchResult sampleRelease(const QString& title, char h, int seeders, qint64 sizeBytes,
                           int sourceID) {
    const nlohmann::json answer{{"name", title.toStdString()},
                                {"infohash", std::string(40, h)},
                                {"seeders", seeders},
                                {"leechers", 1},
                                {"size_bytes", sizeBytes},
                                {"created_unix", 1767225600},
                                {"id", sourceID}};
    return FeedChecker::searchResult(TorrentsCsvIndex::hit(answer).value());
}
