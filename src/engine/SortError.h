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
    int code = 0; // for fileSystem: the errno of the failed call, when one failed

    // A failure of the place the library is in, not of the download: sorting again may work
    // once the folder can be written, the volume is mounted or space is freed.
    bool mayPass() const;

    static SortError sourceMissing(const QString& path) { return {Kind::sourceMissing, path, {}}; }
    static SortError noVideoFile() { return {Kind::noVideoFile, {}, {}}; }
    static SortError noSeasonNumber() { return {Kind::noSeasonNumber, {}, {}}; }
    static SortError fileSystem(const QString& message, int code = 0) {
        return {Kind::fileSystem, {}, message, code};
    }

    QString description() const;

    bool operator==(const SortError&) const = default;
};

template <typename T>
using SortOutcome = Outcome<T, SortError>;
