#include "FreedesktopNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QVariantMap>

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
} // namespace

void handleNoticeClick(const std::optional<QUrl>& url, const FreedesktopNotifier::UrlOpener& open,
                       const std::function<void()>& onTap) {
    if (url && url->isValid() && !url->isRelative() && open) {
        open(*url);
        return;
    }
    if (onTap)
        onTap();
}

FreedesktopNotifier::FreedesktopNotifier(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    // QtDBus only connects to remote signals by slot signature.
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                  SLOT(onActionInvoked(uint, QString)));
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                  SLOT(onNotificationClosed(uint, uint)));
}

void FreedesktopNotifier::post(const Notice& notice) {
    // Without a session bus the call below never finishes (QtDBus hands back a null pending
    // call), so the notice would be lost without a word.
    if (!m_bus.isConnected()) {
        if (m_fallback)
            m_fallback->post(notice);
        return;
    }
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("lumivane"));
    if (notice.completionSound)
        hints.insert(QStringLiteral("sound-name"), QStringLiteral("complete"));

    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    call << QStringLiteral("Lumivane") // app_name
         << uint(0)                    // replaces_id: always a new notification
         << QStringLiteral("lumivane") // app_icon
         << notice.title << notice.body
         << QStringList{QStringLiteral("default"), QStringLiteral("Open Lumivane")} // actions
         << hints << int(-1); // expire_timeout: the server's default

    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, notice](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                const QDBusPendingReply<uint> reply = *w;
                if (reply.isError()) {
                    if (m_fallback)
                        m_fallback->post(notice);
                    return;
                }
                m_open.insert(reply.value(), notice.openURL);
                Q_EMIT posted(reply.value());
            });
}

void FreedesktopNotifier::onActionInvoked(uint id, const QString& action) {
    const auto it = m_open.constFind(id);
    if (it == m_open.cend() || action != QStringLiteral("default"))
        return;
    handleNoticeClick(it.value(), m_openUrl, m_onTap);
}

void FreedesktopNotifier::onNotificationClosed(uint id, uint) {
    m_open.remove(id);
}
