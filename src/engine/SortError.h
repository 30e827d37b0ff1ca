#pragma once

#include "Outcome.h"

#include <QString>

// Why a finished download could not be filed. The descriptions end up in the activity log.
struct SortError {
    enum class Kind {
        sourceMissing, // path: what was looked for
        noVideoFile,
        noSeasonNumber,
        fileSystem, // message: the file system's own account of what failed
    };

    Kind kind = Kind::fileSystem;
    QString path;
    QString message;

    static SortError sourceMissing(const QString& path) { return {Kind::sourceMissing, path, {}}; }
    static SortError noVideoFile() { return {Kind::noVideoFile, {}, {}}; }
    static SortError noSeasonNumber() { return {Kind::noSeasonNumber, {}, {}}; }
    static SortError fileSystem(const QString& message) { return {Kind::fileSystem, {}, message}; }

    QString description() const;

    bool operator==(const SortError&) const = default;
};

template <typename T>
using SortOutcome = Outcome<T, SortError>;
