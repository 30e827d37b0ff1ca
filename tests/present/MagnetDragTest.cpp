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
        const bool off = c.value("off", false);
        if (off)
            EXPECT_FALSE(magnet.setMagnetEnabled(false, window, kFrame));
        EXPECT_EQ(magnet.press(mouse, window, kFrame) == MagnetDrag::PressResult::systemMove, off);
        if (c.contains("canSnap"))
            EXPECT_EQ(magnet.canSnap(), c["canSnap"].get<bool>());
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
        if (c.contains("enable")) {
            EXPECT_EQ(magnet.setMagnetEnabled(true, window, kFrame),
                      QPointF(c["enable"][0], c["enable"][1]));
            EXPECT_TRUE(magnet.isMagnetized());
        }
    }
}

TEST(MagnetDrag, ADragWithoutAPressReAnchorsInsteadOfMoving) {
    MagnetDrag unpressed;
    const QPointF top(1000, 28);
    EXPECT_EQ(unpressed.drag({1300, 400}, top, kFrame).value_or(top), top);
    EXPECT_FALSE(unpressed.dragging());
}
