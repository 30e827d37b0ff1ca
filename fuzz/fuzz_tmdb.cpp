// TMDB's answer bodies. Each body goes through every reader (search, seasons, external ids, air
// information, episodes): a reader takes what it recognises and skips the rest.

#include "FuzzSupport.h"
#include "metadata/TMDBReader.h"
#include "model/Show.h"

#include <algorithm>

using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray body = fuzz::bytes(data, size);
    const auto answer = TMDBReader::parseObject(body);
    if (!answer) {
        (void)TMDBReader::calendarDate(QString::fromUtf8(body.left(64)));
        return 0;
    }

    for (const auto& series : TMDBReader::seriesSearch(*answer))
        (void)series.firstAirYear;
    for (const auto& movie : TMDBReader::movieSearch(*answer)) {
        if (movie.releaseDate)
            (void)movie.releaseDate->toDateTime();
    }
    if (const auto seasons = TMDBReader::seasons(*answer, 1399)) {
        require(std::is_sorted(seasons->seasons.begin(), seasons->seasons.end()),
                "seasons out of order");
        require(std::all_of(seasons->seasons.begin(), seasons->seasons.end(),
                            [](int s) { return s >= 1; }),
                "specials among the seasons");
    }
    if (const auto imdb = TMDBReader::imdbID(*answer))
        require(!imdb->isEmpty(), "an empty IMDb id");
    const SeriesAirInfo info = TMDBReader::airInfo(*answer);
    if (info.lastAiredCode)
        (void)Show::parseEpisodeCode(*info.lastAiredCode);
    for (const auto& episode : TMDBReader::episodes(*answer, 3)) {
        require(episode.season == 3, "an episode of another season");
        (void)episode.id();
        if (episode.airDate) {
            (void)episode.airDate->toDateTime();
            (void)Show::dateCode(*episode.airDate);
        }
    }
    return 0;
}
