#include "EpisodeSorter.h"

#include "model/LibraryLayout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

fs::path toPath(const QString& s) {
    return fs::path(QFile::encodeName(s).toStdString());
}

QString errorText(int error) {
    return QString::fromStdString(std::error_code(error, std::generic_category()).message());
}

// Present in any form, including a link that points nowhere.
bool occupied(const QString& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(toPath(path), ec));
}

// Is `candidate` strictly below `folder`? Both already resolved.
bool isBelow(const fs::path& candidate, const fs::path& folder) {
    const fs::path relative = candidate.lexically_relative(folder);
    if (relative.empty() || relative == ".")
        return false;
    return *relative.begin() != "..";
}

// Where `path` really leads, following every link that exists along the way.
std::optional<fs::path> resolved(const QString& path) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(toPath(path), ec);
    if (ec)
        return std::nullopt;
    return p;
}

// An entry of a torrent's file list is a stranger's text: only plain relative paths that stay
// inside the download folder, also after following links, are ever read or moved.
bool isPlainRelative(const QString& entry) {
    if (entry.isEmpty() || entry.startsWith(QLatin1Char('/')))
        return false;
    for (const QString& part : entry.split(QLatin1Char('/'))) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return false;
    }
    return true;
}

bool staysInside(const QString& downloadDir, const QString& source) {
    const auto folder = resolved(downloadDir);
    const auto target = resolved(source);
    return folder && target && isBelow(*target, *folder);
}

QString join(const QString& folder, const QString& name) {
    return folder + QLatin1Char('/') + name;
}

QString lastComponent(const QString& entry) {
    return entry.section(QLatin1Char('/'), -1);
}

struct ChosenVideo {
    QString entry;
    QString source;
};

// The largest video among the entries; the earliest wins among equal sizes.
SortOutcome<ChosenVideo> chooseVideo(const QStringList& files, const QString& downloadDir) {
    std::optional<ChosenVideo> best;
    qint64 bestSize = -1;
    for (const QString& entry : files) {
        if (!EpisodeSorter::isVideo(entry) || !isPlainRelative(entry))
            continue;
        const QString source = join(downloadDir, entry);
        if (occupied(source) && !staysInside(downloadDir, source))
            continue;
        const QFileInfo info(source);
        const qint64 size = info.isFile() ? info.size() : 0;
        if (size > bestSize) {
            best = ChosenVideo{entry, source};
            bestSize = size;
        }
    }
    if (!best)
        return SortError::noVideoFile();
    return *best;
}

// Creates <root>/<names...> one level at a time and refuses a level that leads (through a
// link) outside the root, before anything is created below it.
SortOutcome<QString> prepareFolder(const QString& root, const QStringList& names) {
    std::error_code ec;
    fs::create_directories(toPath(root), ec);
    if (ec)
        return SortError::fileSystem(QStringLiteral("couldn't create folder %1: %2")
                                         .arg(root, QString::fromStdString(ec.message())),
                                     ec.value());
    const auto library = resolved(root);
    if (!library)
        return SortError::fileSystem(QStringLiteral("couldn't read folder %1").arg(root), ENOENT);

    QString folder = root;
    for (const QString& name : names) {
        folder = join(folder, name);
        if (!occupied(folder)) {
            fs::create_directory(toPath(folder), ec);
            if (ec && !occupied(folder))
                return SortError::fileSystem(QStringLiteral("couldn't create folder %1: %2")
                                                 .arg(folder, QString::fromStdString(ec.message())),
                                             ec.value());
        }
        const auto real = resolved(folder);
        if (!real || !isBelow(*real, *library))
            return SortError::fileSystem(
                QStringLiteral("folder %1 leads outside the library").arg(folder));
        if (!QFileInfo(folder).isDir())
            return SortError::fileSystem(
                QStringLiteral("couldn't create folder %1: a file is in the way").arg(folder));
    }
    return folder;
}

