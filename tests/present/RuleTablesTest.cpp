// The views' pure rules (texts, states, placements) as tables read from
// tests/fixtures/present: each row holds a rule's inputs, then what it must
// give.

#include "AboutText.h"
#include "AccessibleText.h"
#include "ActivityDayText.h"
#include "AddPanelPlacement.h"
#include "Announcements.h"
#include "CalendarText.h"
#include "CountdownText.h"
#include "EpisodeDrawerTexts.h"
#include "Fixtures.h"
#include "LaunchRequest.h"
#include "MovieRowText.h"
#include "ScopedTimeZone.h"
#include "SettingsText.h"
#include "ShowRowKeys.h"
#include "ShowRowText.h"
#include "SidebarTab.h"
#include "StatusStripText.h"
#include "TrayIconLook.h"
#include "WindowPlacement.h"
#include "model/RecordCodecs.h"
#include "store/TrackerHint.h"

#include <QMetaEnum>

#include <gtest/gtest.h>

#include <functional>

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

const Timestamp kNow = *utcOf("2025-03-13T12:00");
const QRectF kScreen(0, 28, 1920, 1052); // under a 28-pixel panel
const QRectF kAddArea(0, 25, 1440, 875);

json str(const QString& text) {
    return text.toStdString();
}
json str(const std::optional<QString>& text) {
    return text ? str(*text) : json();
}
std::optional<QString> maybe(const json& v) {
    return v.is_null() ? std::nullopt : std::optional(qstr(v));
}
QDate date(const json& v) {
    return QDate::fromString(qstr(v), Qt::ISODate);
}
json point(QPoint p) {
    return {p.x(), p.y()};
}
QRectF rect(const json& j, QRectF otherwise = {}) {
    return j.is_array() ? QRectF(j[0], j[1], j[2], j[3]) : otherwise;
}
// An enum without raw names by its place in `names`, the enum's own order, and
// back.
template <typename E>
E byName(const json& v, const QStringList& names) {
    return static_cast<E>(names.indexOf(qstr(v)));
}
template <typename E>
json nameOf(E value, const QStringList& names) {
    return str(names.value(int(value)));
}

