#include "Journey.h"

#include "model/RecordCodecs.h"
#include "store/WorkingFolder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

using nlohmann::json;
using namespace std::chrono_literals;

namespace {

// The same bytes every time for the same file, so a spoilt half can be put right again.
QByteArray contentOf(const QString& release, const QString& file, qint64 size) {
    QRandomGenerator random(qHash(release + QLatin1Char('/') + file));
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes)
        c = static_cast<char>(random.bounded(256));
    return bytes;
}

void writeBytes(const QString& path, const QByteArray& bytes, qint64 at = 0) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(at == 0 ? QIODevice::WriteOnly | QIODevice::Truncate : QIODevice::ReadWrite) ||
        !f.seek(at) || f.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

} // namespace

bool Journey::retryUntil(const std::function<bool()>& probe, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (probe())
            return true;
        runEventLoopUntil([] { return false; }, 100);
    }
    return probe();
}

void Journey::SetUp() {
    ASSERT_FALSE(systemDaemonPath().isEmpty()) << "transmission-daemon is not installed";
    m_endpoints.rpcPort = freeLoopbackPort();
    do
        m_endpoints.peerPort = freeLoopbackPort();
    while (m_endpoints.peerPort == m_endpoints.rpcPort);

    // The supervisor runs the daemon from the application's resources; here a link to the
    // system's daemon, as in a build folder.
    m_resources = QDir(m_env.root()).filePath("resources");
    const QString bin = m_resources + "/TransmissionEngine/bin";
    ASSERT_TRUE(QDir().mkpath(bin));
    ASSERT_TRUE(QFile::link(systemDaemonPath(), bin + "/transmission-daemon"));

    // The magnets the indexes hand out name public trackers: bound to loopback, the daemon
    // cannot reach them, and it looks for peers nowhere else.
    writeQuietDaemonSettings(QDir(m_env.storageFolder()).filePath("transmission-config"));

    FakeTmdb::Series series{.name = "Harbour Lights",
                            .currentSeason = 1,
                            .lastAired = {{1, 3}},
                            .originCountries = {"GB"},
                            .imdbID = "tt31415926"};
    for (const auto& [n, day] : {std::pair{1, QDate(2025, 12, 11)},
                                 {2, QDate(2025, 12, 18)},
                                 {3, QDate(2025, 12, 25)},
                                 {4, QDate(2026, 1, 8)},
                                 {5, QDate(2026, 1, 15)}})
        series.seasons[1].append({n, day});
    m_tmdb.series.insert(kHarbourLightsTMDB, series);
}

// --- Lumivane ----------------------------------------------------------------------------------

void Journey::launch(std::chrono::milliseconds pollInterval) {
    ASSERT_NO_FATAL_FAILURE(startDaemon());
    ASSERT_NO_FATAL_FAILURE(startStore(pollInterval));
}

void Journey::startDaemon() {
    m_engine = std::make_unique<TransmissionEngine>(
        m_env.libraryRoot(), m_env.storageFolder(), m_endpoints, m_env.environment().clock,
        TransmissionEngine::Options{m_resources, TransmissionEngine::kRestartDelay});
    m_engine->start();
    ASSERT_TRUE(m_engine->isRunning());
    ASSERT_TRUE(daemonAnswers());
}

void Journey::startStore(std::chrono::milliseconds pollInterval) {
    StoreEnvironment env = m_env.environment();
    m_indexes.allSix = true;
    m_indexes.apply(env.endpoints);
    env.endpoints.tmdbAPI = m_tmdb.apiRoot();
    env.endpoints.rpcPort = m_endpoints.rpcPort;
    env.endpoints.peerPort = m_endpoints.peerPort;
    env.pollInterval = pollInterval;
    m_store = std::make_unique<WatchlistStore>(env, m_engine.get(), &m_notices);
    m_passes = 0;
    QObject::connect(m_store.get(), &WatchlistStore::followUpPassFinished, [this] { ++m_passes; });
    m_store->applySeedRatio(5); // as the shell does at launch

    // The start-up tidy-up removes, with their data, the torrents the store does not follow.
    // A second tidy-up waits its turn behind it: once ours is over, anything the test hands
    // the daemon stays there.
    ASSERT_TRUE(awaitTask(m_store->workingFolder().tidyLeftovers(), kWatchdogMs));
}

void Journey::quit() {
    m_store.reset();
    if (m_engine) {
        m_engine->stop();
        m_engine.reset(); // waits for the daemon to save its state and exit
    }
}

// --- the daemon --------------------------------------------------------------------------------

bool Journey::daemonAnswers() {
    return retryUntil(
        [&] {
            return rawRPC(m_nam, m_endpoints.rpcPort, {{"method", "session-get"}}).has_value();
        },
        kWatchdogMs);
}

