#include "LaunchEnvironment.h"

LaunchEnvironment LaunchEnvironment::from(const QProcessEnvironment& env) {
    return {env.value(QStringLiteral("DISPLAY")), env.value(QStringLiteral("WAYLAND_DISPLAY")),
            env.value(QStringLiteral("XDG_SESSION_TYPE")),
            env.value(QStringLiteral("QT_QPA_PLATFORM"))};
}

bool LaunchEnvironment::hasDisplay() const {
    return !display.isEmpty() || !waylandDisplay.isEmpty() || !platform.isEmpty();
}

bool LaunchEnvironment::prefersXcb() const {
    const bool wayland = !waylandDisplay.isEmpty() ||
                         sessionType.compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0;
    return wayland && !display.isEmpty() && platform.isEmpty();
}

bool LaunchEnvironment::startsTrayApplication(const QStringList& arguments) {
    static const QStringList others{QStringLiteral("--headless"), QStringLiteral("-h"),
                                    QStringLiteral("--help"),     QStringLiteral("--help-all"),
                                    QStringLiteral("-?"),         QStringLiteral("-v"),
                                    QStringLiteral("--version")};
    for (const QString& argument : arguments.mid(1)) {
        if (others.contains(argument))
            return false;
    }
    return true;
}

QString LaunchEnvironment::noDisplayMessage() {
    return QStringLiteral(
        "Lumivane found no desktop session (no X11 or Wayland display) to show its tray icon and "
        "window in; to run it without a window, start it with `lumivane --headless`.");
}

QString LaunchEnvironment::noTrayMessage() {
    return QStringLiteral(
        "No system tray found: Lumivane opens as an ordinary window, and closing it quits "
        "Lumivane (on GNOME, the AppIndicator extension provides a tray).");
}

QString LaunchEnvironment::headlessRunningMessage() {
    return QStringLiteral(
        "Lumivane is already running without a window (the lumivane service or `lumivane "
        "--headless`), so it cannot show one; stop it with `systemctl --user stop lumivane` (or "
        "end "
        "that process), then start Lumivane again.");
}
