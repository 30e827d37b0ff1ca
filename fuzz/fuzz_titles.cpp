// Release titles as the indexes hand them out, against a series or movie name: "title\nname\n
// year". Every question the grammar answers must terminate without fault, agree with the plain
// reading of its rules (ReferenceGrammar) on well-formed text, and give the same answer when
// asked again after other texts went through the grammar's small caches.

#include "FuzzSupport.h"
#include "ReferenceGrammar.h"
#include "search/FeedChecker.h"
#include "search/TitleGrammar.h"

#include <QStringView>

using fuzz::require;

namespace {

// Everything the grammar says about one title and name, in one comparable record.
struct Reading {
    std::optional<EpisodeCode> code;
    std::optional<int> pack;
    bool incompleteOrDated = false;
    QString quality;
    bool containsName = false;
    bool extraAfter = false;
    bool extraBefore = false;
    bool acceptsEpisode = false;
    bool acceptsMovie = false;
    bool acceptsMovieOfYear = false;
    bool otherRegion = false;
    bool conflictsWithYear = false;
    QList<int> years;
    QString lowerCompact;
    int distance = 0;

    bool operator==(const Reading&) const = default;
};

Reading read(const QString& title, const QString& name, const QString& year) {
    Show show;
    show.name = name;
    show.firstAirYear = year;
    Reading r;
    r.code = episodeCode(title);
    r.pack = packSeason(title);
    r.incompleteOrDated = isIncompleteOrDated(title);
    r.quality = qualityLabel(title);
    r.containsName = titleContainsName(title, name);
    r.extraAfter = hasExtraWordsAfterName(title, name);
    r.extraBefore = hasExtraWordsBeforeName(title, name);
    r.acceptsEpisode = FeedChecker::acceptsEpisodeTitle(title, name);
    r.acceptsMovie = FeedChecker::acceptsMovieTitle(title, name, std::nullopt);
    r.acceptsMovieOfYear = FeedChecker::acceptsMovieTitle(title, name, year);
    r.otherRegion = isOtherRegion(title, name, {QStringLiteral("GB")});
    r.conflictsWithYear = conflictsWithFirstAirYear(title, show);
    r.years = yearsIn(title);
    r.lowerCompact = lowerCompact(title);
    r.distance = qualityDistance(title, Show::Quality::p720);
    return r;
}

void compareWithReference(const QString& title, const QString& name, const Reading& r) {
    using namespace ReferenceGrammar;
    const QString both = title + QStringLiteral(" | ") + name;
    require(written(r.code) == refEpisodeCode(title), "episodeCode differs from the rule", both);
    require(r.pack == refPackSeason(title), "packSeason differs from the rule", both);
    require(r.incompleteOrDated == refIncompleteOrDated(title),
            "isIncompleteOrDated differs from the rule", both);
    require(r.quality == refQuality(title), "qualityLabel differs from the rule", both);
    require(r.containsName == refContainsName(title, name),
            "titleContainsName differs from the rule", both);
    require(r.extraAfter == refExtraAfter(title, name),
            "hasExtraWordsAfterName differs from the rule", both);
    require(r.extraBefore == refExtraBefore(title, name),
            "hasExtraWordsBeforeName differs from the rule", both);
    require(r.acceptsEpisode == refAcceptsEpisode(title, name),
            "acceptsEpisodeTitle differs from the rule", both);
    require(r.acceptsMovie == refAcceptsMovie(title, name),
            "acceptsMovieTitle differs from the rule", both);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::fields(QByteArrayView(data, static_cast<qsizetype>(size)), 3);
    const QString title = fuzz::text(parts[0]);
    const QString name = fuzz::text(parts[1]);
    const QString year = fuzz::text(parts[2]);

    const Reading first = read(title, name, year);
    (void)titleWords(title);
    (void)compact(title);
    for (const auto quality :
         {Show::Quality::p480, Show::Quality::p720, Show::Quality::p1080, Show::Quality::k4})
        (void)titleMatchesQuality(title, quality);
    (void)FeedChecker::ReleaseScore::of(title, 10, 1'000'000'000, true);

    // The caches hold the last two texts: push the title and name out, then ask again.
    (void)read(name, year, title);
    (void)read(year, title, name);
    require(read(title, name, year) == first, "the grammar answers differently when asked again",
            title + QStringLiteral(" | ") + name);

    // Lone surrogates are read as U+FFFD by the grammar; the rules as written see no match.
    if (QStringView(title).isValidUtf16() && QStringView(name).isValidUtf16())
        compareWithReference(title, name, first);
    return 0;
}
