#include "TrayIconLook.h"

#include <gtest/gtest.h>

namespace {

constexpr double kDay = 86400;
const Timestamp kNow = Timestamp::fromReferenceSeconds(800'000'000);

DownloadRecord stuckFor(double seconds) {
    DownloadRecord row;
    row.id = QStringLiteral("abc");
    row.state = DownloadRecord::State::downloading;
    row.stuckSince = kNow - seconds;
    return row;
}

struct AttentionCase {
    const char* name;
    DownloadRecord row;
    int nudgeDays;
    bool attention;
};

} // namespace

TEST(TrayIconLook, AttentionFollowsTheStuckRowsTheNudgeSettingAndTheSnooze) {
    auto with = [](DownloadRecord row, auto change) {
        change(row);
        return row;
    };
    const AttentionCase table[] = {
        {"stuck exactly the nudge days", stuckFor(7 * kDay), 7, true},
        {"a second short of it", stuckFor(7 * kDay - 1), 7, false},
        {"long stuck with the nudge off", stuckFor(60 * kDay), 0, false},
        {"long stuck with a negative nudge", stuckFor(60 * kDay), -3, false},
        {"one day with a one-day nudge", stuckFor(kDay), 1, true},
        {"not stuck at all", with(stuckFor(0), [](auto& r) { r.stuckSince.reset(); }), 1, false},
        {"given up", with(stuckFor(30 * kDay), [](auto& r) { r.staleAbandoned = true; }), 7, false},
        {"already sorted",
         with(stuckFor(30 * kDay), [](auto& r) { r.state = DownloadRecord::State::sorted; }), 7,
         false},
        {"failed",
         with(stuckFor(30 * kDay), [](auto& r) { r.state = DownloadRecord::State::error; }), 7,
         false},
        {"snoozed into the future",
         with(stuckFor(30 * kDay), [](auto& r) { r.staleSnoozedUntil = kNow + 1; }), 7, false},
        {"snooze ending now",
         with(stuckFor(30 * kDay), [](auto& r) { r.staleSnoozedUntil = kNow; }), 7, true},
        {"snooze long over",
         with(stuckFor(30 * kDay), [](auto& r) { r.staleSnoozedUntil = kNow - kDay; }), 7, true},
    };
    for (const AttentionCase& c : table) {
        AppSettings settings;
        settings.staleNudgeDays = c.nudgeDays;
        const TrayIconLook look = trayIconLook({c.row}, settings, kNow);
        EXPECT_EQ(look.attention, c.attention) << c.name;
        EXPECT_EQ(look.iconName, c.attention ? "MenuBarIconAlarm" : "MenuBarIcon") << c.name;
        EXPECT_EQ(look.toolTip, c.attention ? "Lumivane — a download needs attention" : "Lumivane")
            << c.name;
    }
}

TEST(TrayIconLook, OneStuckRowAmongHealthyOnesIsEnoughAndAnEmptyHistoryIsCalm) {
    AppSettings settings; // seven days
    DownloadRecord healthy = stuckFor(0);
    healthy.stuckSince.reset();
    EXPECT_FALSE(downloadNeedsAttention({}, settings, kNow));
    EXPECT_FALSE(downloadNeedsAttention({healthy, healthy}, settings, kNow));
    EXPECT_TRUE(downloadNeedsAttention({healthy, stuckFor(8 * kDay), healthy}, settings, kNow));
}

TEST(TrayIconLook, ADownEngineRaisesTheAttentionIconWithItsOwnTip) {
    const AppSettings settings;
    const TrayIconLook look = trayIconLook({}, settings, kNow, true);
    EXPECT_TRUE(look.attention);
    EXPECT_EQ(look.iconName, QStringLiteral("MenuBarIconAlarm"));
    EXPECT_EQ(look.toolTip, QStringLiteral("Lumivane — the download engine is not running"));
    EXPECT_EQ(trayIconLook({}, settings, kNow, false), TrayIconLook::plain());
}