// A download as a fixture writes it: times in seconds relative to now.
DownloadRecord recordFrom(const json& j) {
    DownloadRecord r;
    r.id = QStringLiteral("abc");
    r.state = *fromRaw<DownloadRecord::State>(qstr(j.value("state", json("downloading"))));
    r.detail = j.contains("detail") ? maybe(j["detail"]) : std::nullopt;
    r.trackerHint = j.contains("trackerHint") ? maybe(j["trackerHint"]) : std::nullopt;
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

// A movie from a partial stored record, Heat (1995) unless it says.
Movie rowMovie(json j) {
    j.emplace("name", "Heat");
    j.emplace("year", "1995");
    const auto movies =
        decodeDocument<QList<Movie>>(QByteArray::fromStdString(json::array({j}).dump()));
    EXPECT_TRUE(movies) << j.dump();
    return movies ? movies->first() : Movie{};
}

const QStringList kParts{"none",     "row",   "subscribeSwitch", "qualityPill",
                         "pickPill", "trash", "stale",           "viewEpisodes"};
const QStringList kEpisodeStates{"gotIt", "upcoming", "missing"};
const QStringList kTones{"plain", "working", "done", "attention", "failure"};
const QStringList kDrawerTones{"plain", "quiet", "faint", "action", "done", "attention", "failure"};
const QStringList kMenuActions{"toggleSubscription", "choosePick", "dismissPick", "searchNow",
                               "clearStatus",        "separator",  "remove"};

using R = const json&;

// A rule's inputs are the row's leading columns; the rest is what it gives: one
// value, or an array of them when there are several.
struct Rule {
    const char* file;
    const char* table;
    int inputs;
    std::function<json(R row)> give;
};

const Rule kRules[] = {
    {"texts", "countdown", 1, [](R r) { return str(countdownText(r[0])); }},
    {"texts", "relativeTimeByAge", 1,
     [](R r) { return str(ShowRowText::relativeTime(kNow - r[0].get<double>(), kNow)); }},
    {"texts", "launchShowsWindow", 1,
     [](R r) { return launchRequest(strings(r[0])) == LaunchRequest::showWindow; }},
    {"texts", "engineLine", 1, [](R r) { return str(about::engineLine(maybe(r[0]))); }},
    {"texts", "activityDayHeaders", 1,
     [](R r) {
         const QDate day = QDate::fromString(qstr(r[0]), Qt::ISODate);
         return str(activity::dayHeader(day, QDate(2026, 3, 4)));
     }},
    {"texts", "statusStrip", 3,
     [](R r) {
         const StatusStripState s = statusStripState({r[0], r[1], maybe(r[2])});
         return json{nameOf(s.tone, {"checking", "listening", "problem"}), str(s.text),
                     str(s.aside), s.pulsing, s.buttonFaint};
     }},
    {"texts", "healthProblem", 6,
     [](R r) {
         const EngineHealth engine{
             byName<EngineHealth::State>(r[0], {"starting", "running", "stopped"}),
             byName<EngineHealth::Cause>(r[1],
                                         {"none", "binaryMissing", "notExecutable", "exitedAtStart",
                                          "rpcPortTaken", "restartsGivenUp", "stoppedAnswering"}),
             {}};
         const SearchHealth search{
             .silentIndexes = strings(r[2]), .tmdbKeyRefused = r[3], .tmdbUnreachable = r[4]};
         return str(healthProblemText(engine, search, r[5]));
     }},
    {"texts", "sidebarTabs", 1,
     [](R r) {
         const SidebarTab tab = *fromRaw<SidebarTab>(qstr(r[0]));
         return json{str(sidebarTabLabel(tab)), str(sidebarTabSymbol(tab))};
     }},
    {"texts", "sidebarAttention", 3,
     [](R r) {
         const SidebarTab tab = *fromRaw<SidebarTab>(qstr(r[0]));
         const SidebarItemState s = sidebarItemState(tab, r[1], r[2]);
         EXPECT_EQ(s.label, sidebarTabLabel(tab));
         return json{s.needsAttention, str(s.toolTip)};
     }},
    {"texts", "trayAttention", 3,
     [](R r) {
         AppSettings settings;
         settings.staleNudgeDays = r[2];
         const TrayIconLook look = trayIconLook({recordFrom(r[1])}, settings, kNow);
         return json{look.attention, str(look.iconName), str(look.toolTip)};
     }},
    {"texts", "drawerRows", 6,
     [](R r) {
         using namespace EpisodeDrawerTexts;
         const RowState state = rowState({r[0], r[1], maybe(r[2]), r[3], r[4], r[5]});
         return json{str(rowLabel(state)), str(rowTooltip(state, maybe(r[2]).value_or(""))),
                     rowPressable(state), nameOf(rowTone(state), kDrawerTones)};
     }},
    {"texts", "airDates", 1,
     [](R r) {
         const QLocale us(QLocale::English, QLocale::UnitedStates);
         return str(EpisodeDrawerTexts::airDateText(utcOf(r[0]), kNow, us));
     }},
    {"texts", "completeSeason", 2,
     [](R r) { return str(EpisodeDrawerTexts::completeSeasonTooltip(r[0], r[1])); }},
    {"texts", "tmdbFailures", 1,
     [](R r) {
         return str(EpisodeDrawerTexts::tmdbFailureText(byName<LookupFailure>(
             r[0], {"none", "noKey", "refusedKey", "unreachable", "badAnswer"})));
     }},
    {"texts", "recentStateLines", 1,
     [](R r) { return str(EpisodeDrawerTexts::recentStateLine(recordFrom(r[0]), kNow)); }},
    {"texts", "recentTones", 3,
     [](R r) {
         return nameOf(EpisodeDrawerTexts::recentTone(recordFrom(r[0]), r[1], r[2]), kDrawerTones);
     }},
    {"show-rows", "statusLines", 3,
     [](R r) {
         const EpisodePick pick{qstr(r[2]), {}};
         const auto line =
             ShowRowText::statusLine(rowShow(r[1]), r[2].is_null() ? nullptr : &pick, kNow);
         return line ? json{str(line->text), nameOf(line->tone, kTones)} : json{nullptr, nullptr};
     }},
    {"show-rows", "subscription", 1,
     [](R r) {
         using namespace ShowRowText;
         const Show show = rowShow(r[0]);
         const bool on = isSubscribed(show);
         return json{on, str(subscribeLabel(on)), str(subscribeTooltip(show)), str(footnote(on))};
     }},
    {"show-rows", "menus", 2,
     [](R r) {
         json items = json::array();
         for (const ShowRowText::MenuItem& item : ShowRowText::menuItems(rowShow(r[0]), r[1]))
             items.push_back(str(kMenuActions.value(int(item.action)) + ": " + item.label));
         return items;
     }},
    {"show-rows", "keys", 4,
     [](R r) {
         const auto key =
             QMetaEnum::fromType<Qt::Key>().keyToValue(r[1].get<std::string>().c_str());
         const auto modifiers =
             Qt::KeyboardModifiers(QMetaEnum::fromType<Qt::KeyboardModifier>().keysToValue(
                 r[2].get<std::string>().c_str()));
         const QList<ShowRowPart> shown{ShowRowPart::row, ShowRowPart::subscribeSwitch,
                                        ShowRowPart::qualityPill, ShowRowPart::trash,
                                        ShowRowPart::viewEpisodes};
         const ShowRowKeys::Step step =
             ShowRowKeys::forKey(key, modifiers, byName<ShowRowPart>(r[3], kParts), shown);
         return json{nameOf(step.kind, {"pass", "focus", "leave", "press", "menu"}),
                     nameOf(step.part, kParts), step.refocus};
     }},
    {"show-rows", "pickTitles", 1,
     [](R r) {
         return str(ShowRowText::pickTitle(rowShow({{"quality", r[0]}}), {"S02E05", {}}));
     }},
    {"show-rows", "alternateLabels", 1,
     [](R r) {
         SearchResult release;
         release.quality = qstr(r[0]);
         return str(ShowRowText::alternateLabel(release));
     }},
    {"movie-rows", "statusLines", 2,
     [](R r) {
         const auto line = MovieRowText::statusLine(rowMovie(r[1]));
         return json{str(line.text), nameOf(line.tone, kTones)};
     }},
    {"movie-rows", "titles", 1,
     [](R r) {
         const Movie movie = rowMovie(r[0]);
         return json{str(MovieRowText::titleLine(movie)), str(MovieRowText::trashTooltip(movie))};
     }},
    {"movie-rows", "menus", 1,
     [](R r) {
         static const QStringList actions{"toggleEnabled", "searchNow", "clearStatus", "separator",
                                          "remove"};
         json items = json::array();
         for (const MovieRowText::MenuItem& item : MovieRowText::menuItems(rowMovie(r[0])))
             items.push_back(str(actions.value(int(item.action)) + ": " + item.label));
         return items;
     }},
    {"movie-rows", "downloadLines", 1,
     [](R r) { return str(MovieRowText::downloadLine(recordFrom(r[0]), kNow)); }},
    {"settings-and-reading", "intervalChoices", 0,
     [](R) {
         json labels = json::array();
         for (int minutes : settingstext::intervalChoices())
             labels.push_back(str(settingstext::intervalLabel(minutes)));
         return labels;
     }},
    {"settings-and-reading", "intervalLabels", 1,
     [](R r) { return str(settingstext::intervalLabel(r[0])); }},
    {"settings-and-reading", "homeRelative", 2,
     [](R r) { return str(settingstext::homeRelative(qstr(r[0]), qstr(r[1]))); }},
    {"settings-and-reading", "rootFolder", 1,
     [](R r) {
         const QString u = qstr(r[0]);
         const auto chosen =
             r[0].is_null() ? std::nullopt
                            : std::optional(u.startsWith('/') ? QUrl::fromLocalFile(u) : QUrl(u));
         return str(
             settingstext::rootFolderText(chosen, "/home/al/Téléchargements/Lumivane", "/home/al"));
     }},
    {"settings-and-reading", "locationNote", 2,
     [](R r) { return str(settingstext::locationNote(qstr(r[0]), qstr(r[1]))); }},
    {"settings-and-reading", "clearConfirmation", 1,
     [](R r) {
         QList<DownloadRecord> rows;
         for (const json& d : r[0])
             rows.append({.showName = qstr(d[0]), .episode = qstr(d[1])});
         return str(settingstext::clearConfirmation(rows));
     }},
    {"settings-and-reading", "ratioText", 1,
     [](R r) { return str(settingstext::ratioText(r[0])); }},
    {"settings-and-reading", "parseRatio", 1,
     [](R r) {
         const auto stored = settingstext::parseRatio(qstr(r[0]));
         return stored ? json(*stored) : json();
     }},
    {"settings-and-reading", "seriesRowDescription", 4,
     [](R r) {
         return str(accessible::seriesRowDescription(qstr(r[0]), qstr(r[1]), qstr(r[2]), r[3]));
     }},
    {"settings-and-reading", "episodeRowName", 2,
     [](R r) { return str(accessible::episodeRowName(qstr(r[0]), qstr(r[1]))); }},
    {"settings-and-reading", "episodeRowDescription", 2,
     [](R r) { return str(accessible::episodeRowDescription(qstr(r[0]), qstr(r[1]))); }},
    {"settings-and-reading", "releaseRowDescription", 2,
     [](R r) { return str(accessible::releaseRowDescription(qstr(r[0]), r[1])); }},
    {"settings-and-reading", "calendarDayDescription", 1,
     [](R r) {
         QList<CalEvent> events;
         for (const json& e : r[0])
             events.append({.showName = qstr(e[0]),
                            .code = qstr(e[1]),
                            .state = byName<CalEvent::EpisodeState>(e[2], kEpisodeStates)});
         return str(accessible::calendarDayDescription(events));
     }},
    {"settings-and-reading", "announceCheck", 2,
     [](R r) { return str(announce::forCheck(r[0], r[1])); }},
    {"settings-and-reading", "announceActivity", 2,
     [](R r) {
         return str(announce::forActivity(
             {{}, {}, qstr(r[1]), *fromRaw<ActivityEntry::Kind>(qstr(r[0]))}));
     }},
    {"settings-and-reading", "announceProblem", 2,
     [](R r) { return str(announce::forProblem(maybe(r[0]), maybe(r[1]))); }},
    {"geometry", "trayEdge", 1,
     [](R r) {
         const QRect icon = rect(r[0]).toRect(), screen(icon.x() >= 1920 ? 1920 : 0, 0, 1920, 1080);
         return nameOf(trayEdgeOf(screen, icon), {"top", "bottom", "left", "right"});
     }},
    {"geometry", "mainWindowNearIcon", 3,
     [](R r) {
         const auto icon = r[0].is_null() ? std::nullopt : std::optional(rect(r[0]).toRect());
         const MainWindowPlacement p = placeMainWindowNearIcon(
             {0, 0, 1920, 1080}, rect(r[1]).toRect(), {760, 520}, icon, r[2]);
         return json{point(p.topLeft), p.magnetized};
     }},
    {"geometry", "screenOfIcon", 1,
     [](R r) {
         return screenOfIcon({{0, 0, 1920, 1080}, {1920, 0, 1440, 900}}, {r[0][0], r[0][1]}, 0);
     }},
    {"calendar", "weekDays", 3,
     [](R r) {
         const QList<QDate> days = calendar::weekDays(date(r[0]), r[1], QLocale(qstr(r[2])));
         EXPECT_EQ(days.size(), 7);
         for (int i = 1; i < days.size(); ++i)
             EXPECT_EQ(days[i], days[i - 1].addDays(1));
         return json{str(days.value(0).toString(Qt::ISODate)), str(calendar::weekHeader(days))};
     }},
    {"calendar", "eventDays", 2,
     [](R r) {
         const ScopedTimeZone zone(r[0].get<std::string>().c_str());
         const CalEvent e{.date = *utcOf(r[1])};
         const QDate day = calendar::eventDay(e);
         return json{str(day.toString(Qt::ISODate)), calendar::eventsOn({e}, date(r[2])).size(),
                     calendar::eventsOn({e}, date(r[2]).addDays(1)).size()};
     }},
    {"calendar", "localMidnightDays", 1,
     [](R r) {
         const ScopedTimeZone zone(r[0].get<std::string>().c_str());
         const CalEvent e{.date = Timestamp::fromDateTime(QDate(2025, 3, 4).startOfDay())};
         return str(calendar::eventDay(e).toString(Qt::ISODate));
     }},
    {"geometry", "mainWindow", 4,
     [](R r) {
         const auto icon = r[2].is_null() ? std::nullopt : std::optional(r[2].get<double>());
         const MainWindowPlacement p =
             placeMainWindow(rect(r[1], kScreen).toRect(), {760, 520}, icon, r[3]);
         return json{point(p.topLeft), p.magnetized};
     }},
    {"geometry", "agendaPanel", 1,
     [](R r) {
         return point(placeAgendaPanel(kScreen.toRect(), {208, 300}, r[0]));
     }},
    {"geometry", "addForm", 4,
     [](R r) {
         return point(
             AddPanelPlacement::form(rect(r[1]), QSizeF(r[2][0], r[2][1]), rect(r[3], kAddArea)));
     }},
    {"geometry", "addResults", 3,
     [](R r) {
         return point(
             AddPanelPlacement::results(rect(r[1]), QSizeF(604, 470), rect(r[2], kAddArea)));
     }},
    {"geometry", "addPoster", 2,
     [](R r) {
         return point(
             AddPanelPlacement::poster(rect(r[0]), QSizeF(200, 300), kAddArea, rect(r[1])));
     }},
};

} // namespace

