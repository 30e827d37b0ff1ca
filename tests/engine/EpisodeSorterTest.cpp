// Filing finished downloads into the library. The everyday paths (an episode's largest video
// into its season folder, a movie into its own folder, a pack moved whole) run through the
// journeys (tests/e2e); here the names, the collisions, the errors and the hostile entries.

#include "Fixtures.h"
#include "engine/EpisodeSorter.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class SorterTest : public ::testing::Test {
protected:
    // Creates a file of `size` bytes under the download folder.
    void put(const QString& entry, qint64 size, char fill = 'x') {
        write(downloads + "/" + entry, QByteArray(size, fill));
    }
    static void write(const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static QStringList tree(const QString& folder) {
        QStringList out;
        QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            out << QDir(folder).relativeFilePath(it.next());
        out.sort();
        return out;
    }

    QTemporaryDir dir;
    QString downloads = dir.filePath("library");
    QString series = dir.filePath("library/Series");
    QString movies = dir.filePath("library/Movies");
    QString outside = dir.filePath("elsewhere");
};

TEST_F(SorterTest, NeverOverwritesFurtherCopiesGetANumber) {
    const QString season = series + "/Show/Season_01";
    write(season + "/ep.mkv", "first");
    QFile::link(dir.filePath("nowhere"), season + "/ep 2.mkv"); // a dangling link is taken too
    for (const char* content : {"second", "third"}) {
        put("ep.mkv", 10, content[0]);
        const auto result =
            EpisodeSorter::sortEpisode({"ep.mkv"}, downloads, series, "Show", "S01E01");
        ASSERT_TRUE(result.ok()) << result.error().description().toStdString();
    }
    EXPECT_EQ(read(season + "/ep.mkv"), "first");
    EXPECT_EQ(read(season + "/ep 3.mkv"), QByteArray(10, 's'));
    EXPECT_EQ(read(season + "/ep 4.mkv"), QByteArray(10, 't'));

    // The same pack twice: the second lands beside the first.
    put("Show.S01.1080p/Show.S01E01.mkv", 10);
    const QStringList pack{"Show.S01.1080p/Show.S01E01.mkv"};
    ASSERT_TRUE(EpisodeSorter::sortSeasonPack(pack, downloads, series, "Show", "Show.S01.1080p").ok());
    put("Show.S01.1080p/Show.S01E01.mkv", 10);
    const auto again = EpisodeSorter::sortSeasonPack(pack, downloads, series, "Show", "Show.S01.1080p");
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again.value(), series + "/Show/Show.S01 2.1080p");

    write(dir.filePath("u/README"), "");
    EXPECT_EQ(EpisodeSorter::uniqueDestination(dir.filePath("u/README")), dir.filePath("u/README 2"));
    EXPECT_EQ(EpisodeSorter::uniqueDestination(dir.filePath("u/new.mkv")), dir.filePath("u/new.mkv"));
}

TEST_F(SorterTest, ReportsItsOwnErrorsWithTheirTexts) {
    for (const char* file : {"a.part1.rar", "a.part2.rar", "ep.mkv"})
        put(file, 10);
    const std::tuple<QStringList, QString, QString> cases[] = {
        {{"a.part1.rar", "a.part2.rar"}, "S01E01", "no video file in download"},
        {{"ep.mkv"}, "s01e01", "couldn't parse season number"},
        {{"gone.mkv"}, "S01E01", "file not found at " + downloads + "/gone.mkv"}};
    for (const auto& [files, code, text] : cases) {
        const auto result = EpisodeSorter::sortEpisode(files, downloads, series, "S", code);
        ASSERT_FALSE(result.ok()) << text.toStdString();
        EXPECT_EQ(result.error().description(), text);
    }
    EXPECT_FALSE(QFile::exists(series + "/S/Season_01/ep.mkv"));

    // A pack with nothing there: an error, and no empty folder left behind.
    const auto pack = EpisodeSorter::sortSeasonPack({"x.mkv", "y.mkv"}, downloads, series, "Show", "Gone");
    ASSERT_FALSE(pack.ok());
    EXPECT_EQ(pack.error().description(), "file not found at " + downloads);
    EXPECT_FALSE(QFile::exists(series + "/Show/Gone"));
}

