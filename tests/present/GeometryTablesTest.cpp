// Where windows and panels go, and how the magnet moves the main window, as tables read from
// tests/fixtures/present/geometry.json.

#include "AddPanelPlacement.h"
#include "Fixtures.h"
#include "MagnetDrag.h"
#include "WindowPlacement.h"

#include <gtest/gtest.h>

namespace {

using json = nlohmann::json;

const json& rows(const char* name) {
    static const json all = fixtureJson("present/geometry.json");
    return all[name]["rows"];
}

QRectF rectOf(const json& j, QRectF otherwise = {}) {
    return j.is_array() ? QRectF(j[0], j[1], j[2], j[3]) : otherwise;
}
QPoint pointOf(const json& j) {
    return QPoint(j[0], j[1]);
}

const QRectF kScreen(0, 28, 1920, 1052); // under a 28-pixel panel
const MagnetDrag::Frame kFrame{kScreen, QSizeF(760, 520)};
const QRectF kAddArea(0, 25, 1440, 875);

} // namespace

TEST(GeometryTables, TheMagnetSagsFreesClampsAndAttachesAgain) {
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

TEST(GeometryTables, TheMagnetWhenOffOrWithoutAPress) {
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

TEST(GeometryTables, TheMainWindowAndTheAgendaPanelHangUnderTheIcon) {
    for (const json& c : rows("mainWindow")) {
        const auto icon = c[2].is_null() ? std::nullopt : std::optional(c[2].get<double>());
        const MainWindowPlacement expected{pointOf(c[4]), c[5].get<bool>()};
        EXPECT_EQ(placeMainWindow(rectOf(c[1], kScreen).toRect(), {760, 520}, icon, c[3]), expected)
            << c[0];
    }
    for (const json& c : rows("agendaPanel"))
        EXPECT_EQ(placeAgendaPanel(kScreen.toRect(), {208, 300}, c[0]), pointOf(c[1])) << c[0];
}

TEST(GeometryTables, AddSeriesPanelsAroundTheForm) {
    for (const json& c : rows("addForm")) {
        const QRectF area = rectOf(c.size() > 4 ? c[4] : json(), kAddArea);
        EXPECT_EQ(AddPanelPlacement::form(rectOf(c[1]), QSizeF(c[2][0], c[2][1]), area),
                  pointOf(c[3]))
            << c[0];
    }
    for (const json& c : rows("addResults")) {
        const QRectF area = rectOf(c.size() > 3 ? c[3] : json(), kAddArea);
        EXPECT_EQ(AddPanelPlacement::results(rectOf(c[1]), QSizeF(604, 470), area), pointOf(c[2]))
            << c[0];
    }
    for (const json& c : rows("addPoster"))
        EXPECT_EQ(AddPanelPlacement::poster(rectOf(c[0]), QSizeF(200, 300), kAddArea),
                  pointOf(c[1]))
            << c.dump();
}
