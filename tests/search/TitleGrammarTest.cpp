#include "search/TitleGrammar.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>

namespace {

struct QualityCase {
    const char* title;
    const char* label;
    int distanceFor1080;
    int distanceFor4K;
};

class QualityGrammar : public ::testing::TestWithParam<QualityCase> {};

TEST_P(QualityGrammar, LabelAndDistance) {
    const auto& c = GetParam();
    const QString title = QString::fromUtf8(c.title);
    EXPECT_EQ(qualityLabel(title), QString::fromUtf8(c.label));
    EXPECT_EQ(qualityDistance(title, Show::Quality::p1080), c.distanceFor1080);
    EXPECT_EQ(qualityDistance(title, Show::Quality::k4), c.distanceFor4K);
}

INSTANTIATE_TEST_SUITE_P(
    Titles, QualityGrammar,
    ::testing::Values(QualityCase{"Show.S01E01.2160p.WEB", "4K", 50, 10},
                      QualityCase{"Show.S01E01.UHD.BluRay", "4K", 50, 10},
                      QualityCase{"Show.S01E01.4K.HDR", "4K", 50, 10},
                      QualityCase{"Show.S01E01.HDTV.x264-4KiDS", "4K", 50, 10}, // plain substring
                      QualityCase{"Show.S01E01.1080p.WEB", "1080p", 10, 1},
                      QualityCase{"Show.S01E01.1080i.HDTV", "1080p", 10, 1},
                      QualityCase{"Show.S01E01.720p.HDTV", "720p", 1, 2},
                      QualityCase{"Show.S01E01.480P.DVDRip", "480p", 2, 3},
                      QualityCase{"Show.S01E01.1080p.2160p", "4K", 50, 10},
                      QualityCase{"Show.S01E01.HDTV.x264", "\u2014", 100, 100}));

TEST(QualityGrammar, DistanceAboveTheWantedResolution) {
    EXPECT_EQ(qualityDistance("Show 1080p", Show::Quality::p720), 11);
    EXPECT_EQ(qualityDistance("Show 1080p", Show::Quality::p480), 12);
    EXPECT_EQ(qualityDistance("Show 720p", Show::Quality::p720), 10);
    EXPECT_EQ(qualityDistance("Show 480p", Show::Quality::p720), 1);
}

TEST(QualityGrammar, MatchesTheWantedResolution) {
    EXPECT_TRUE(titleMatchesQuality("Show 1080i", Show::Quality::p1080));
    EXPECT_TRUE(titleMatchesQuality("Show 4K", Show::Quality::k4));
    EXPECT_FALSE(titleMatchesQuality("Show UHD",
                                     Show::Quality::k4)); // "uhd" labels 4K but does not match it
    EXPECT_FALSE(titleMatchesQuality("Show 720p", Show::Quality::p1080));
    EXPECT_TRUE(titleMatchesQuality("SHOW.480P", Show::Quality::p480));
}

struct EpisodeCase {
    const char* title;
    std::optional<EpisodeCode> expected;
};

class EpisodeGrammar : public ::testing::TestWithParam<EpisodeCase> {};

TEST_P(EpisodeGrammar, Code) {
    EXPECT_EQ(episodeCode(QString::fromUtf8(GetParam().title)), GetParam().expected)
        << GetParam().title;
}

INSTANTIATE_TEST_SUITE_P(
    Titles, EpisodeGrammar,
    ::testing::Values(
        EpisodeCase{"Show.Name.S02E05.1080p.WEB.h264-GRP", EpisodeCode{"S02E05", 2, 5}},
        EpisodeCase{"Show.S1E2", EpisodeCode{"S01E02", 1, 2}},
        EpisodeCase{"show s3e7 720p", EpisodeCode{"S03E07", 3, 7}},
        EpisodeCase{"show 3x07", EpisodeCode{"S03E07", 3, 7}},
        EpisodeCase{"Show 1x02", EpisodeCode{"S01E02", 1, 2}},
        EpisodeCase{"Show 1X02", std::nullopt},
        EpisodeCase{"Show 2024-3-7", EpisodeCode{"2024.03.07", 2024, 307}},
        EpisodeCase{"Show 2024.03.07 HDTV", EpisodeCode{"2024.03.07", 2024, 307}},
        EpisodeCase{"Show_1999_12_31", EpisodeCode{"1999.12.31", 1999, 1231}},
        EpisodeCase{"Show S01E02 2024.01.02", EpisodeCode{"S01E02", 1, 2}},
        EpisodeCase{"Show 2024.01.02 S01E02",
                    EpisodeCode{"S01E02", 1, 2}}, // rule order, not position
        // Three-digit episodes are read in full, four digits carry no S/E code.
        EpisodeCase{"Show.S20E142.1080p", EpisodeCode{"S20E142", 20, 142}},
        EpisodeCase{"Show.S01E105.720p", EpisodeCode{"S01E105", 1, 105}},
        EpisodeCase{"Show.S01E1050.720p", std::nullopt},
        EpisodeCase{"Show.S01E1050.3x04", EpisodeCode{"S03E04", 3, 4}},
        EpisodeCase{"Show.S101E01", std::nullopt}, EpisodeCase{"Show 1920x1080", std::nullopt},
        EpisodeCase{"Show 12345x1", std::nullopt}, EpisodeCase{"Show 20245-03-07", std::nullopt},
        EpisodeCase{"Show Season 2", std::nullopt}, EpisodeCase{"", std::nullopt}));

struct PackCase {
    const char* title;
    std::optional<int> season;
};

class PackGrammar : public ::testing::TestWithParam<PackCase> {};

TEST_P(PackGrammar, Season) {
    EXPECT_EQ(packSeason(QString::fromUtf8(GetParam().title)), GetParam().season)
        << GetParam().title;
}

INSTANTIATE_TEST_SUITE_P(
    Titles, PackGrammar,
    ::testing::Values(PackCase{"Show S02 1080p", 2}, PackCase{"Show S02E01-E08", 2},
                      PackCase{"Show.S02E01-08.720p", 2}, PackCase{"Show S02E05", std::nullopt},
                      PackCase{"Show Seasons 1-3", std::nullopt},
                      PackCase{"Show Season 1 to 4", std::nullopt},
                      PackCase{"Show S01-S03", std::nullopt},
                      PackCase{"Show Complete Series 720p", std::nullopt},
                      PackCase{"Show Complete Collection", std::nullopt},
                      PackCase{"Show Complete Season 3 720p", 3}, PackCase{"Show Series 4 HDTV", 4},
                      PackCase{"SHOW.S05.COMPLETE", 5}, PackCase{"Show S03 E01", std::nullopt},
                      PackCase{"Show S03.E01", std::nullopt}, PackCase{"Show S03 Extras", 3},
                      PackCase{"Show 1080p", std::nullopt}));

TEST(YearGrammar, YearsNotGluedToResolutions) {
    EXPECT_EQ(yearsIn("show 2019 1920x1080 2160p"), (QList<int>{2019}));
    EXPECT_EQ(yearsIn("show.1999.2000.x2001.2002p.20030"), (QList<int>{1999, 2000}));
    EXPECT_EQ(yearsIn("(2021)"), (QList<int>{2021}));
    EXPECT_EQ(yearsIn("show 1899 2100"), (QList<int>{}));
}

struct NameCase {
    const char* title;
    const char* name;
    bool contains;
    bool extraAfter;
    bool extraBefore;
};

class NameGrammar : public ::testing::TestWithParam<NameCase> {};

TEST_P(NameGrammar, NameChecks) {
    const auto& c = GetParam();
    const QString title = QString::fromUtf8(c.title);
    const QString name = QString::fromUtf8(c.name);
    EXPECT_EQ(titleContainsName(title, name), c.contains);
    EXPECT_EQ(hasExtraWordsAfterName(title, name), c.extraAfter);
    EXPECT_EQ(hasExtraWordsBeforeName(title, name), c.extraBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Titles, NameGrammar,
    ::testing::Values(
        NameCase{"Greys.Anatomy.S20E05.1080p", "Grey's Anatomy", true, false, false},
        NameCase{"grey s anatomy s20e05", "Grey's Anatomy", true, false, false},
        NameCase{"GreysAnatomy.S20E05", "Grey's Anatomy", true, false, false},
        NameCase{"agreys anatomy s20e05", "Grey's Anatomy", false, false, false},
        NameCase{"Show.Name2.S01E01", "Show Name", true, true,
                 false}, // digit may follow, but is a word
        NameCase{"Show.Names.S01E01", "Show Name", false, false, false},
        NameCase{"Show Name Origins S01E01", "Show Name", true, true, false},
        NameCase{"Show.Name.2019.S01E01.PROPER.1080p", "Show Name", true, false, false},
        NameCase{"Show.Name.US.Complete.S01E01", "Show Name", true, false, false},
        NameCase{"Show.Name.1899.S01E01", "Show Name", true, true, false},
        NameCase{"Show Name Origins", "Show Name", true, false, false}, // no episode token
        NameCase{"Young Show Name S01E01", "Show Name", true, false, true},
        NameCase{"[site.com] Show Name - 2x05 [720p]", "Show Name", true, false, false},
        NameCase{"www.torrent.to - Show.Name.S01E01", "Show Name", true, false, false},
        NameCase{"[EZTV] (x265) Show Name S01E01", "Show Name", true, false, false},
        NameCase{"\u2013 [tag] \u2013 Show Name S01E01", "Show Name", true, false, true},
        NameCase{"2019 English Show Name S01E01", "Show Name", true, false, false},
        NameCase{"The Show Name S01E01", "Show Name", true, false, true},
        NameCase{"Show.Name.S01E01", "!!!", false, false, false},
        NameCase{"Show.Name.S01E01", "", false, false, false},
        NameCase{"C++ Show (a.k.a.) S01E01", "C++ Show (a.k.a.)", true, false, false}));

TEST(NameGrammar, RegionWordsAgainstOriginCountries) {
    EXPECT_TRUE(isOtherRegion("Show.Name.US.S01E01", "Show Name", {"GB"}));
    EXPECT_FALSE(isOtherRegion("Show.Name.US.S01E01", "Show Name", {"US"}));
    EXPECT_FALSE(isOtherRegion("Show.Name.S01E01", "Show Name", {"GB"}));
    EXPECT_TRUE(isOtherRegion("Show.Name.AU.S01E01", "Show Name", {}));
    EXPECT_FALSE(isOtherRegion("Show.Name.UK.US.S01E01", "Show Name", {"GB"}));
    EXPECT_FALSE(isOtherRegion("Show.Name.US", "Show Name", {"GB"})); // no episode token
    EXPECT_FALSE(isOtherRegion("Show.Name.S01E01.US", "Show Name", {"GB"}));
}

TEST(YearGrammar, FirstAirYearConflicts) {
    Show show;
    show.name = "Show Name";
    EXPECT_FALSE(conflictsWithFirstAirYear("Show Name 1994 S01E01", show)); // no first-air year
    show.firstAirYear = "2019";
    EXPECT_TRUE(conflictsWithFirstAirYear("Show Name 1994 S01E01", show));
    EXPECT_FALSE(conflictsWithFirstAirYear("Show Name 2020 S01E01", show));
    EXPECT_FALSE(conflictsWithFirstAirYear("Show Name 1994 2019 S01E01", show));
    EXPECT_FALSE(conflictsWithFirstAirYear("Show Name S01E01 1994", show)); // after the code
    EXPECT_FALSE(conflictsWithFirstAirYear("Show Name 1994", show));        // no code at all
    show.firstAirYear = "2019 ";
    EXPECT_FALSE(conflictsWithFirstAirYear("Show Name 1994 S01E01", show));

    // A year in the series' own name is not evidence of another series.
    Show named;
    named.name = "1923";
    named.firstAirYear = "2022";
    EXPECT_FALSE(conflictsWithFirstAirYear("1923.S01E01.1080p", named));
    EXPECT_TRUE(conflictsWithFirstAirYear("1923.1999.S01E01.1080p", named));
}

TEST(FileGrammar, IncompleteOrDated) {
    EXPECT_TRUE(isIncompleteOrDated("Show.S01E01.mkv.part"));
    EXPECT_TRUE(isIncompleteOrDated("Show.S01E01.MKV.!qB"));
    EXPECT_TRUE(isIncompleteOrDated("Show.S01E01.mp4.crdownload"));
    EXPECT_TRUE(isIncompleteOrDated("Match of the Day (12.05.2023) 720p"));
    EXPECT_TRUE(isIncompleteOrDated("League [ 12-05-2023 ] 1080p"));
    EXPECT_TRUE(isIncompleteOrDated("12.05.23 League Highlights"));
    EXPECT_TRUE(isIncompleteOrDated(QString(2000, u'x') + ".part"));
    EXPECT_FALSE(isIncompleteOrDated("Show.S01E01.part.one.1080p"));
    EXPECT_FALSE(isIncompleteOrDated("Show 2024.03.07 HDTV"));
    EXPECT_FALSE(isIncompleteOrDated("12.05.2023 Show")); // four-digit year does not lead
    EXPECT_FALSE(isIncompleteOrDated("Show (2023) 1080p"));
}

TEST(WordGrammar, WordsAndCompactText) {
    EXPECT_EQ(titleWords("Show.Name-S01E01 [WEB-DL] Show"),
              (QSet<QString>{"show", "name", "s01e01", "web", "dl"}));
    EXPECT_EQ(compact("Marvel's Agents of S.H.I.E.L.D.").toLower(),
              compact("marvels agents of shield"));
    EXPECT_EQ(compact(QString::fromUtf8("Amélie — 2001 · 東京")),
              QString::fromUtf8("Amélie2001東京"));
    EXPECT_EQ(lowerCompact("Show.NAME 2x05"), "showname2x05");
}

TEST(HostileTitles, LongAndBrokenTitlesAreHandled) {
    const QString brackets = QString("[").repeated(20000) + "Show Name S01E01";
    const QString dashes = "a.com" + QString("-").repeated(50000) + "b";
    QString lone = "Show Name S01E01 ";
    lone.append(QChar(0xD800));
    lone.append("x");
    lone.prepend(QChar(0xDC00));
    const QString huge = QString("Show Name ").repeated(10000) + "S01E01";
    for (const QString& title : {brackets, dashes, lone, huge}) {
        // Nothing stalls or crashes; the answers are just the grammar's.
        (void)qualityLabel(title);
        (void)packSeason(title);
        (void)isIncompleteOrDated(title);
        (void)hasExtraWordsBeforeName(title, "Show Name");
        (void)hasExtraWordsAfterName(title, "Show Name");
        (void)isOtherRegion(title, "Show Name", {});
        (void)yearsIn(title);
        (void)compact(title);
    }
    EXPECT_EQ(episodeCode(lone), (EpisodeCode{"S01E01", 1, 1}));
    EXPECT_TRUE(titleContainsName(lone, "Show Name"));
    // Only the start of an overlong title is read: its code lies beyond it.
    EXPECT_EQ(episodeCode(huge), std::nullopt);
    EXPECT_TRUE(titleContainsName(huge, "Show Name"));
}

} // namespace
