#pragma once

// The grammar's rules transliterated plainly, every pattern run as written. Slow, and the
// yardstick the grammar's hand scans and shortcuts are held to, by the tests and the title
// fuzzer alike.

#include "search/TitleGrammar.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace ReferenceGrammar {

// A code as the rules write it, with its numbers: "S02E05" (2, 5), "2024.03.07" (2024, 307).
struct Code {
    QString text;
    int season = 0;
    int episode = 0;
    bool operator==(const Code&) const = default;
};
// The grammar's answer in the same terms, text included.
std::optional<Code> written(const std::optional<EpisodeCode>& code);

std::optional<Code> refEpisodeCode(const QString& title);
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
