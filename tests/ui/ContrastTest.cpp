// Every text colour of the theme against every background it is drawn on, light and dark:
// WCAG AA, 4.5:1 for text (all of ours is below the large-text size) and 3:1 for the focus ring.

#include "Theme.h"

#include <QMetaEnum>

#include <gtest/gtest.h>

namespace {

using Role = Theme::Role;

// A background: a role, optionally with a translucent role or tint laid over it.
struct Ground {
    const char* name;
    std::function<QColor(const Theme&)> colour;
};

QColor tint(const Theme& theme, Role role, float alpha, Role under) {
    QColor top = theme.color(role);
    top.setAlphaF(alpha);
    return Theme::composite(top, theme.color(under));
}

const Ground window{"window", [](const Theme& t) { return t.color(Role::window); }};
const Ground sidebar{"sidebar", [](const Theme& t) { return t.color(Role::sidebar); }};
const Ground surface{"surface", [](const Theme& t) { return t.color(Role::surface); }};
// An expanded series row, today's calendar day.
const Ground selectedCard{"selection on surface", [](const Theme& t) {
                              return Theme::composite(t.color(Role::selection),
                                                      t.color(Role::surface));
                          }};
// The selected sidebar item.
const Ground selectedItem{"selection on sidebar", [](const Theme& t) {
                              return Theme::composite(t.color(Role::selection),
                                                      t.color(Role::sidebar));
                          }};
// "Check now": the accent at 13% over the window.
const Ground checkNow{"accent tint on window",
                      [](const Theme& t) { return tint(t, Role::accent, 0.13f, Role::window); }};
// The drawer's attention button and the series row's pick pill, hovered.
const Ground amberTint{"amber tint on surface", [](const Theme& t) {
                           return tint(t, Role::attention, 0.30f, Role::surface);
                       }};
const Ground accentFill{"accent", [](const Theme& t) { return t.color(Role::accent); }};

struct Pair {
    Role text;
    std::vector<Ground> grounds;
    double minimum = 4.5;
};

const std::vector<Pair>& pairs() {
    static const std::vector<Pair> table = {
        {Role::text, {window, sidebar, surface, selectedCard, selectedItem, amberTint}},
        {Role::secondaryText, {window, sidebar, surface, selectedCard, selectedItem}},
        {Role::faintText, {window, sidebar, surface, selectedCard}},
        {Role::accent, {window, sidebar, surface, selectedCard, checkNow}},
        {Role::accentText, {accentFill}},
        {Role::attentionText, {window, surface, selectedCard, amberTint}},
        {Role::success, {window, surface, selectedCard}},
        {Role::danger, {window, surface, selectedCard}},
        {Role::info, {window, surface, selectedCard}},
        // Not text: the ring only has to stand out from what it surrounds.
        {Role::focusRing, {window, sidebar, surface, selectedCard, selectedItem}, 3.0},
    };
    return table;
}

const char* nameOf(Role role) {
    return QMetaEnum::fromType<Role>().valueToKey(int(role));
}

} // namespace

TEST(Contrast, EveryTextColourReadsOnItsBackgroundsInBothAppearances) {
    for (AppTheme appearance : {AppTheme::light, AppTheme::dark}) {
        const Theme theme(appearance);
        for (const Pair& pair : pairs()) {
            for (const Ground& ground : pair.grounds) {
                const double ratio =
                    Theme::contrastRatio(theme.color(pair.text), ground.colour(theme));
                EXPECT_GE(ratio, pair.minimum) << (theme.isDark() ? "dark " : "light ")
                                               << nameOf(pair.text) << " on " << ground.name;
            }
        }
    }
}

// A calendar event's words lie on a tint of its state's colour, on a plain day and on today's
// highlighted one; the state's colour itself marks only the bar and the symbol.
TEST(Contrast, CalendarEventsReadOnTheirStatesTint) {
    for (AppTheme appearance : {AppTheme::light, AppTheme::dark}) {
        const Theme theme(appearance);
        const QColor today = selectedCard.colour(theme);
        for (Role state : {Role::success, Role::accent, Role::danger}) {
            QColor tintColour = theme.color(state);
            tintColour.setAlphaF(theme.isDark() ? 0.22f : 0.13f);
            for (const QColor& day : {theme.color(Role::surface), today}) {
                const QColor chip = Theme::composite(tintColour, day);
                EXPECT_GE(Theme::contrastRatio(theme.color(Role::text), chip), 4.5)
                    << (theme.isDark() ? "dark " : "light ") << nameOf(state) << " on "
                    << (day == today ? "today's" : "a plain") << " day";
            }
        }
    }
}

TEST(Contrast, TheRatioFollowsTheWcagFormula) {
    const struct {
        QColor a, b;
        double ratio;
    } cases[] = {
        {Qt::black, Qt::white, 21.0},
        {Qt::white, Qt::white, 1.0},
        {QColor(0x76, 0x76, 0x76), Qt::white, 4.54}, // the classic lightest AA grey on white
        {QColor(0, 0, 0, 0), Qt::white, 1.0},        // fully transparent: only the background
        {QColor(0, 0, 0, 128), Qt::white, 4.00},     // half black over white: a mid grey
    };
    for (const auto& c : cases)
        EXPECT_NEAR(Theme::contrastRatio(c.a, c.b), c.ratio, 0.01)
            << c.a.name(QColor::HexArgb).toStdString();
}
