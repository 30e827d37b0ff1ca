#include "SidebarTab.h"

QString sidebarTabLabel(SidebarTab tab) {
    if (tab == SidebarTab::shows)
        return QStringLiteral("Series");
    QString raw = toRaw(tab);
    if (!raw.isEmpty())
        raw[0] = raw[0].toUpper();
    return raw;
}

QString sidebarTabSymbol(SidebarTab tab) {
    switch (tab) {
    case SidebarTab::movies:
        return QStringLiteral("film");
    case SidebarTab::shows:
        return QStringLiteral("tv");
    case SidebarTab::calendar:
        return QStringLiteral("calendar");
    case SidebarTab::activity:
        return QStringLiteral("list.bullet.clipboard");
    case SidebarTab::settings:
        return QStringLiteral("gear");
    }
    return {};
}

QString sidebarTabComingText(SidebarTab tab) {
    return sidebarTabLabel(tab) + QStringLiteral(" arrives in a coming version of Lumivane.");
}

SidebarItemState sidebarItemState(SidebarTab tab, int flaggedSeries, int flaggedMovies) {
    SidebarItemState state{sidebarTabLabel(tab), sidebarTabSymbol(tab)};
    // Only the two lists that hold downloads can point the user at a stuck one.
    if (tab == SidebarTab::shows)
        state.needsAttention = flaggedSeries > 0;
    else if (tab == SidebarTab::movies)
        state.needsAttention = flaggedMovies > 0;
    if (state.needsAttention)
        state.toolTip = QStringLiteral("A download here hasn't moved in a while — open this tab to "
                                       "swap, remove, or snooze it");
    return state;
}