// Copy, then delete the original: for moves between file systems. A failed copy leaves the
// source alone and removes what it made.
bool copyThenRemove(const QString& source, const QString& destination, QString& error, int& code) {
    std::error_code ec;
    fs::copy(toPath(source), toPath(destination),
             fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
    if (ec) {
        error = QString::fromStdString(ec.message());
        code = ec.value();
        std::error_code ignored;
        fs::remove_all(toPath(destination), ignored);
        return false;
    }
    std::error_code ignored;
    fs::remove_all(toPath(source), ignored);
    return true;
}

// Moves `source` to a free name in `folder` (the name given, else "<base> N.<ext>"). The move
// itself refuses to replace anything, so a name taken meanwhile only costs another try.
SortOutcome<QString> moveInto(const QString& source, const QString& folder, const QString& name) {
    const QByteArray from = QFile::encodeName(source);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const QString destination = EpisodeSorter::uniqueDestination(join(folder, name));
        const QByteArray to = QFile::encodeName(destination);
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) ==
            0)
            return destination;
        const int error = errno;
        if (error == EEXIST)
            continue;
        if (error == EXDEV) {
            QString text;
            int code = 0;
            if (copyThenRemove(source, destination, text, code))
                return destination;
            return SortError::fileSystem(
                QStringLiteral("couldn't move %1 to %2: %3").arg(source, destination, text), code);
        }
        if (error == EINVAL || error == ENOSYS || error == EOPNOTSUPP) {
            // A file system without atomic no-replace moves: check, then move.
            if (occupied(destination))
                continue;
            if (std::rename(from.constData(), to.constData()) == 0)
                return destination;
            const int renameError = errno;
            return SortError::fileSystem(QStringLiteral("couldn't move %1 to %2: %3")
                                             .arg(source, destination, errorText(renameError)),
                                         renameError);
        }
        return SortError::fileSystem(
            QStringLiteral("couldn't move %1 to %2: %3").arg(source, destination, errorText(error)),
            error);
    }
    return SortError::fileSystem(
        QStringLiteral("couldn't find a free name for %1 in %2").arg(name, folder));
}

SortOutcome<SortResult> sortSingle(const QString& root, const QStringList& folderNames,
                                   const ChosenVideo& video) {
    if (!occupied(video.source))
        return SortError::sourceMissing(video.source);
    const auto folder = prepareFolder(root, folderNames);
    if (!folder)
        return folder.error();
    const auto moved = moveInto(video.source, folder.value(), lastComponent(video.entry));
    if (!moved)
        return moved.error();
    return SortResult{moved.value(), lastComponent(moved.value())};
}

} // namespace

const QSet<QString>& EpisodeSorter::videoExtensions() {
    static const QSet<QString> extensions{
        QStringLiteral("mkv"), QStringLiteral("mp4"), QStringLiteral("avi"), QStringLiteral("m4v"),
        QStringLiteral("mov"), QStringLiteral("wmv"), QStringLiteral("ts")};
    return extensions;
}

