#include "SafePaths.h"

#include <QFile>

namespace fs = std::filesystem;

namespace SafePaths {

fs::path toPath(const QString& s) {
    return fs::path(QFile::encodeName(s).toStdString());
}

std::optional<fs::path> resolved(const QString& path) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(toPath(path), ec);
    if (ec)
        return std::nullopt;
    return p;
}

bool isBelow(const fs::path& candidate, const fs::path& folder) {
    const fs::path relative = candidate.lexically_relative(folder);
    if (relative.empty() || relative == ".")
        return false;
    return *relative.begin() != "..";
}

bool isPlainRelative(const QString& entry) {
    if (entry.isEmpty() || entry.startsWith(QLatin1Char('/')))
        return false;
    for (const QString& part : entry.split(QLatin1Char('/'))) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return false;
    }
    return true;
}

bool occupied(const QString& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(toPath(path), ec));
}

} // namespace SafePaths
