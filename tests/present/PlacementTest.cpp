// The shell's windows and the add panels, with the tray icon in every corner and along every
// edge, with and without a window manager's work area: nothing leaves the usable area, nothing
// covers the icon, and the add panels never cover one another.

#include "AddPanelPlacement.h"
#include "WindowPlacement.h"

#include <QRectF>

#include <gtest/gtest.h>

namespace {

constexpr QSize kWindow{760, 520};
constexpr QSize kAgenda{208, 300};
constexpr QSizeF kForm{380, 300};
constexpr QSizeF kResults{604, 470};
constexpr QSizeF kPoster{200, 300};

struct Desk {
    const char* what;
    QRect screen;
    QRect icon;
    QRect workArea; // empty: no window manager publishes one, the whole screen is usable
};

// A 28-pixel panel holding a 24-pixel icon, on each edge of a 1920 × 1080 screen (and one of
// 1440 × 900 to the right of it).
const Desk kDesks[] = {
    {"top right", {0, 0, 1920, 1080}, {1860, 2, 24, 24}, {0, 28, 1920, 1052}},
    {"top right, no work area", {0, 0, 1920, 1080}, {1860, 2, 24, 24}, {}},
    {"top left", {0, 0, 1920, 1080}, {40, 2, 24, 24}, {0, 28, 1920, 1052}},
    {"top left, no work area", {0, 0, 1920, 1080}, {40, 2, 24, 24}, {}},
    {"bottom right", {0, 0, 1920, 1080}, {1860, 1054, 24, 24}, {0, 0, 1920, 1052}},
    {"bottom right, no work area", {0, 0, 1920, 1080}, {1860, 1054, 24, 24}, {}},
    {"bottom left", {0, 0, 1920, 1080}, {40, 1054, 24, 24}, {0, 0, 1920, 1052}},
    {"bottom left, no work area", {0, 0, 1920, 1080}, {40, 1054, 24, 24}, {}},
    {"right edge", {0, 0, 1920, 1080}, {1894, 900, 24, 24}, {0, 0, 1892, 1080}},
    {"right edge, no work area", {0, 0, 1920, 1080}, {1894, 900, 24, 24}, {}},
    {"left edge", {0, 0, 1920, 1080}, {2, 900, 24, 24}, {28, 0, 1892, 1080}},
    {"left edge, no work area", {0, 0, 1920, 1080}, {2, 900, 24, 24}, {}},
    {"second screen, top right", {1920, 0, 1440, 900}, {3300, 2, 24, 24}, {1920, 28, 1440, 872}},
    {"second screen, bottom left, no work area", {1920, 0, 1440, 900}, {1950, 874, 24, 24}, {}},
};

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
    for (const Desk& d : kDesks) {
        SCOPED_TRACE(d.what);
        const QRect visible = d.workArea.isEmpty() ? d.screen : d.workArea;
        const MainWindowPlacement main =
            placeMainWindowNearIcon(d.screen, visible, kWindow, d.icon, true);
        const QRectF window(main.topLeft, kWindow);
        const QRectF agenda(placeAgendaPanelNearIcon(d.screen, visible, kAgenda, d.icon), kAgenda);
        // The add panels over that window: the form, then the results, then the poster.
        const QRectF form(AddPanelPlacement::form(window, kForm, visible), kForm);
        const QRectF icon(d.icon);
        const QRectF results(AddPanelPlacement::results(form, kResults, visible, icon), kResults);
        const QRectF poster(AddPanelPlacement::poster(form, kPoster, visible, results, icon),
                            kPoster);
        const std::pair<const char*, QRectF> panels[] = {{"window", window},
                                                         {"agenda", agenda},
                                                         {"form", form},
                                                         {"results", results},
                                                         {"poster", poster}};
        for (const auto& [name, panel] : panels) {
            EXPECT_TRUE(inside(panel, visible)) << name << " " << text(panel);
            EXPECT_FALSE(overlaps(panel, d.icon)) << name << " " << text(panel);
        }
        EXPECT_FALSE(overlaps(form, results)) << text(form) << " " << text(results);
        EXPECT_FALSE(overlaps(poster, form)) << text(poster) << " " << text(form);
        EXPECT_FALSE(overlaps(poster, results)) << text(poster) << " " << text(results);
    }
}
