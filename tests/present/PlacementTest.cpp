// The shell's windows and the add panels, with the tray icon in every corner and along every
// edge, with and without a window manager's work area: nothing leaves the usable area, nothing
// covers the icon, and the add panels never cover one another.

#include "AddPanelPlacement.h"
#include "Fixtures.h"
#include "WindowPlacement.h"

#include <QRectF>

#include <gtest/gtest.h>

namespace {

constexpr QSize kWindow{760, 520};
constexpr QSize kAgenda{208, 300};
constexpr QSizeF kForm{380, 300};
constexpr QSizeF kResults{604, 470};
constexpr QSizeF kPoster{200, 300};

QRect rect(const nlohmann::json& r) {
    return {r[0], r[1], r[2], r[3]};
}

bool overlaps(const QRectF& a, const QRectF& b) {
    const QRectF both = a.intersected(b);
    return both.width() > 0.5 && both.height() > 0.5;
}

bool inside(const QRectF& inner, const QRectF& outer) {
    return outer.adjusted(-0.5, -0.5, 0.5, 0.5).contains(inner);
}

std::string text(const QRectF& r) {
    return QStringLiteral("(%1,%2 %3×%4)")
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height())
        .toStdString();
}

} // namespace

TEST(Placement, WindowsStayInTheAreaAndOffTheIcon) {
    const nlohmann::json desks = fixtureJson("present/geometry.json")["desks"]["rows"];
    ASSERT_EQ(desks.size(), 14u);
    for (const nlohmann::json& d : desks) {
        SCOPED_TRACE(d[0].get<std::string>());
        const QRect screen = rect(d[1]), icon = rect(d[2]);
        const QRect visible = d[3].is_null() ? screen : rect(d[3]);
        const MainWindowPlacement main =
            placeMainWindowNearIcon(screen, visible, kWindow, icon, true);
        const QRectF window(main.topLeft, kWindow);
        const QRectF agenda(placeAgendaPanelNearIcon(screen, visible, kAgenda, icon), kAgenda);
        // The add panels over that window: the form, then the results, then the poster.
        const QRectF form(AddPanelPlacement::form(window, kForm, visible), kForm);
        const QRectF results(AddPanelPlacement::results(form, kResults, visible, QRectF(icon)),
                             kResults);
        const QRectF poster(
            AddPanelPlacement::poster(form, kPoster, visible, results, QRectF(icon)), kPoster);
        const std::pair<const char*, QRectF> panels[] = {{"window", window},
                                                         {"agenda", agenda},
                                                         {"form", form},
                                                         {"results", results},
                                                         {"poster", poster}};
        for (const auto& [name, panel] : panels) {
            EXPECT_TRUE(inside(panel, visible)) << name << " " << text(panel);
            EXPECT_FALSE(overlaps(panel, icon)) << name << " " << text(panel);
        }
        EXPECT_FALSE(overlaps(form, results)) << text(form) << " " << text(results);
        EXPECT_FALSE(overlaps(poster, form)) << text(poster) << " " << text(form);
        EXPECT_FALSE(overlaps(poster, results)) << text(poster) << " " << text(results);
    }
}
