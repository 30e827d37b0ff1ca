#pragma once

#include "EnumRaw.h"
#include "Timestamp.h"

#include <QString>

#include <optional>

// The short live status a series or movie row shows.
struct ShowStatus {
    enum class State { idle, found, downloading, sorted, error };

    State state = State::idle;
    double progress = 0.0; // 0.0–1.0 of the current download
    std::optional<QString> episode;
    std::optional<QString> detail;
    std::optional<Timestamp> lastEventDate;

    bool operator==(const ShowStatus&) const = default;
};

template <>
struct EnumRaw<ShowStatus::State> {
    static constexpr std::array cases{
        std::pair{ShowStatus::State::idle, "idle"},
        std::pair{ShowStatus::State::found, "found"},
        std::pair{ShowStatus::State::downloading, "downloading"},
        std::pair{ShowStatus::State::sorted, "sorted"},
        std::pair{ShowStatus::State::error, "error"},
    };
};
