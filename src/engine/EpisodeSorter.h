#pragma once

#include "SortError.h"
#include "SortResult.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// Files finished downloads into the library: an episode into <series root>/<series>/Season_NN,
// a season pack whole into <series root>/<series>, a movie into <movies root>/<movie>.
// Stateless; runs on the caller's thread. It never overwrites anything, never touches a file
// the torrent's list places outside its download folder, and never follows a link out of the
// library. Failures come back as a SortError, nothing is thrown.
class EpisodeSorter final {
public:
    EpisodeSorter() = delete;

    // `files` are the torrent's entries relative to `downloadDir` (as the daemon lists them).
    static SortOutcome<SortResult> sortEpisode(const QStringList& files, const QString& downloadDir,
                                               const QString& seriesRoot,
                                               const QString& seriesFolderName,
                                               const QString& episodeCode);
    // The path of the moved folder.
    static SortOutcome<QString> sortSeasonPack(const QStringList& files, const QString& downloadDir,
                                               const QString& seriesRoot,
                                               const QString& seriesFolderName,
                                               const QString& torrentName);
    static SortOutcome<SortResult> sortMovie(const QStringList& files, const QString& downloadDir,
                                             const QString& moviesRoot,
                                             const QString& movieFolderName);

    // "S02E05" → 2, "Show.2024.03.15" → 2024 (daily shows file by year).
    static std::optional<int> seasonNumber(const QString& episodeCode);
    // Strips the characters file systems or shells choke on; never "", "." or "..".
    static QString safeFolderName(const QString& name);
    static QString seasonFolderName(int season);
    // `wanted`, or the first free "<base> N.<ext>" beside it for N = 2, 3, …
    static QString uniqueDestination(const QString& wanted);

    static const QSet<QString>& videoExtensions();
    static bool isVideo(const QString& path);

    // What safeFolderName gives for names with nothing usable left.
    static constexpr auto kFallbackFolderName = "Untitled";
};
