#include "StatusStripText.h"

#include <gtest/gtest.h>

TEST(StatusStripText, ChecksListensOrReportsAProblem) {
    using Tone = StatusStripState::Tone;
    const QString listening = QStringLiteral("Listening for new episodes · next check in ");
    const struct {
        bool checking;
        int seconds;
        std::optional<QString> problem;
        Tone tone;
        QString text;
        bool pulsing;
    } table[] = {
        {true, 300, std::nullopt, Tone::checking, QStringLiteral("Checking now…"), true},
        {false, 59, std::nullopt, Tone::listening, listening + QStringLiteral("59s"), false},
        {false, 3599, std::nullopt, Tone::listening, listening + QStringLiteral("59m 59s"), false},
        {false, 7260, std::nullopt, Tone::listening, listening + QStringLiteral("2h 1m"), false},
        // A problem replaces the listening text, but a running check still says so first.
        {false, 60, QStringLiteral("The download engine is not answering"), Tone::problem,
         QStringLiteral("The download engine is not answering"), false},
        {true, 60, QStringLiteral("The download engine is not answering"), Tone::checking,
         QStringLiteral("Checking now…"), true},
        {false, 60, QString(), Tone::listening, listening + QStringLiteral("1m 0s"), false},
    };
    for (const auto& row : table) {
        const StatusStripState state = statusStripState({row.checking, row.seconds, row.problem});
        EXPECT_EQ(state.tone, row.tone) << row.text.toStdString();
        EXPECT_EQ(state.text, row.text);
        EXPECT_EQ(state.pulsing, row.pulsing) << row.text.toStdString();
        EXPECT_EQ(state.buttonFaint, row.checking) << row.text.toStdString();
    }
}

TEST(StatusStripText, TheWorstHealthProblemIsTold) {
    using C = EngineHealth::Cause;
    const EngineHealth running{EngineHealth::State::running, C::none, {}};
    const auto down = [](C cause) { return EngineHealth{EngineHealth::State::stopped, cause, {}}; };
    const SearchHealth fine;
    const SearchHealth silent{{QStringLiteral("Knaben")}, false};
    const SearchHealth refused{{}, true};
    const struct {
        EngineHealth engine;
        SearchHealth search;
        std::optional<QString> text;
    } table[] = {
        {running, fine, std::nullopt},
        // Starting, or stopped on purpose, is no failure.
        {EngineHealth{EngineHealth::State::starting, C::none, {}}, fine, std::nullopt},
        {EngineHealth{EngineHealth::State::stopped, C::none, {}}, fine, std::nullopt},
        {down(C::binaryMissing), silent,
         QStringLiteral("Download engine missing — install transmission-daemon")},
        {down(C::notExecutable), fine,
         QStringLiteral("Download engine cannot run — reinstall transmission-daemon")},
        {down(C::rpcPortTaken), fine, QStringLiteral("Download engine's port is taken — see Activity")},
        {down(C::exitedAtStart), fine, QStringLiteral("Download engine stopped — see Activity")},
        {down(C::restartsGivenUp), refused, QStringLiteral("Download engine stopped — see Activity")},
        {running, silent, QStringLiteral("No torrent index answers — see Activity")},
        {running, SearchHealth{{QStringLiteral("Nyaa")}, true},
         QStringLiteral("No torrent index answers — see Activity")},
        {running, refused, QStringLiteral("TMDB refused the API key — check Settings")},
    };
    for (const auto& row : table)
        EXPECT_EQ(healthProblemText(row.engine, row.search), row.text)
            << row.text.value_or(QStringLiteral("none")).toStdString();
}
