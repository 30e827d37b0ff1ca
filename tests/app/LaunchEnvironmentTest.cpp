#include "LaunchEnvironment.h"

#include "Fixtures.h"

#include <gtest/gtest.h>

TEST(LaunchEnvironment, ADisplayIsAnXServerAWaylandSocketOrAPlatformTheUserChose) {
    const nlohmann::json table = fixtureJson("app/launch.json");
    for (const auto& c : table["environments"]) {
        const LaunchEnvironment env{qstr(c[0][0]), qstr(c[0][1]), qstr(c[0][2]), qstr(c[0][3])};
        EXPECT_EQ(env.hasDisplay(), c[1]) << c.dump();
        EXPECT_EQ(env.prefersXcb(), c[2]) << c.dump();
    }
    for (const auto& c : table["arguments"]) {
        QStringList arguments;
        for (const auto& a : c[0])
            arguments << qstr(a);
        EXPECT_EQ(LaunchEnvironment::startsTrayApplication(arguments), c[1]) << c.dump();
    }
}
