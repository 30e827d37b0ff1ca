#include "LibraryLayout.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

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

std::optional<QString> LibraryLayout::unusableReason(const QString& root) {
    if (root.isEmpty() || !QDir::isAbsolutePath(root))
        return QStringLiteral("it is not a full path to a folder");
    const QFileInfo info(root);
    if (info.exists() && !info.isDir())
        return QStringLiteral("it is a file, not a folder");
    if (!info.exists() && !QDir().mkpath(root)) {
        // Name the nearest part that stands in the way.
        QFileInfo up(info.absolutePath());
        while (!up.exists() && up.absoluteFilePath() != up.absolutePath())
            up.setFile(up.absolutePath());
        if (up.exists() && !up.isDir())
            return QStringLiteral("%1 is a file, not a folder").arg(up.absoluteFilePath());
        return QStringLiteral("it cannot be created in %1").arg(up.absoluteFilePath());
    }
    // Permissions alone do not tell (read-only mounts, ACLs, running as root): try a file.
    QTemporaryFile probe(QDir(root).filePath(QStringLiteral(".lumivane-write-XXXXXX")));
    if (!probe.open())
        return QStringLiteral("nothing can be written there (%1)").arg(probe.errorString());
    return std::nullopt;
}
