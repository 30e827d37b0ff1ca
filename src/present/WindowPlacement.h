#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// Where the shell puts its windows under the tray icon. Qt's coordinates: y grows downwards,
// so "hanging below the top of the usable area" is a window whose top is the area's top.
// Rectangles are a screen's available geometry; positions are of the window's body.

struct MainWindowPlacement {
    QPoint topLeft;
    bool magnetized = false; // placed against the top, so the magnet holds it there

    bool operator==(const MainWindowPlacement&) const = default;
};

// With the magnet on and the icon's right edge known, the window hangs from the top of the
// usable area with its right edge under the icon's, kept inside the area; else it is centred.
MainWindowPlacement placeMainWindow(const QRect& visible, QSize window,
                                    std::optional<double> iconRightEdge, bool magnetEnabled);

// The week-at-a-glance panel: centred under the icon, 6 points clear of either side.
QPoint placeAgendaPanel(const QRect& visible, QSize panel, double iconCentreX);

inline constexpr int kAgendaPanelWidth = 208;
inline constexpr int kAgendaPanelSideGap = 6;
