// The texts and states the views show, as tables read from tests/fixtures/present.

#include "AboutText.h"
#include "ActivityDayText.h"
#include "CountdownText.h"
#include "EpisodeDrawerTexts.h"
#include "Fixtures.h"
#include "LaunchRequest.h"
#include "ScopedTimeZone.h"
#include "ShowRowText.h"
#include "SidebarTab.h"
#include "StatusStripText.h"
#include "TrayIconLook.h"

#include <gtest/gtest.h>

namespace {

using json = nlohmann::json;

const json& table(const char* file, const char* name) {
    static std::map<std::string, json> files;
    auto [at, added] = files.try_emplace(file);
    if (added)
        at->second = fixtureJson(QStringLiteral("present/%1.json").arg(QLatin1StringView(file)));
    const json& t = at->second[name];
    return t.is_object() ? t["rows"] : t;
}

// An enum without raw names: the value at that name's place in `names`, the enum's own order.
template <typename E>
E byName(const json& v, const QStringList& names) {
    const auto i = names.indexOf(qstr(v));
    EXPECT_GE(i, 0) << v.dump();
    return static_cast<E>(std::max<qsizetype>(i, 0));
}

const Timestamp kNow = *utcOf("2025-03-13T12:00");

// A download as a fixture writes it: times in seconds relative to now.
DownloadRecord recordFrom(const json& j) {
    DownloadRecord r;
    r.id = QStringLiteral("abc");
    r.state = *fromRaw<DownloadRecord::State>(qstr(j.value("state", json("downloading"))));
    if (j.contains("detail"))
        r.detail = qstr(j["detail"]);
    if (j.contains("trackerHint"))
        r.trackerHint = qstr(j["trackerHint"]);
    if (j.contains("stuckFor"))
        r.stuckSince = kNow - j["stuckFor"].get<double>();
    if (j.contains("snoozedFor"))
        r.staleSnoozedUntil = kNow + j["snoozedFor"].get<double>();
    r.progress = j.value("progress", 0.0);
    r.peers = j.value("peers", 0);
    r.seedsSeen = j.value("seedsSeen", 0);
    r.staleAbandoned = j.value("abandoned", false);
    return r;
}

// A stored series whose status date is written as a UTC time too.
Show rowShow(json j) {
    if (j.contains("status") && j["status"].contains("lastEventDate"))
        j["status"]["lastEventDate"] = utcOf(j["status"]["lastEventDate"])->secondsSinceReference;
    return showFrom(j);
}

} // namespace

TEST(TextTables, CountdownAndRelativeTimesTruncateToWholeUnits) {
    for (const json& row : table("texts", "countdown"))
        EXPECT_EQ(countdownText(row[0]), qstr(row[1])) << row.dump();
    for (const json& row : table("texts", "relativeTimeByAge"))
        EXPECT_EQ(ShowRowText::relativeTime(kNow - row[0].get<double>(), kNow), qstr(row[1]))
            << row.dump();
}

TEST(TextTables, ActivityDayHeadersReadTodayYesterdayOrTheWeekday) {
    const QDate today(2026, 3, 4);
    for (const json& row : table("texts", "activityDayHeaders"))
        EXPECT_EQ(activity::dayHeader(QDate::fromString(qstr(row[0]), Qt::ISODate), today),
                  qstr(row[1]));
}

TEST(TextTables, OnlyAPlainStartOrAShowLinkShowsTheWindow) {
    for (const json& row : table("texts", "launchShowsWindow")) {
        QStringList arguments;
        for (const json& a : row[0])
            arguments << qstr(a);
        EXPECT_EQ(launchRequest(arguments) == LaunchRequest::showWindow, row[1].get<bool>())
            << row.dump();
    }
}

TEST(TextTables, AboutLines) {
    EXPECT_EQ(about::versionText("0.1.0", "42"), "Version 0.1.0 (42)");
    EXPECT_TRUE(about::rightsText(2027).startsWith("© 2027 "));
    for (const char* fact : {"Transmission", "GPLv2/GPLv3", "MIT", "https://"})
        EXPECT_TRUE(about::transmissionCredit().contains(QLatin1StringView(fact))) << fact;
    for (const json& row : table("texts", "engineLine")) {
        const auto version = row[0].is_null() ? std::nullopt : std::optional(qstr(row[0]));
        EXPECT_EQ(about::engineLine(version), qstr(row[1])) << row.dump();
    }
}