QString Journey::preload(const ReleaseFiles& release, bool partial, QString downloadDir) {
    // As the daemon keeps them: a download in progress in the working folder, a finished one in
    // the download folder.
    const QString dataDir = !downloadDir.isEmpty() ? downloadDir
                            : partial              ? workingFolder()
                                                   : downloadFolder();
    if (downloadDir.isEmpty())
        downloadDir = downloadFolder();
    const QString folder = QDir(dataDir).filePath(release.name);
    QStringList names;
    for (const auto& [file, size] : release.files) {
        writeBytes(QDir(folder).filePath(file), contentOf(release.name, file, size));
        names.append(file);
    }
    const QString torrent = QDir(m_env.root()).filePath(release.name + ".torrent");
    const QString hash = writeTorrentFile(torrent, folder, names);
    if (partial) {
        const auto& [file, size] = release.files.first();
        writeBytes(QDir(folder).filePath(file), QByteArray(size - size / 2, '\x5a'), size / 2);
    }

    const auto added = rawRPC(
        m_nam, m_endpoints.rpcPort,
        {{"method", "torrent-add"},
         {"arguments",
          {{"filename", torrent.toStdString()}, {"download-dir", downloadDir.toStdString()}}}});
    EXPECT_TRUE(added && added->contains("torrent-added"))
        << "the daemon refused " << hash.toStdString();
    const bool checked = retryUntil(
        [&] {
            const auto t = daemonTorrent(hash);
            if (!t)
                return false;
            const int status = (*t)["status"].get<int>();
            const double done = (*t)["percentDone"].get<double>();
            if (status == 1 || status == 2) // waiting to check, checking
                return false;
            return partial ? done > 0.0 && done < 1.0 : done == 1.0;
        },
        kWatchdogMs);
    EXPECT_TRUE(checked) << "the daemon never checked " << release.name.toStdString();
    return hash;
}

void Journey::finishDownload(const ReleaseFiles& release, const QString& hash) {
    const auto& [file, size] = release.files.first();
    const QString relative = release.name + QLatin1Char('/') + file;
    const QString unfinished = QDir(workingFolder()).filePath(relative);
    writeBytes(QFileInfo::exists(unfinished) ? unfinished
                                             : QDir(downloadFolder()).filePath(relative),
               contentOf(release.name, file, size));
    const auto verified =
        rawRPC(m_nam, m_endpoints.rpcPort,
               {{"method", "torrent-verify"}, {"arguments", {{"ids", {hash.toStdString()}}}}});
    EXPECT_TRUE(verified.has_value());
}

std::optional<json> Journey::daemonTorrent(const QString& hash) {
    const auto answer =
        rawRPC(m_nam, m_endpoints.rpcPort,
               {{"method", "torrent-get"},
                {"arguments",
                 {{"ids", {hash.toStdString()}},
                  {"fields", {"hashString", "name", "status", "percentDone", "downloadDir"}}}}});
    if (!answer || !answer->contains("torrents") || (*answer)["torrents"].empty())
        return std::nullopt;
    return (*answer)["torrents"][0];
}

std::optional<QStringList> Journey::daemonHashes() {
    const auto answer =
        rawRPC(m_nam, m_endpoints.rpcPort,
               {{"method", "torrent-get"}, {"arguments", {{"fields", {"hashString"}}}}});
    if (!answer || !answer->contains("torrents"))
        return std::nullopt;
    QStringList hashes;
    for (const json& t : (*answer)["torrents"])
        hashes.append(QString::fromStdString(t["hashString"].get<std::string>()));
    return hashes;
}

// --- the store ---------------------------------------------------------------------------------

void Journey::checkNow() {
    ASSERT_FALSE(m_store->isChecking());
    bool finished = false;
    const auto connection = QObject::connect(m_store.get(), &WatchlistStore::checkCycleFinished,
                                             [&] { finished = true; });
    m_store->runCheck(true);
    const bool ended = waitFor([&] { return finished; });
    QObject::disconnect(connection);
    ASSERT_TRUE(ended) << "the check cycle never ended";
}

bool Journey::waitForOutcome(const QString& hash) {
    return waitFor([&] {
        const auto row = historyRow(hash);
        return row && row->state != DownloadRecord::State::downloading;
    });
}

bool Journey::waitForDaemonToDrop(const QString& hash) {
    return retryUntil([&] {
        const auto held = daemonHashes();
        return held && !held->contains(hash);
    });
}

testing::AssertionResult Journey::oneNotice(const QString& title, const QString& body) const {
    QStringList posted;
    for (const Notice& n : m_notices.notices)
        posted << n.title + ": " + n.body;
    if (posted == QStringList{title + ": " + body})
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "notices: " << posted.join(" | ").toStdString();
}

QStringList Journey::log() const {
    QStringList lines;
    for (const ActivityEntry& e : m_store->activity())
        lines.prepend(e.message);
    return lines;
}

std::optional<DownloadRecord> Journey::historyRow(const QString& hash) const {
    for (const DownloadRecord& row : m_store->history()) {
        if (row.id == hash)
            return row;
    }
    return std::nullopt;
}

// --- files -------------------------------------------------------------------------------------

QStringList Journey::filesBelow(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(folder).relativeFilePath(it.next()));
    files.sort();
    return files;
}

QList<Show> Journey::storedShows() const {
    return decodeDocument<QList<Show>>(
               m_env.readStorageFile(QString::fromLatin1(StorageFiles::kShows)))
        .value_or(QList<Show>{});
}

void Journey::seedShows(const QList<Show>& shows) const {
    m_env.writeStorageFile(QString::fromLatin1(StorageFiles::kShows), encodeDocument(shows));
}

// --- the world ---------------------------------------------------------------------------------

Show Journey::harbourLights() const {
    return Show{.id = m_harbourLightsID,
                .name = "Harbour Lights",
                .downloadedEpisodes = {"S01E02", "S01E01"},
                .tmdbID = kHarbourLightsTMDB,
                .firstAirYear = "2025",
                .monitorAnchor = "S01E01"};
}
