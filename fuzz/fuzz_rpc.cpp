// The daemon's answer bodies, parsed as the RPC client parses them and read by every answer
// reader. The daemon is ours, but its answers carry what strangers' torrents and trackers say
// (names, file lists, scrape counts).

#include "FuzzSupport.h"
#include "engine/TransmissionWire.h"

using fuzz::require;
namespace Wire = TransmissionWire;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Wire::Json answer = Wire::Json::parse(data, data + size, nullptr, false);
    if (answer.is_discarded() || !answer.is_object())
        return 0;

    if (const auto added = Wire::readAdded(answer); added && added.value())
        require(*added.value() == added.value()->toLower(), "an added hash not in lower case");
    if (const auto torrents = Wire::readTorrents(answer)) {
        for (const TorrentInfo& info : torrents.value()) {
            require(info.hash == info.hash.toLower(), "a torrent hash not in lower case");
            require(!info.isFinished || !info.files.isEmpty(), "finished without files");
            if (info.seedsSeen)
                require(*info.seedsSeen >= 0, "a negative seed count");
        }
    }
    (void)Wire::readHashes(answer);
    (void)Wire::readTrackerList(answer);
    (void)Wire::readAnnounceURLs(answer);
    (void)Wire::readRPCVersion(answer);
    // Single torrent objects, as the diagnosis reads them.
    (void)Wire::readTorrent(answer);
    if (const auto stats = answer.find("trackerStats"); stats != answer.end()) {
        (void)Wire::seedsSeen(*stats);
        for (const int status : {0, 3, 4})
            (void)Wire::stallNote(status, *stats, 0, 0);
    }
    return 0;
}
