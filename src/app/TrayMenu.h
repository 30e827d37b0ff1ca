#pragma once

#include <QMenu>

class Theme;

// The tray icon's context menu: "Open Lumivane", "Week at a glance", "Check for Updates…", a
// separator, "Quit Lumivane", each handing its choice on as a signal.
class TrayMenu final : public QMenu {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TrayMenu)

public:
    explicit TrayMenu(Theme& theme, QWidget* parent = nullptr);

Q_SIGNALS:
    void openRequested();
    void agendaRequested();
    void updateCheckRequested();
    void quitRequested();
};
