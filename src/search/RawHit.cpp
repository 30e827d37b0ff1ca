#include "RawHit.h"

#include "Magnet.h"

QString identityKey(const RawHit& hit) {
    if (auto hash = infoHash(hit.magnetURL))
        return *std::move(hash);
    if (hit.sourceID)
        return hit.source + u'#' + *hit.sourceID;
    return hit.title;
}
