#include "MainContentView.h"
#include "RoundedPanel.h"
#include "ShotRig.h"
#include "Shots.h"
#include "SidebarTab.h"
#include "calendar/CalendarView.h"
#include "movies/MoviesView.h"
#include "series/ShowsView.h"
#include "settings/SettingsView.h"

#include <QAbstractButton>

namespace {

// The window as the shell shows it: the content in a rounded panel, 760 × 520.
struct Window {
    Window(ShotRig& rig, WatchlistStore& store)
        : panel(rig.theme(), Qt::Window)
        , content(new MainContentView(store, rig.theme())) {
        content->setTabView(SidebarTab::shows, new ShowsView(store, rig.theme(), rig.images()));
        content->setTabView(SidebarTab::movies, new MoviesView(store, rig.theme(), rig.images()));
        content->setTabView(SidebarTab::calendar, new CalendarView(store, rig.theme()));
        SettingsHooks hooks;
        hooks.defaultRoot = store.environment().defaultLibraryRoot;
        content->setTabView(SidebarTab::settings, new SettingsView(store, rig.theme(), hooks));
        panel.setContent(content);
        panel.setBodySize(QSize(760, 520));
        panel.show();
        ShotRig::settle();
    }
    RoundedPanel panel;
    MainContentView* content;
};

} // namespace

void shootMainWindow(ShotRig& rig) {
    {
        Window window(rig, rig.store());
        // Opens on Series; the series and movie downloads that stalled mark both tabs.
        rig.shoot(window.panel, QStringLiteral("main-series"));
        for (SidebarTab tab : {SidebarTab::movies, SidebarTab::calendar, SidebarTab::settings}) {
            window.content->selectTab(tab);
            rig.shoot(window.panel, QStringLiteral("main-") + toRaw(tab));
        }
        window.content->selectTab(SidebarTab::activity);
        rig.shoot(window.panel, QStringLiteral("main-activity"));

        window.content->selectTab(SidebarTab::shows);
        window.content->findChild<QAbstractButton*>(QStringLiteral("aboutButton"))->click();
        rig.shoot(window.panel, QStringLiteral("main-about"));
        window.content->findChild<QAbstractButton*>(QStringLiteral("aboutButton"))->click();

        // Taken before the event loop runs again, while the check is still under way.
        window.content->selectTab(SidebarTab::activity);
        rig.store().runCheck(true);
        rig.shoot(window.panel, QStringLiteral("main-activity-checking"));
    }
    {
        Window window(rig, rig.emptyStore());
        window.content->selectTab(SidebarTab::activity);
        rig.shoot(window.panel, QStringLiteral("main-activity-empty"));
    }
}
