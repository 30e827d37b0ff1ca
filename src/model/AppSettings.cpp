#include "AppSettings.h"


bool AppSettings::migrateSeeding() {
    if (seedMigratedV1)
        return false;
    if (!seedRatioEnabled && seedRatioLimit == 0.0)
        seedRatioEnabled = true;
    seedMigratedV1 = true;
    return true;
}
