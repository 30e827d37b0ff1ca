// The grammar reads the common patterns by hand and skips patterns that cannot match; here a
// plain transliteration of the rules, every pattern run as written, must agree with it on
// every real release title of the corpus and on variants that stress Unicode digits, case and
// odd letters. The readings the reference does not cover must stay within their domains.

#include "ReferenceGrammar.h"

#include "Fixtures.h"
#include "search/FeedChecker.h"
#include "search/TitleGrammar.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

using namespace ReferenceGrammar;

QStringList variants(const QString& title) {
    QString longS = title, arabicDigits = title, wideDigit = title, underscores = title;
    longS.replace(u's', QChar(0x017F));
    arabicDigits.replace(u'1', QChar(0x0661)); // ARABIC-INDIC DIGIT ONE
    wideDigit.replace(QStringLiteral("0"),
                      QString::fromUtf8("\U0001D7CE")); // MATHEMATICAL BOLD ZERO
    underscores.replace(u' ', u'_');
    return {title, title.toUpper(), title.toLower(), longS, arabicDigits, wideDigit, underscores};
}

QStringList corpus() {
    QFile file(QStringLiteral(LUMIVANE_CORPUS));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList titles = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(titles.size(), 2293);
    titles << strings(fixtureJson("titles/reference-edges.json")["titles"]);
    EXPECT_EQ(titles.size(), 2310) << "the corpus and the edge titles";
    return titles;
}

// The readings of one title the reference has no rules for.
void expectWithinDomains(const QString& title) {
    if (const auto code = episodeCode(title)) {
        // The code reads back as the numbers it was made from.
        const auto parsed = Show::parseEpisodeCode(code->text());
        ASSERT_TRUE(parsed.has_value()) << code->text().toStdString();
        EXPECT_EQ(*parsed, code->ordinal());
    }
    for (const int year : yearsIn(title.toLower()))
        EXPECT_TRUE(year >= 1900 && year <= 2099) << year;
    for (const QChar c : compact(title))
        EXPECT_TRUE(c.isLetterOrNumber() || c.isSurrogate());
}

TEST(ReferenceGrammar, AgreesOnEveryTitleAndVariant) {
    const QString name = QStringLiteral("Series Title");
    int compared = 0, withCode = 0;
    for (const QString& original : corpus()) {
        ASSERT_NO_FATAL_FAILURE(expectWithinDomains(original));
        withCode += episodeCode(original).has_value();
        for (const QString& title : variants(original)) {
            SCOPED_TRACE(title.toStdString());
            ASSERT_EQ(written(episodeCode(title)), refEpisodeCode(title));
            ASSERT_EQ(packSeason(title), refPackSeason(title));
            ASSERT_EQ(isIncompleteOrDated(title), refIncompleteOrDated(title));
            ASSERT_EQ(qualityLabel(title), refQuality(title));
            // A name taken from the title itself, so the name checks have work to do.
            for (const QString& n : {name, words(title).mid(0, 2).join(u' ')}) {
                SCOPED_TRACE(n.toStdString());
                ASSERT_EQ(titleContainsName(title, n), refContainsName(title, n));
                ASSERT_EQ(FeedChecker::acceptsMovieTitle(title, n, std::nullopt),
                          refAcceptsMovie(title, n));
                ASSERT_EQ(hasExtraWordsAfterName(title, n), refExtraAfter(title, n));
                ASSERT_EQ(hasExtraWordsBeforeName(title, n), refExtraBefore(title, n));
                ASSERT_EQ(FeedChecker::acceptsEpisodeTitle(title, n), refAcceptsEpisode(title, n));
            }
            ++compared;
        }
    }
    EXPECT_GT(compared, 16000);
    // The corpus is mostly episodes: reference and grammar agreeing on none would be no proof.
    EXPECT_GT(withCode, 750);
}

} // namespace
