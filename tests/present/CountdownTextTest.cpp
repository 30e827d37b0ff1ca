#include "CountdownText.h"

#include <gtest/gtest.h>

TEST(CountdownText, ReadsSecondsMinutesAndHoursAtTheirBoundaries) {
    const std::pair<int, const char*> table[] = {
        {0, "0s"},        {45, "45s"},       {59, "59s"},     {60, "1m 0s"},  {252, "4m 12s"},
        {3599, "59m 59s"}, {3600, "1h 0m"}, {3900, "1h 5m"}, {7260, "2h 1m"}, {-5, "0s"},
    };
    for (const auto& [seconds, text] : table)
        EXPECT_EQ(countdownText(seconds), QString::fromUtf8(text)) << seconds;
}
