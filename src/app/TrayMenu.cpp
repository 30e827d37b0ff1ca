#include "TrayMenu.h"

#include "Theme.h"

TrayMenu::TrayMenu(Theme& theme, QWidget* parent)
    : QMenu(parent) {
    setObjectName(QStringLiteral("trayMenu"));
    auto item = [this](const char* name, const QString& text, void (TrayMenu::*signal)()) {
        QAction* action = addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, signal);
    };
    item("menu.open", QStringLiteral("Open Lumivane"), &TrayMenu::openRequested);
    item("menu.agenda", QStringLiteral("Week at a glance"), &TrayMenu::agendaRequested);
    item("menu.updates", QStringLiteral("Check for Updates…"), &TrayMenu::updateCheckRequested);
    addSeparator();
    item("menu.quit", QStringLiteral("Quit Lumivane"), &TrayMenu::quitRequested);

    // The menu's appearance follows the theme, light or dark.
    setPalette(theme.palette());
    connect(&theme, &Theme::changed, this, [this, &theme] { setPalette(theme.palette()); });
}
