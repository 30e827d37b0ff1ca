#pragma once

#include "model/EnumRaw.h"

#include <QString>

// The five tabs of the main window, in sidebar order.
enum class SidebarTab { movies, shows, calendar, activity, settings };

template <>
struct EnumRaw<SidebarTab> {
    static constexpr std::array cases{
        std::pair{SidebarTab::movies, "movies"},     std::pair{SidebarTab::shows, "shows"},
        std::pair{SidebarTab::calendar, "calendar"}, std::pair{SidebarTab::activity, "activity"},
        std::pair{SidebarTab::settings, "settings"},
    };
};

// Every tab, in the order the sidebar lists them.
constexpr auto allSidebarTabs() {
    return allCases<SidebarTab>();
}

// "Movies", "Series", "Calendar", …: the raw value capitalised, except that shows read "Series".
QString sidebarTabLabel(SidebarTab tab);
// The bundled symbol drawn beside the label.
QString sidebarTabSymbol(SidebarTab tab);
// What a tab whose view is not there yet says instead.
QString sidebarTabComingText(SidebarTab tab);

// How one sidebar item looks given how many series and movies have a flagged download.
struct SidebarItemState {
    QString label;
    QString symbol;
    bool needsAttention = false;
    QString toolTip; // empty: no tooltip
};

SidebarItemState sidebarItemState(SidebarTab tab, int flaggedSeries, int flaggedMovies);
