// Pictures of the series list for review, drawn by the screenshot program's own function;
// written only when LUMIVANE_SHOTS_DIR names a folder.

#include "shots/ShotRig.h"

#include <QDir>

#include <gtest/gtest.h>

void shootSeriesList(ShotRig& rig);

TEST(SeriesListPictures, EveryState) {
    const QString folder = qEnvironmentVariable("LUMIVANE_SHOTS_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "set LUMIVANE_SHOTS_DIR to write the pictures";
    QDir().mkpath(folder);
    ShotRig rig(folder);
    shootSeriesList(rig);
    EXPECT_EQ(rig.saved, 12);
}