TEST_F(SorterTest, LooseFilesOfAPackGoIntoAFolderNamedAfterTheTorrent) {
    put("e01.mkv", 10);
    put("e02.mkv", 10);
    put("Subs/e01.srt", 1);
    const auto result = EpisodeSorter::sortSeasonPack({"e01.mkv", "e02.mkv", "Subs/e01.srt", "e03.mkv"},
                                                      downloads, series, "Show", "Show: Season 1?");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.value(), series + "/Show/Show Season 1");
    EXPECT_EQ(tree(result.value()), (QStringList{"Subs", "Subs/e01.srt", "e01.mkv", "e02.mkv"}));
}

TEST_F(SorterTest, EntriesPointingOutsideTheDownloadFolderAreNeverMoved) {
    write(outside + "/secret.mkv", QByteArray(5000, 's'));
    write(outside + "/dir/film.mkv", QByteArray(5000, 'f'));
    QDir().mkpath(downloads);
    QFile::link(outside + "/secret.mkv", downloads + "/linked.mkv");
    QFile::link(outside + "/dir", downloads + "/linkdir");
    const QStringList hostile{outside + "/secret.mkv", "../elsewhere/secret.mkv", "linked.mkv",
                              "linkdir/film.mkv", "./linked.mkv", "a//b.mkv"};

    auto episode = EpisodeSorter::sortEpisode(hostile, downloads, series, "Show", "S01E01");
    ASSERT_FALSE(episode.ok());
    EXPECT_EQ(episode.error().kind, SortError::Kind::noVideoFile);
    EXPECT_FALSE(EpisodeSorter::sortMovie(hostile, downloads, movies, "Film").ok());

    // A small honest file next to them is still found, the big foreign ones are ignored.
    put("honest.mkv", 10);
    episode = EpisodeSorter::sortEpisode(hostile + QStringList{"honest.mkv"}, downloads, series,
                                         "Show", "S01E01");
    ASSERT_TRUE(episode.ok());
    EXPECT_EQ(episode.value().filename, "honest.mkv");

    EXPECT_FALSE(EpisodeSorter::sortSeasonPack({"linkdir/film.mkv"}, downloads, series, "Show", "P").ok());
    EXPECT_FALSE(EpisodeSorter::sortSeasonPack({"../elsewhere/dir/film.mkv", "/etc/hostname"},
                                               downloads, series, "Show", "P").ok());
    EXPECT_EQ(read(outside + "/secret.mkv"), QByteArray(5000, 's'));
    EXPECT_EQ(read(outside + "/dir/film.mkv"), QByteArray(5000, 'f'));
    EXPECT_TRUE(QFileInfo(downloads + "/linked.mkv").isSymLink());
}

TEST_F(SorterTest, ALinkInTheLibraryIsNotFollowedOutOfIt) {
    QDir().mkpath(outside);
    QDir().mkpath(series);
    QFile::link(outside, series + "/Show");
    put("ep.mkv", 10);

    const auto result = EpisodeSorter::sortEpisode({"ep.mkv"}, downloads, series, "Show", "S01E01");
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().kind, SortError::Kind::fileSystem);
    EXPECT_TRUE(result.error().description().contains("outside the library"));
    EXPECT_TRUE(tree(outside).isEmpty());
    EXPECT_TRUE(QFile::exists(downloads + "/ep.mkv"));

    // A library root that is itself a link (to another disk) is the user's choice, not an escape.
    const QString real = dir.filePath("disk/media");
    QDir().mkpath(real);
    const QString linked = dir.filePath("linked-library");
    ASSERT_TRUE(QFile::link(real, linked));
    write(linked + "/Show.S01E01/ep.mkv", "video");
    const auto linkedResult = EpisodeSorter::sortEpisode({"Show.S01E01/ep.mkv"}, linked,
                                                         linked + "/Series", "Show", "S01E01");
    ASSERT_TRUE(linkedResult.ok()) << linkedResult.error().description().toStdString();
    EXPECT_EQ(linkedResult.value().movedTo, linked + "/Series/Show/Season_01/ep.mkv");
    EXPECT_EQ(read(real + "/Series/Show/Season_01/ep.mkv"), "video");
}

