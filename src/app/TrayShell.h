#pragma once

#include "AgendaPanel.h"
#include "KeyableWindow.h"
#include "TrayIconLook.h"

#include <QObject>
#include <QPointer>
#include <QRect>

#include <functional>
#include <optional>

class QMessageBox;
class QScreen;
struct ReleaseInfo;
class QSystemTrayIcon;
class Theme;
class TrayMenu;
class Updater;
class PublishedState;

// Everything Lumivane shows: the tray icon and its menu, the main window and the agenda panel,
// created on first use and then only hidden. It follows the store's history for the icon and
// its settings for the theme and the window's magnet.
class TrayShell final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TrayShell)

public:
    // Makes the main window's content under `parent`; calling `close` is the content's close
    // button (it hides the window, or ends Lumivane when there is no tray to come back from).
    using ContentFactory = std::function<QWidget*(QWidget* parent, std::function<void()> close)>;

    // With a tray: the icon, no window at start, no taskbar entry. Without one: the main window
    // as an ordinary window at once, and closing it ends Lumivane.
    enum class Presence { tray, window };

    TrayShell(PublishedState& store, Theme& theme, Updater& updater, ContentFactory content,
              QObject* parent = nullptr);
    ~TrayShell() override;

    void start(Presence presence);
    std::optional<Presence> presence() const { return m_presence; }

    QSystemTrayIcon* trayIcon() const { return m_tray; }
    TrayMenu* menu() const { return m_menu; }
    KeyableWindow* mainWindow() const { return m_window; }
    AgendaPanel* agendaPanel() const { return m_agenda; }
    const TrayIconLook& iconLook() const { return m_look; }
    // The tray icon's rectangle on screen as last learnt; nothing without a tray.
    std::optional<QRect> iconArea() const;

    void showMainWindow();
    void hideMainWindow();
    void toggleMainWindow();
    void toggleAgendaPanel();
    // A later start's arguments, handed over by the instance channel; its answer.
    QByteArray handleLaunch(const QStringList& arguments);
    void refreshAttention();

    // The tray icon's image for "MenuBarIcon" or "MenuBarIconAlarm", rendered at every size a
    // panel asks for.
    static QIcon trayIconImage(const QString& name);
    // The dialog telling of a newer release, with its page as a link.
    static QMessageBox* showUpdateDialog(const ReleaseInfo& release, const QString& message);

Q_SIGNALS:
    void quitRequested();

private:
    void onTrayActivated(int reason);
    void rememberIconPosition();
    QScreen* iconScreen() const;
    void placeMainWindow(QScreen* screen);
    void closeMainWindow();
    void followSettings();

    PublishedState& m_store;
    Theme& m_theme;
    Updater& m_updater;
    ContentFactory m_content;
    std::optional<Presence> m_presence;
    QSystemTrayIcon* m_tray = nullptr;
    TrayMenu* m_menu = nullptr;
    QPointer<KeyableWindow> m_window;
    QPointer<AgendaPanel> m_agenda;
    TrayIconLook m_look;
    bool m_lookShown = false;
    // Where the icon is: the tray's geometry, or the mouse at the last click on it when the
    // tray does not tell (StatusNotifierItem hosts).
    std::optional<QRect> m_iconRect;
    // Placed before the icon's place was known (opened by a launcher): the icon places it
    // later, unless the user moved it from there.
    std::optional<QPoint> m_placedWithoutIcon;
    bool m_magnetSetting = true;
};
