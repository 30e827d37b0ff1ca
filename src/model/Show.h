#pragma once

#include "EnumRaw.h"
#include "ShowStatus.h"
#include "Timestamp.h"

#include <QString>
#include <QStringList>
#include <QUuid>

#include <compare>
#include <optional>

// A season and episode number; date-coded episodes use (year, month × 100 + day),
// so the ordering is right within each kind.
struct EpisodeNumber {
    int season = 0;
    int episode = 0;
    auto operator<=>(const EpisodeNumber&) const = default;
};

// A watched television series.
struct Show {
    // Wanted resolution; raw values are also the labels the views show.
    enum class Quality { p480, p720, p1080, k4 };
    // The three meaningful combinations of anyQuality and fallbackAnyQuality.
    enum class QualityMode { any, preferWithFallback, strict };

    QUuid id;
    QString name;
    Quality quality = Quality::p1080;
    bool isEnabled = true;
    std::optional<Timestamp> nextAirDate; // UTC midnight of the next air day
    ShowStatus status;
    QStringList downloadedEpisodes; // most recent first, at most 100
    std::optional<int> tmdbID;
    std::optional<QString> posterPath;
    std::optional<QString> firstAirYear;
    QStringList originCountries;
    std::optional<QString> imdbID;
    QStringList rejectedHashes; // info hashes never grabbed again
    bool startWithLatest = true;
    bool anyQuality = false;
    bool fallbackAnyQuality = true;
    std::optional<int> seasonFilter;
    std::optional<QString> monitorAnchor;
    bool monitorFromLatestPending = false;
    std::optional<QString> searchAlias;
    std::optional<QString> tmdbStatus;
    std::optional<Timestamp> lastCheckedAt;
    std::optional<Timestamp> airInfoRefreshedAt;
    std::optional<QString> qualityGraceEpisode;
    std::optional<Timestamp> qualityGraceFirstSeenAt;
    std::optional<QString> qualityGraceDismissedEpisode;

    bool operator==(const Show&) const = default;

    static constexpr int kMaxDownloadedEpisodes = 100;

    static std::optional<EpisodeNumber> parseEpisodeCode(const QString& code);
    static QString dateCode(Timestamp date);
    static Timestamp airDayInLocalTime(Timestamp date);

    QualityMode qualityMode() const;
    std::optional<EpisodeNumber> latestDownloadedEpisode() const;
    std::optional<EpisodeNumber> latestKnownEpisode() const;
    bool hasDownloaded(const QString& code, std::optional<Timestamp> airDate = {}) const;
    void markDownloaded(const QString& code);
    QString initials() const;
    std::optional<QString> watchStatusText(Timestamp now) const;
};

Show::QualityMode qualityModeOf(bool anyQuality, bool fallbackAnyQuality);

// Series names in reading order: a leading "The" ignored, case ignored, numbers by value.
bool titleSortsBefore(const QString& a, const QString& b);

template <>
struct EnumRaw<Show::Quality> {
    static constexpr std::array cases{
        std::pair{Show::Quality::p480, "480p"},
        std::pair{Show::Quality::p720, "720p"},
        std::pair{Show::Quality::p1080, "1080p"},
        std::pair{Show::Quality::k4, "4K"},
    };
};
