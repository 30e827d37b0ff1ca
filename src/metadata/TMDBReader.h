#pragma once

// Loose reading of TMDB's answers: every member is looked up by name and its type tested;
// anything else in the answer is ignored, and a malformed element is skipped on its own.

#include "model/Episode.h"
#include "model/MovieResult.h"
#include "model/SeriesAirInfo.h"
#include "model/SeriesResult.h"
#include "model/SeriesSeasons.h"
#include "model/Timestamp.h"

#include <QByteArray>

#include <nlohmann/json.hpp>

#include <optional>

namespace TMDBReader {

// The answer's top level when it is a JSON object.
std::optional<nlohmann::json> parseObject(const QByteArray& body);

QList<SeriesResult> seriesSearch(const nlohmann::json& answer);
QList<MovieResult> movieSearch(const nlohmann::json& answer);
std::optional<SeriesSeasons> seasons(const nlohmann::json& answer, int seriesID);
std::optional<QString> imdbID(const nlohmann::json& answer);
SeriesAirInfo airInfo(const nlohmann::json& answer);
QList<Episode> episodes(const nlohmann::json& answer, int season);

// "yyyy-MM-dd" as midnight UTC of that day.
std::optional<Timestamp> calendarDate(const QString& text);

} // namespace TMDBReader
