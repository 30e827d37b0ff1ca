#include "WindowPlacement.h"

#include <gtest/gtest.h>

namespace {

// A 1920 × 1080 screen whose top 28 pixels are a panel.
const QRect kVisible(0, 28, 1920, 1052);
const QSize kWindow(760, 520);

} // namespace

TEST(WindowPlacement, TheMainWindowHangsFromTheTopUnderTheIconsRightEdgeKeptOnScreen) {
    struct Case {
        const char* name;
        QRect visible;
        std::optional<double> iconRight;
        bool magnet;
        MainWindowPlacement expected;
    };
    const Case table[] = {
        {"under the icon", kVisible, 1800.0, true, {{1040, 28}, true}},
        {"half points round", kVisible, 1800.5, true, {{1041, 28}, true}},
        {"icon near the left edge", kVisible, 300.0, true, {{0, 28}, true}},
        {"icon past the right edge", kVisible, 2000.0, true, {{1160, 28}, true}},
        {"second screen to the right", QRect(1920, 0, 1280, 1024), 3100.0, true, {{2340, 0}, true}},
        {"unknown icon: centred", kVisible, std::nullopt, true, {{580, 294}, false}},
        {"magnet off: centred", kVisible, 1800.0, false, {{580, 294}, false}},
        {"narrow screen keeps the left edge", QRect(0, 0, 700, 500), 650.0, true, {{0, 0}, true}},
    };
    for (const Case& c : table)
        EXPECT_EQ(placeMainWindow(c.visible, kWindow, c.iconRight, c.magnet), c.expected) << c.name;
}

TEST(WindowPlacement, TheAgendaPanelIsCentredUnderTheIconSixPointsClearOfTheSides) {
    const QSize panel(208, 300);
    const std::pair<double, QPoint> table[] = {
        {1000.0, {896, 28}},  // centre − 104
        {50.0, {6, 28}},      // left edge + 6
        {1900.0, {1706, 28}}, // right edge − 208 − 6
        {110.0, {6, 28}},     {1810.0, {1706, 28}},
    };
    for (const auto& [centre, expected] : table)
        EXPECT_EQ(placeAgendaPanel(kVisible, panel, centre), expected) << centre;
}
