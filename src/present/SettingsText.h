#pragma once

#include "model/DownloadRecord.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// The texts and value rules of the Settings tab, so the view only lays them out.
namespace settingstext {

// The check interval choices, in minutes, in the order the pills show them.
QList<int> intervalChoices();
// "5m", "30m", "1h", "Daily"
QString intervalLabel(int minutes);

// `path` with the home folder written as "~"; paths outside it unchanged.
QString homeRelative(const QString& path, const QString& home);
// What the root folder line shows: the chosen folder, or the default one named as such.
QString rootFolderText(const std::optional<QUrl>& chosen, const QString& defaultRoot,
                       const QString& home);
// The note under the root folder, naming where the library goes by default.
QString locationNote(const QString& defaultRoot, const QString& home);
QString workingFolderNote();

inline constexpr auto kClearTitle = "Clear Working Folder?";
inline constexpr auto kClearButton = "Clear Working Folder";
// The confirmation's informative text for these in-progress downloads.
QString clearConfirmation(const QList<DownloadRecord>& inProgress);

// The seeding ratio as the field shows it: two fraction digits.
QString ratioText(double ratio);
// What a typed ratio stores: negative values become 0; none when it is not a number.
std::optional<double> parseRatio(const QString& typed);
QString seedingHelp();

// Where a free metadata key is made, and the note that points there (rich text with the link).
inline constexpr auto kTMDBKeyPage = "https://www.themoviedb.org/settings/api";
QString tmdbKeyNote();

} // namespace settingstext
