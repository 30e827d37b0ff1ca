#include "TMDBReader.h"

#include "model/EpisodeCode.h"

#include <QDate>
#include <QTimeZone>

#include <algorithm>
#include <cmath>
#include <limits>

using nlohmann::json;

namespace TMDBReader {

namespace {

const json* member(const json& object, const char* key) {
    if (!object.is_object())
        return nullptr;
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

std::optional<QString> text(const json& object, const char* key) {
    const json* v = member(object, key);
    if (!v || !v->is_string())
        return std::nullopt;
    return QString::fromStdString(v->get<std::string>());
}

// A whole number that fits an int, written as 5 or 5.0.
std::optional<int> integer(const json& object, const char* key) {
    const json* v = member(object, key);
    if (!v || !v->is_number())
        return std::nullopt;
    double d = 0;
    if (v->is_number_unsigned()) {
        const auto u = v->get<std::uint64_t>();
        if (u > static_cast<std::uint64_t>(std::numeric_limits<int>::max()))
            return std::nullopt;
        return static_cast<int>(u);
    }
    if (v->is_number_integer())
        d = static_cast<double>(v->get<std::int64_t>());
    else
        d = v->get<double>();
    if (!std::isfinite(d) || d != std::floor(d) || d < std::numeric_limits<int>::min() ||
        d > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(d);
}

// "2011-04-17" → "2011"; nothing for a missing, mistyped or empty date.
std::optional<QString> yearOf(const json& object, const char* key) {
    const auto date = text(object, key);
    if (!date || date->isEmpty())
        return std::nullopt;
    return date->left(4);
}

std::optional<Timestamp> dateOf(const json& object, const char* key) {
    const auto date = text(object, key);
    if (!date || date->isEmpty())
        return std::nullopt;
    return calendarDate(*date);
}

const json& arrayOf(const json& object, const char* key) {
    static const json kEmpty = json::array();
    const json* v = member(object, key);
    return v && v->is_array() ? *v : kEmpty;
}

} // namespace

std::optional<json> parseObject(const QByteArray& body) {
    json answer = json::parse(body.constData(), body.constData() + body.size(), nullptr, false);
    if (answer.is_discarded() || !answer.is_object())
        return std::nullopt;
    return answer;
}

std::optional<Timestamp> calendarDate(const QString& text) {
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        return std::nullopt;
    return Timestamp::fromDateTime(date.startOfDay(QTimeZone::utc()));
}

QList<SeriesResult> seriesSearch(const json& answer) {
    QList<SeriesResult> out;
    for (const json& element : arrayOf(answer, "results")) {
        const auto id = integer(element, "id");
        const auto name = text(element, "name");
        if (!id || !name)
            continue;
        out.push_back({*id, *name, yearOf(element, "first_air_date"),
                       text(element, "overview").value_or(QString()),
                       text(element, "poster_path")});
    }
    return out;
}

QList<MovieResult> movieSearch(const json& answer) {
    QList<MovieResult> out;
    for (const json& element : arrayOf(answer, "results")) {
        const auto id = integer(element, "id");
        const auto title = text(element, "title");
        if (!id || !title)
            continue;
        out.push_back({*id, *title, yearOf(element, "release_date"),
                       text(element, "overview").value_or(QString()), text(element, "poster_path"),
                       dateOf(element, "release_date")});
    }
    return out;
}

std::optional<SeriesSeasons> seasons(const json& answer, int seriesID) {
    const auto name = text(answer, "name");
    if (!name)
        return std::nullopt;
    SeriesSeasons out{seriesID, *name, {}};
    for (const json& element : arrayOf(answer, "seasons")) {
        // Season 0 holds TMDB's specials, which no release is named after.
        if (const auto number = integer(element, "season_number"); number && *number >= 1)
            out.seasons.push_back(*number);
    }
    std::sort(out.seasons.begin(), out.seasons.end());
    return out;
}

std::optional<QString> imdbID(const json& answer) {
    const auto id = text(answer, "imdb_id");
    if (!id || id->isEmpty())
        return std::nullopt;
    return id;
}

SeriesAirInfo airInfo(const json& answer) {
    SeriesAirInfo info;
    info.status = text(answer, "status");

    const json* next = member(answer, "next_episode_to_air");
    const json* last = member(answer, "last_episode_to_air");
    if (next && next->is_object())
        info.currentSeason = integer(*next, "season_number");
    if (!info.currentSeason && last && last->is_object())
        info.currentSeason = integer(*last, "season_number");
    if (last && last->is_object()) {
        const auto season = integer(*last, "season_number");
        const auto episode = integer(*last, "episode_number");
        if (season && episode)
            info.lastAiredCode = EpisodeCode::episode(*season, *episode).text();
    }

    const json* countries = member(answer, "origin_country");
    if (countries && countries->is_array()) {
        QStringList list;
        bool allText = true;
        for (const json& c : *countries) {
            if (!c.is_string()) {
                allText = false;
                break;
            }
            list.push_back(QString::fromStdString(c.get<std::string>()));
        }
        if (allText)
            info.originCountries = list;
    }
    return info;
}

QList<Episode> episodes(const json& answer, int season) {
    QList<Episode> out;
    for (const json& element : arrayOf(answer, "episodes")) {
        const auto number = integer(element, "episode_number");
        if (!number)
            continue;
        const QString name =
            text(element, "name").value_or(QStringLiteral("Episode %1").arg(*number));
        out.push_back({season, *number, name, dateOf(element, "air_date")});
    }
    return out;
}

} // namespace TMDBReader
