#include "DesktopCompositing.h"

#include "RoundedPanel.h"

#include <QGuiApplication>

#if defined(LUMIVANE_HAVE_XCB)
#include <QScreen>

#include <cstdlib>
#include <xcb/xcb.h>
#endif

bool desktopComposesWindows() {
    if (RoundedPanel::desktopComposes())
        return true;
#if defined(LUMIVANE_HAVE_XCB)
    // On X11 a compositing manager owns the selection _NET_WM_CM_S<screen>.
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    int screen = 0;
    const QByteArray display = qgetenv("DISPLAY");
    if (const int dot = display.lastIndexOf('.'); dot > display.lastIndexOf(':'))
        screen = std::atoi(display.constData() + dot + 1);
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, name.size(), name.constData()), nullptr);
    if (!atom)
        return false;
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
    const bool composes = owner && owner->owner != XCB_NONE;
    std::free(owner);
    std::free(atom);
    return composes;
#else
    return false;
#endif
}
