// The storage folder stops taking writes (read-only, a file-size limit, a full filesystem)
// while the store runs: it keeps working in memory, leaves the files on disk as they were,
// claims nothing was saved, and writes everything again once the storage is back.

#include "EventLoop.h"
#include "PermissionOverrides.h"
#include "TestEnvironment.h"
#include "model/RecordCodecs.h"
#include "model/StorageFiles.h"
#include "store/WatchlistStore.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <functional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Whether a new file of two bytes can be written into `folder` right now.
bool canWriteInto(const QString& folder) {
    QFile probe(QDir(folder).filePath("probe"));
    const bool written =
        probe.open(QIODevice::WriteOnly) && probe.write("{}", 2) == 2 && probe.flush();
    probe.close();
    probe.remove();
    return written;
}

// One way for the storage to stop taking writes. prepare() runs before the files are seeded
// and returns why this machine cannot do it, if it cannot.
class Outage {
public:
    virtual ~Outage() = default;
    virtual QString prepare(const QString&) { return {}; }
    virtual void begin(const QString& folder) = 0;
    virtual void end(const QString& folder) = 0;
    virtual QStringList ownFiles() const { return {}; }
};

class ReadOnlyFolder final : public Outage {
public:
    void begin(const QString& folder) override {
        ::chmod(QFile::encodeName(folder).constData(), 0555);
        m_asAnyone.emplace();
    }
    void end(const QString& folder) override {
        m_asAnyone.reset();
        ::chmod(QFile::encodeName(folder).constData(), 0755);
    }

private:
    std::optional<WithoutPermissionOverrides> m_asAnyone;
};

// A disk about to fill up: no file may grow past one byte.
class FileSizeLimit final : public Outage {
public:
    void begin(const QString&) override {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN); // fail the write with EFBIG instead
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit tight = m_old;
        tight.rlim_cur = 1;
        ::setrlimit(RLIMIT_FSIZE, &tight);
    }
    void end(const QString&) override {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = SIG_DFL;
};

// A small filesystem of its own, filled to the last block.
class FullFilesystem final : public Outage {
public:
    ~FullFilesystem() override {
        if (!m_mounted.isEmpty())
            ::umount2(QFile::encodeName(m_mounted).constData(), MNT_DETACH);
    }
    QString prepare(const QString& folder) override {
        QDir().mkpath(folder);
        if (::mount("lumivane-test", QFile::encodeName(folder).constData(), "tmpfs",
                    MS_NOSUID | MS_NODEV, "size=1m,mode=0755") != 0)
            return QStringLiteral("cannot mount a small tmpfs here (%1)")
                .arg(QString::fromLocal8Bit(strerror(errno)));
        m_mounted = folder;
        return {};
    }
    void begin(const QString& folder) override {
        QFile ballast(QDir(folder).filePath("ballast"));
        if (!ballast.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        for (const qint64 chunk : {qint64(65536), qint64(4096), qint64(1)}) {
            const QByteArray bytes(chunk, 'x');
            while (ballast.write(bytes) == chunk) {
            }
        }
    }
    void end(const QString& folder) override { QFile::remove(QDir(folder).filePath("ballast")); }
    QStringList ownFiles() const override { return {"ballast"}; }

private:
    QString m_mounted;
};

// What writes the files again once the storage is back.
enum class Recovery { nextChange, shutdown };

struct OutageCase {
    const char* name;
    std::function<std::unique_ptr<Outage>()> make;
    Recovery recovery;
};

std::ostream& operator<<(std::ostream& os, const OutageCase& c) {
    return os << c.name;
}

template <typename O>
OutageCase outage(const char* name, Recovery recovery) {
    return {name, [] { return std::make_unique<O>(); }, recovery};
}

QStringList messages; // Qt's warnings while the storage is out

class StorageOutage : public testing::TestWithParam<OutageCase> {
protected:
    void SetUp() override {
        m_outage = GetParam().make();
        const QString cannot = m_outage->prepare(m_env.storageFolder());
        if (!cannot.isEmpty())
            GTEST_SKIP() << cannot.toStdString();

        const Timestamp t = m_env.clock().now();
        const Show a{.id = QUuid::createUuid(), .name = "Slow Horses"};
        const Show b{.id = QUuid::createUuid(), .name = "Andor"};
        m_followedMovie = Movie{.id = QUuid::createUuid(), .name = "Arrival"};
        m_followedMovie.status.state = ShowStatus::State::downloading;
        const Movie other{.id = QUuid::createUuid(), .name = "Heat"};
        m_hash = QString(40, QLatin1Char('a'));
        AppSettings settings;
        settings.seedMigratedV1 = true;

        seed(StorageFiles::kShows, QList<Show>{a, b});
        seed(StorageFiles::kMovies, QList<Movie>{m_followedMovie, other});
        seed(StorageFiles::kActivity,
             QList<ActivityEntry>{{QUuid::createUuid(), t, "Added \"Andor\" to schedule",
                                   ActivityEntry::Kind::check}});
        seed(StorageFiles::kSettings, settings);
        seed(StorageFiles::kDownloads,
             QMap<QString, ActiveDownload>{
                 {m_hash, ActiveDownload{
                              ActiveDownload::Kind::movie, m_followedMovie.id, {}, false, "YTS"}}});
        seed(StorageFiles::kHistory, QList<DownloadRecord>{{.id = m_hash,
                                                            .showID = m_followedMovie.id,
                                                            .showName = "Arrival",
                                                            .episode = "Movie",
                                                            .title = "Arrival.2016.1080p",
                                                            .addedAt = t}});

        // Every service unreachable: nothing but the test changes the store.
        m_store = std::make_unique<WatchlistStore>(m_env.environment(), nullptr, nullptr);
        runEventLoopUntil([] { return false; }, 200);
    }

