#pragma once

#include <QList>
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

// The screen edge the tray's panel lies along: the one nearest the icon's centre.
enum class TrayEdge { top, bottom, left, right };
TrayEdge trayEdgeOf(const QRect& screen, const QRect& icon);

// The main window beside the tray icon on `screen`, inside `visible` (the work area, or the
// whole screen where the window manager publishes none) and never over the icon while the
// area leaves room: under a top tray as placeMainWindow hangs it, above a bottom tray with its
// right edge under the icon's, beside a tray on the left or right. Without an icon, or with
// the magnet off, centred.
MainWindowPlacement placeMainWindowNearIcon(const QRect& screen, const QRect& visible,
                                            QSize window, std::optional<QRect> icon,
                                            bool magnetEnabled);

// Which of `screens` (their geometries) the tray icon is on: the one holding the icon's centre,
// else the nearest one (an icon reported in a gap between screens or just off an edge), else
// `fallback` when there are no screens. An index into `screens`.
qsizetype screenOfIcon(const QList<QRect>& screens, QPoint iconCentre, qsizetype fallback);

// The week-at-a-glance panel: centred under the icon, 6 points clear of either side.
QPoint placeAgendaPanel(const QRect& visible, QSize panel, double iconCentreX);

// The same beside an icon on any edge, never over it while the area leaves room.
QPoint placeAgendaPanelNearIcon(const QRect& screen, const QRect& visible, QSize panel,
                                const QRect& icon);

inline constexpr int kAgendaPanelWidth = 208;
inline constexpr int kAgendaPanelSideGap = 6;
