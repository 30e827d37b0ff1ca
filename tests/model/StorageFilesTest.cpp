#include "model/StorageFiles.h"

#include "Fixtures.h"
#include "model/Clock.h"
#include "model/RecordCodecs.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Aside = std::optional<StorageFiles::SetAside>;
constexpr auto kCopy = ".unreadable-20251206-054640";

class StorageFilesTest : public testing::Test {
protected:
    QString folder() const { return QDir(m_dir.path()).filePath("data"); }
    QString path(const QString& name) const { return QDir(folder()).filePath(name); }

    void write(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path(name)).path());
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray read(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Files left beside `name` by the set-aside.
    QStringList asides(const QString& name) const {
        return QDir(folder()).entryList({name + ".unreadable-*"}, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }
    // Any of the six files, loaded and written again as the store would.
    std::optional<QByteArray> load(const QString& name, Aside* aside) const {
        const auto encoded = [](const auto& v) -> std::optional<QByteArray> { return v ? std::optional(encodeDocument(*v)) : std::nullopt; };
        if (name == StorageFiles::kShows)
            return encoded(m_files.loadShows(aside));
        if (name == StorageFiles::kMovies)
            return encoded(m_files.loadMovies(aside));
        if (name == StorageFiles::kActivity)
            return encoded(m_files.loadActivity(aside));
        if (name == StorageFiles::kDownloads)
            return encoded(m_files.loadDownloads(aside));
        if (name == StorageFiles::kHistory)
            return encoded(m_files.loadHistory(aside));
        return encoded(m_files.loadSettings(aside));
    }

    // A file that cannot be read at all is moved aside whole, said, and a save can replace it.
    void expectSetAsideWhole(const QString& name, const QByteArray& bad) {
        write(name, bad);
        Aside aside;
        EXPECT_FALSE(load(name, &aside));
        EXPECT_EQ(aside, (StorageFiles::SetAside{name, path(name + kCopy), 0, 0, true}));
        EXPECT_EQ(asides(name), QStringList{name + kCopy});
        EXPECT_FALSE(QFile::exists(path(name)));
        const bool settings = name == StorageFiles::kSettings;
        ASSERT_TRUE(settings ? m_files.saveSettings({}) : m_files.saveShows({}));
        EXPECT_EQ(read(name), settings ? encodeDocument(AppSettings{}) : QByteArray("[]"));
        EXPECT_EQ(read(name + kCopy), bad) << "the original is kept byte for byte";
    }

    QTemporaryDir m_dir;
    ManualClock m_clock{Timestamp::fromUnixSeconds(1765000000)}; // 2025-12-06 05:46:40 UTC
    StorageFiles m_files{folder(), m_clock};
};

// Every key of `want` has that value in `have` (null: the key is absent); lists match in length.
void expectHolds(const nlohmann::json& have, const nlohmann::json& want, const std::string& where) {
    if (want.is_object()) {
        for (const auto& [key, value] : want.items()) {
            if (value.is_null())
                EXPECT_FALSE(have.contains(key)) << where << "." << key;
            else if (!have.contains(key))
                ADD_FAILURE() << where << "." << key << " is missing";
            else
                expectHolds(have[key], value, where + "." + key);
        }
    } else if (want.is_array()) {
        ASSERT_EQ(have.size(), want.size()) << where;
        for (size_t i = 0; i < want.size(); ++i)
            expectHolds(have[i], want[i], where + "[" + std::to_string(i) + "]");
    } else {
        EXPECT_EQ(have, want) << where;
    }
}

} // namespace

TEST_F(StorageFilesTest, MissingFilesReadAsNothingAndEverySaveWritesItsOwnWholeFileWithoutLeftovers) {
    EXPECT_FALSE(m_files.loadShows());
    EXPECT_FALSE(m_files.loadSettings());
    EXPECT_FALSE(QDir(folder()).exists()) << "reading leaves no trace";
    ASSERT_TRUE(m_files.ensureFolder());
    const QList<Show> shows{Show{.id = QUuid::createUuid(), .name = "Dark"}};
    ASSERT_TRUE(m_files.saveShows(shows));
    ASSERT_TRUE(m_files.saveShows(shows + shows));
    EXPECT_EQ(read(StorageFiles::kShows), encodeDocument(shows + shows));
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"shows.json"});
    EXPECT_EQ(m_files.loadShows(), shows + shows);

    EXPECT_TRUE(m_files.saveMovies({}) && m_files.saveActivity({}) && m_files.saveSettings({}) &&
                m_files.saveDownloads({}) && m_files.saveHistory({}));
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files, QDir::Name),
              QStringList({"activity.json", "downloads.json", "history.json", "movies.json", "settings.json",
                           "shows.json"}));
    EXPECT_EQ(read(StorageFiles::kDownloads), "{}");
    EXPECT_EQ(read(StorageFiles::kHistory), "[]");
}

