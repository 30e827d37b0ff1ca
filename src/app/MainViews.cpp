#include "MainViews.h"

#include "ImageLoader.h"
#include "MainContentView.h"
#include "SidebarTab.h"
#include "Theme.h"
#include "addshow/AddShowPresenter.h"
#include "drawer/EpisodeDrawer.h"
#include "series/ShowsView.h"

MainViews::MainViews(const Watchlist& watchlist, Theme& theme, ImageLoader& images, QObject* parent)
    : QObject(parent)
    , m_watchlist(watchlist)
    , m_theme(theme)
    , m_images(images)
    , m_addShow(new AddShowPresenter(watchlist, theme, images, this)) {}

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
    // The drawer covers the whole window's content; closing it shows the list again.
    auto* drawer = new EpisodeDrawer(m_watchlist, m_theme, content);
    drawer->hide();
    QObject::connect(shows, &ShowsView::episodesRequested, drawer, &EpisodeDrawer::openFor);
    QObject::connect(shows, &ShowsView::addSeriesRequested, content,
                     [this, content] { m_addShow->open(content->window()); });
    return content;
}
