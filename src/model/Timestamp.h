#pragma once

#include <QDateTime>

#include <compare>

// A point in time as the stored files write it: seconds (with fraction) since
// 2001-01-01 00:00:00 UTC. Kept as the raw double so a file round-trips exactly.
struct Timestamp {
    static constexpr double kUnixOffset = 978307200.0; // 2001-01-01T00:00:00Z in Unix time

    double secondsSinceReference = 0.0;

    static constexpr Timestamp fromReferenceSeconds(double s) { return Timestamp{s}; }
    static constexpr Timestamp fromUnixSeconds(double s) { return Timestamp{s - kUnixOffset}; }
    static Timestamp fromDateTime(const QDateTime& dt);
    // Far before any real date; used to force a refresh ("refreshed long ago").
    static constexpr Timestamp distantPast() { return Timestamp{-63114076800.0}; }

    constexpr double toUnixSeconds() const { return secondsSinceReference + kUnixOffset; }
    QDateTime toDateTime() const; // in UTC, millisecond precision; invalid when out of range

    constexpr Timestamp operator+(double seconds) const {
        return Timestamp{secondsSinceReference + seconds};
    }
    constexpr Timestamp operator-(double seconds) const {
        return Timestamp{secondsSinceReference - seconds};
    }
    constexpr double operator-(Timestamp other) const {
        return secondsSinceReference - other.secondsSinceReference;
    }
    constexpr auto operator<=>(const Timestamp&) const = default;
};
