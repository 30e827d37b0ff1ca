#include "TrayNotifier.h"

#include <QDesktopServices>

#include <cstdio>

TrayNotifier::TrayNotifier(QSystemTrayIcon* tray, QObject* parent)
    : QObject(parent)
    , m_tray(tray)
    , m_openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    if (m_tray)
        connect(m_tray, &QSystemTrayIcon::messageClicked, this,
                [this] { handleNoticeClick(m_shownURL, m_openUrl, m_onTap); });
}

void TrayNotifier::post(const Notice& notice) {
    if (!m_tray)
        return;
    m_shownURL = notice.openURL;
    m_tray->showMessage(notice.title, notice.body, QSystemTrayIcon::Information);
}

void ConsoleNotifier::post(const Notice& notice) {
    const QByteArray line =
        QStringLiteral("notice: %1 — %2\n").arg(notice.title, notice.body).toUtf8();
    std::fputs(line.constData(), stdout);
    std::fflush(stdout);
}
