#pragma once

#include "TrayShell.h"
#include "api/Watchlist.h"

#include <QObject>

class AddShowPresenter;
class ImageLoader;
class Theme;

// Puts the main window's content together: the navigation shell of the window with each
// tab's view in place, and the flows the views open.
class MainViews final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainViews)

public:
    MainViews(const Watchlist& watchlist, Theme& theme, ImageLoader& images,
              QObject* parent = nullptr);

    // What the tray shell calls when it first shows the main window.
    TrayShell::ContentFactory contentFactory();

private:
    QWidget* build(QWidget* parent, std::function<void()> close);

    Watchlist m_watchlist;
    Theme& m_theme;
    ImageLoader& m_images;
    AddShowPresenter* m_addShow; // the add-series panels, opened from the series list
};
