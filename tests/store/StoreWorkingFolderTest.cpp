#include "StoreHarness.h"
#include "store/DownloadFollower.h"
#include "store/WorkingFolder.h"

namespace {

using Removed = QList<std::pair<QString, bool>>;

class StoreWorkingFolder : public StoreHarness {
protected:
    QString incomplete() const { return QDir(libraryRoot()).filePath("Incomplete"); }

    // A torrent the daemon holds, its metadata still pending (so nothing judges it).
    void holdInDaemon(const QString& h) { m_daemon.torrents.insert(h, {.hash = h, .name = h}); }

    // The next row starts from an empty folder and an empty daemon.
    void wipeAll() {
        wipe();
        m_daemon.torrents.clear();
        m_daemon.removed.clear();
    }

    const Show m_dark{.id = QUuid::createUuid(), .name = "Dark"};
};

} // namespace

TEST_F(StoreWorkingFolder, ItsSizeCountsHiddenAndNestedStagedFilesButNeitherTheLibraryNorLinks) {
    const std::pair<qint64, const char*> sizes[] = {
        {0, "0 bytes"}, {999, "999 bytes"}, {2049, "2.0 kB"}, {1'500'000, "1.5 MB"}};
    for (const auto& [size, label] : sizes) {
        SCOPED_TRACE(label);
        wipeAll();
        writeDownloadedFile("Series/Dark/Season_01/Dark.S01E01.mkv", 7'000'000);
        writeDownloadedFile("Unsorted.S01E01.mkv", 5'000'000);
        writeDownloadedFile("Incomplete/x/.resume", 0);
        if (size > 0)
            writeDownloadedFile("Incomplete/x/y/.a.part", size);
        QFile::link(QDir(libraryRoot()).filePath("Series"), QDir(incomplete()).filePath("library"));
        start();
        EXPECT_EQ(m_store->workingFolderSizeLabel(), "Calculating…");
        awaitTask(m_store->refreshWorkingFolderSize());
        EXPECT_EQ(m_store->workingFolderSizeLabel(), label);
    }
}

