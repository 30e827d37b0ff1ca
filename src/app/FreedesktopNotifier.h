#pragma once

#include "store/Notifier.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>

#include <functional>

// Posts notices through org.freedesktop.Notifications. Every notice is a new notification;
// its "default" action (the click) opens the notice's URL or runs onTap. When no
// notification service answers, the notice goes to the fallback (the tray balloon).
class FreedesktopNotifier final : public QObject, public Notifier {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FreedesktopNotifier)

public:
    using UrlOpener = std::function<bool(const QUrl&)>;

    explicit FreedesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus(),
                                 QObject* parent = nullptr);

    void post(const Notice& notice) override;

    void setOnTap(std::function<void()> onTap) { m_onTap = std::move(onTap); }
    void setFallback(Notifier* fallback) { m_fallback = fallback; }
    // QDesktopServices::openUrl unless replaced (tests).
    void setUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }

Q_SIGNALS:
    void posted(uint id); // the service accepted a notice

private Q_SLOTS:
    void onActionInvoked(uint id, const QString& action);
    void onNotificationClosed(uint id, uint reason);

private:
    QDBusConnection m_bus;
    QHash<uint, std::optional<QUrl>> m_open; // notices on screen, by the service's id
    std::function<void()> m_onTap;
    Notifier* m_fallback = nullptr;
    UrlOpener m_openUrl;
};

// What a click on a notice does: open its URL when it holds an absolute one, else onTap.
void handleNoticeClick(const std::optional<QUrl>& url, const FreedesktopNotifier::UrlOpener& open,
                       const std::function<void()>& onTap);
