#include "LaunchEnvironment.h"

#include <gtest/gtest.h>

TEST(LaunchEnvironment, ADisplayIsAnXServerAWaylandSocketOrAPlatformTheUserChose) {
    struct Case {
        LaunchEnvironment env;
        bool display;
        bool xcb;
    };
    const Case table[] = {
        {{"", "", "", ""}, false, false},
        {{"", "", "tty", ""}, false, false},
        {{"", "", "wayland", ""}, false, false}, // a Wayland session whose socket is gone
        {{":0", "", "x11", ""}, true, false},
        {{"", "wayland-0", "wayland", ""}, true, false},  // pure Wayland: no XWayland to prefer
        {{":0", "wayland-0", "wayland", ""}, true, true}, // XWayland: take global coordinates
        {{":1", "", "wayland", ""},
         true,
         true}, // the socket variable unset, the session says Wayland
        {{":0", "wayland-0", "wayland", "wayland"}, true, false}, // the user's choice stands
        {{"", "", "", "offscreen"}, true, false},
    };
    for (const Case& c : table) {
        const QString name = c.env.display + '|' + c.env.waylandDisplay + '|' + c.env.sessionType +
                             '|' + c.env.platform;
        EXPECT_EQ(c.env.hasDisplay(), c.display) << name.toStdString();
        EXPECT_EQ(c.env.prefersXcb(), c.xcb) << name.toStdString();
    }
}

TEST(LaunchEnvironment, HeadlessHelpAndVersionStartNoTrayApplication) {
    const std::pair<QStringList, bool> table[] = {
        {{"lumivane"}, true},
        {{"lumivane", "lumivane://show"}, true},
        {{"lumivane", "--headless"}, false},
        {{"lumivane", "--help"}, false},
        {{"lumivane", "-h"}, false},
        {{"lumivane", "--version"}, false},
        {{"lumivane", "lumivane://show", "-v"}, false},
        {{"--headless"}, true}, // the program's own name is no option
    };
    for (const auto& [arguments, tray] : table)
        EXPECT_EQ(LaunchEnvironment::startsTrayApplication(arguments), tray)
            << arguments.join(' ').toStdString();
}
