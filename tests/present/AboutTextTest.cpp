#include "AboutText.h"

#include <gtest/gtest.h>

TEST(AboutText, VersionRightsAndEngineLines) {
    EXPECT_EQ(about::versionText(QStringLiteral("0.1.0"), QStringLiteral("42")),
              QStringLiteral("Version 0.1.0 (42)"));
    EXPECT_TRUE(about::rightsText(2027).startsWith(QStringLiteral("© 2027 ")));

    const std::pair<std::optional<QString>, const char*> engines[] = {
        {QStringLiteral("3.00"), "Download engine · Transmission 3.00"},
        {QStringLiteral("4.0.6\n"),
         "Download engine · Transmission 4.0.6"}, // as the daemon prints it
        {std::nullopt, "Download engine · Transmission (version unknown)"},
        {QStringLiteral("  "), "Download engine · Transmission (version unknown)"},
    };
    for (const auto& [version, line] : engines)
        EXPECT_EQ(about::engineLine(version), QString::fromUtf8(line));
}

TEST(AboutText, CreditNamesTheEngineItsLicencesAndWhereToFindThem) {
    const QString credit = about::transmissionCredit();
    for (const char* fact : {"Transmission", "GPLv2/GPLv3", "MIT", "https://"})
        EXPECT_TRUE(credit.contains(QLatin1StringView(fact))) << fact;
    EXPECT_EQ(
        about::tmdbNotice(),
        QStringLiteral("This product uses the TMDB API but is not endorsed or certified by TMDB."));
}
