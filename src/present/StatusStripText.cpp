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
        state.aside = QStringLiteral("next check in ") + countdownText(input.secondsUntilNextCheck);
        return state;
    }
    state.text = QStringLiteral("Listening for new episodes · next check in ") +
                 countdownText(input.secondsUntilNextCheck);
    return state;
}

std::optional<QString> healthProblemText(const EngineHealth& engine, const SearchHealth& search,
                                         int sortsWaiting) {
    if (engine.isFailure()) {
        switch (engine.cause) {
        case EngineHealth::Cause::binaryMissing:
            return QStringLiteral("Download engine missing — install transmission-daemon");
        case EngineHealth::Cause::notExecutable:
            return QStringLiteral("Download engine cannot run — reinstall transmission-daemon");
        case EngineHealth::Cause::rpcPortTaken:
            return QStringLiteral("Download engine's port is taken — see Activity");
        case EngineHealth::Cause::stoppedAnswering:
            return QStringLiteral("Download engine stopped answering — restarting");
        case EngineHealth::Cause::exitedAtStart:
        case EngineHealth::Cause::restartsGivenUp:
            return QStringLiteral("Download engine stopped — see Activity");
        case EngineHealth::Cause::none:
            break;
        }
    }
    if (sortsWaiting == 1)
        return QStringLiteral("A finished download waits for the library folder — see Activity");
    if (sortsWaiting > 1)
        return QStringLiteral("%1 finished downloads wait for the library folder — see Activity")
            .arg(sortsWaiting);
    if (search.indexesDown())
        return QStringLiteral("No torrent index answers — see Activity");
    if (search.tmdbKeyRefused)
        return QStringLiteral("TMDB refused the API key — check Settings");
    if (search.tmdbUnreachable)
        return QStringLiteral("TMDB cannot be reached — see Activity");
    return std::nullopt;
}
