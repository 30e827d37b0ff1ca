// The names the sorter turns into folders and the episode codes it files by: "name\ncode".
// Series and movie names come from TMDB and users, codes from release titles; a folder name
// must never leave its parent folder, whatever the name.

#include "FuzzSupport.h"
#include "engine/EpisodeSorter.h"
#include "model/Show.h"

using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::fields(QByteArrayView(data, static_cast<qsizetype>(size)), 2);
    const QString name = fuzz::text(parts[0]);
    const QString code = fuzz::text(parts[1]);

    const QString folder = EpisodeSorter::safeFolderName(name);
    require(!folder.isEmpty(), "an empty folder name", name);
    require(folder != QLatin1String(".") && folder != QLatin1String(".."),
            "a folder name that addresses a parent", name);
    require(!folder.contains(u'/') && !folder.contains(QChar::Null), "a folder name that is a path",
            name);
    require(EpisodeSorter::safeFolderName(folder) == folder, "safeFolderName is not stable", name);

    if (const auto season = EpisodeSorter::seasonNumber(code)) {
        require(*season >= 0, "a negative season", code);
        const QString seasonFolder = EpisodeSorter::seasonFolderName(*season);
        require(EpisodeSorter::safeFolderName(seasonFolder) == seasonFolder,
                "a season folder name that is not safe", code);
    }
    (void)EpisodeSorter::isVideo(name);
    if (const auto episode = Show::parseEpisodeCode(code))
        require(episode->season >= 0 && episode->episode >= 0, "a negative episode number", code);
    return 0;
}
