#include "ShowRowText.h"

#include <QDateTime>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace ShowRowText;

namespace {

Timestamp at(int day, int hour, int minute = 0) {
    return Timestamp::fromDateTime(QDateTime(QDate(2025, 3, day), QTime(hour, minute), Qt::UTC));
}

const Timestamp kNow = at(13, 12);

Show dark() {
    return Show{.id = QUuid::createUuid(), .name = "Dark"};
}

Show unsubscribed() {
    Show s = dark();
    s.isEnabled = false;
    return s;
}

ShowStatus status(ShowStatus::State state, std::optional<QString> episode,
                  std::optional<QString> detail, std::optional<Timestamp> when) {
    return {state, 0.0, std::move(episode), std::move(detail), when};
}

} // namespace

TEST(ShowRowText, RelativeTimesTruncateToWholeUnits) {
    const std::pair<double, const char*> table[] = {
        {0, "just now"},
        {59.9, "just now"},
        {60, "1m ago"},
        {299, "4m ago"},
        {300, "5m ago"},
        {3599, "59m ago"},
        {3600, "1h ago"},
        {3 * 3600 + 59, "3h ago"},
        {86399, "23h ago"},
        {86400, "1d ago"},
        {2 * 86400 + 5, "2d ago"},
        {-120, "just now"}, // a date ahead of the clock
    };
    for (const auto& [age, text] : table)
        EXPECT_EQ(relativeTime(kNow - age, kNow), QString::fromUtf8(text)) << age;
}

struct StatusCase {
    const char* label;
    Show show;
    std::optional<EpisodePick> pick;
    const char* expected; // nullptr: no status line
    Tone tone;
};

class StatusLines : public testing::TestWithParam<StatusCase> {};

TEST_P(StatusLines, FollowTheirPrecedence) {
    const StatusCase& c = GetParam();
    const std::optional<StatusLine> line = statusLine(c.show, c.pick ? &*c.pick : nullptr, kNow);
    if (!c.expected) {
        EXPECT_FALSE(line) << line->text.toStdString();
        return;
    }
    ASSERT_TRUE(line);
    EXPECT_EQ(line->text, QString::fromUtf8(c.expected));
    EXPECT_EQ(line->tone, c.tone);
}

namespace {

Show with(Show s, ShowStatus st) {
    s.status = std::move(st);
    return s;
}

Show scheduled(Show s, std::optional<Timestamp> next, const char* tmdbStatus) {
    s.tmdbID = 70523;
    s.airInfoRefreshedAt = at(13, 6);
    s.nextAirDate = next;
    s.tmdbStatus = QString::fromUtf8(tmdbStatus);
    return s;
}

using S = ShowStatus::State;

const StatusCase kStatusCases[] = {
    {"pick over an error", with(dark(), status(S::error, {}, "boom", at(13, 11, 50))),
     EpisodePick{"S02E05", {}}, "No 1080p release for S02E05 — choose a copy", Tone::attention},
    {"pick names the series' resolution",
     [] { Show s = unsubscribed(); s.quality = Show::Quality::p720; return s; }(),
     EpisodePick{"S01E01", {}}, "No 720p release for S01E01 — choose a copy", Tone::attention},
    {"found with its detail", with(dark(), status(S::found, "S01E03", "Searching…", at(13, 11))),
     {}, "Searching…", Tone::working},
    {"found without detail", with(dark(), status(S::found, "S01E03", {}, at(13, 11))), {},
     "Download in progress", Tone::working},
    {"found with an empty detail", with(dark(), status(S::found, "S01E03", "", {})), {},
     "Download in progress", Tone::working},
    {"downloading", with(dark(), status(S::downloading, "S01E03", "42%", at(1, 0))), {},
     "Download in progress", Tone::working},
    {"sorted 23 hours ago", with(dark(), status(S::sorted, "S01E02", {}, at(12, 13))), {},
     "Sorted S01E02 · 23h ago", Tone::done},
    {"sorted exactly a day ago still shows",
     with(dark(), status(S::sorted, "S01E02", {}, at(12, 12))), {}, "Sorted S01E02 · 1d ago",
     Tone::done},
    {"sorted 25 hours ago falls back to the schedule",
     with(dark(), status(S::sorted, "S01E02", {}, at(12, 11))), {},
     "Subscribed — checking the schedule…", Tone::plain},
    {"sorted with a detail", with(dark(), status(S::sorted, "S01E02", "Filed in Season 1", at(13, 11, 55))),
     {}, "Filed in Season 1 · 5m ago", Tone::done},
    {"sorted without episode or date", with(dark(), status(S::sorted, {}, {}, {})), {}, "Sorted",
     Tone::done},
    {"error with detail", with(unsubscribed(), status(S::error, {}, "No space left", at(13, 11, 1))),
     {}, "Error: No space left", Tone::failure},
    {"error exactly an hour old", with(unsubscribed(), status(S::error, {}, {}, at(13, 11))), {},
     "Error", Tone::failure},
    {"error over an hour old is gone",
     with(unsubscribed(), status(S::error, {}, "No space left", at(13, 10, 59))), {}, nullptr,
     Tone::plain},
    {"unsubscribed and idle says nothing", unsubscribed(), {}, nullptr, Tone::plain},
    {"following one season says nothing",
     [] { Show s = dark(); s.startWithLatest = false; return s; }(), {}, nullptr, Tone::plain},
    {"ended series", scheduled(dark(), {}, "Ended"), {}, "Series ended", Tone::plain},
    {"aired episode", scheduled(dark(), at(13, 0), "Returning Series"), {},
     "New episode out — searching…", Tone::plain},
    {"up to date", scheduled(dark(), {}, "Returning Series"), {},
     "Up to date — watching for new episodes", Tone::plain},
};

} // namespace

