#pragma once

#include <QDate>
#include <QString>

#include <optional>

// The texts of the About popover.
namespace about {

inline constexpr auto kRightsHolder = "the Lumivane authors";
inline constexpr auto kPublisherURL = "https://lumivane.app";

// This build's version and build number, as the build system stamped them.
QString appVersion();
QString appBuild();

// "Version 0.1.0 (42)"
QString versionText(const QString& version, const QString& build);
// "© 2026 the Lumivane authors. All rights reserved."
QString rightsText(int year);
QString acknowledgementsHeading();
QString transmissionCredit();
// "Download engine · Transmission 3.00"; without a runnable daemon, says the version is unknown.
QString engineLine(const std::optional<QString>& daemonVersion);
QString tmdbNotice();

} // namespace about
