#include "MainViews.h"

#include "ImageLoader.h"
#include "MainContentView.h"
#include "SidebarTab.h"
#include "Theme.h"
#include "addshow/AddShowPresenter.h"
#include "calendar/CalendarView.h"
#include "drawer/EpisodeDrawer.h"
#include "LoginItem.h"
#include "Updater.h"
#include "movies/MoviesView.h"
#include "series/ShowsView.h"
#include "settings/SettingsView.h"

#include <QCoreApplication>
#include <QListView>
#include <QPointer>

SettingsHooks MainViews::settingsHooks(Updater& updater, QString defaultRoot) {
    SettingsHooks hooks;
    const auto login = std::make_shared<LoginItem>(QCoreApplication::applicationFilePath());
    hooks.loginItemEnabled = [login] { return login->isEnabled(); };
    hooks.setLoginItemEnabled = [login](bool on) { return login->setEnabled(on); };
    QPointer<Updater> guard(&updater);
    hooks.updatesConfigured = [guard] { return guard && guard->hasFeed(); };
    hooks.updatesAutomatic = [guard] { return guard && guard->automaticallyChecksForUpdates(); };
    hooks.setUpdatesAutomatic = [guard](bool on) {
        if (guard)
            guard->setAutomaticallyChecksForUpdates(on);
    };
    hooks.checkForUpdates = [guard] {
        if (guard)
            guard->checkForUpdates();
    };
    hooks.defaultRoot = std::move(defaultRoot);
    return hooks;
}

MainViews::MainViews(const Watchlist& watchlist, Theme& theme, ImageLoader& images,
                     Updater& updater, QString defaultRoot, QObject* parent)
    : QObject(parent)
    , m_watchlist(watchlist)
    , m_theme(theme)
    , m_images(images)
    , m_updater(updater)
    , m_defaultRoot(std::move(defaultRoot))
    , m_addShow(new AddShowPresenter(watchlist, theme, images, this))
    , m_addMovie(
          new AddShowPresenter(watchlist, theme, images, this, AddShowModel::Kind::movie)) {}

void MainViews::setKeepClear(const std::function<std::optional<QRect>()>& iconArea) {
    m_addShow->setKeepClear(iconArea);
    m_addMovie->setKeepClear(iconArea);
}

TrayShell::ContentFactory MainViews::contentFactory() {
    return [this](QWidget* parent, std::function<void()> close) {
        return build(parent, std::move(close));
    };
}

QWidget* MainViews::build(QWidget* parent, std::function<void()> close) {
    auto* content = new MainContentView(m_watchlist, m_theme, parent);
    QObject::connect(content, &MainContentView::closeRequested, content, std::move(close));

    auto* shows = new ShowsView(m_watchlist, m_theme, m_images);
    content->setTabView(SidebarTab::shows, shows);
    auto* movies = new MoviesView(m_watchlist, m_theme, m_images);
    content->setTabView(SidebarTab::movies, movies);
    QObject::connect(movies, &MoviesView::addMovieRequested, content,
                     [this, content] { m_addMovie->open(content->window()); });
    content->setTabView(SidebarTab::calendar, new CalendarView(m_watchlist.state, m_theme));
    // The drawer covers the whole window's content; closing it shows the list again.
    content->setTabView(SidebarTab::settings,
                        new SettingsView(m_watchlist, m_theme,
                                         settingsHooks(m_updater, m_defaultRoot)));
    auto* drawer = new EpisodeDrawer(m_watchlist, m_theme, content);
    drawer->hide();
    QObject::connect(shows, &ShowsView::episodesRequested, drawer, &EpisodeDrawer::openFor);
    // The keyboard comes back to the list the drawer was opened from.
    QObject::connect(drawer, &EpisodeDrawer::closed, shows, [shows] { shows->list()->setFocus(); });
    QObject::connect(content, &MainContentView::windowHidden, shows, [shows, drawer] {
        drawer->hide();
        shows->resetView();
    });
    QObject::connect(shows, &ShowsView::addSeriesRequested, content,
                     [this, content] { m_addShow->open(content->window()); });
    return content;
}
