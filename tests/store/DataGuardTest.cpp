// Which torrents may take their data with them: the daemon deletes wherever it says the files
// lie, so the guard must refuse anything that leads out of Lumivane's own folders.

#include "store/DataGuard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

struct Case {
    const char* name;
    QString downloadDir; // relative to the temporary folder
    QStringList files;
    std::function<void(const QDir&)> lay; // puts the data where it lies
    bool inWorkingFolderScope;
    bool inDownloadAreaScope;
};

void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

void link(const QString& target, const QString& at) {
    QDir().mkpath(QFileInfo(at).absolutePath());
    ASSERT_TRUE(QFile::link(target, at));
}

} // namespace

TEST(DataGuard, DataGoesOnlyFromLumivanesOwnFolders) {
    const Case cases[] = {
        {"unfinished, in the working folder",
         "lib",
         {"A/a.mkv"},
         [](const QDir& t) { touch(t.filePath("lib/Incomplete/A/a.mkv")); },
         true,
         true},
        {"unfinished with the daemon's .part ending",
         "lib",
         {"b.mkv"},
         [](const QDir& t) { touch(t.filePath("lib/Incomplete/b.mkv.part")); },
         true,
         true},
        {"added by another client, in the user's folder",
         "seed",
         {"c.mkv"},
         [](const QDir& t) { touch(t.filePath("seed/c.mkv")); },
         false,
         false},
        {"the working folder's entry is a link to the user's folder",
         "lib",
         {"D/d.mkv"},
         [](const QDir& t) {
             touch(t.filePath("seed/D/d.mkv"));
             link(t.filePath("seed/D"), t.filePath("lib/Incomplete/D"));
         },
         false,
         false},
        {"a file that is a link out of the working folder",
         "lib",
         {"e.mkv"},
         [](const QDir& t) {
             touch(t.filePath("seed/e.mkv"));
             link(t.filePath("seed/e.mkv"), t.filePath("lib/Incomplete/e.mkv"));
         },
         false,
         false},
        {"an entry that climbs out",
         "lib/Incomplete",
         {"../../seed/f.mkv"},
         [](const QDir& t) { touch(t.filePath("seed/f.mkv")); },
         false,
         false},
        {"finished, left in the download folder after filing",
         "lib",
         {"G/g.nfo"},
         [](const QDir& t) { touch(t.filePath("lib/G/g.nfo")); },
         false,
         true},
        {"a torrent named like the library's series folder",
         "lib",
         {"Series/h.mkv"},
         [](const QDir& t) { touch(t.filePath("lib/Series/h.mkv")); },
         false,
         false},
        {"the download folder itself is a link to the user's folder",
         "link-to-seed",
         {"i.mkv"},
         [](const QDir& t) {
             touch(t.filePath("seed/i.mkv"));
             link(t.filePath("seed"), t.filePath("link-to-seed"));
         },
         false,
         false},
        {"no file list yet: nothing to delete", "seed", {}, [](const QDir&) {}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir temp;
        ASSERT_TRUE(temp.isValid());
        const QDir t(temp.path());
        for (const char* folder : {"lib/Incomplete", "lib/Series", "lib/Movies", "seed"})
            ASSERT_TRUE(t.mkpath(folder));
        c.lay(t);

        TorrentInfo info;
        info.downloadDir = t.filePath(c.downloadDir);
        info.files = c.files;
        const QString working = t.filePath("lib/Incomplete");
        const DataGuard workingOnly{working, {working}, {}};
        const DataGuard downloadArea{
            working, {t.filePath("lib")}, {t.filePath("lib/Series"), t.filePath("lib/Movies")}};
        EXPECT_EQ(workingOnly.mayDelete(info), c.inWorkingFolderScope);
        EXPECT_EQ(downloadArea.mayDelete(info), c.inDownloadAreaScope);
    }
}

TEST(DataGuard, AGuardWithoutAUsableFolderDeletesNothing) {
    TorrentInfo info;
    info.downloadDir = QDir::tempPath();
    info.files = {"x.mkv"};
    EXPECT_FALSE((DataGuard{{}, {}, {}}.mayDelete(info)));
    EXPECT_FALSE((DataGuard{"relative", {"relative"}, {}}.mayDelete(info)));
}