TEST_F(StoreWorkingFolder, ClearingCancelsEverythingAndEmptiesOnlyTheStagingFolder) {
    Show dark = m_dark;
    dark.status = {ShowStatus::State::downloading, 0.4, "S01E02"};
    // Without a download of its own a movie keeps its status.
    Movie arrival{
        .id = QUuid::createUuid(), .name = "Arrival", .status = {ShowStatus::State::downloading}};
    Movie old{.id = QUuid::createUuid(), .name = "Old", .status = {ShowStatus::State::sorted}};
    const QMap<QString, ActiveDownload> downloads{
        {hash('a'), {.showID = dark.id, .episodeCode = "S01E02"}},
        {hash('b'), {.kind = ActiveDownload::Kind::movie, .showID = arrival.id}}};
    seed(StorageFiles::kShows, QList<Show>{dark});
    seed(StorageFiles::kMovies, QList<Movie>{arrival, old});
    seed(StorageFiles::kDownloads, downloads);
    seed(StorageFiles::kHistory,
         QList<DownloadRecord>{
             {.id = hash('a'), .showID = dark.id},
             {.id = hash('z'), .showID = dark.id, .state = DownloadRecord::State::sorted},
             {.id = hash('b'), .showID = arrival.id}});
    holdInDaemon(hash('a'));
    holdInDaemon(hash('b'));
    writeDownloadedFile("Series/Dark/Season_01/Dark.S01E01.mkv", 5000);
    writeDownloadedFile("Movies/Old (1999)/Old.mkv", 5000);
    writeDownloadedFile("Incomplete/Dark.S01E02/Dark.S01E02.mkv.part", 1000);
    writeDownloadedFile("Incomplete/.hidden", 10);
    start();
    EXPECT_EQ(m_store->inProgressDownloads().size(), 2);

    QCoro::Task<> clearing = m_store->clearWorkingFolder();
    // The bookkeeping is done at once; the daemon and the files follow.
    EXPECT_TRUE(m_store->activeDownloads().isEmpty());
    EXPECT_FALSE(m_store->follower().isPolling());
    EXPECT_EQ((stored<QMap<QString, ActiveDownload>>(StorageFiles::kDownloads)->size()), 0);
    EXPECT_TRUE(m_store->inProgressDownloads().isEmpty());
    const auto rows = stored<QList<DownloadRecord>>(StorageFiles::kHistory).value();
    for (const DownloadRecord& row : rows) {
        const bool cancelled = downloads.contains(row.id);
        EXPECT_EQ(row.state,
                  cancelled ? DownloadRecord::State::error : DownloadRecord::State::sorted);
        EXPECT_EQ(row.detail.value_or(""), cancelled ? "Cancelled — working folder cleared" : "");
    }
    EXPECT_EQ(stored<QList<Show>>(StorageFiles::kShows)->first().status, ShowStatus{});
    const auto movies = stored<QList<Movie>>(StorageFiles::kMovies).value();
    EXPECT_EQ(movies[0].status.state, ShowStatus::State::idle);
    EXPECT_EQ(movies[1].status.state, ShowStatus::State::sorted);
    EXPECT_EQ(log(), QStringList{"Clearing working folder — 2 in-progress downloads cancelled"});

    awaitTask(std::move(clearing));
    EXPECT_EQ(m_daemon.removed, (Removed{{hash('a'), true}, {hash('b'), true}}));
    EXPECT_TRUE(QFileInfo(incomplete()).isDir());
    EXPECT_EQ(QDir(incomplete()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());
    EXPECT_TRUE(QFileInfo::exists(libraryRoot() + "/Series/Dark/Season_01/Dark.S01E01.mkv"));
    EXPECT_TRUE(QFileInfo::exists(libraryRoot() + "/Movies/Old (1999)/Old.mkv"));
    EXPECT_EQ(m_store->workingFolderSizeLabel(), "0 bytes");
}

TEST_F(StoreWorkingFolder, TidyingRemovesWhatNobodyFollowsWithItsDataAndCountsIt) {
    const std::pair<QStringList, const char*> cases[] = {
        {{}, nullptr},
        {{QString(40, u'a')}, "Tidied up 1 leftover torrent in the engine"},
        {{QString(40, u'a'), QString(40, u'b')}, "Tidied up 2 leftover torrents in the engine"}};
    for (const auto& [leftovers, line] : cases) {
        SCOPED_TRACE(leftovers.size());
        wipeAll();
        seed(StorageFiles::kShows, QList<Show>{m_dark});
        seedDownload(hash('f'), m_dark.id, "S01E02");
        holdInDaemon(hash('f'));
        Removed removed;
        for (const QString& h : leftovers) {
            holdInDaemon(h);
            removed.append({h, true});
        }
        start(); // tidies up by itself; a second tidy-up waits for it and finds nothing more
        EXPECT_TRUE(awaitTask(m_store->workingFolder().tidyLeftovers()));
        EXPECT_EQ(log(), line ? QStringList{line} : QStringList());
        EXPECT_EQ(m_daemon.torrents.keys(), QStringList{hash('f')});
        EXPECT_EQ(m_daemon.removed, removed);
    }
}

TEST_F(StoreWorkingFolder, TheStartUpTidyUpWaitsForADaemonThatIsStillComingUp) {
    holdInDaemon(hash('a'));
    m_daemon.setReachable(false);
    start();
    // This call waits for the start-up attempt, which has failed by then, and fails too.
    EXPECT_FALSE(awaitTask(m_store->workingFolder().tidyLeftovers()));
    m_daemon.setReachable(true);
    ASSERT_TRUE(runEventLoopUntil([&] { return !log().isEmpty(); }, 10000));
    EXPECT_EQ(log(), QStringList{"Tidied up 1 leftover torrent in the engine"});
    EXPECT_EQ(m_daemon.removed, (Removed{{hash('a'), true}}));
}
