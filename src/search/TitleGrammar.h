#pragma once

// The grammar of release titles: the resolution a title claims, the episode or date code it
// carries, whether it is a season pack, and whether it belongs to the wanted series at all.
// Pure functions over fixed tables; every pattern is compiled once per process.
//
// Titles from indexes are free text and may be hostile: only the first 512 characters
// take part in pattern matching, so no title can stall a sweep.

#include "model/EpisodeCode.h"
#include "model/Show.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// "4K", "1080p", "720p", "480p", or "—" when the title names none.
QString qualityLabel(const QString& title);
bool titleMatchesQuality(const QString& title, Show::Quality quality);
// How far a title's resolution is from the wanted one; smaller is better (see the .cpp).
int qualityDistance(const QString& title, Show::Quality wanted);
// The lower-cased runs of letters and digits.
QSet<QString> titleWords(const QString& title);

// The episode or date a title names: "S02E05" or "2x05", "2024.03.07".
std::optional<EpisodeCode> episodeCode(const QString& title);
// The season of a one-season pack ("Show S02 1080p", "Show S02E01-E08"); none otherwise.
std::optional<int> packSeason(const QString& title);
// Four-digit years 1900–2099 not glued to digits, "x" or "p" (1920x1080 and 2160p are none).
QList<int> yearsIn(const QString& text);

bool titleContainsName(const QString& title, const QString& name);
// "Show Name Origins S01E01" is not "Show Name": a word other than noise or a year sits
// between the name and the episode code.
bool hasExtraWordsAfterName(const QString& title, const QString& name);
// "Young Show Name S01E01" is not "Show Name" either (a leading site tag does not count).
bool hasExtraWordsBeforeName(const QString& title, const QString& name);
// "Show Name US S01E01" for a British series.
bool isOtherRegion(const QString& title, const QString& name, const QStringList& originCountries);
// A year before the episode code that is not within one of the series' first-air year.
bool conflictsWithFirstAirYear(const QString& title, const Show& show);
// Unfinished downloads and day.month.year uploads (sports, daily programmes).
bool isIncompleteOrDated(const QString& title);

// Only the letters and digits, in order.
QString compact(const QString& text);
// compact() of the lower-cased text; remembered for the last few texts.
QString lowerCompact(const QString& text);
