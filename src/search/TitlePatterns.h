#pragma once

// The title grammar's regular expressions and word tables. Internal to the grammar.

#include <QRegularExpression>
#include <QString>
#include <QStringView>

#include <optional>
#include <string_view>
#include <vector>

namespace TitlePatterns {

// ICU-like semantics: \d, \s and \b are Unicode-aware.
constexpr auto kUnicode = QRegularExpression::UseUnicodePropertiesOption;
constexpr auto kUnicodeCaseless = kUnicode | QRegularExpression::CaseInsensitiveOption;

const QRegularExpression& seasonEpisodePattern();
const QRegularExpression& crossPattern();
const QRegularExpression& airDatePattern();
const QRegularExpression& episodeTokenPattern();
const QRegularExpression& yearPattern();
const QRegularExpression& junkPrefixPattern();
const QRegularExpression& multiSeasonPattern();
const QRegularExpression& seasonSpanPattern();
const QRegularExpression& episodeRangePattern();
const QRegularExpression& singleEpisodePattern();
const QRegularExpression& seasonWordPattern();
const QRegularExpression& bareSeasonPattern();
const QRegularExpression& datedInBracketsPattern();
const QRegularExpression& leadingShortDatePattern();

// Subjects are made valid UTF-16 once when prepared, so matches skip PCRE's own check.
QRegularExpressionMatch find(const QRegularExpression& re, QStringView text, qsizetype offset = 0);

// Words that say nothing about which show a release is.
using Table = std::vector<std::u16string_view>;
const Table& noiseWords();
bool inTable(const Table& table, QStringView word);
// The country a region word names ("uk" → "GB").
std::optional<QString> regionCode(QStringView word);

} // namespace TitlePatterns
