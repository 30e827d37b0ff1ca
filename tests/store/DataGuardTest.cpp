// Which torrents may take their data with them: the daemon deletes wherever it says the files
// lie, so the guard must refuse anything that leads out of Lumivane's own folders.

#include "store/DataGuard.h"

#include "Fixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

} // namespace

TEST(DataGuard, DataGoesOnlyFromLumivanesOwnFolders) {
    const auto rows = fixtureJson("store/data-guard.json");
    for (auto c = rows.begin() + 1; c != rows.end(); ++c) { // after the heading row
        SCOPED_TRACE((*c)[0].get<std::string>());
        QTemporaryDir temp;
        ASSERT_TRUE(temp.isValid());
        const QDir t(temp.path());
        for (const char* folder : {"lib/Incomplete", "lib/Series", "lib/Movies", "seed"})
            ASSERT_TRUE(t.mkpath(folder));
        for (const QString& file : strings((*c)[3]))
            touch(t.filePath(file));
        for (const auto& link : (*c)[4])
            ASSERT_TRUE(QFile::link(t.filePath(qstr(link[0])), t.filePath(qstr(link[1]))));
        TorrentInfo info;
        info.downloadDir = t.filePath(qstr((*c)[1]));
        info.files = strings((*c)[2]);
        const QString working = t.filePath("lib/Incomplete");
        const DataGuard workingOnly{working, {working}, {}};
        const DataGuard downloadArea{
            working, {t.filePath("lib")}, {t.filePath("lib/Series"), t.filePath("lib/Movies")}};
        EXPECT_EQ(workingOnly.mayDelete(info), (*c)[5].get<bool>());
        EXPECT_EQ(downloadArea.mayDelete(info), (*c)[6].get<bool>());
    }
}

TEST(DataGuard, AGuardWithoutAUsableFolderDeletesNothing) {
    TorrentInfo info;
    info.downloadDir = QDir::tempPath();
    info.files = {"x.mkv"};
    EXPECT_FALSE((DataGuard{{}, {}, {}}.mayDelete(info)));
    EXPECT_FALSE((DataGuard{"relative", {"relative"}, {}}.mayDelete(info)));
}
