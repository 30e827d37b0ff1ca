#pragma once

#include "FreedesktopNotifier.h"
#include "store/Notifier.h"

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

#include <functional>

// Shows notices as tray balloons: the fallback for desktops without a notification service.
// A click on the balloon does what a click on a notification does.
class TrayNotifier final : public QObject, public Notifier {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TrayNotifier)

public:
    explicit TrayNotifier(QSystemTrayIcon* tray, QObject* parent = nullptr);

    void post(const Notice& notice) override;
    void setOnTap(std::function<void()> onTap) { m_onTap = std::move(onTap); }
    void setUrlOpener(FreedesktopNotifier::UrlOpener opener) { m_openUrl = std::move(opener); }

private:
    QPointer<QSystemTrayIcon> m_tray;
    std::optional<QUrl> m_shownURL; // a balloon replaces the one before it
    std::function<void()> m_onTap;
    FreedesktopNotifier::UrlOpener m_openUrl;
};

// Headless runs have no tray: notices go to standard output with the activity lines.
class ConsoleNotifier final : public Notifier {
public:
    void post(const Notice& notice) override;
};