INSTANTIATE_TEST_SUITE_P(ShowRowText, StatusLines, testing::ValuesIn(kStatusCases),
                         [](const auto& info) {
                             QString name = QString::fromUtf8(info.param.label);
                             name.replace(QRegularExpression("[^A-Za-z0-9]"), "_");
                             return name.toStdString();
                         });

TEST(ShowRowText, SubscriptionTextsFollowTheSwitch) {
    struct Case {
        Show show;
        bool on;
        const char* label;
        const char* tooltip;
        const char* footnote;
    };
    Show oneSeason = dark();
    oneSeason.startWithLatest = false;
    const Case cases[] = {
        {dark(), true, "Subscribed", "Subscribed — turn off to stop grabbing new episodes",
         "Following this series — new episodes are grabbed as they air"},
        {unsubscribed(), false, "Not subscribed",
         "Subscribe — grab new episodes of Dark as they air",
         "Not following this series — nothing new will be grabbed. Use the switch to subscribe."},
        {oneSeason, false, "Not subscribed", "Subscribe — grab new episodes of Dark as they air",
         "Not following this series — nothing new will be grabbed. Use the switch to subscribe."},
    };
    for (const Case& c : cases) {
        const bool on = isSubscribed(c.show);
        EXPECT_EQ(on, c.on) << c.label;
        EXPECT_EQ(subscribeLabel(on), QString::fromUtf8(c.label));
        EXPECT_EQ(subscribeTooltip(c.show), QString::fromUtf8(c.tooltip));
        EXPECT_EQ(footnote(on), QString::fromUtf8(c.footnote));
    }
}

TEST(ShowRowText, ReleaseChoiceTexts) {
    Show show = dark();
    show.name = "The Bear";
    const EpisodePick pick{"S02E05", {}};
    EXPECT_EQ(pickTitle(show, pick), "S02E05 — no 1080p release");
    show.quality = Show::Quality::k4;
    EXPECT_EQ(pickTitle(show, pick), "S02E05 — no 4K release");
    EXPECT_EQ(trashTooltip(show), "Remove The Bear from your series");

    const std::pair<const char*, const char*> alternates[] = {
        {"720p", "720p release"}, {"480p", "480p release"}, {"", "Unlabelled release"}};
    for (const auto& [quality, label] : alternates) {
        SearchResult r;
        r.quality = QString::fromUtf8(quality);
        EXPECT_EQ(alternateLabel(r), QString::fromUtf8(label));
    }
}

TEST(ShowRowText, MenuOffersOnlyWhatApplies) {
    using A = MenuAction;
    struct Case {
        const char* label;
        Show show;
        bool pick;
        QList<MenuItem> expected;
    };
    const MenuItem separator{A::separator, ""};
    const MenuItem remove{A::remove, "Remove from Watchlist"};
    const Case cases[] = {
        {"subscribed, idle",
         dark(),
         false,
         {{A::toggleSubscription, "Unsubscribe"}, {A::searchNow, "Search now"}, separator, remove}},
        {"unsubscribed with an old error and a pick",
         with(unsubscribed(), status(S::error, {}, "x", at(1, 0))),
         true,
         {{A::toggleSubscription, "Subscribe"},
          {A::choosePick, "Choose a release…"},
          {A::dismissPick, "Dismiss resolution prompt"},
          {A::clearStatus, "Clear status"},
          separator,
          remove}},
        {"subscribed, sorted, with a pick",
         with(dark(), status(S::sorted, "S01E01", {}, {})),
         true,
         {{A::toggleSubscription, "Unsubscribe"},
          {A::choosePick, "Choose a release…"},
          {A::dismissPick, "Dismiss resolution prompt"},
          {A::searchNow, "Search now"},
          {A::clearStatus, "Clear status"},
          separator,
          remove}},
        {"unsubscribed, idle",
         unsubscribed(),
         false,
         {{A::toggleSubscription, "Subscribe"}, separator, remove}},
    };
    for (const Case& c : cases) {
        const QList<MenuItem> items = menuItems(c.show, c.pick);
        ASSERT_EQ(items.size(), c.expected.size()) << c.label;
        for (qsizetype i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items[i].action, c.expected[i].action) << c.label << " #" << i;
            EXPECT_EQ(items[i].label, c.expected[i].label) << c.label << " #" << i;
        }
    }
}
