// A file with records that do not decode loses those records only: the rest is read, the whole
// original is kept beside it, and the file is written back with what was kept.

#include "model/StorageFiles.h"

#include "model/Clock.h"
#include "model/RecordCodecs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr auto kCopy = ".unreadable-20251206-054640";

class StorageSalvage : public testing::Test {
protected:
    QString folder() const { return QDir(m_dir.path()).filePath("data"); }
    QString path(const QString& name) const { return QDir(folder()).filePath(name); }

    void write(const char* name, const QByteArray& bytes) {
        QDir().mkpath(folder());
        QFile f(path(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray read(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
    ManualClock m_clock{Timestamp::fromUnixSeconds(1765000000)}; // 2025-12-06 05:46:40 UTC
    StorageFiles m_files{folder(), m_clock};
};

// One file of each kind with good records around bad ones; how many of each it holds.
struct Mixed {
    const char* label;
    const char* file;
    const char* json;
    int kept;
    int dropped;
    // Loads the file, returning the kept records re-encoded (to compare with the rewrite).
    std::optional<QByteArray> (*load)(const StorageFiles&, std::optional<StorageFiles::SetAside>*);
};

template <typename T, std::optional<T> (StorageFiles::*Load)(std::optional<StorageFiles::SetAside>*) const>
std::optional<QByteArray> loadEncoded(const StorageFiles& files,
                                      std::optional<StorageFiles::SetAside>* aside) {
    const auto value = (files.*Load)(aside);
    return value ? std::optional(encodeDocument(*value)) : std::nullopt;
}

const Mixed kMixed[] = {
    {"showWithNumberYear", StorageFiles::kShows,
     R"([{"name":"Dark","firstAirYear":"2017"},{"name":"Severance","firstAirYear":2022},)"
     R"({"name":"Andor"}])",
     2, 1, loadEncoded<QList<Show>, &StorageFiles::loadShows>},
    {"showsAllBad", StorageFiles::kShows, R"([{"name":42},{"quality":"1080p"}])", 0, 2,
     loadEncoded<QList<Show>, &StorageFiles::loadShows>},
    {"movieWithUnknownQuality", StorageFiles::kMovies,
     R"([{"name":"Heat","quality":"2160p"},{"name":"Ronin"}])", 1, 1,
     loadEncoded<QList<Movie>, &StorageFiles::loadMovies>},
    {"activityWithoutKind", StorageFiles::kActivity,
     R"([{"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","date":10,"message":"a","kind":"check"},)"
     R"({"id":"7F9619FF-8B86-D011-B42D-00C04FC964FF","date":11,"message":"b"}])",
     1, 1, loadEncoded<QList<ActivityEntry>, &StorageFiles::loadActivity>},
    {"downloadWithoutShow", StorageFiles::kDownloads,
     R"({"aaa":{"showID":"6F9619FF-8B86-D011-B42D-00C04FC964FF"},"bbb":{"kind":"episode"},)"
     R"("ccc":{"showID":"7F9619FF-8B86-D011-B42D-00C04FC964FF","kind":"movie"}})",
     2, 1, loadEncoded<QMap<QString, ActiveDownload>, &StorageFiles::loadDownloads>},
    {"historyRowWithTextProgress", StorageFiles::kHistory,
     R"([{"id":"h1","showID":"6F9619FF-8B86-D011-B42D-00C04FC964FF","showName":"Dark",)"
     R"("episode":"S01E01","title":"t","addedAt":5,"state":"sorted","progress":"1",)"
     R"("rateBytes":0}])",
     0, 1, loadEncoded<QList<DownloadRecord>, &StorageFiles::loadHistory>},
    {"settingsWithTextInterval", StorageFiles::kSettings,
     R"({"theme":"dark","checkIntervalMinutes":"15","staleNudgeDays":3,"seedRatioLimit":true})",
     2, 2, loadEncoded<AppSettings, &StorageFiles::loadSettings>},
};

class MixedFile : public StorageSalvage, public testing::WithParamInterface<Mixed> {};

} // namespace

TEST_P(MixedFile, KeepsEveryGoodRecordAndTheWholeOriginal) {
    const Mixed& c = GetParam();
    write(c.file, c.json);

    std::optional<StorageFiles::SetAside> aside;
    const auto kept = c.load(m_files, &aside);
    ASSERT_TRUE(kept) << "a bad record must not cost the file";
    ASSERT_TRUE(aside);
    const QString copy = QString::fromLatin1(c.file) + kCopy;
    EXPECT_EQ(*aside, (StorageFiles::SetAside{QString::fromLatin1(c.file), path(copy), c.kept,
                                              c.dropped, false}));
    EXPECT_EQ(read(copy), QByteArray(c.json)) << "the original is kept byte for byte";
    EXPECT_EQ(read(QString::fromLatin1(c.file)), *kept)
        << "the file is written back at once with what was kept";

    // The next start reads the rewritten file cleanly: nothing more is set aside.
    std::optional<StorageFiles::SetAside> again;
    EXPECT_EQ(c.load(m_files, &again), kept);
    EXPECT_FALSE(again);
}

INSTANTIATE_TEST_SUITE_P(Files, MixedFile, testing::ValuesIn(kMixed),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(StorageSalvage, KeptShowsAreTheGoodOnesInTheirOrder) {
    write(StorageFiles::kShows, R"([{"name":"Dark"},{"name":"X","firstAirYear":2025},{"name":"Andor"}])");
    const auto shows = m_files.loadShows();
    ASSERT_TRUE(shows);
    QStringList names;
    for (const Show& s : *shows)
        names << s.name;
    EXPECT_EQ(names, QStringList({"Dark", "Andor"}));
}

TEST_F(StorageSalvage, AWrongSettingTakesItsDefaultAndTheRestStays) {
    write(StorageFiles::kSettings,
          R"({"theme":"dark","checkIntervalMinutes":"15","staleNudgeDays":3,"rootFolder":7})");
    const auto settings = m_files.loadSettings();
    ASSERT_TRUE(settings);
    AppSettings expected;
    expected.theme = AppTheme::dark;
    expected.staleNudgeDays = 3;
    EXPECT_EQ(*settings, expected);
}

TEST_F(StorageSalvage, TheShellReadsSettingsTheWayTheStoreDoes) {
    // Both must agree on the library root, or the daemon downloads somewhere the store never looks.
    write(StorageFiles::kSettings, R"({"rootFolder":"file:///srv/media","theme":"bright"})");
    const auto early = AppSettings::loadFromDisk(folder());
    ASSERT_TRUE(early);
    EXPECT_EQ(early->rootFolder, QUrl("file:///srv/media"));
    EXPECT_EQ(m_files.loadSettings(), early);
}

struct Whole {
    const char* label;
    const char* file;
    const char* bytes;
};

class WholeFile : public StorageSalvage, public testing::WithParamInterface<Whole> {};

TEST_P(WholeFile, ThatCannotBeReadAtAllIsSetAsideAndSaid) {
    const Whole& c = GetParam();
    write(c.file, c.bytes);
    std::optional<StorageFiles::SetAside> aside;
    const bool loaded = QString::fromLatin1(c.file) == QLatin1String(StorageFiles::kSettings)
                            ? m_files.loadSettings(&aside).has_value()
                            : m_files.loadShows(&aside).has_value();
    EXPECT_FALSE(loaded);
    const QString copy = QString::fromLatin1(c.file) + kCopy;
    ASSERT_TRUE(aside);
    EXPECT_EQ(*aside, (StorageFiles::SetAside{QString::fromLatin1(c.file), path(copy), 0, 0, true}));
    EXPECT_EQ(read(copy), QByteArray(c.bytes));
    EXPECT_FALSE(QFile::exists(path(QString::fromLatin1(c.file))));
}

INSTANTIATE_TEST_SUITE_P(
    Contents, WholeFile,
    testing::Values(Whole{"truncated", StorageFiles::kShows, R"([{"name":"Dark","quality":"10)"},
                    Whole{"objectForArray", StorageFiles::kShows, R"({"name":"Dark"})"},
                    Whole{"arrayForObject", StorageFiles::kSettings, R"([{"theme":"dark"}])"},
                    Whole{"empty", StorageFiles::kSettings, ""}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(StorageSalvage, ACleanFileIsNeitherMovedNorReported) {
    write(StorageFiles::kShows, R"([{"name":"Dark"}])");
    std::optional<StorageFiles::SetAside> aside = StorageFiles::SetAside{};
    EXPECT_TRUE(m_files.loadShows(&aside));
    EXPECT_FALSE(aside);
    EXPECT_EQ(QDir(folder()).entryList({"*.unreadable-*"}), QStringList());
}
