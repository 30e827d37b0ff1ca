#include "AboutText.h"

#ifndef LUMIVANE_VERSION
#define LUMIVANE_VERSION "0.0.0"
#endif
#ifndef LUMIVANE_BUILD
#define LUMIVANE_BUILD "0"
#endif

namespace about {

QString appVersion() {
    return QStringLiteral(LUMIVANE_VERSION);
}

QString appBuild() {
    return QStringLiteral(LUMIVANE_BUILD);
}

QString versionText(const QString& version, const QString& build) {
    return QStringLiteral("Version %1 (%2)").arg(version, build);
}

QString rightsText(int year) {
    return QStringLiteral("© %1 %2. All rights reserved.")
        .arg(year)
        .arg(QLatin1StringView(kRightsHolder));
}

QString acknowledgementsHeading() {
    return QStringLiteral("ACKNOWLEDGEMENTS");
}

QString transmissionCredit() {
    return QStringLiteral(
        "Lumivane downloads through Transmission, an open-source BitTorrent engine licensed under "
        "GPLv2/GPLv3 and MIT. Its source code and licence are at "
        "https://github.com/transmission/transmission.");
}

QString engineLine(const std::optional<QString>& daemonVersion) {
    const QString version = daemonVersion && !daemonVersion->trimmed().isEmpty()
                                ? daemonVersion->trimmed()
                                : QStringLiteral("(version unknown)");
    return QStringLiteral("Download engine · Transmission ") + version;
}

QString tmdbNotice() {
    return QStringLiteral(
        "This product uses the TMDB API but is not endorsed or certified by TMDB.");
}

} // namespace about
