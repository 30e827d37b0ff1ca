// SIGKILL at random moments while the real executable saves, then read every file back with
// the product's own loaders: a kill may lose the last change, never a file or a series.

#include "DaemonSupport.h"
#include "EventLoop.h"
#include "FakeServices.h"
#include "FakeTransmission.h"
#include "PrivateHome.h"
#include "RealisticLibrary.h"
#include "model/Clock.h"
#include "model/StorageFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <iostream>
#include <random>
#include <sys/stat.h>

namespace {

constexpr int kRounds = 4;
constexpr int kKillsPerRound = 50; // 200 in all
// The start-up saves (series refreshed from TMDB one by one, the first follow-up pass, the
// tidy-up) span about this long on a quiet machine; kills spread over it.
constexpr int kKillWindowMs = 900;

std::uint32_t baseSeed() {
    static const std::uint32_t seed = [] {
        const QByteArray given = qgetenv("LUMIVANE_CRASH_SEED");
        return given.isEmpty() ? std::random_device{}() : given.toUInt();
    }();
    return seed;
}

const char* const kSixFiles[] = {StorageFiles::kShows,     StorageFiles::kMovies,    StorageFiles::kActivity,
                                 StorageFiles::kSettings, StorageFiles::kDownloads, StorageFiles::kHistory};

ino_t inodeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

QMap<QUuid, QString> namesById(const auto& records) {
    QMap<QUuid, QString> out;
    for (const auto& r : records)
        out.insert(r.id, r.name);
    return out;
}

class CrashSafety : public testing::TestWithParam<int> {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_install.isValid()) << m_install.problem().toStdString();
        m_seed = baseSeed() + static_cast<std::uint32_t>(GetParam());
        std::cout << "crash seed " << m_seed << " (LUMIVANE_CRASH_SEED=" << baseSeed()
                  << " runs this round again)" << std::endl;
        m_rng.seed(m_seed);
        m_library = RealisticLibrary::generate({100, 50, 20}, m_seed);
        ASSERT_TRUE(m_library.writeTo(storageFolder()));
        m_library.describeTo(m_tmdb, QDate::currentDate());

