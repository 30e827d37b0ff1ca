// Every real release title of the corpus goes through the grammar: nothing crashes and every
// answer stays within its domain.

#include "search/FeedChecker.h"
#include "search/TitleGrammar.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

QStringList corpusTitles() {
    QFile file(QStringLiteral(LUMIVANE_CORPUS));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

// The first two words of a title, as a user might name its series.
QString guessedName(const QString& title) {
    static const QRegularExpression separators(QStringLiteral(R"([\s._\-\[\]()]+)"));
    const QStringList words = title.split(separators, Qt::SkipEmptyParts);
    return words.mid(0, 2).join(u' ');
}

TEST(Corpus, EveryTitleGetsAnswersWithinTheirDomains) {
    const QStringList titles = corpusTitles();
    ASSERT_EQ(titles.size(), 2293);

    static const QRegularExpression seCode(QStringLiteral(R"(^S\d{2,}E\d{2,}$)"));
    static const QRegularExpression dateCode(QStringLiteral(R"(^\d{4}\.\d{2}\.\d{2}$)"));
    const QStringList labels{"4K", "1080p", "720p", "480p", QString::fromUtf8("\u2014")};
    int withCode = 0, withPack = 0, withYear = 0, acceptedEpisodes = 0, acceptedMovies = 0;

    for (const QString& title : titles) {
        SCOPED_TRACE(title.toStdString());
        EXPECT_TRUE(labels.contains(qualityLabel(title)));
        if (const auto code = episodeCode(title)) {
            ++withCode;
            const bool dated = code->season >= 1900;
            EXPECT_TRUE((dated ? dateCode : seCode).match(code->code).hasMatch())
                << code->code.toStdString();
            // The code reads back as the numbers it was made from.
            const auto parsed = Show::parseEpisodeCode(code->code);
            ASSERT_TRUE(parsed.has_value()) << code->code.toStdString();
            EXPECT_EQ(parsed->season, code->season);
            EXPECT_EQ(parsed->episode, code->episode);
        }
        if (const auto season = packSeason(title)) {
            ++withPack;
            EXPECT_GE(*season, 0);
            EXPECT_LE(*season, 99);
        }
        for (const int year : yearsIn(title.toLower())) {
            ++withYear;
            EXPECT_GE(year, 1900);
            EXPECT_LE(year, 2099);
        }
        for (const QChar c : compact(title))
            EXPECT_TRUE(c.isLetterOrNumber() || c.isSurrogate());
        (void)isIncompleteOrDated(title);
        (void)titleWords(title);

        const QString name = guessedName(title);
        const bool episode = FeedChecker::acceptsEpisodeTitle(title, name);
        const bool movie = FeedChecker::acceptsMovieTitle(title, name, std::nullopt);
        if (episode) {
            ++acceptedEpisodes;
            EXPECT_TRUE(titleContainsName(title, name));
            EXPECT_FALSE(hasExtraWordsAfterName(title, name));
            EXPECT_FALSE(hasExtraWordsBeforeName(title, name));
        }
        if (movie) {
            ++acceptedMovies;
            EXPECT_TRUE(titleContainsName(title, name));
        }
        EXPECT_FALSE(episode && movie); // one has an episode code, the other must not
        (void)isOtherRegion(title, name, {"US"});
        (void)FeedChecker::acceptsMovieTitle(title, name, QStringLiteral("2010"));
        Show show;
        show.name = name;
        show.firstAirYear = QStringLiteral("2010");
        (void)conflictsWithFirstAirYear(title, show);
    }

    // The corpus is mostly episodes; a grammar that stops reading codes fails here.
    EXPECT_GT(withCode, 750);
    EXPECT_GT(withPack, 250);
    EXPECT_GT(withYear, 600);
    EXPECT_GT(acceptedEpisodes, 300);
    EXPECT_GT(acceptedMovies, 1000);
}

} // namespace