TEST(TextTables, StatusStripChecksListensOrTellsTheWorstProblem) {
    for (const json& row : table("texts", "statusStrip")) {
        const auto problem = row[2].is_null() ? std::nullopt : std::optional(qstr(row[2]));
        const StatusStripState state = statusStripState({row[0], row[1], problem});
        EXPECT_EQ(state.tone,
                  byName<StatusStripState::Tone>(row[3], {"checking", "listening", "problem"}))
            << row.dump();
        EXPECT_EQ(state.text, qstr(row[4]));
        EXPECT_EQ(state.pulsing, row[5].get<bool>()) << row.dump();
        EXPECT_EQ(state.buttonFaint, row[0].get<bool>()) << row.dump();
    }
    for (const json& row : table("texts", "healthProblem")) {
        const EngineHealth engine{
            byName<EngineHealth::State>(row[0], {"starting", "running", "stopped"}),
            byName<EngineHealth::Cause>(row[1],
                                        {"none", "binaryMissing", "notExecutable", "exitedAtStart",
                                         "rpcPortTaken", "restartsGivenUp"}),
            {}};
        SearchHealth search;
        for (const json& index : row[2])
            search.silentIndexes << qstr(index);
        search.tmdbKeyRefused = row[3];
        const auto expected = row[4].is_null() ? std::nullopt : std::optional(qstr(row[4]));
        EXPECT_EQ(healthProblemText(engine, search), expected) << row.dump();
    }
}

TEST(TextTables, SidebarTabsAndTheirAttentionMark) {
    const auto tabs = allSidebarTabs();
    const json& names = table("texts", "sidebarTabs");
    ASSERT_EQ(tabs.size(), names.size());
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        EXPECT_EQ(fromRaw<SidebarTab>(qstr(names[i][0])), tabs[i]) << i;
        EXPECT_EQ(sidebarTabLabel(tabs[i]), qstr(names[i][1])) << i;
        EXPECT_EQ(sidebarTabSymbol(tabs[i]), qstr(names[i][2])) << i;
    }
    const QString stuck = QStringLiteral(
        "A download here hasn't moved in a while — open this tab to swap, remove, or snooze it");
    for (const json& row : table("texts", "sidebarAttention")) {
        const SidebarTab tab = *fromRaw<SidebarTab>(qstr(row[0]));
        const SidebarItemState state = sidebarItemState(tab, row[1], row[2]);
        EXPECT_EQ(state.needsAttention, row[3].get<bool>()) << row.dump();
        // Without the mark there is no tooltip at all, not an empty-looking one.
        EXPECT_EQ(state.toolTip, row[3].get<bool>() ? stuck : QString()) << row.dump();
        EXPECT_EQ(state.label, sidebarTabLabel(tab));
    }
}

TEST(TextTables, TrayIconFollowsStuckRowsTheNudgeTheSnoozeAndTheEngine) {
    for (const json& row : table("texts", "trayAttention")) {
        AppSettings settings;
        settings.staleNudgeDays = row[2];
        const TrayIconLook look = trayIconLook({recordFrom(row[1])}, settings, kNow);
        const bool attention = row[3];
        EXPECT_EQ(look.attention, attention) << row[0];
        EXPECT_EQ(look.iconName, attention ? "MenuBarIconAlarm" : "MenuBarIcon") << row[0];
        EXPECT_EQ(look.toolTip, attention ? "Lumivane — a download needs attention" : "Lumivane");
    }
    const AppSettings week;
    const DownloadRecord healthy = recordFrom(json::object()),
                         stuck = recordFrom({{"stuckFor", 8 * 86400}});
    EXPECT_FALSE(downloadNeedsAttention({}, week, kNow));
    EXPECT_TRUE(downloadNeedsAttention({healthy, stuck, healthy}, week, kNow));
    const TrayIconLook down = trayIconLook({}, week, kNow, true);
    EXPECT_TRUE(down.attention);
    EXPECT_EQ(down.toolTip, "Lumivane — the download engine is not running");
}

