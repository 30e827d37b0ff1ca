#pragma once

#include "TrayShell.h"
#include "api/Watchlist.h"

#include <QObject>

class AddShowPresenter;
class ImageLoader;
class Theme;
class Updater;
struct SettingsHooks;

// Puts the main window's content together: the navigation shell of the window with each
// tab's view in place, and the flows the views open.
class MainViews final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainViews)

public:
    // `defaultRoot`: the library root while settings name none.
    MainViews(const Watchlist& watchlist, Theme& theme, ImageLoader& images, Updater& updater,
              QString defaultRoot, QObject* parent = nullptr);

    // The Settings tab's reach into the desktop: the login item, the updater, dialogs.
    static SettingsHooks settingsHooks(Updater& updater, QString defaultRoot);

    // The tray icon's rectangle, which the add panels keep clear of.
    void setKeepClear(const std::function<std::optional<QRect>()>& iconArea);

    // What the tray shell calls when it first shows the main window.
    TrayShell::ContentFactory contentFactory();

private:
    QWidget* build(QWidget* parent, std::function<void()> close);

    Watchlist m_watchlist;
    Theme& m_theme;
    ImageLoader& m_images;
    Updater& m_updater;
    QString m_defaultRoot;
    AddShowPresenter* m_addShow;  // the add-series panels, opened from the series list
    AddShowPresenter* m_addMovie; // the same panels for a movie, opened from the movie list
};
