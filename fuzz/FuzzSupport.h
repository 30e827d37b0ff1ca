#pragma once

// What every harness shares: turning libFuzzer's bytes into Qt values and failing loudly when
// a property breaks (abort() is a crash to libFuzzer, so the input is kept as an artifact).

#include "search/Magnet.h"
#include "search/RawHit.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

[[noreturn]] inline void fail(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "property broken: %s\n%s\n", what, qPrintable(detail));
    std::abort();
}

inline void require(bool holds, const char* what, const QString& detail = {}) {
    if (!holds)
        fail(what, detail);
}

inline QByteArray bytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// Text as an index or a file would give it: UTF-8, except that a leading 0xFF byte makes the
// rest raw UTF-16 so lone surrogates can be reached too.
inline QString text(QByteArrayView raw) {
    if (!raw.isEmpty() && static_cast<unsigned char>(raw[0]) == 0xFF) {
        const QByteArrayView units = raw.sliced(1);
        return QString(reinterpret_cast<const QChar*>(units.data()), units.size() / 2);
    }
    return QString::fromUtf8(raw);
}

// The first `count` lines of the input; missing ones are empty, the last takes the rest.
inline QList<QByteArrayView> fields(QByteArrayView input, int count) {
    QList<QByteArrayView> out;
    while (out.size() + 1 < count) {
        const qsizetype nl = input.indexOf('\n');
        if (nl < 0)
            break;
        out.append(input.first(nl));
        input = input.sliced(nl + 1);
    }
    out.append(input);
    while (out.size() < count)
        out.append(QByteArrayView());
    return out;
}

// Every hit an index client hands on must carry a magnet the daemon may be given.
inline void requireSoundHit(const RawHit& hit) {
    require(isAcceptableIndexMagnet(hit.magnetURL), "a hit carries an unacceptable magnet",
            hit.magnetURL.toString());
    const auto hash = infoHash(hit.magnetURL);
    require(hash && isWellFormedInfoHash(*hash), "a hit's magnet has no well-formed info hash",
            hit.magnetURL.toString());
    require(hit.magnetURL.scheme().compare(QLatin1String("magnet"), Qt::CaseInsensitive) == 0,
            "a hit's link is not a magnet", hit.magnetURL.toString());
    require(!identityKey(hit).isEmpty(), "a hit has no identity");
}

} // namespace fuzz