TEST(TextTables, DrawerRowsDatesTooltipsAndRecentLines) {
    using namespace EpisodeDrawerTexts;
    for (const json& row : table("texts", "drawerRows")) {
        const auto offered = row[2].is_null() ? std::nullopt : std::optional(qstr(row[2]));
        const RowState state = rowState({row[0], row[1], offered, row[3], row[4]});
        EXPECT_EQ(rowLabel(state), qstr(row[5]));
        EXPECT_EQ(rowTooltip(state, offered.value_or(QString())), qstr(row[6])) << row.dump();
        EXPECT_EQ(rowPressable(state), row[7].get<bool>()) << row.dump();
    }
    {
        const ScopedTimeZone west("America/Los_Angeles");
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        for (const json& row : table("texts", "airDates"))
            EXPECT_EQ(airDateText(utcOf(row[0]), kNow, us), qstr(row[1])) << row.dump();
    }
    for (const json& row : table("texts", "completeSeason"))
        EXPECT_EQ(completeSeasonTooltip(row[0], row[1]), qstr(row[2]));
    for (const json& row : table("texts", "recentStateLines"))
        EXPECT_EQ(recentStateLine(recordFrom(row[0]), kNow), qstr(row[1])) << row.dump();
}

TEST(TextTables, DrawerFailuresPointToTheKeyOrTheConnectionAndNeverReadAsEmpty) {
    using namespace EpisodeDrawerTexts;
    using F = TMDBClient::Failure;
    EXPECT_TRUE(tmdbFailureText(F::none).isEmpty());
    EXPECT_TRUE(tmdbFailureText(F::refusedKey).contains("Settings"));
    EXPECT_TRUE(tmdbFailureText(F::unreachable).contains("connection"));
    EXPECT_TRUE(indexesUnreachableText().contains("connection"));
    const QStringList texts{tmdbFailureText(F::refusedKey), tmdbFailureText(F::unreachable),
                            tmdbFailureText(F::badAnswer), indexesUnreachableText()};
    EXPECT_EQ(QSet<QString>(texts.cbegin(), texts.cend()).size(), 4);
    for (const QString& t : texts)
        EXPECT_FALSE(t.startsWith("No ") || t.contains("find")) << t.toStdString();
}

TEST(TextTables, SeriesRowStatusLinesFollowTheirPrecedence) {
    using ShowRowText::Tone;
    for (const json& row : table("show-rows", "statusLines")) {
        const Show show = rowShow(row[1]);
        const EpisodePick pick{qstr(row[2]), {}};
        const auto line = ShowRowText::statusLine(show, row[2].is_null() ? nullptr : &pick, kNow);
        ASSERT_EQ(line.has_value(), !row[3].is_null()) << row[0];
        if (line) {
            EXPECT_EQ(line->text, qstr(row[3])) << row[0];
            EXPECT_EQ(line->tone,
                      byName<Tone>(row[4], {"plain", "working", "done", "attention", "failure"}))
                << row[0];
        }
    }
}

TEST(TextTables, SeriesRowSwitchMenuAndReleaseChoiceTexts) {
    using namespace ShowRowText;
    for (const json& row : table("show-rows", "subscription")) {
        const Show show = rowShow(row[0]);
        const bool on = isSubscribed(show);
        EXPECT_EQ(on, row[1].get<bool>()) << row.dump();
        EXPECT_EQ(subscribeLabel(on), qstr(row[2]));
        EXPECT_EQ(subscribeTooltip(show), qstr(row[3]));
        EXPECT_EQ(footnote(on), qstr(row[4]));
    }
    const QStringList actions{"toggleSubscription", "choosePick", "dismissPick", "searchNow",
                              "clearStatus",        "separator",  "remove"};
    for (const json& row : table("show-rows", "menus")) {
        QStringList items;
        for (const MenuItem& item : menuItems(rowShow(row[0]), row[1]))
            items << actions.value(int(item.action)) + ": " + item.label;
        QStringList expected;
        for (const json& item : row[2])
            expected << qstr(item);
        EXPECT_EQ(items, expected) << row[0].dump();
    }
    for (const json& row : table("show-rows", "pickTitles")) {
        const Show show = rowShow({{"quality", row[0]}});
        EXPECT_EQ(pickTitle(show, {"S02E05", {}}), qstr(row[1]));
    }
    for (const json& row : table("show-rows", "alternateLabels")) {
        SearchResult release;
        release.quality = qstr(row[0]);
        EXPECT_EQ(alternateLabel(release), qstr(row[1]));
    }
    EXPECT_EQ(trashTooltip(rowShow({{"name", "The Bear"}})), "Remove The Bear from your series");
}