TEST_F(SorterTest, MovesAcrossFileSystemsByCopying) {
    // Needs a download folder on another file system; /dev/shm is one on most Linux machines.
    QTemporaryDir other(QStringLiteral("/dev/shm/lumivane-sorter-XXXXXX"));
    struct stat a {};
    struct stat b {};
    if (!other.isValid() || ::stat(QFile::encodeName(other.path()), &a) != 0 ||
        ::stat(QFile::encodeName(dir.path()), &b) != 0 || a.st_dev == b.st_dev)
        GTEST_SKIP() << "no second file system at hand";

    write(other.filePath("Pack/e01.mkv"), "one");
    write(other.filePath("Pack/Subs/e01.srt"), "subs");
    write(other.filePath("movie.mkv"), "film");

    const auto pack = EpisodeSorter::sortSeasonPack({"Pack/e01.mkv", "Pack/Subs/e01.srt"},
                                                    other.path(), series, "Show", "Pack");
    ASSERT_TRUE(pack.ok()) << pack.error().description().toStdString();
    EXPECT_EQ(tree(pack.value()), (QStringList{"Subs", "Subs/e01.srt", "e01.mkv"}));
    EXPECT_EQ(read(pack.value() + "/Subs/e01.srt"), "subs");
    EXPECT_FALSE(QFile::exists(other.filePath("Pack")));

    const auto movie = EpisodeSorter::sortMovie({"movie.mkv"}, other.path(), movies, "Film");
    ASSERT_TRUE(movie.ok());
    EXPECT_EQ(read(movie.value().movedTo), "film");
    EXPECT_FALSE(QFile::exists(other.filePath("movie.mkv")));
}

// A daily show files by year; of equal sizes the first is taken.
TEST_F(SorterTest, DotNamesNeverAddressTheParentOrTheRoot) {
    put("b.mp4", 100);
    put("a.MKV", 100);
    const auto result = EpisodeSorter::sortEpisode({"b.mp4", "a.MKV"}, downloads, series, "..", "2024.03.15");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.value(), (SortResult{series + "/Untitled/Season_2024/b.mp4", "b.mp4"}));

    put("e.mkv", 10);
    const auto pack = EpisodeSorter::sortSeasonPack({"e.mkv"}, downloads, series, "/", " .. ");
    ASSERT_TRUE(pack.ok());
    EXPECT_EQ(pack.value(), series + "/Untitled/Untitled");
}

// Folder names from user text, season numbers from codes, videos by their extension.
TEST(SorterNames, AreSafeAndReadTheSeason) {
    const nlohmann::json names = fixtureJson("sorter-names.json");
    for (const auto& c : names["folderNames"])
        EXPECT_EQ(EpisodeSorter::safeFolderName(qstr(c[0])), qstr(c[1])) << c[0];
    for (const auto& c : names["seasons"])
        EXPECT_EQ(EpisodeSorter::seasonNumber(qstr(c[0])), c[1].is_null() ? std::nullopt : std::optional(c[1].get<int>())) << c[0];
    for (const auto& c : names["seasonFolders"])
        EXPECT_EQ(EpisodeSorter::seasonFolderName(c[0]), qstr(c[1]));
    for (const auto& c : names["videos"])
        EXPECT_EQ(EpisodeSorter::isVideo(qstr(c[0])), c[1].get<bool>()) << c[0];
}

} // namespace
