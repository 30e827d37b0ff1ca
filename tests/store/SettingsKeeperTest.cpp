// Each setting's change is told to whoever depends on it, and only that change.

#include "store/SettingsKeeper.h"

#include "StoreHarness.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <functional>

TEST(SettingsKeeper, EachChangeReachesItsListenersAndAnUnusableRootIsRefused) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString fallback = home.filePath("Downloads/Lumivane");
    const QString elsewhere = home.filePath("media");
    const QString blocked = home.filePath("file/inside"); // below a plain file: never a folder
    QFile plain(home.filePath("file"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));

    using Change = std::function<void(AppSettings&)>;
    const QString kept = "Kept the library folder at " + fallback + ": " + blocked +
                         " cannot be used — " + home.filePath("file") + " is a file, not a folder";
    // Each row: a change; what is told besides "changed", which every update tells; whether the
    // root moves to `elsewhere`, and whether the change is refused with a line.
    const struct {
        const char* label;
        Change change;
        const char* told;
        bool moved, refused;
    } rows[] = {
        {"nothing", [](AppSettings&) {}, "", false, false},
        {"interval", [](AppSettings& s) { s.checkIntervalMinutes = 15; }, "interval", false, false},
        {"ratio", [](AppSettings& s) { s.seedRatioLimit = 2.5; }, "seeding", false, false},
        {"seedingSwitch", [](AppSettings& s) { s.seedRatioEnabled = !s.seedRatioEnabled; },
         "seeding", false, false},
        {"root", [&](AppSettings& s) { s.rootFolder = QUrl::fromLocalFile(elsewhere); }, "root",
         true, false},
        {"rootAndInterval",
         [&](AppSettings& s) {
             s.rootFolder = QUrl::fromLocalFile(elsewhere);
             s.checkIntervalMinutes = 30;
         },
         "root,interval", true, false},
        // The other changes of the same update still land.
        {"unusableRoot",
         [&](AppSettings& s) {
             s.rootFolder = QUrl::fromLocalFile(blocked);
             s.checkIntervalMinutes = 5;
         },
         "interval", false, true},
        // Not a local folder: the fallback, as at start, and nothing moves.
        {"remoteRoot", [](AppSettings& s) { s.rootFolder = QUrl("smb://nas/media"); }, "", false,
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        RecordingLog log;
        SettingsKeeper keeper(log, fallback);
        keeper.load(AppSettings{});
        QStringList told;
        QObject::connect(&keeper, &SettingsKeeper::checkIntervalChanged,
                         [&] { told << "interval"; });
        QObject::connect(&keeper, &SettingsKeeper::seedingChanged, [&] { told << "seeding"; });
        QString movedTo;
        QObject::connect(&keeper, &SettingsKeeper::libraryRootChanged, [&](const QString& root) {
            told << "root";
            movedTo = root;
        });
        QSignalSpy changed(&keeper, &SettingsKeeper::changed);

        keeper.update(row.change);
        EXPECT_EQ(changed.size(), 1);
        EXPECT_EQ(told.join(','), row.told);
        EXPECT_EQ(keeper.rootFolderPath(), row.moved ? elsewhere : fallback);
        EXPECT_EQ(movedTo, row.moved ? elsewhere : QString());
        EXPECT_EQ(log.lines, row.refused ? QStringList{kept} : QStringList());
        EXPECT_EQ(log.errors, row.refused ? 1 : 0);
        if (row.refused) { // and not kept
            EXPECT_EQ(keeper.settings().rootFolder, std::nullopt);
        }
    }
}
