#include "AddPanelPlacement.h"

#include <gtest/gtest.h>

// Screen rects in Qt's coordinates (y down). The visible area is 1440 × 875 starting at y 25
// (a top bar), unless a case says otherwise.

namespace {

const QRectF kVisible(0, 25, 1440, 875);

struct FormCase {
    const char* what;
    QRectF anchor;
    QSizeF panel;
    QPoint expected;
};

class FormPlacement : public testing::TestWithParam<FormCase> {};

TEST_P(FormPlacement, CentredOnTheAnchorAndKeptOnScreen) {
    const FormCase& c = GetParam();
    EXPECT_EQ(AddPanelPlacement::form(c.anchor, c.panel, kVisible), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Anchors, FormPlacement,
    testing::Values(
        // centre (720, 460): x 720 − 190, top 460 − 167
        FormCase{"middle", QRectF(420, 260, 600, 400), QSizeF(380, 300), QPoint(530, 293)},
        FormCase{"half points round", QRectF(420.5, 260, 600, 400), QSizeF(380, 300),
                 QPoint(531, 293)},
        FormCase{"near the top: 8 below the visible top", QRectF(0, 25, 600, 200),
                 QSizeF(380, 300), QPoint(110, 33)},
        FormCase{"near the left edge", QRectF(-300, 300, 400, 400), QSizeF(380, 300),
                 QPoint(8, 333)},
        FormCase{"near the right edge", QRectF(1300, 300, 400, 400), QSizeF(380, 300),
                 QPoint(1052, 333)},
        FormCase{"near the bottom", QRectF(400, 800, 400, 400), QSizeF(380, 300),
                 QPoint(410, 592)},
        FormCase{"taller than the screen keeps its top", QRectF(400, 300, 400, 400),
                 QSizeF(380, 2000), QPoint(410, 33)}));

struct SideCase {
    const char* what;
    QRectF form;
    QPoint expected;
};

class ResultsPlacement : public testing::TestWithParam<SideCase> {};

TEST_P(ResultsPlacement, BelowElseRightElseLeft) {
    const SideCase& c = GetParam();
    EXPECT_EQ(AddPanelPlacement::results(c.form, QSizeF(604, 470), kVisible), c.expected)
        << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ResultsPlacement,
    testing::Values(
        SideCase{"below, left edges aligned", QRectF(400, 100, 380, 300), QPoint(400, 408)},
        SideCase{"just fits below", QRectF(400, 100, 380, 318), QPoint(400, 426)},
        SideCase{"a point too low: right", QRectF(400, 100, 380, 323), QPoint(788, 100)},
        SideCase{"no room below: right, tops aligned", QRectF(200, 300, 380, 300),
                 QPoint(588, 300)},
        SideCase{"no room below or right: left", QRectF(900, 300, 380, 300), QPoint(288, 300)},
        SideCase{"left does not fit either: clamped 4 from the left", QRectF(500, 300, 380, 300),
                 QPoint(4, 300)},
        SideCase{"right, but low: clamped 4 above the bottom", QRectF(200, 600, 380, 250),
                 QPoint(588, 426)},
        SideCase{"below, but wide of the right edge: clamped", QRectF(1000, 100, 380, 300),
                 QPoint(832, 408)}));

TEST(PosterPlacement, LeftOfTheFormTopsAlignedClampedFourFromTheEdge) {
    const QSizeF poster(200, 300);
    EXPECT_EQ(AddPanelPlacement::poster(QRectF(600, 200, 380, 300), poster, kVisible),
              QPoint(392, 200));
    EXPECT_EQ(AddPanelPlacement::poster(QRectF(100, 200, 380, 300), poster, kVisible),
              QPoint(4, 200));
    EXPECT_EQ(AddPanelPlacement::poster(QRectF(600, 700, 380, 300), poster, kVisible),
              QPoint(392, 596));
}

TEST(PanelPlacement, AreaOffsetFromTheOriginIsRespected) {
    // A second monitor to the right of the first, lower than it.
    const QRectF second(1920, 200, 1280, 800);
    EXPECT_EQ(AddPanelPlacement::form(QRectF(1500, 100, 200, 200), QSizeF(380, 300), second),
              QPoint(1928, 208));
    EXPECT_EQ(AddPanelPlacement::results(QRectF(2700, 300, 380, 300), QSizeF(604, 470), second),
              QPoint(2088, 300));
}

} // namespace
