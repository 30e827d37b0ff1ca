// How the magnet moves the main window: drags read from tests/fixtures/present/geometry.json.

#include "MagnetDrag.h"

#include "Fixtures.h"

#include <gtest/gtest.h>

namespace {

using json = nlohmann::json;

const json& rows(const char* name) {
    static const json all = fixtureJson("present/geometry.json");
    return all[name]["rows"];
}

const QRectF kScreen(0, 28, 1920, 1052); // under a 28-pixel panel
const MagnetDrag::Frame kFrame{kScreen, QSizeF(760, 520)};

} // namespace

TEST(MagnetDrag, TheMagnetSagsFreesClampsAndAttachesAgain) {
    for (const json& c : rows("magnet")) {
        SCOPED_TRACE(c["what"].get<std::string>());
        MagnetDrag magnet;
        QPointF window(c["window"][0], c["window"][1]);
        const QPointF mouse(c["press"][0], c["press"][1]);
        if (c.value("free", false))
            magnet.setMagnetized(false);
        magnet.press(mouse, window, kFrame);
        for (const json& m : c["moves"]) {
            // Every position the magnet asks for becomes the window's, as in the drag area.
            if (const auto moved = magnet.drag(mouse + QPointF(m[0], m[1]), window, kFrame))
                window = *moved;
            if (!m[2].is_null())
                EXPECT_NEAR(window.x(), m[2].get<double>(), 1e-6) << m.dump();
            if (!m[3].is_null())
                EXPECT_NEAR(window.y(), m[3].get<double>(), 1e-6) << m.dump();
            if (!m[4].is_null())
                EXPECT_EQ(magnet.isMagnetized(), m[4].get<bool>()) << m.dump();
        }
        if (c.contains("release")) {
            if (const auto moved = magnet.release(window, kFrame))
                window = *moved;
            EXPECT_EQ(window, QPointF(c["release"][0], c["release"][1]));
        }
    }
}

TEST(MagnetDrag, TheMagnetWhenOffOrWithoutAPress) {
    MagnetDrag magnet;
    magnet.setMagnetized(false);
    magnet.press({0, 0}, {500, 28 + 121}, kFrame);
    EXPECT_FALSE(magnet.canSnap()) << "pressed more than 120 below the top";
    magnet.press({0, 0}, {500, 28 + 120}, kFrame);
    EXPECT_TRUE(magnet.canSnap());

    MagnetDrag off;
    EXPECT_FALSE(off.setMagnetEnabled(false, {300, 500}, kFrame));
    EXPECT_EQ(off.press({400, 600}, {300, 500}, kFrame), MagnetDrag::PressResult::systemMove);
    const QPointF at(300, 500);
    EXPECT_EQ(off.drag({400, 700}, at, kFrame).value_or(at), at) << "it moves nothing while off";
    EXPECT_EQ(off.release(at, kFrame).value_or(at), at);
    off.setMagnetized(false);
    EXPECT_EQ(off.setMagnetEnabled(true, {300, 500}, kFrame), QPointF(300, 28));
    EXPECT_TRUE(off.isMagnetized());
    EXPECT_EQ(off.setMagnetEnabled(true, {1500, 500}, kFrame), QPointF(1160, 28));

    MagnetDrag unpressed;
    const QPointF top(1000, 28);
    EXPECT_EQ(unpressed.drag({1300, 400}, top, kFrame).value_or(top), top) << "re-anchors instead";
    EXPECT_FALSE(unpressed.dragging());
}
