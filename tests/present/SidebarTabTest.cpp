#include "SidebarTab.h"

#include <gtest/gtest.h>

namespace {
const QString kStuck = QStringLiteral(
    "A download here hasn't moved in a while — open this tab to swap, remove, or snooze it");
}

TEST(SidebarTab, ListsTheFiveTabsInOrderWithLabelsAndSymbols) {
    const struct {
        const char* raw;
        const char* label;
        const char* symbol;
    } table[] = {
        {"movies", "Movies", "film"},         {"shows", "Series", "tv"},
        {"calendar", "Calendar", "calendar"}, {"activity", "Activity", "list.bullet.clipboard"},
        {"settings", "Settings", "gear"},
    };
    const auto tabs = allSidebarTabs();
    ASSERT_EQ(tabs.size(), std::size(table));
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        EXPECT_EQ(toRaw(tabs[i]), QLatin1StringView(table[i].raw)) << i;
        EXPECT_EQ(sidebarTabLabel(tabs[i]), QLatin1StringView(table[i].label)) << i;
        EXPECT_EQ(sidebarTabSymbol(tabs[i]), QLatin1StringView(table[i].symbol)) << i;
        EXPECT_EQ(fromRaw<SidebarTab>(QString::fromLatin1(table[i].raw)), tabs[i]) << i;
    }
}

TEST(SidebarTab, OnlySeriesAndMoviesCarryTheAttentionMarkAndItsTooltip) {
    const struct {
        SidebarTab tab;
        int flaggedSeries;
        int flaggedMovies;
        bool attention;
    } table[] = {
        {SidebarTab::shows, 0, 0, false},    {SidebarTab::shows, 1, 0, true},
        {SidebarTab::shows, 0, 3, false},    {SidebarTab::movies, 0, 0, false},
        {SidebarTab::movies, 0, 1, true},    {SidebarTab::movies, 4, 0, false},
        {SidebarTab::calendar, 5, 5, false}, {SidebarTab::activity, 5, 5, false},
        {SidebarTab::settings, 5, 5, false}, {SidebarTab::shows, -1, 0, false},
    };
    for (const auto& row : table) {
        const SidebarItemState state =
            sidebarItemState(row.tab, row.flaggedSeries, row.flaggedMovies);
        const std::string where = toRaw(row.tab).toStdString() + " " +
                                  std::to_string(row.flaggedSeries) + "/" +
                                  std::to_string(row.flaggedMovies);
        EXPECT_EQ(state.needsAttention, row.attention) << where;
        // Without the mark there is no tooltip at all, not an empty-looking one.
        EXPECT_EQ(state.toolTip, row.attention ? kStuck : QString()) << where;
        EXPECT_EQ(state.label, sidebarTabLabel(row.tab)) << where;
    }
}
