#include "LibraryLayout.h"

#include <QDir>

namespace {

QString below(const QString& root, const char* name) {
    // An unknown root stays unknown: a relative path would land in the current directory.
    return root.isEmpty() ? QString() : QDir(root).filePath(QLatin1StringView(name));
}

} // namespace

QString LibraryLayout::seriesFolder() const {
    return below(m_root, "Series");
}

QString LibraryLayout::moviesFolder() const {
    return below(m_root, "Movies");
}

QString LibraryLayout::workingFolder() const {
    return below(m_root, "Incomplete");
}

QString LibraryLayout::seasonFolderName(int season) {
    return QStringLiteral("Season_%1").arg(season, 2, 10, QLatin1Char('0'));
}
