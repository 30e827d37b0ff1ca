#include "ShowRowKeys.h"

#include <gtest/gtest.h>

namespace {

using Part = ShowRowPart;
using Step = ShowRowKeys::Step;
using Kind = Step::Kind;

struct KeyRow {
    const char* name;
    int key;
    Qt::KeyboardModifiers modifiers;
    Part focused;
    Step expected;
};

// An expanded row without a pending pick: the pick pill is not among its controls.
const QList<Part> kShown{Part::row, Part::subscribeSwitch, Part::qualityPill, Part::trash,
                         Part::viewEpisodes};

TEST(ShowRowKeys, EveryKeyOfTheListDoesWhatItsRowSays) {
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const KeyRow rows[] = {
        {"Tab from the row", Qt::Key_Tab, none, Part::row, {Kind::focus, Part::subscribeSwitch}},
        {"Tab past the last control", Qt::Key_Tab, none, Part::viewEpisodes,
         {Kind::leave, Part::row}},
        {"Shift+Tab from the row", Qt::Key_Tab, Qt::ShiftModifier, Part::row,
         {Kind::leave, Part::row}},
        {"Backtab", Qt::Key_Backtab, Qt::ShiftModifier, Part::trash,
         {Kind::focus, Part::qualityPill}},
        {"Tab from a control the row no longer shows", Qt::Key_Tab, none, Part::pickPill,
         {Kind::focus, Part::subscribeSwitch}},
        {"Ctrl+Tab is the window's", Qt::Key_Tab, Qt::ControlModifier, Part::row, {}},
        {"Enter on a control", Qt::Key_Return, none, Part::viewEpisodes,
         {Kind::press, Part::viewEpisodes, true}},
        {"keypad Enter on the row", Qt::Key_Enter, Qt::KeypadModifier, Part::row,
         {Kind::press, Part::row, true}},
        {"Space on the row", Qt::Key_Space, none, Part::row, {Kind::press, Part::subscribeSwitch}},
        {"Space on a control", Qt::Key_Space, none, Part::qualityPill,
         {Kind::press, Part::qualityPill}},
        {"Delete", Qt::Key_Delete, none, Part::qualityPill, {Kind::press, Part::trash}},
        {"keypad Delete", Qt::Key_Delete, Qt::KeypadModifier, Part::row,
         {Kind::press, Part::trash}},
        {"Shift+Delete removes nothing", Qt::Key_Delete, Qt::ShiftModifier, Part::row, {}},
        {"menu key", Qt::Key_Menu, none, Part::trash, {Kind::menu}},
        {"Shift+F10", Qt::Key_F10, Qt::ShiftModifier, Part::row, {Kind::menu}},
        {"plain F10", Qt::Key_F10, none, Part::row, {}},
        {"a letter", Qt::Key_A, none, Part::row, {}},
    };
    for (const KeyRow& row : rows) {
        const Step step = ShowRowKeys::forKey(row.key, row.modifiers, row.focused, kShown);
        EXPECT_EQ(step.kind, row.expected.kind) << row.name;
        EXPECT_EQ(step.part, row.expected.part) << row.name;
        EXPECT_EQ(step.refocus, row.expected.refocus) << row.name;
    }
}

} // namespace