        ServiceEndpoints endpoints;
        endpoints.pointEveryServiceAt(QStringLiteral("http://127.0.0.1:%1/").arg(freeLoopbackPort()));
        endpoints.tmdbAPI = m_tmdb.apiRoot();
        endpoints.rpcPort = m_daemon.port();
        endpoints.peerPort = freeLoopbackPort();
        m_install.writeEndpoints(endpoints);
    }

    QString storageFolder() const { return m_install.storageFolder(); }
    QString file(const char* name) const { return QDir(storageFolder()).filePath(QString::fromLatin1(name)); }

    // What the daemon reports at the next start: the followed torrents, one of them finished
    // and one gone (both are saved at once by the first pass), and two leftovers to tidy up.
    bool lockIsEmpty() const {
        return QFileInfo(m_install.dataFile(QStringLiteral("lumivane.lock")))
                   .size() == 0;
    }

    void scriptDaemon() {
        const SystemClock clock;
        const StorageFiles files(storageFolder(), clock);
        auto downloads = files.loadDownloads().value_or(QMap<QString, ActiveDownload>{});
        if (downloads.size() < 8) {
            // The passes use them up; more arrive as if grabbed while the process was away.
            auto history = files.loadHistory().value_or(QList<DownloadRecord>{});
            for (int i = 0; i < 12; ++i) {
                const bool movie = i % 4 == 3;
                const QUuid id = movie ? m_library.movies[static_cast<qsizetype>(m_rng() % m_library.movies.size())].id
                                       : m_library.shows[static_cast<qsizetype>(m_rng() % m_library.shows.size())].id;
                const QString hash = madeUpHash(m_rng());
                downloads.insert(hash, ActiveDownload{movie ? ActiveDownload::Kind::movie : ActiveDownload::Kind::episode,
                                                      id, movie ? QString() : QStringLiteral("S42E%1").arg(i + 10),
                                                      false, QStringLiteral("EZTV")});
                history.prepend(DownloadRecord{.id = hash, .showID = id, .showName = QStringLiteral("Refill"),
                                               .episode = QStringLiteral("S42E%1").arg(i + 10),
                                               .title = QStringLiteral("Refill release"), .addedAt = clock.now()});
            }
            history.resize(std::min<qsizetype>(history.size(), 500));
            ASSERT_TRUE(files.saveDownloads(downloads));
            ASSERT_TRUE(files.saveHistory(history));
        }

        RealisticLibrary followed;
        followed.downloads = downloads;
        m_daemon.torrents.clear();
        followed.loadInto(m_daemon);
        const QStringList hashes = downloads.keys();
        m_daemon.torrents.remove(hashes[static_cast<qsizetype>(m_rng() % hashes.size())]);
        m_daemon.torrents.begin()->finish();
        for (int i = 0; i < 2; ++i) {
            FakeTransmission::Torrent leftover;
            leftover.hash = madeUpHash(m_rng());
            leftover.name = QStringLiteral("Leftover");
            m_daemon.torrents.insert(leftover.hash, leftover);
        }
    }

    // Every file decodes with the store's loaders and every series and movie is still there.
    void expectIntact(int kill, int delayMs) {
        const std::string when = "after kill " + std::to_string(kill + 1) + " at " + std::to_string(delayMs) +
                                 " ms (seed " + std::to_string(m_seed) + ")";
        const SystemClock clock;
        const StorageFiles files(storageFolder(), clock);
        for (const char* name : kSixFiles)
            ASSERT_TRUE(QFileInfo(file(name)).isFile()) << name << " is missing " << when;
        const auto shows = files.loadShows();
        const auto movies = files.loadMovies();
        const auto activity = files.loadActivity();
        const auto history = files.loadHistory();
        ASSERT_TRUE(shows) << when;
        ASSERT_TRUE(movies) << when;
        ASSERT_TRUE(activity) << when;
        ASSERT_TRUE(files.loadSettings()) << when;
        ASSERT_TRUE(files.loadDownloads()) << when;
        ASSERT_TRUE(history) << when;
        ASSERT_EQ(namesById(*shows), namesById(m_library.shows)) << when;
        ASSERT_EQ(namesById(*movies), namesById(m_library.movies)) << when;
        EXPECT_LE(activity->size(), 500);
        EXPECT_LE(history->size(), 500);

        QStringList strays;
        for (const QString& entry : QDir(storageFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
            ASSERT_FALSE(entry.contains(QStringLiteral(".unreadable-"))) << entry.toStdString() << " " << when;
            if (!m_expected.contains(entry))
                strays << entry;
        }
        m_strays = strays;
    }

    // What the lock names and what the system says of that process, when a start refused.
    QString holderStatus() const {
        QFile lock(file("lumivane.lock"));
        if (!lock.open(QIODevice::ReadOnly))
            return QStringLiteral("no lock");
        const QByteArray named = lock.readAll();
        QFile status(QStringLiteral("/proc/%1/status").arg(QString::fromLatin1(named.split('\n').value(0))));
        return QStringLiteral("lock: %1\n%2")
            .arg(QString::fromUtf8(named).replace('\n', ' '),
                 status.open(QIODevice::ReadOnly) ? QString::fromUtf8(status.read(400)) : QStringLiteral("no such process"));
    }

    PrivateHome m_install{PrivateHome::Executable::ownCopy};
    FakeTmdb m_tmdb;
    FakeTransmission m_daemon;
    RealisticLibrary m_library;
    std::uint32_t m_seed = 0;
    std::mt19937 m_rng;
    QStringList m_strays;
    const QStringList m_expected{QStringLiteral("shows.json"),    QStringLiteral("movies.json"),
                                 QStringLiteral("activity.json"), QStringLiteral("settings.json"),
                                 QStringLiteral("downloads.json"), QStringLiteral("history.json"),
                                 QStringLiteral("endpoints.json"), QStringLiteral("lumivane.lock"),
                                 QStringLiteral("transmission-config"), QStringLiteral("calendar.ics")};
};

} // namespace

