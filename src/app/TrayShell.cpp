#include "TrayShell.h"

#include "AgendaPanel.h"
#include "DesktopCompositing.h"
#include "InstanceChannel.h"
#include "KeyableWindow.h"
#include "LaunchRequest.h"
#include "Theme.h"
#include "TrayMenu.h"
#include "Updater.h"
#include "WindowPlacement.h"
#include "api/PublishedState.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QSvgRenderer>
#include <QSystemTrayIcon>

// The icons are compiled into this static library: nothing would pull them in otherwise.
static void loadTrayResources() {
    static bool loaded = false;
    if (!loaded)
        Q_INIT_RESOURCE(tray);
    loaded = true;
}

TrayShell::TrayShell(PublishedState& store, Theme& theme, Updater& updater, ContentFactory content,
                     QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_theme(theme)
    , m_updater(updater)
    , m_content(std::move(content))
    , m_menu(new TrayMenu(theme)) {
    connect(m_menu, &TrayMenu::aboutToShow, this, &TrayShell::rememberIconPosition);
    connect(m_menu, &TrayMenu::openRequested, this, &TrayShell::showMainWindow);
    connect(m_menu, &TrayMenu::agendaRequested, this, &TrayShell::toggleAgendaPanel);
    connect(m_menu, &TrayMenu::updateCheckRequested, &m_updater, &Updater::checkForUpdates);
    connect(m_menu, &TrayMenu::quitRequested, this, &TrayShell::quitRequested);
    connect(&m_updater, &Updater::checkFinished, this, [](const QString& message) {
        auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Lumivane"), message);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->show();
    });
    connect(&m_updater, &Updater::updateAvailable, this,
            [](const ReleaseInfo& release, const QString& message) {
                showUpdateDialog(release, message);
            });

    connect(&m_store, &PublishedState::historyChanged, this, &TrayShell::refreshAttention);
    // The nudge setting decides as much as the history does.
    connect(&m_store, &PublishedState::settingsChanged, this, &TrayShell::refreshAttention);
    connect(&m_store, &PublishedState::engineHealthChanged, this, &TrayShell::refreshAttention);
    connect(&m_store, &PublishedState::settingsChanged, this, &TrayShell::followSettings);
    m_magnetSetting = m_store.settings().windowMagnetization;
    m_theme.setAppearance(m_store.settings().theme);
}

TrayShell::~TrayShell() {
    delete m_tray; // before the menu it shows
    delete m_window;
    delete m_agenda;
    delete m_menu;
}

QMessageBox* TrayShell::showUpdateDialog(const ReleaseInfo& release, const QString& message) {
    QString text = message.toHtmlEscaped() +
                   QStringLiteral("<p><a href=\"%1\">%2</a></p>")
                       .arg(release.page.toString(QUrl::FullyEncoded).toHtmlEscaped(),
                            QStringLiteral("Open the release page"));
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Lumivane Update"), text);
    box->setObjectName(QStringLiteral("updateDialog"));
    box->setTextFormat(Qt::RichText);
    box->setTextInteractionFlags(Qt::TextBrowserInteraction); // the link opens in the browser
    if (!release.notes.isEmpty())
        box->setDetailedText(release.notes);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
    return box;
}

QIcon TrayShell::trayIconImage(const QString& name) {
    loadTrayResources();
    QSvgRenderer svg(QStringLiteral(":/tray/%1.svg").arg(name));
    QIcon icon;
    // Panels ask for 16 to 48 pixels, twice that on high-density screens.
    for (const int size : {16, 22, 24, 32, 44, 48, 64, 96}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        svg.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void TrayShell::start(Presence presence) {
    m_presence = presence;
    // The application's own icon: every window's, and the picture in About.
    QApplication::setWindowIcon(trayIconImage(QStringLiteral("lumivane")));
    if (presence == Presence::window) {
        showMainWindow();
        return;
    }
    m_tray = new QSystemTrayIcon(this);
    m_tray->setContextMenu(m_menu);
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { onTrayActivated(reason); });
    refreshAttention();
    m_tray->show();
}

void TrayShell::refreshAttention() {
    const TrayIconLook look = trayIconLook(m_store.history(), m_store.settings(), m_store.now(),
                                           m_store.engineHealth().isFailure());
    if (m_lookShown && look == m_look)
        return;
    m_look = look;
    if (!m_tray)
        return;
    m_lookShown = true;
    m_tray->setIcon(trayIconImage(look.iconName));
    m_tray->setToolTip(look.toolTip);
}

void TrayShell::onTrayActivated(int reason) {
    if (reason != QSystemTrayIcon::Trigger)
        return;
    rememberIconPosition();
    toggleMainWindow();
}

void TrayShell::rememberIconPosition() {
    const QRect reported = m_tray ? m_tray->geometry() : QRect();
    m_iconRect =
        reported.isValid() && !reported.isEmpty() ? reported : QRect(QCursor::pos(), QSize(1, 1));
}

std::optional<QRect> TrayShell::iconArea() const {
    if (m_presence != Presence::tray)
        return std::nullopt;
    return m_iconRect;
}

QScreen* TrayShell::iconScreen() const {
    const QPoint at = m_iconRect ? m_iconRect->center() : QCursor::pos();
    const QList<QScreen*> screens = QGuiApplication::screens();
    QList<QRect> geometries;
    for (const QScreen* screen : screens)
        geometries.append(screen->geometry());
    const qsizetype index = screenOfIcon(geometries, at, screens.indexOf(QGuiApplication::primaryScreen()));
    return index >= 0 && index < screens.size() ? screens[index] : QGuiApplication::primaryScreen();
}

void TrayShell::placeMainWindow(QScreen* screen) {
    if (!screen)
        return;
    std::optional<QRect> icon;
    if (m_iconRect && m_presence == Presence::tray)
        icon = *m_iconRect;
    const MainWindowPlacement placement = placeMainWindowNearIcon(
        screen->geometry(), screen->availableGeometry(), m_window->bodySize(), icon,
        m_window->magnet().magnetEnabled());
    m_window->moveBodyTo(placement.topLeft);
    m_window->magnet().setMagnetized(placement.magnetized);
    m_placedWithoutIcon = icon ? std::nullopt : std::optional<QPoint>(m_window->bodyPos());
}

void TrayShell::showMainWindow() {
    if (!m_presence)
        return; // not started yet: the start decides how the window appears
    QScreen* screen = iconScreen();
    if (!m_window) {
        const auto kind = m_presence == Presence::tray ? KeyableWindow::Kind::floating
                                                       : KeyableWindow::Kind::ordinary;
        m_window = new KeyableWindow(m_theme, kind);
        m_window->setCompositing(desktopComposesWindows());
        m_window->setMagnetEnabled(m_magnetSetting);
        m_window->setWindowContent(m_content(m_window, [this] { closeMainWindow(); }));
        connect(m_window, &KeyableWindow::closeRequested, this, &TrayShell::closeMainWindow);
        // Ctrl+Q from any of our windows: a tray icon cannot be reached from the keyboard.
        auto* quit = new QShortcut(QKeySequence::Quit, m_window);
        quit->setContext(Qt::ApplicationShortcut);
        connect(quit, &QShortcut::activated, this, &TrayShell::quitRequested);
        placeMainWindow(screen);
    } else if (m_window->screen() != screen &&
               (m_presence == Presence::tray || !m_window->isVisible())) {
        // Under a tray, shown or not, it comes over to the icon's screen; an ordinary window
        // the user has on show stays where it is.
        placeMainWindow(screen);
    } else if (m_placedWithoutIcon == m_window->bodyPos() && iconArea() &&
               !m_window->isVisible()) {
        placeMainWindow(screen);
    }
    m_window->present();
}

void TrayShell::hideMainWindow() {
    if (m_window)
        m_window->hide();
}

void TrayShell::toggleMainWindow() {
    // Visible on another screen than the icon's: it comes over instead of going away.
    if (m_window && m_window->isVisible() &&
        (m_presence != Presence::tray || m_window->screen() == iconScreen()))
        hideMainWindow();
    else
        showMainWindow();
}

void TrayShell::closeMainWindow() {
    if (m_presence == Presence::window)
        Q_EMIT quitRequested(); // nothing would be left to reach Lumivane by
    else
        hideMainWindow();
}

void TrayShell::toggleAgendaPanel() {
    if (m_agenda && m_agenda->isVisible()) {
        m_agenda->hide();
        return;
    }
    if (!m_agenda) {
        m_agenda = new AgendaPanel(m_theme, m_store);
        m_agenda->setCompositing(desktopComposesWindows());
    }
    if (!m_iconRect)
        rememberIconPosition();
    if (QScreen* screen = iconScreen()) {
        m_agenda->fitToContent();
        const QPoint at = placeAgendaPanelNearIcon(screen->geometry(), screen->availableGeometry(),
                                                   m_agenda->bodySize(), *m_iconRect);
        m_agenda->moveBodyTo(at);
    }
    m_agenda->show();
}

QByteArray TrayShell::handleLaunch(const QStringList& arguments) {
    if (launchRequest(arguments) != LaunchRequest::showWindow)
        return InstanceChannel::kIgnored;
    showMainWindow();
    return m_window && m_window->isVisible() ? InstanceChannel::kShown : InstanceChannel::kIgnored;
}

void TrayShell::followSettings() {
    const AppSettings& settings = m_store.settings();
    m_theme.setAppearance(settings.theme);
    m_magnetSetting = settings.windowMagnetization;
    if (m_window)
        m_window->setMagnetEnabled(m_magnetSetting);
}
