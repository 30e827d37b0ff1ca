#pragma once

#include "model/EngineHealth.h"
#include "model/SearchHealth.h"

#include <QString>

#include <optional>

// What the status strip at the foot of the main window says, and in which tone its dot shows.
struct StatusStripInput {
    bool isChecking = false;
    int secondsUntilNextCheck = 0;
    // A problem of the engine or the searches worth telling while no check runs; it takes the
    // listening text's place, and the countdown stands beside it.
    std::optional<QString> problem;
};

struct StatusStripState {
    enum class Tone { checking, listening, problem };
    Tone tone = Tone::listening;
    QString text;
    QString aside;            // beside a problem: "next check in 4m 12s"; else empty
    bool pulsing = false;     // the dot breathes
    bool buttonFaint = false; // the "Check now" label is drawn fainter while a check runs
};

StatusStripState statusStripState(const StatusStripInput& input);

// What the strip says while the engine, the library's folder or the searches are failing, worst
// first; none while everything works. The activity log holds the full story and what to do.
std::optional<QString> healthProblemText(const EngineHealth& engine, const SearchHealth& search,
                                         int sortsWaiting = 0);
