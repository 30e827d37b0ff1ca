#pragma once

#include "Theme.h"

#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <map>
#include <optional>

class FlatButton;
class PillButton;
class PublishedState;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMessageBox;
class QScrollArea;
class QVBoxLayout;
class VaneSwitch;
class WatchlistOperations;
struct Watchlist;

// What the Settings tab needs from the desktop and the shell, as plain calls: the login item,
// the updater, the folder dialog and the file manager. The shell fills them in; tests hand in
// their own.
struct SettingsHooks {
    std::function<bool()> loginItemEnabled = [] { return false; };
    std::function<bool(bool)> setLoginItemEnabled = [](bool) { return false; }; // false: refused
    std::function<bool()> updatesConfigured = [] { return false; };
    std::function<bool()> updatesAutomatic = [] { return false; };
    std::function<void(bool)> setUpdatesAutomatic = [](bool) {};
    std::function<void()> checkForUpdates = [] {};
    // The chosen folder, or none when the dialog was cancelled. Defaults to QFileDialog.
    std::function<std::optional<QString>(QWidget* parent)> chooseFolder;
    // Shows a folder in the file manager. Defaults to the desktop's handler.
    std::function<void(const QUrl& folder)> openFolder;
    QString defaultRoot; // the library root while none is chosen
    QString home;        // written as "~"
};

// The Settings tab: every setting, each change at once through the store; no Save button.
class SettingsView final : public QWidget {
    Q_OBJECT

public:
    SettingsView(const Watchlist& watchlist, Theme& theme, SettingsHooks hooks,
                 QWidget* parent = nullptr);
    ~SettingsView() override;

    // The clear-working-folder question, open and window-modal (its buttons do the rest).
    QMessageBox* confirmClearWorkingFolder();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* section(const QString& title, QVBoxLayout*& content);
    QLabel* caption(const QString& text);
    QLabel* note(const QString& text);
    void build();
    void refresh();
    // The login item and the updater's switch: read when the view is made and each time it shows.
    void readOutsideState();
    void elideRoot();
    void applyTheme();
    void chooseRoot();
    void revealRoot();
    void setLoginItem(bool on);
    void commitRatio();
    void refuse(const QString& title, const QString& text);
    void followTheme(QWidget* alert);

    PublishedState& m_state;
    WatchlistOperations& m_operations;
    Theme& m_theme;
    SettingsHooks m_hooks;

    QScrollArea* m_scroll = nullptr;
    QWidget* m_page = nullptr;
    VaneSwitch* m_login = nullptr;
    VaneSwitch* m_magnet = nullptr;
    std::map<AppTheme, PillButton*> m_appearance;
    QLabel* m_root = nullptr;
    QString m_rootText; // before eliding
    QLabel* m_folderSize = nullptr;
    std::map<Show::Quality, PillButton*> m_quality;
    std::map<int, PillButton*> m_interval;
    VaneSwitch* m_sound = nullptr;
    QCheckBox* m_seedCheck = nullptr;
    QLineEdit* m_ratio = nullptr;
    QLineEdit* m_key = nullptr;
    QLabel* m_keyNote = nullptr;
    VaneSwitch* m_autoUpdates = nullptr;
    QPointer<QMessageBox> m_message; // the latest alert, so tests and a second click find it
};
