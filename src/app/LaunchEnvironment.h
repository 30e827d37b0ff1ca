#pragma once

#include <QProcessEnvironment>
#include <QStringList>

// What a start finds before any Qt platform is loaded: whether there is a desktop session to
// show a window in, and which platform plugin to ask for.
struct LaunchEnvironment {
    QString display;        // DISPLAY: an X server (on a Wayland session, XWayland)
    QString waylandDisplay; // WAYLAND_DISPLAY
    QString sessionType;    // XDG_SESSION_TYPE
    QString platform;       // QT_QPA_PLATFORM: the user's own choice

    static LaunchEnvironment from(const QProcessEnvironment& env);

    // A platform the user chose counts as a session (offscreen, vnc, …).
    bool hasDisplay() const;
    // Placement and the magnet need global coordinates, which Wayland does not give: on a
    // Wayland session with XWayland and no platform chosen, use xcb.
    bool prefersXcb() const;

    // Whether these arguments start the tray application (rather than the headless engine,
    // the help or the version).
    static bool startsTrayApplication(const QStringList& arguments);

    static QString noDisplayMessage();
    static QString noTrayMessage();
    static QString headlessRunningMessage();
};