TEST(RuleTables, EveryRowGivesWhatItExpects) {
    // West of Greenwich, where a day taken from local time instead of UTC would
    // shift.
    const ScopedTimeZone west("America/Los_Angeles");
    for (const Rule& rule : kRules) {
        const json& rows = table(rule.file, rule.table);
        EXPECT_FALSE(rows.empty()) << rule.table;
        for (const json& row : rows) {
            const json expected = row.size() == static_cast<std::size_t>(rule.inputs) + 1
                                      ? row.back()
                                      : json(row.begin() + rule.inputs, row.end());
            EXPECT_EQ(rule.give(row), expected) << rule.table << ": " << row.dump();
        }
    }
}

TEST(RuleTables, WhatIsNotARowOfATable) {
    QStringList tabs, listed;
    for (const SidebarTab tab : allSidebarTabs())
        tabs << toRaw(tab);
    for (const json& row : table("texts", "sidebarTabs"))
        listed << qstr(row[0]);
    EXPECT_EQ(tabs, listed) << "the tabs in their order";

    EXPECT_EQ(about::versionText("0.1.0", "42"), "Version 0.1.0 (42)");
    EXPECT_TRUE(about::rightsText(2027).startsWith("© 2027 "));
    for (const char* fact : {"Transmission", "GPLv2/GPLv3", "MIT", "https://"})
        EXPECT_TRUE(about::transmissionCredit().contains(QLatin1StringView(fact))) << fact;

    const AppSettings week;
    const DownloadRecord healthy = recordFrom(json::object()),
                         stuck = recordFrom({{"stuckFor", 8 * 86400}});
    EXPECT_FALSE(downloadNeedsAttention({}, week, kNow));
    EXPECT_TRUE(downloadNeedsAttention({healthy, stuck, healthy}, week, kNow));
    const TrayIconLook down = trayIconLook({}, week, kNow, true);
    EXPECT_TRUE(down.attention);
    EXPECT_EQ(down.toolTip, "Lumivane — the download engine is not running");

    EXPECT_EQ(ShowRowText::trashTooltip(rowShow({{"name", "The Bear"}})),
              "Remove The Bear from your series");
    EXPECT_TRUE(settingstext::workingFolderNote().contains("/Incomplete/"));
    EXPECT_TRUE(calendar::weekDays(QDate(), 0, QLocale("en_US")).isEmpty());
    EXPECT_EQ(calendar::weekHeader({}), "This Week");
    EXPECT_EQ(screenOfIcon({}, QPoint(10, 10), 3), 3) << "no screens: the fallback";
}

TEST(TrackerHints, TheStoredHintAndWhatTheViewsShow) {
    const QStringList reasons{"foundSeeds", "noSeeds", "noTracker", "queued"};
    const auto rows = fixtureJson("store/tracker-hints.json");
    for (auto c = rows.begin() + 1; c != rows.end(); ++c) { // after the heading row
        const auto note = (*c)[0].is_null()
                              ? std::nullopt
                              : std::optional(StallReason(reasons.indexOf(qstr((*c)[0]))));
        const DownloadRecord row{.trackerHint = trackerHintFor(note),
                                 .seedsSeen = (*c)[1].get<int>()};
        EXPECT_EQ(EpisodeDrawerTexts::trackerHintText(row), qstr((*c)[2])) << c->dump();
    }
}
