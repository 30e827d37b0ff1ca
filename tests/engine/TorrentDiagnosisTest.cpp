// How a torrent object from the daemon becomes a stall diagnosis and a seed count.

#include "Fixtures.h"
#include "engine/TransmissionWire.h"

#include <gtest/gtest.h>

TEST(Diagnosis, FollowsStatusPeersAndTrackers) {
    for (const auto& c : fixtureJson("daemon/diagnosis.json")) {
        TransmissionWire::Json object = TransmissionWire::Json::parse(c["torrent"].dump());
        object["hashString"] = "abc";
        object["name"] = "x";
        object["percentDone"] = 0.25;
        const auto info = TransmissionWire::readTorrent(object);
        ASSERT_TRUE(info.has_value()) << c["name"];
        EXPECT_EQ(info->stallNote ? nlohmann::json(toRaw(*info->stallNote).toStdString()) : nlohmann::json(), c["stallNote"]) << c["name"];
        EXPECT_EQ(info->seedsSeen ? nlohmann::json(*info->seedsSeen) : nlohmann::json(), c["seedsSeen"]) << c["name"];
    }
    // Only these two give a stalled download hope of its own.
    EXPECT_TRUE(isHopeful(StallReason::foundSeeds) && isHopeful(StallReason::queued));
    EXPECT_FALSE(isHopeful(StallReason::noSeeds) || isHopeful(StallReason::noTracker));
    EXPECT_EQ(fromRaw<StallReason>(u"noTracker"), StallReason::noTracker);
}