    void TearDown() override {
        if (m_outage && m_outageOn)
            m_outage->end(m_env.storageFolder());
        m_store.reset();
        m_outage.reset();
    }

    template <typename T>
    void seed(const char* file, const T& value) {
        m_env.writeStorageFile(QString::fromLatin1(file), encodeDocument(value));
    }

    QMap<QString, QByteArray> snapshot() const {
        QMap<QString, QByteArray> files;
        const QDir folder(m_env.storageFolder());
        for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden)) {
            // calendar.ics is an export for calendar applications, not one of the six records
            if (m_outage->ownFiles().contains(name) || name == QLatin1String("calendar.ics"))
                continue;
            QFile f(folder.filePath(name));
            files.insert(name,
                         f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>"));
        }
        return files;
    }

    TestEnvironment m_env;
    std::unique_ptr<Outage> m_outage;
    bool m_outageOn = false;
    std::unique_ptr<WatchlistStore> m_store;
    Movie m_followedMovie;
    QString m_hash;
};

} // namespace

TEST_P(StorageOutage, KeepsWorkingInMemoryAndSavesEverythingOnceTheStorageIsBack) {
    WatchlistStore& store = *m_store;
    const QMap<QString, QByteArray> before = snapshot();
    ASSERT_EQ(before.size(), 6) << QStringList(before.keys()).join(' ').toStdString();
    const qsizetype linesBefore = store.activity().size();

    m_outage->begin(m_env.storageFolder());
    m_outageOn = true;
    if (canWriteInto(m_env.storageFolder()))
        GTEST_SKIP() << GetParam().name << " does not stop writes on this machine";

    messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { messages << text; });
    // A change to each of the six files.
    store.updateSettings([](AppSettings& s) { s.checkIntervalMinutes = 15; });
    WatchlistStore::NewShow form;
    form.name = "Severance";
    form.startWithLatest = false; // nothing to search: the change alone
    const QUuid added = store.addShow(form);
    store.removeMovie(m_followedMovie.id); // cancels its download: downloads, history, movies
    drainEvents();
    qInstallMessageHandler(previous);

    // In memory, every change holds.
    EXPECT_EQ(store.settings().checkIntervalMinutes, 15);
    ASSERT_EQ(store.shows().size(), 3);
    EXPECT_EQ(store.shows().last().id, added);
    ASSERT_EQ(store.movies().size(), 1);
    EXPECT_TRUE(store.activeDownloads().isEmpty());
    ASSERT_EQ(store.history().size(), 1);
    EXPECT_EQ(store.history().first().state, DownloadRecord::State::error);
    ASSERT_GT(store.activity().size(), linesBefore);

    // On disk, nothing moved: no torn file, no temporary left behind, nothing set aside.
    EXPECT_EQ(snapshot(), before);

    // Nothing claims a save that did not happen.
    static const QRegularExpression claim(
        QStringLiteral(R"(\b(saved|saving|wrote|written|stored)\b)"),
        QRegularExpression::CaseInsensitiveOption);
    for (qsizetype i = 0; i < store.activity().size() - linesBefore; ++i)
        EXPECT_FALSE(claim.match(store.activity()[i].message).hasMatch())
            << store.activity()[i].message.toStdString();
    for (const QString& text : std::as_const(messages))
        EXPECT_FALSE(claim.match(text).hasMatch()) << text.toStdString();

    m_outage->end(m_env.storageFolder());
    m_outageOn = false;

    const QList<Show> shows = store.shows();
    const QList<Movie> movies = store.movies();
    const AppSettings settings = store.settings();
    const QMap<QString, ActiveDownload> downloads = store.activeDownloads();
    const QList<DownloadRecord> history = store.history();
    // Either one line of the log is the next write, the five other files coming with it, or
    // nothing changes again before the store goes.
    if (GetParam().recovery == Recovery::nextChange)
        store.logActivity("Back online", ActivityEntry::Kind::check);
    const QList<ActivityEntry> activity = store.activity();
    if (GetParam().recovery == Recovery::shutdown)
        m_store.reset();

    // Read back with the store's own loaders.
    const SystemClock clock;
    const StorageFiles disk(m_env.storageFolder(), clock);
    EXPECT_EQ(disk.loadShows(), shows);
    EXPECT_EQ(disk.loadMovies(), movies);
    EXPECT_EQ(disk.loadSettings(), settings);
    EXPECT_EQ(disk.loadDownloads(), downloads);
    EXPECT_EQ(disk.loadHistory(), history);
    EXPECT_EQ(disk.loadActivity(), activity);
    EXPECT_EQ(snapshot().keys(), (QStringList{"activity.json", "downloads.json", "history.json",
                                              "movies.json", "settings.json", "shows.json"}));
}

INSTANTIATE_TEST_SUITE_P(
    Outages, StorageOutage,
    testing::Values(outage<ReadOnlyFolder>("ReadOnlyFolderThenNextChange", Recovery::nextChange),
                    outage<ReadOnlyFolder>("ReadOnlyFolderThenShutdown", Recovery::shutdown),
                    outage<FileSizeLimit>("FileSizeLimitThenNextChange", Recovery::nextChange),
                    outage<FileSizeLimit>("FileSizeLimitThenShutdown", Recovery::shutdown),
                    outage<FullFilesystem>("FullFilesystemThenNextChange", Recovery::nextChange),
                    outage<FullFilesystem>("FullFilesystemThenShutdown", Recovery::shutdown)),
    [](const auto& info) { return std::string(info.param.name); });
