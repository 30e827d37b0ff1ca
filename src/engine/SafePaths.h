#pragma once

#include <QString>

#include <filesystem>
#include <optional>

// Paths a stranger wrote (a torrent's file list, the daemon's folders), checked before anything
// is read, moved or deleted there.
namespace SafePaths {

std::filesystem::path toPath(const QString& s);
// Where `path` really leads, following every link that exists along the way.
std::optional<std::filesystem::path> resolved(const QString& path);
// Is `candidate` strictly below `folder`? Both already resolved.
bool isBelow(const std::filesystem::path& candidate, const std::filesystem::path& folder);
// A plain relative path that stays where it is put: no root, no "." or ".." parts.
bool isPlainRelative(const QString& entry);
// Present in any form, including a link that points nowhere.
bool occupied(const QString& path);

} // namespace SafePaths
