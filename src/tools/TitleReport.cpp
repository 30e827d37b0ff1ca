#include "TitleReport.h"

#include "search/FeedChecker.h"
#include "search/TitleGrammar.h"

#include <nlohmann/json.hpp>

namespace {

using Json = nlohmann::ordered_json;

Json text(const QString& s) {
    return s.toStdString();
}

template <typename T>
Json orNull(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

} // namespace

QByteArray titleReportLine(const QString& line, const TitleReportOptions& options) {
    QString title = line;
    std::optional<QString> name = options.name;
    if (const qsizetype tab = line.indexOf(u'\t'); tab >= 0) {
        name = line.left(tab);
        title = line.mid(tab + 1);
    }

    const auto code = episodeCode(title);
    Json years = Json::array();
    for (const int year : yearsIn(title.toLower()))
        years.push_back(year);

    Json out = Json::object();
    out["title"] = text(title);
    out["quality"] = text(qualityLabel(title));
    out["episode"] = code ? text(code->text()) : Json(nullptr);
    out["season"] = code ? Json(code->ordinal().season) : Json(nullptr);
    out["number"] = code ? Json(code->ordinal().episode) : Json(nullptr);
    out["pack"] = orNull(packSeason(title));
    out["years"] = years;
    out["incompleteOrDated"] = isIncompleteOrDated(title);
    if (name) {
        out["containsName"] = titleContainsName(title, *name);
        out["extraAfter"] = hasExtraWordsAfterName(title, *name);
        out["extraBefore"] = hasExtraWordsBeforeName(title, *name);
        out["acceptsEpisode"] = FeedChecker::acceptsEpisodeTitle(title, *name);
        if (options.origin)
            out["otherRegion"] = isOtherRegion(title, *name, *options.origin);
    }
    if (options.firstAirYear) {
        Show show;
        show.name = name.value_or(QString());
        show.firstAirYear = options.firstAirYear;
        out["conflictsYear"] = conflictsWithFirstAirYear(title, show);
    }
    if (name)
        out["acceptsMovie"] = FeedChecker::acceptsMovieTitle(title, *name, options.year);
    return QByteArray::fromStdString(out.dump(-1, ' ', false, Json::error_handler_t::replace));
}