// A file with records that do not decode loses those records only: the rest is read, the whole
// original is kept beside it, and the file is written back at once with what was kept.
TEST_F(StorageFilesTest, ABadRecordCostsThatRecordOnlyAndTheOriginalIsKept) {
    const nlohmann::json table = fixtureJson("records/salvage.json");
    for (const auto& c : table["mixed"]) {
        SCOPED_TRACE(c[0].get<std::string>());
        const QString name = qstr(c[1]);
        const QByteArray original = QByteArray::fromStdString(c[2].get<std::string>());
        write(name, original);
        Aside aside;
        const auto kept = load(name, &aside);
        ASSERT_TRUE(kept) << "a bad record must not cost the file";
        EXPECT_EQ(aside, (StorageFiles::SetAside{name, path(name + kCopy), c[3].get<int>(), c[4].get<int>(), false}));
        EXPECT_EQ(read(name + kCopy), original);
        EXPECT_EQ(read(name), *kept);
        expectHolds(nlohmann::json::parse(kept->toStdString()), c[5], name.toStdString());
        // The next start reads the rewritten file cleanly: nothing more is set aside.
        Aside again = StorageFiles::SetAside{};
        EXPECT_EQ(load(name, &again), kept);
        EXPECT_FALSE(again);
        QFile::remove(path(name + kCopy));
    }
}

TEST_F(StorageFilesTest, AFileThatCannotBeReadAtAllIsSetAsideWholeBeforeASaveCanReplaceIt) {
    const nlohmann::json table = fixtureJson("records/salvage.json");
    for (const auto& c : table["whole"]) {
        SCOPED_TRACE(c[0].get<std::string>());
        expectSetAsideWhole(qstr(c[1]), QByteArray::fromStdString(c[2].get<std::string>()));
        QFile::remove(path(qstr(c[1]) + kCopy));
    }
    QByteArray garbage(50 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator gen(42);
    for (char& byte : garbage)
        byte = static_cast<char>(gen.bounded(256));
    expectSetAsideWhole(StorageFiles::kShows, garbage);
}

TEST_F(StorageFilesTest, ADirectoryInPlaceOfAFileIsMovedAsideSoSavesWorkAgain) {
    write("history.json/keep.txt", "user data");
    EXPECT_FALSE(m_files.loadHistory());
    ASSERT_EQ(asides(StorageFiles::kHistory).size(), 1);
    EXPECT_EQ(read(asides(StorageFiles::kHistory).first() + "/keep.txt"), "user data");
    EXPECT_TRUE(m_files.saveHistory({}));
    EXPECT_EQ(m_files.loadHistory(), QList<DownloadRecord>{});
}

TEST_F(StorageFilesTest, SetAsideNeverOverwritesAnEarlierAside) {
    write(StorageFiles::kSettings, "first");
    EXPECT_FALSE(m_files.loadSettings());
    write(StorageFiles::kSettings, "second");
    EXPECT_FALSE(m_files.loadSettings());
    QStringList contents;
    for (const QString& name : asides(StorageFiles::kSettings))
        contents << QString::fromUtf8(read(name));
    contents.sort();
    EXPECT_EQ(contents, QStringList({"first", "second"}));
}

TEST_F(StorageFilesTest, AnUnwritableFolderFailsQuietly) {
    // A regular file where the folder should be: nothing can be created below it, even as root.
    write("blocker", "x");
    StorageFiles files(path("blocker/Lumivane"), m_clock);
    EXPECT_FALSE(files.ensureFolder());
    EXPECT_FALSE(files.saveShows({Show{.id = QUuid::createUuid(), .name = "A"}}));
    EXPECT_FALSE(files.loadShows());
    EXPECT_EQ(read("blocker"), "x");
}

