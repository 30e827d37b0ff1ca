#pragma once

// The grammar's rules transliterated plainly, every pattern run as written. Slow, and the
// yardstick the grammar's hand scans and shortcuts are held to, by the tests and the title
// fuzzer alike.

#include "search/TitleGrammar.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace ReferenceGrammar {

std::optional<EpisodeCode> refEpisodeCode(const QString& title);
std::optional<int> refPackSeason(const QString& title);
bool refIncompleteOrDated(const QString& title);
QString refQuality(const QString& title);
// The runs of letters and digits.
QStringList words(const QString& text);
bool refContainsName(const QString& title, const QString& name);
bool refExtraAfter(const QString& title, const QString& name);
bool refExtraBefore(const QString& title, const QString& name);
bool refAcceptsMovie(const QString& title, const QString& name);
bool refAcceptsEpisode(const QString& title, const QString& name);

} // namespace ReferenceGrammar
