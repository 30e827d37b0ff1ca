#pragma once

#include "EnumRaw.h"
#include "Show.h"

#include <QUrl>

#include <optional>

enum class AppTheme { dark, light };

template <>
struct EnumRaw<AppTheme> {
    static constexpr std::array cases{
        std::pair{AppTheme::dark, "dark"},
        std::pair{AppTheme::light, "light"},
    };
};

// The user's settings; the member initialisers are a fresh installation's values and
// also what a missing key in settings.json reads as.
struct AppSettings {
    std::optional<QUrl> rootFolder; // library root; none means the default root
    Show::Quality defaultQuality = Show::Quality::p1080;
    int checkIntervalMinutes = 60;
    QString tmdbAPIKey; // empty: the built-in key
    bool seedRatioEnabled = true;
    double seedRatioLimit = 0.0;
    bool seedMigratedV1 = false;
    bool notificationSoundEnabled = true;
    AppTheme theme = AppTheme::light;
    bool windowMagnetization = true;
    int staleNudgeDays = 7;
    int qualityGraceBufferHours = 24;
    int qualityGraceFallbackDays = 3;

    bool operator==(const AppSettings&) const = default;

    // The one-time seeding migration; returns whether it changed anything that must be saved.
    bool migrateSeeding();
};
