#pragma once

#include <QByteArrayView>
#include <QString>
#include <QUrl>

#include <optional>

// The release feed the updater reads: one JSON object naming the newest release,
//   {"version": "1.4.0", "url": "https://…/releases/1.4.0", "notes": "…"}
// ("notes" may be absent). Only an http(s) page is taken, since the dialog offers it as a link.
struct ReleaseInfo {
    QString version;
    QUrl page;
    QString notes;

    bool operator==(const ReleaseInfo&) const = default;
};

// None, with the reason in `why`, when the text is not such a feed.
std::optional<ReleaseInfo> parseReleaseFeed(QByteArrayView json, QString* why = nullptr);

// Compares dotted versions number by number (1.10 > 1.9, 1.2 == 1.2.0); a leading "v" is
// allowed, and a pre-release ("1.4.0-rc1") comes before its release. Negative, zero or
// positive like strcmp; none when either is not a version.
std::optional<int> compareVersions(const QString& a, const QString& b);

// What one check found, and the sentence that tells the user.
struct UpdateResult {
    enum class Kind { newer, upToDate, unreachable, badFeed };
    Kind kind = Kind::unreachable;
    ReleaseInfo release; // newer and upToDate
    QString detail;      // unreachable and badFeed: what went wrong
};
QString updateMessage(const UpdateResult& result, const QString& currentVersion);
QString noFeedMessage();
