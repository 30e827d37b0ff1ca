#include "Magnet.h"

#include <QByteArray>

namespace {

// The query-safe characters besides the unreserved ones, less "&", "=", "+" and "#": a display
// name holding "&tr=…" must not turn into a parameter of the link.
const QByteArray kQueryKeep = QByteArrayLiteral("!$'()*,/:;?@");

QString queryEncoded(const QString& text) {
    return QString::fromLatin1(QUrl::toPercentEncoding(text, kQueryKeep));
}

bool isHexDigit(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

bool isBase32Digit(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '2' && u <= '7');
}

} // namespace

const QStringList& defaultTrackers() {
    static const QStringList trackers{
        QStringLiteral("udp://tracker.opentrackr.org:1337/announce"),
        QStringLiteral("udp://open.demonii.com:1337/announce"),
        QStringLiteral("udp://open.stealth.si:80/announce"),
        QStringLiteral("udp://tracker.torrent.eu.org:451/announce"),
        QStringLiteral("udp://exodus.desync.com:6969/announce"),
        QStringLiteral("udp://tracker.openbittorrent.com:6969/announce"),
        QStringLiteral("udp://explodie.org:6969/announce"),
        QStringLiteral("udp://tracker.tiny-vps.com:6969/announce"),
        QStringLiteral("udp://tracker.dler.org:6969/announce"),
        QStringLiteral("udp://tracker.moeking.me:6969/announce"),
        QStringLiteral("udp://opentracker.io:6969/announce"),
        QStringLiteral("udp://tracker1.bt.moack.co.kr:80/announce"),
        QStringLiteral("udp://tracker.theoks.net:6969/announce"),
        QStringLiteral("udp://open.tracker.cl:1337/announce"),
    };
    return trackers;
}

bool isWellFormedInfoHash(QStringView hash) {
    if (hash.size() == 40)
        return std::all_of(hash.begin(), hash.end(), isHexDigit);
    if (hash.size() == 32)
        return std::all_of(hash.begin(), hash.end(), isBase32Digit);
    return false;
}

std::optional<QUrl> makeMagnet(const QString& infoHash, const QString& displayName) {
    if (!isWellFormedInfoHash(infoHash))
        return std::nullopt;
    QString text = QStringLiteral("magnet:?xt=urn:btih:") + infoHash + QStringLiteral("&dn=") +
                   queryEncoded(displayName);
    for (const QString& tracker : defaultTrackers())
        text += QStringLiteral("&tr=") + queryEncoded(tracker);
    QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    return url;
}

QUrl addingDefaultTrackers(const QUrl& magnet) {
    QString text = magnet.toString(QUrl::FullyEncoded);
    const QString decoded = QUrl::fromPercentEncoding(text.toUtf8());
    bool added = false;
    for (const QString& tracker : defaultTrackers()) {
        if (!decoded.contains(tracker)) {
            text += QStringLiteral("&tr=") + queryEncoded(tracker);
            added = true;
        }
    }
    if (!added)
        return magnet;
    QUrl url(text, QUrl::StrictMode);
    return url.isValid() ? url : magnet;
}

std::optional<QString> infoHash(const QUrl& fromMagnet) {
    const QString scheme = fromMagnet.scheme();
    if (scheme != u"magnet" && scheme.compare(QLatin1String("magnet"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    // Read the first "xt" item by hand: this runs for every hit of every sweep. The pretty
    // form is the stored text (re-encoding a long tracker list is what costs); it keeps "&",
    // "=" and "%" that are data encoded, so splitting it and decoding the parts reads the same
    // items as the fully encoded form.
    const QString query = fromMagnet.query(QUrl::PrettyDecoded);
    for (const QStringView item : QStringView(query).tokenize(u'&')) {
        const qsizetype eq = item.indexOf(u'=');
        const QStringView key = eq < 0 ? item : item.first(eq);
        const bool plainKey = !key.contains(u'%');
        if (plainKey ? key != u"xt"
                     : QUrl::fromPercentEncoding(key.toUtf8()) != QLatin1String("xt"))
            continue;
        if (eq < 0)
            return std::nullopt;
        const QStringView raw = item.sliced(eq + 1);
        QString value = raw.contains(u'%') ? QUrl::fromPercentEncoding(raw.toUtf8()) : QString();
        const QStringView v = value.isNull() ? raw : QStringView(value);
        if (v.size() < 9 ||
            v.first(9).compare(QLatin1String("urn:btih:"), Qt::CaseInsensitive) != 0)
            return std::nullopt;
        return v.sliced(9).toString().toLower();
    }
    return std::nullopt;
}

bool isAcceptableIndexMagnet(const QUrl& magnet) {
    if (!magnet.isValid())
        return false;
    const auto hash = infoHash(magnet);
    return hash && isWellFormedInfoHash(*hash);
}
