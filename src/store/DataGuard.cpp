#include "DataGuard.h"

#include <QDir>
#include <QFile>

#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace {

fs::path toPath(const QString& s) {
    return fs::path(QFile::encodeName(s).toStdString());
}

// Where `path` really leads, following every link that exists along the way.
std::optional<fs::path> resolved(const QString& path) {
    if (path.isEmpty() || !QDir::isAbsolutePath(path))
        return std::nullopt;
    std::error_code ec;
    fs::path p = fs::weakly_canonical(toPath(path), ec);
    if (ec)
        return std::nullopt;
    return p;
}

bool isBelow(const fs::path& candidate, const fs::path& folder) {
    const fs::path relative = candidate.lexically_relative(folder);
    return !relative.empty() && relative != "." && *relative.begin() != "..";
}

bool present(const QString& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(toPath(path), ec));
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

// Outside the coroutine: GCC 12 cannot build a QStringLiteral inside one.
RPCError clientClosed() {
    return RPCError{RPCError::Kind::transport, 0, QStringLiteral("client closed")};
}

} // namespace

bool DataGuard::mayDelete(const TorrentInfo& info) const {
    std::vector<fs::path> inside;
    for (const QString& folder : allowed) {
        if (const auto p = resolved(folder))
            inside.push_back(*p);
    }
    std::vector<fs::path> outside;
    for (const QString& folder : excluded) {
        if (const auto p = resolved(folder))
            outside.push_back(*p);
    }
    if (inside.empty())
        return false;
    const auto safe = [&](const QString& path) {
        const auto real = resolved(path);
        if (!real)
            return false;
        bool ok = false;
        for (const fs::path& folder : inside)
            ok = ok || isBelow(*real, folder);
        for (const fs::path& folder : outside)
            ok = ok && *real != folder && !isBelow(*real, folder);
        return ok;
    };

    // Without the file list (metadata not arrived), the daemon has nothing of it to delete.
    if (info.files.isEmpty())
        return true;
    const QStringList roots{workingFolder, info.downloadDir};
    for (const QString& file : info.files) {
        if (!isPlainRelative(file))
            return false;
        const QString top = file.section(QLatin1Char('/'), 0, 0);
        for (const QString& root : roots) {
            if (root.isEmpty())
                continue;
            // The top entry too: a folder that is a link takes everything below it elsewhere.
            // Unfinished files may carry the daemon's ".part" ending.
            for (const QString& path :
                 {root + QLatin1Char('/') + top, root + QLatin1Char('/') + file,
                  root + QLatin1Char('/') + file + QStringLiteral(".part")}) {
                if (present(path) && !safe(path))
                    return false;
            }
        }
    }
    return true;
}

QCoro::Task<RPCResult<bool>> removeGuarded(QPointer<TransmissionClient> client, QString hash,
                                           DataGuard guard) {
    const RPCError gone = clientClosed();
    if (!client)
        co_return gone;
    // Where the data lies is asked first; not knowing keeps the files.
    // Named: GCC 12 cannot keep an initializer list alive across a suspension.
    const QStringList wanted{hash};
    const auto found = co_await client->torrents(wanted);
    if (!client)
        co_return gone;
    bool withData = false;
    if (found.ok()) {
        for (const TorrentInfo& info : found.value()) {
            if (info.hash.compare(hash, Qt::CaseInsensitive) == 0)
                withData = guard.mayDelete(info);
        }
    }
    const RPCStatus done = co_await client->remove(hash, withData);
    if (!done.ok())
        co_return done.error();
    co_return !withData;
}
