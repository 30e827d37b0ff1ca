// Each setting's change is told to whoever depends on it, and only that change.

#include "store/ActivityLog.h"
#include "store/SettingsKeeper.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

class Lines final : public ActivityLog {
public:
    void logActivity(const QString& message, ActivityEntry::Kind) override { all.append(message); }
    QStringList all;
};

} // namespace

TEST(SettingsKeeper, EachChangeReachesItsListenersAndAnUnusableRootIsRefused) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString fallback = home.filePath("Downloads/Lumivane");
    const QString elsewhere = home.filePath("media");
    const QString blocked = home.filePath("file/inside"); // below a plain file: never a folder
    QFile plain(home.filePath("file"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));

    using Change = std::function<void(AppSettings&)>;
    const struct {
        const char* label;
        Change change;
        QStringList told; // besides "changed", which every update tells
        QString rootAfter;
        int linesLogged;
    } rows[] = {
        {"nothing", [](AppSettings&) {}, {}, fallback, 0},
        {"interval", [](AppSettings& s) { s.checkIntervalMinutes = 15; }, {"interval"}, fallback, 0},
        {"ratio", [](AppSettings& s) { s.seedRatioLimit = 2.5; }, {"seeding"}, fallback, 0},
        {"seedingSwitch", [](AppSettings& s) { s.seedRatioEnabled = !s.seedRatioEnabled; },
         {"seeding"}, fallback, 0},
        {"root", [&](AppSettings& s) { s.rootFolder = QUrl::fromLocalFile(elsewhere); },
         {"root"}, elsewhere, 0},
        {"rootAndInterval",
         [&](AppSettings& s) {
             s.rootFolder = QUrl::fromLocalFile(elsewhere);
             s.checkIntervalMinutes = 30;
         },
         {"root", "interval"}, elsewhere, 0},
        // Refused with a line; the other changes of the same update still land.
        {"unusableRoot",
         [&](AppSettings& s) {
             s.rootFolder = QUrl::fromLocalFile(blocked);
             s.checkIntervalMinutes = 5;
         },
         {"interval"}, fallback, 1},
        // Not a local folder: the fallback, as at start, and nothing moves.
        {"remoteRoot", [](AppSettings& s) { s.rootFolder = QUrl("smb://nas/media"); }, {},
         fallback, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        Lines log;
        SettingsKeeper keeper(log, fallback);
        keeper.load(AppSettings{});
        QStringList told;
        QObject::connect(&keeper, &SettingsKeeper::checkIntervalChanged, [&] { told << "interval"; });
        QObject::connect(&keeper, &SettingsKeeper::seedingChanged, [&] { told << "seeding"; });
        QString movedTo;
        QObject::connect(&keeper, &SettingsKeeper::libraryRootChanged, [&](const QString& root) {
            told << "root";
            movedTo = root;
        });
        QSignalSpy changed(&keeper, &SettingsKeeper::changed);

        keeper.update(row.change);
        EXPECT_EQ(changed.size(), 1);
        EXPECT_EQ(told, row.told);
        EXPECT_EQ(keeper.rootFolderPath(), row.rootAfter);
        if (row.told.contains("root")) {
            EXPECT_EQ(movedTo, row.rootAfter);
        }
        ASSERT_EQ(log.all.size(), row.linesLogged);
        if (row.linesLogged > 0) {
            EXPECT_TRUE(log.all.first().startsWith("Kept the library folder at " + fallback))
                << log.all.first().toStdString();
        }
    }
}
