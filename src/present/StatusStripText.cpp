#include "StatusStripText.h"

#include "CountdownText.h"

StatusStripState statusStripState(const StatusStripInput& input) {
    StatusStripState state;
    if (input.isChecking) {
        state.tone = StatusStripState::Tone::checking;
        state.text = QStringLiteral("Checking now…");
        state.pulsing = true;
        state.buttonFaint = true;
        return state;
    }
    if (input.problem && !input.problem->isEmpty()) {
        state.tone = StatusStripState::Tone::problem;
        state.text = *input.problem;
        return state;
    }
    state.text = QStringLiteral("Listening for new episodes · next check in ") +
                 countdownText(input.secondsUntilNextCheck);
    return state;
}
