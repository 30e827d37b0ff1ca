#include "ShowRowKeys.h"

#include <algorithm>

namespace ShowRowKeys {

Step forKey(int key, Qt::KeyboardModifiers modifiers, ShowRowPart focused,
            const QList<ShowRowPart>& focusable) {
    using Kind = Step::Kind;
    const Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        if (mods & ~Qt::ShiftModifier)
            return {};
        const bool back = key == Qt::Key_Backtab || (mods & Qt::ShiftModifier);
        const qsizetype at = std::max<qsizetype>(0, focusable.indexOf(focused)) + (back ? -1 : 1);
        if (at < 0 || at >= focusable.size())
            return {Kind::leave, ShowRowPart::row};
        return {Kind::focus, focusable[at]};
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return {Kind::press, focused, true};
    case Qt::Key_Space:
        return {Kind::press, focused == ShowRowPart::row ? ShowRowPart::subscribeSwitch : focused};
    case Qt::Key_Delete:
        if (mods != Qt::NoModifier)
            return {};
        return {Kind::press, ShowRowPart::trash};
    case Qt::Key_Menu:
        return {Kind::menu};
    case Qt::Key_F10:
        if (mods != Qt::ShiftModifier)
            return {};
        return {Kind::menu};
    default:
        return {};
    }
}

} // namespace ShowRowKeys
