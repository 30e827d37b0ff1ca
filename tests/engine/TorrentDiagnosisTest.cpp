// How a torrent object from the daemon becomes a stall diagnosis and a seed count.

#include "engine/TransmissionWire.h"

#include <gtest/gtest.h>

namespace {

using Json = TransmissionWire::Json;

struct DiagnosisCase {
    const char* name;
    const char* torrent; // members besides hashString/name/percentDone
    std::optional<StallReason> note;
    std::optional<int> seeds;
};

std::ostream& operator<<(std::ostream& os, const DiagnosisCase& c) {
    return os << c.name;
}

class Diagnosis : public ::testing::TestWithParam<DiagnosisCase> {};

TEST_P(Diagnosis, FollowsStatusPeersAndTrackers) {
    const DiagnosisCase& c = GetParam();
    Json object = Json::parse(c.torrent);
    object["hashString"] = "abc";
    object["name"] = "x";
    object["percentDone"] = 0.25;

    const auto info = TransmissionWire::readTorrent(object);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->stallNote, c.note);
    EXPECT_EQ(info->seedsSeen, c.seeds);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStatus, Diagnosis,
    ::testing::Values(
        DiagnosisCase{"stopped", R"({"status":0})", {}, {}},
        DiagnosisCase{
            "stoppedWithFailedTrackers",
            R"({"status":0,"trackerStats":[{"lastAnnounceSucceeded":false,"lastAnnounceTime":5}]})",
            {},
            {}},
        DiagnosisCase{"checkWait", R"({"status":1})", {}, {}},
        DiagnosisCase{"checking", R"({"status":2})", {}, {}},
        DiagnosisCase{
            "queuedWhateverTheTrackersSay",
            R"({"status":3,"peersConnected":4,"trackerStats":[{"lastScrapeSucceeded":true,"seederCount":0}]})",
            StallReason::queued, 0},
        DiagnosisCase{
            "downloadingWithPeers",
            R"({"status":4,"peersConnected":2,"trackerStats":[{"lastScrapeSucceeded":true,"seederCount":0}]})",
            {},
            0},
        DiagnosisCase{"downloadingAtSomeRate", R"({"status":4,"rateDownload":512})", {}, {}},
        DiagnosisCase{
            "scrapeShowsNoSeeds",
            R"({"status":4,"trackerStats":[{"lastScrapeSucceeded":true,"seederCount":0}]})",
            StallReason::noSeeds, 0},
        DiagnosisCase{"scrapesShowSeedsTheLargestCounts",
                      R"({"status":4,"trackerStats":[{"lastScrapeSucceeded":true,"seederCount":5},
                          {"lastScrapeSucceeded":false,"seederCount":40},
                          {"lastScrapeSucceeded":true,"seederCount":9},
                          {"lastScrapeSucceeded":true,"seederCount":-1}]})",
                      StallReason::foundSeeds, 9},
        DiagnosisCase{"unknownSeederCountsAreNoCounts",
                      R"({"status":4,"trackerStats":[{"lastScrapeSucceeded":true,"seederCount":-1,
                          "lastAnnounceSucceeded":false,"lastAnnounceTime":1700000000}]})",
                      StallReason::noTracker,
                      {}},
        DiagnosisCase{
            "allAnnouncesFailed",
            R"({"status":4,"trackerStats":[{"lastAnnounceSucceeded":false,"lastAnnounceTime":1700000000},
                          {"lastAnnounceSucceeded":false,"lastAnnounceTime":0}]})",
            StallReason::noTracker,
            {}},
        DiagnosisCase{
            "oneAnnounceGotThrough",
            R"({"status":4,"trackerStats":[{"lastAnnounceSucceeded":false,"lastAnnounceTime":1700000000},
                          {"lastAnnounceSucceeded":true,"lastAnnounceTime":1700000100}]})",
            {},
            {}},
        DiagnosisCase{
            "nothingAnnouncedYet",
            R"({"status":4,"trackerStats":[{"lastAnnounceSucceeded":false,"lastAnnounceTime":0}]})",
            {},
            {}},
        DiagnosisCase{"noTrackersAtAll", R"({"status":4,"trackerStats":[]})", {}, {}},
        DiagnosisCase{"queuedToSeed", R"({"status":5})", {}, {}},
        DiagnosisCase{
            "seedingStillCountsSeeds",
            R"({"status":6,"trackerStats":[{"lastScrapeSucceeded":true,"seederCount":3}]})",
            {},
            3},
        DiagnosisCase{"noStatus",
                      R"({"trackerStats":[{"lastAnnounceSucceeded":false,"lastAnnounceTime":9}]})",
                      {},
                      {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StallReasonText, RawValuesAndHope) {
    EXPECT_EQ(toRaw(StallReason::foundSeeds), "foundSeeds");
    EXPECT_EQ(toRaw(StallReason::noSeeds), "noSeeds");
    EXPECT_EQ(toRaw(StallReason::noTracker), "noTracker");
    EXPECT_EQ(toRaw(StallReason::queued), "queued");
    EXPECT_EQ(fromRaw<StallReason>(u"noTracker"), StallReason::noTracker);
    EXPECT_TRUE(isHopeful(StallReason::foundSeeds));
    EXPECT_TRUE(isHopeful(StallReason::queued));
    EXPECT_FALSE(isHopeful(StallReason::noSeeds));
    EXPECT_FALSE(isHopeful(StallReason::noTracker));
}

} // namespace
