#include "model/StorageFiles.h"

#include "model/Clock.h"
#include "model/RecordCodecs.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class StorageFilesTest : public testing::Test {
protected:
    QString folder() const { return QDir(m_dir.path()).filePath("data"); }
    QString path(const char* name) const {
        return QDir(folder()).filePath(QString::fromLatin1(name));
    }

    void write(const char* name, const QByteArray& bytes) {
        QDir().mkpath(folder());
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QByteArray read(const QString& filePath) const {
        QFile f(filePath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Files left beside `name` by the set-aside.
    QStringList asides(const char* name) const {
        return QDir(folder()).entryList({QString::fromLatin1(name) + ".unreadable-*"},
                                        QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }

    QTemporaryDir m_dir;
    ManualClock m_clock{Timestamp::fromUnixSeconds(1765000000)}; // 2025-12-06 05:46:40 UTC
    StorageFiles m_files{folder(), m_clock};
};

QByteArray garbage(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator gen(42);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(gen.bounded(256));
    return bytes;
}

} // namespace

TEST_F(StorageFilesTest, MissingFilesReadAsNothingAndLeaveNoTrace) {
    EXPECT_FALSE(m_files.loadShows());
    EXPECT_FALSE(m_files.loadSettings());
    EXPECT_FALSE(QDir(folder()).exists());
}

TEST_F(StorageFilesTest, SavesAreWholeFilesWithoutLeftovers) {
    ASSERT_TRUE(m_files.ensureFolder());
    const QList<Show> shows{Show{.id = QUuid::createUuid(), .name = "Dark"}};
    ASSERT_TRUE(m_files.saveShows(shows));
    ASSERT_TRUE(m_files.saveShows(shows + shows));

    EXPECT_EQ(read(path(StorageFiles::kShows)), encodeDocument(shows + shows));
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"shows.json"});
    EXPECT_EQ(m_files.loadShows(), shows + shows);
}

TEST_F(StorageFilesTest, EverySaveWritesItsOwnFile) {
    ASSERT_TRUE(m_files.ensureFolder());
    EXPECT_TRUE(m_files.saveShows({}));
    EXPECT_TRUE(m_files.saveMovies({}));
    EXPECT_TRUE(m_files.saveActivity({}));
    EXPECT_TRUE(m_files.saveSettings({}));
    EXPECT_TRUE(m_files.saveDownloads({}));
    EXPECT_TRUE(m_files.saveHistory({}));
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files, QDir::Name),
              QStringList({"activity.json", "downloads.json", "history.json", "movies.json",
                           "settings.json", "shows.json"}));
    EXPECT_EQ(read(path(StorageFiles::kDownloads)), "{}");
    EXPECT_EQ(read(path(StorageFiles::kHistory)), "[]");
}

struct BadContent {
    const char* label;
    QByteArray (*bytes)(); // made on use: every test process builds the whole table
};

class UnreadableFile : public StorageFilesTest, public testing::WithParamInterface<BadContent> {};

TEST_P(UnreadableFile, IsSetAsideWholeBeforeASaveCanReplaceIt) {
    const QByteArray bad = GetParam().bytes();
    write(StorageFiles::kShows, bad);

    EXPECT_FALSE(m_files.loadShows());
    ASSERT_EQ(asides(StorageFiles::kShows), QStringList{"shows.json.unreadable-20251206-054640"});
    EXPECT_FALSE(QFile::exists(path(StorageFiles::kShows)));

    ASSERT_TRUE(m_files.saveShows({}));
    EXPECT_EQ(read(path(StorageFiles::kShows)), "[]");
    EXPECT_EQ(read(QDir(folder()).filePath("shows.json.unreadable-20251206-054640")), bad);
}

INSTANTIATE_TEST_SUITE_P(
    Contents, UnreadableFile,
    testing::Values(BadContent{"truncated",
                               [] { return QByteArray(R"([{"name":"Dark","quality":"10)"); }},
                    BadContent{"empty", [] { return QByteArray(); }},
                    BadContent{"garbage50MB", [] { return garbage(50 * 1024 * 1024); }}),
    [](const testing::TestParamInfo<BadContent>& info) { return info.param.label; });

TEST_F(StorageFilesTest, ADirectoryInPlaceOfAFileIsMovedAsideSoSavesWorkAgain) {
    ASSERT_TRUE(QDir().mkpath(path(StorageFiles::kHistory)));
    write("history.json/keep.txt", "user data");

    EXPECT_FALSE(m_files.loadHistory());
    ASSERT_EQ(asides(StorageFiles::kHistory).size(), 1);
    EXPECT_EQ(read(QDir(folder()).filePath(asides(StorageFiles::kHistory).first() + "/keep.txt")),
              "user data");
    EXPECT_TRUE(m_files.saveHistory({}));
    EXPECT_EQ(m_files.loadHistory(), QList<DownloadRecord>{});
}

TEST_F(StorageFilesTest, SetAsideNeverOverwritesAnEarlierAside) {
    write(StorageFiles::kSettings, "first");
    EXPECT_FALSE(m_files.loadSettings());
    write(StorageFiles::kSettings, "second");
    EXPECT_FALSE(m_files.loadSettings());

    const QStringList kept = asides(StorageFiles::kSettings);
    ASSERT_EQ(kept.size(), 2);
    QStringList contents;
    for (const QString& name : kept)
        contents << QString::fromUtf8(read(QDir(folder()).filePath(name)));
    contents.sort();
    EXPECT_EQ(contents, QStringList({"first", "second"}));
}

TEST_F(StorageFilesTest, AnUnwritableFolderFailsQuietly) {
    // A regular file where the folder should be: nothing can be created below it, even as root.
    write("blocker", "x");
    StorageFiles files(QDir(folder()).filePath("blocker/Lumivane"), m_clock);
    EXPECT_FALSE(files.ensureFolder());
    EXPECT_FALSE(files.saveShows({Show{.id = QUuid::createUuid(), .name = "A"}}));
    EXPECT_FALSE(files.loadShows());
    EXPECT_EQ(read(path("blocker")), "x");
}

TEST_F(StorageFilesTest, SettingsCanBeReadBeforeTheStoreExists) {
    EXPECT_FALSE(AppSettings::loadFromDisk(folder()));
    write(StorageFiles::kSettings, R"({"rootFolder":"file:///srv/media","theme":"dark"})");
    const auto settings = AppSettings::loadFromDisk(folder());
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->rootFolder, QUrl::fromLocalFile("/srv/media"));

    write(StorageFiles::kSettings, "{broken");
    EXPECT_FALSE(AppSettings::loadFromDisk(folder()));
    // Only looking: the store sets the file aside when it starts, not the shell.
    EXPECT_TRUE(QFile::exists(path(StorageFiles::kSettings)));
}
