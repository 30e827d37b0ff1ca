// Nyaa's RSS feed as the index sends it. The parser reads whatever XML comes; the client hands
// on only hits with a magnet the daemon may be given, and never more than it asked for.

#include "FuzzSupport.h"
#include "search/NyaaIndex.h"
#include "search/NyaaRSSParser.h"

using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray feed = fuzz::bytes(data, size);

    NyaaRSSParser parser;
    const bool wellFormed = parser.parse(feed);

    const QList<RawHit> hits = NyaaIndex::hits(feed, 100);
    require(wellFormed || hits.isEmpty(), "hits from a feed that is not well formed");
    require(hits.size() <= std::min<qsizetype>(100, parser.items.size()),
            "more hits than items asked for");
    for (const RawHit& hit : hits)
        fuzz::requireSoundHit(hit);
    require(NyaaIndex::hits(feed, 1).size() <= 1, "more hits than asked for");
    return 0;
}