TEST_P(CrashSafety, EveryFileSurvivesAKillAtAnyMoment) {
    std::uniform_int_distribution<int> delay(0, kKillWindowMs);
    QMap<QString, int> replaced; // kills after which the file had been written by that run
    int strayPeak = 0;
    int emptyLocksLeft = 0;
    QStringList earlierStrays;
    QStringList killed; // their ids, to tell what a refusing start took for a running one
    for (int kill = 0; kill < kKillsPerRound; ++kill) {
        ASSERT_NO_FATAL_FAILURE(scriptDaemon());
        QMap<QString, ino_t> before;
        for (const char* name : kSixFiles)
            before.insert(QString::fromLatin1(name), inodeOf(file(name)));

        QProcess process;
        const int delayMs = delay(m_rng);
        for (int attempt = 0;; ++attempt) {
            process.setStandardOutputFile(QProcess::nullDevice());
            ASSERT_TRUE(m_install.start(process));
            QElapsedTimer clock;
            clock.start();
            runEventLoopUntil(
                [&] { return clock.elapsed() >= delayMs || process.state() != QProcess::Running; },
                delayMs + 5000);
            // The last kill landed between the lock's creation and the write into it: an empty
            // lock counts as a start in progress for a second, so this start refused and the
            // next one takes the lock over.
            if (attempt > 0 || process.state() == QProcess::Running || process.exitCode() != 1 ||
                !lockIsEmpty())
                break;
            ++emptyLocksLeft;
            QThread::msleep(1100);
        }
        ASSERT_EQ(process.state(), QProcess::Running)
            << "it ended on its own: " << process.readAllStandardError().toStdString()
            << "processes killed so far: " << killed.join(' ').toStdString() << "\n"
            << holderStatus().toStdString();
        killed << QString::number(process.processId());
        ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
        ASSERT_TRUE(process.waitForFinished(5000));

        ASSERT_NO_FATAL_FAILURE(expectIntact(kill, delayMs));
        bool savedThisRun = false;
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            if (inodeOf(file(it.key().toLatin1().constData())) != it.value()) {
                ++replaced[it.key()];
                savedThisRun = true;
            }
        }
        strayPeak = std::max(strayPeak, static_cast<int>(m_strays.size()));
        // A kill between QSaveFile's link and rename leaves a temporary; the next start that
        // gets as far as saving has removed it (all but lower-case-only names, which may be the
        // user's own copies). A kill earlier in a start proves nothing either way.
        static const QRegularExpression userCopy(QStringLiteral(R"(\.json\.[a-z]{6}$)"));
        for (const QString& stray : std::as_const(earlierStrays)) {
            if (savedThisRun && !userCopy.match(stray).hasMatch()) {
                EXPECT_FALSE(m_strays.contains(stray)) << stray.toStdString() << " outlived a start";
            }
        }
        earlierStrays = m_strays;
    }

    std::cout << "files written before a kill, out of " << kKillsPerRound << " runs:";
    for (auto it = replaced.cbegin(); it != replaced.cend(); ++it)
        std::cout << ' ' << it.key().toStdString() << '=' << it.value();
    std::cout << "; stray files at most " << strayPeak << ": " << m_strays.join(QLatin1Char(' ')).toStdString()
              << "; empty locks left " << emptyLocksLeft << std::endl;
    // The kills must land among the saves, or the run proves nothing.
    EXPECT_GE(replaced.value(QStringLiteral("shows.json")), kKillsPerRound / 2);
    EXPECT_GE(replaced.value(QStringLiteral("downloads.json")), kKillsPerRound / 4);
    EXPECT_GE(replaced.value(QStringLiteral("activity.json")), kKillsPerRound / 4);
    EXPECT_LE(strayPeak, 2) << "temporaries pile up: " << m_strays.join(QLatin1Char(' ')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Rounds, CrashSafety, testing::Range(0, kRounds));
