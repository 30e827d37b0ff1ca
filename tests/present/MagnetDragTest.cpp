#include "MagnetDrag.h"

#include <gtest/gtest.h>

namespace {

// A 1920 × 1080 screen under a 28-pixel panel; the window's body is 760 × 520.
const MagnetDrag::Frame kFrame{QRectF(0, 28, 1920, 1052), QSizeF(760, 520)};
constexpr double kTop = 28;

// Drives the magnet as the drag area does: every position it asks for becomes the window's.
class Drag {
public:
    explicit Drag(QPointF window)
        : window(window) {}

    MagnetDrag::PressResult press(QPointF at) {
        mouse = at;
        return magnet.press(mouse, window, kFrame);
    }
    // Moves the mouse by (dx, dy) from where it was pressed.
    void to(double dx, double dy) {
        if (const auto moved = magnet.drag(mouse + QPointF(dx, dy), window, kFrame))
            window = *moved;
    }
    void release() {
        if (const auto moved = magnet.release(window, kFrame))
            window = *moved;
    }

    MagnetDrag magnet;
    QPointF window;
    QPointF mouse;
};

} // namespace

TEST(MagnetDrag, AnAttachedWindowSagsByThePullSquaredOver482UpToTheCap) {
    const std::pair<double, double> table[] = {
        {0, 0},     {-40, 0}, {100, 10000.0 / 482}, {300, 90000.0 / 482}, {449, 449.0 * 449 / 482},
        {450, 420},
    };
    for (const auto& [pull, sag] : table) {
        Drag drag({1000, kTop});
        drag.press({1300, 100});
        drag.to(0, pull);
        EXPECT_NEAR(drag.window.y(), kTop + sag, 1e-9) << pull;
        EXPECT_TRUE(drag.magnet.isMagnetized()) << pull;
        drag.release();
        EXPECT_EQ(drag.window, QPointF(1000, kTop))
            << "the sag springs back after a pull of " << pull;
    }
    EXPECT_NEAR(MagnetDrag::sag(300), 186.7, 0.05);
}

TEST(MagnetDrag, APullPast450FreesTheWindowWhichThenFollowsTheMouseWithoutAJump) {
    Drag drag({1000, kTop});
    drag.press({1300, 100});
    drag.to(0, 450);
    ASSERT_EQ(drag.window.y(), kTop + 420);
    drag.to(0, 451);
    EXPECT_FALSE(drag.magnet.isMagnetized());
    EXPECT_EQ(drag.window.y(), kTop + 420) << "the event that frees it does not move it";
    drag.to(0, 452);
    EXPECT_EQ(drag.window.y(), kTop + 421) << "one point further down, one point lower";
    drag.to(30, 480);
    EXPECT_EQ(drag.window, QPointF(1030, kTop + 449));
    drag.release();
    EXPECT_EQ(drag.window, QPointF(1030, kTop + 449)) << "a free window stays where it was let go";
}

TEST(MagnetDrag, AFreedWindowAttachesAgainOnlyAfterGettingMoreThan150AwayThenWithin120) {
    Drag drag({1000, kTop});
    drag.press({1300, 100});
    drag.to(0, 450);
    drag.to(0, 451); // free, 420 below the top, re-anchored at this mouse position
    ASSERT_FALSE(drag.magnet.isMagnetized());
    const double anchor = 451;

    drag.to(0, anchor - 320); // 100 from the top: close, but it never got more than 150 away
    EXPECT_EQ(drag.window.y(), kTop + 100);
    EXPECT_FALSE(drag.magnet.isMagnetized());
    drag.to(0, anchor - 420);
    EXPECT_EQ(drag.window.y(), kTop) << "a free window can reach the top without attaching";
    EXPECT_FALSE(drag.magnet.isMagnetized());

    drag.to(0, anchor - 270); // exactly 150 away: not yet far enough
    drag.to(0, anchor - 299);
    EXPECT_FALSE(drag.magnet.isMagnetized()) << "121 from the top";
    drag.to(0, anchor - 269); // 151 away: may attach from now on
    drag.to(0, anchor - 298); // 122
    EXPECT_FALSE(drag.magnet.isMagnetized());
    drag.to(0, anchor - 300); // 120
    EXPECT_TRUE(drag.magnet.isMagnetized());
    EXPECT_EQ(drag.window.y(), kTop);
}

TEST(MagnetDrag, APressFarFromTheTopMayAttachOnlyAfterMovingAway) {
    MagnetDrag magnet;
    magnet.setMagnetized(false);
    magnet.press({0, 0}, {500, kTop + 121}, kFrame);
    EXPECT_FALSE(magnet.canSnap());
    magnet.press({0, 0}, {500, kTop + 120}, kFrame);
    EXPECT_TRUE(magnet.canSnap());
}

TEST(MagnetDrag, SidewaysAtLeast80PointsStayOnScreen) {
    const std::pair<double, double> table[] = {
        {0, 1000}, {-2000, -760 + 80}, {-1680, -680}, {5000, 1920 - 80}, {840, 1840},
    };
    for (const auto& [dx, x] : table) {
        Drag drag({1000, kTop});
        drag.press({1300, 100});
        drag.to(dx, 0);
        EXPECT_EQ(drag.window, QPointF(x, kTop)) << dx;
    }
}

TEST(MagnetDrag, AFreeWindowNeverRisesAboveTheTopAndKeeps80PointsAboveTheBottom) {
    const std::pair<double, double> table[] = {
        {-1000, kTop}, {0, 500}, {400, 900}, {2000, 1080 - 80}, {580, 1080 - 80},
    };
    for (const auto& [dy, y] : table) {
        Drag drag({300, 500});
        drag.magnet.setMagnetized(false);
        drag.press({400, 600});
        drag.to(0, dy);
        EXPECT_EQ(drag.window.y(), y) << dy;
    }
}

TEST(MagnetDrag, WithTheMagnetOffAPressIsTheSystemsMoveAndSwitchingItOnAttaches) {
    Drag drag({300, 500});
    EXPECT_FALSE(drag.magnet.setMagnetEnabled(false, drag.window, kFrame));
    EXPECT_EQ(drag.press({400, 600}), MagnetDrag::PressResult::systemMove);
    drag.to(0, 100);
    drag.release();
    EXPECT_EQ(drag.window, QPointF(300, 500)) << "the magnet moves nothing while off";

    drag.magnet.setMagnetized(false);
    EXPECT_EQ(drag.magnet.setMagnetEnabled(true, {300, 500}, kFrame), QPointF(300, kTop));
    EXPECT_TRUE(drag.magnet.isMagnetized());
    EXPECT_EQ(drag.magnet.setMagnetEnabled(true, {1500, 500}, kFrame), QPointF(1160, kTop))
        << "kept inside the usable area";
}

TEST(MagnetDrag, ADragWithoutAPressReanchorsInsteadOfMoving) {
    Drag drag({1000, kTop});
    drag.mouse = {1300, 100};
    drag.to(0, 300);
    EXPECT_EQ(drag.window, QPointF(1000, kTop));
    EXPECT_FALSE(drag.magnet.dragging());
}
