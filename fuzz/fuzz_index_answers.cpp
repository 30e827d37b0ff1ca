// The answer bodies of the JSON indexes (Knaben, apibay, EZTV, Torrents-CSV, YTS); each body
// goes through every client's mapping, so shapes one index accepts are tried on the others.
// Whatever the body, a hit handed on carries a magnet the daemon may be given.

#include "FuzzSupport.h"
#include "search/ApibayIndex.h"
#include "search/EztvIndex.h"
#include "search/IndexAnswer.h"
#include "search/KnabenIndex.h"
#include "search/TorrentsCsvIndex.h"
#include "search/YtsIndex.h"

#include <QSet>

namespace {

void check(const std::optional<QList<RawHit>>& hits) {
    if (!hits)
        return;
    for (const RawHit& hit : *hits)
        fuzz::requireSoundHit(hit);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray body = fuzz::bytes(data, size);

    QSet<QString> seen;
    const auto knaben = KnabenIndex::answerHits(body, seen);
    check(knaben);
    // A second spelling answering the same hits adds nothing.
    const auto again = KnabenIndex::answerHits(body, seen);
    fuzz::require(!again || again->isEmpty(), "Knaben hands on a hit twice");

    check(ApibayIndex::answerHits(body));
    check(EztvIndex::answerHits(body));
    check(TorrentsCsvIndex::answerHits(body));
    check(YtsIndex::answerHits(body, QStringLiteral("Query Text")));

    // The loose scalar readers the clients share, on the body as text.
    const QString text = QString::fromUtf8(body.left(128));
    (void)IndexAnswer::parseDecimalInteger(text);
    (void)IndexAnswer::parseInternetDate(text);
    return 0;
}
