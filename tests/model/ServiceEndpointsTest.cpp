#include "model/ServiceEndpoints.h"

#include <gtest/gtest.h>

TEST(ServiceEndpointsOverrides, MovesOnlyTheAddressesTheFileNames) {
    const ServiceEndpoints base;
    const auto moved = withOverrides(base, R"({"eztvPrimary":"https:\/\/eztv.example\/","tmdbImages":"http://127.0.0.1:8080","rpcPort":9100})");
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->eztvPrimary, QUrl("https://eztv.example/"));
    EXPECT_EQ(moved->tmdbImages, QUrl("http://127.0.0.1:8080"));
    EXPECT_EQ(moved->rpcPort, 9100);

    ServiceEndpoints expected = base;
    expected.eztvPrimary = moved->eztvPrimary;
    expected.tmdbImages = moved->tmdbImages;
    expected.rpcPort = 9100;
    EXPECT_EQ(*moved, expected) << "every other address keeps its default";

    EXPECT_EQ(withOverrides(base, "{}"), base);
}

struct RejectedCase {
    const char* json;
    const char* reason;
};

class ServiceEndpointsRejects : public testing::TestWithParam<RejectedCase> {};

// One bad entry rejects the whole file: half a configuration would send some searches to the
// old domains without the user noticing.
TEST_P(ServiceEndpointsRejects, TheWholeFileWithItsReason) {
    QString why;
    EXPECT_FALSE(withOverrides(ServiceEndpoints{}, GetParam().json, &why)) << GetParam().json;
    EXPECT_TRUE(why.contains(QString::fromUtf8(GetParam().reason))) << why.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Files, ServiceEndpointsRejects,
    testing::Values(RejectedCase{"", "not a JSON object"}, RejectedCase{"[1,2]", "not a JSON object"},
                    RejectedCase{R"({"knabenAPI":"https://a.example",)", "not a JSON object"},
                    RejectedCase{R"({"knabenApi":"https://a.example"})", "unknown key knabenApi"},
                    RejectedCase{R"({"nyaaRoot":"ftp://nyaa.example/"})", "nyaaRoot is not an http(s) address"},
                    RejectedCase{R"({"ytsHost":"yts.example"})", "ytsHost is not an http(s) address"},
                    RejectedCase{R"({"tmdbAPI":42})", "tmdbAPI is not an http(s) address"},
                    RejectedCase{R"({"apibayQuery":"https://"})", "apibayQuery is not an http(s) address"},
                    RejectedCase{R"({"rpcPort":0})", "rpcPort is not a port number"},
                    RejectedCase{R"({"peerPort":65536})", "peerPort is not a port number"},
                    RejectedCase{R"({"rpcPort":"9098"})", "rpcPort is not a port number"}));