bool EpisodeSorter::isVideo(const QString& path) {
    const QString name = lastComponent(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return false;
    return videoExtensions().contains(name.mid(dot + 1).toLower());
}

std::optional<int> EpisodeSorter::seasonNumber(const QString& episodeCode) {
    static const QRegularExpression seasonPattern(QStringLiteral("S(\\d{1,2})"),
                                                  QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression datePattern(
        QStringLiteral("(?<!\\d)(?:19|20)\\d{2}(?=[ ._-]\\d{1,2}[ ._-]\\d{1,2})"),
        QRegularExpression::UseUnicodePropertiesOption);

    bool ok = false;
    if (const auto m = seasonPattern.match(episodeCode); m.hasMatch()) {
        const int season = m.captured(0).mid(1).toInt(&ok);
        return ok ? std::optional{season} : std::nullopt;
    }
    if (const auto m = datePattern.match(episodeCode); m.hasMatch()) {
        const int year = m.captured(0).toInt(&ok);
        return ok ? std::optional{year} : std::nullopt;
    }
    return std::nullopt;
}

QString EpisodeSorter::safeFolderName(const QString& name) {
    static const QString forbidden = QStringLiteral("/:\\?%*|\"<>");
    QString out;
    out.reserve(name.size());
    for (const QChar c : name) {
        // A NUL would cut the path short where the system reads it.
        if (!forbidden.contains(c) && c != QChar::Null)
            out.append(c);
    }
    const auto isBlank = [](QChar c) {
        return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
    };
    qsizetype begin = 0;
    qsizetype end = out.size();
    while (begin < end && isBlank(out[begin]))
        ++begin;
    while (end > begin && isBlank(out[end - 1]))
        --end;
    out = out.mid(begin, end - begin);
    // These would address the parent folder, or the library root itself.
    if (out.isEmpty() || out == QLatin1String(".") || out == QLatin1String(".."))
        return QString::fromLatin1(kFallbackFolderName);
    return out;
}

QString EpisodeSorter::seasonFolderName(int season) {
    return LibraryLayout::seasonFolderName(season);
}

QString EpisodeSorter::uniqueDestination(const QString& wanted) {
    if (!occupied(wanted))
        return wanted;
    const qsizetype slash = wanted.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash >= 0 ? wanted.left(slash + 1) : QString();
    const QString name = wanted.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const bool hasExtension = dot > 0 && dot < name.size() - 1;
    const QString base = hasExtension ? name.left(dot) : name;
    const QString extension = hasExtension ? name.mid(dot) : QString();
    for (int n = 2;; ++n) {
        const QString candidate = folder + base + QLatin1Char(' ') + QString::number(n) + extension;
        if (!occupied(candidate))
            return candidate;
    }
}

SortOutcome<SortResult> EpisodeSorter::sortEpisode(const QStringList& files,
                                                   const QString& downloadDir,
                                                   const QString& seriesRoot,
                                                   const QString& seriesFolderName,
                                                   const QString& episodeCode) {
    if (!QDir::isAbsolutePath(downloadDir))
        return SortError::sourceMissing(downloadDir);
    const auto video = chooseVideo(files, downloadDir);
    if (!video)
        return video.error();
    const auto season = seasonNumber(episodeCode);
    if (!season)
        return SortError::noSeasonNumber();
    return sortSingle(seriesRoot, {safeFolderName(seriesFolderName), seasonFolderName(*season)},
                      video.value());
}

SortOutcome<SortResult> EpisodeSorter::sortMovie(const QStringList& files,
                                                 const QString& downloadDir,
                                                 const QString& moviesRoot,
                                                 const QString& movieFolderName) {
    if (!QDir::isAbsolutePath(downloadDir))
        return SortError::sourceMissing(downloadDir);
    const auto video = chooseVideo(files, downloadDir);
    if (!video)
        return video.error();
    return sortSingle(moviesRoot, {safeFolderName(movieFolderName)}, video.value());
}

SortOutcome<QString> EpisodeSorter::sortSeasonPack(const QStringList& files,
                                                   const QString& downloadDir,
                                                   const QString& seriesRoot,
                                                   const QString& seriesFolderName,
                                                   const QString& torrentName) {
    if (!QDir::isAbsolutePath(downloadDir))
        return SortError::sourceMissing(downloadDir);
    const auto seriesFolder = prepareFolder(seriesRoot, {safeFolderName(seriesFolderName)});
    if (!seriesFolder)
        return seriesFolder.error();

    QStringList items;
    for (const QString& entry : files) {
        if (!isPlainRelative(entry))
            continue;
        const QString item = entry.section(QLatin1Char('/'), 0, 0);
        if (!items.contains(item))
            items.push_back(item);
    }
    // Only what is really there and really inside the download folder is moved.
    const auto movable = [&](const QString& item) {
        const QString source = join(downloadDir, item);
        return occupied(source) && staysInside(downloadDir, source);
    };

    if (items.size() == 1 && movable(items.first()) &&
        QFileInfo(join(downloadDir, items.first())).isDir()) {
        const auto moved =
            moveInto(join(downloadDir, items.first()), seriesFolder.value(), items.first());
        if (!moved)
            return moved.error();
        return moved.value();
    }

    QString packFolder;
    for (int attempt = 0; attempt < 1000 && packFolder.isEmpty(); ++attempt) {
        const QString candidate =
            uniqueDestination(join(seriesFolder.value(), safeFolderName(torrentName)));
        std::error_code ec;
        if (fs::create_directory(toPath(candidate), ec))
            packFolder = candidate;
        else if (ec)
            return SortError::fileSystem(QStringLiteral("couldn't create folder %1: %2")
                                             .arg(candidate, QString::fromStdString(ec.message())),
                                         ec.value());
    }
    if (packFolder.isEmpty())
        return SortError::fileSystem(
            QStringLiteral("couldn't create a folder for %1").arg(torrentName));

    bool anyExisted = false;
    for (const QString& item : std::as_const(items)) {
        if (!movable(item))
            continue;
        anyExisted = true;
        // One item that cannot be moved does not hold back the others.
        moveInto(join(downloadDir, item), packFolder, item);
    }
    if (!anyExisted) {
        // Only succeeds while empty: the folder was made for this pack a moment ago.
        QDir().rmdir(packFolder);
        return SortError::sourceMissing(downloadDir);
    }
    return packFolder;
}
