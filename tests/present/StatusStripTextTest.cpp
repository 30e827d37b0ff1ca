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
