#include "model/ServiceEndpoints.h"

#include "Fixtures.h"

#include <gtest/gtest.h>

TEST(ServiceEndpointsOverrides, MovesOnlyTheAddressesTheFileNames) {
    const ServiceEndpoints base;
    const auto moved = withOverrides(base, R"({"eztvPrimary":"https:\/\/eztv.example\/","tmdbImages":"http://127.0.0.1:8080","rpcPort":9100})");
    ServiceEndpoints expected = base;
    expected.eztvPrimary = QUrl("https://eztv.example/");
    expected.tmdbImages = QUrl("http://127.0.0.1:8080");
    expected.rpcPort = 9100;
    EXPECT_EQ(moved, expected) << "every other address keeps its default";

    EXPECT_EQ(withOverrides(base, "{}"), base);

    // No release feed unless the file names one; it is held to the same rule as the others.
    EXPECT_EQ(base.updateFeed, std::nullopt);
    EXPECT_EQ(withOverrides(base, R"({"updateFeed":"https://lumivane.example/latest.json"})")->updateFeed,
              QUrl("https://lumivane.example/latest.json"));
    QString why;
    EXPECT_FALSE(withOverrides(base, R"({"updateFeed":"file:///etc/passwd"})", &why));
    EXPECT_EQ(why, "updateFeed is not an http(s) address");
}

// One bad entry rejects the whole file: half a configuration would send some searches to the
// old domains without the user noticing.
TEST(ServiceEndpointsOverrides, OneBadEntryRejectsTheWholeFileWithItsReason) {
    for (const auto& c : fixtureJson("records/endpoint-rejects.json")) {
        QString why;
        EXPECT_FALSE(withOverrides(ServiceEndpoints{}, QByteArray::fromStdString(c[0].get<std::string>()), &why)) << c[0];
        EXPECT_TRUE(why.contains(qstr(c[1]))) << c[0] << ": " << why.toStdString();
    }
}
