#pragma once

#include "ShowRowPart.h"

#include <QList>
#include <Qt>

// What a key pressed on the series list does. Arrows between rows are the list's own; Tab
// walks the current row's controls and leaves the list past either end; Enter presses the
// control the keyboard is on, Space the subscribe switch from the row; Delete removes the
// series; the menu key and Shift+F10 open the row's menu.
namespace ShowRowKeys {

struct Step {
    enum class Kind {
        pass,  // not the list's key: let it go on
        focus, // move the keyboard to `part`
        leave, // back to the row, and let the key go on to the next control outside the list
        press, // press `part`
        menu,  // open the row's menu
    };
    Kind kind = Kind::pass;
    ShowRowPart part = ShowRowPart::none;
    // After the press, fall back to the row if `part` went away (Enter on a control that
    // the press hid).
    bool refocus = false;

    bool operator==(const Step&) const = default;
};

// `focusable` lists the current row's parts the keyboard can be on, the row first.
Step forKey(int key, Qt::KeyboardModifiers modifiers, ShowRowPart focused,
            const QList<ShowRowPart>& focusable);

} // namespace ShowRowKeys
