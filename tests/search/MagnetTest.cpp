#include "search/Magnet.h"

#include "SearchTestSupport.h"

#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

QStringList queryValues(const QUrl& url, const QString& key) {
    return QUrlQuery(url).allQueryItemValues(key, QUrl::FullyDecoded);
}

const QString kHash = QStringLiteral("3B245504CF5F11BBDBE1201CEA6A6BF45AEE1BC0");

} // namespace

TEST(Magnet, MakeMagnetKeepsTheHashAndNameAndAddsFourteenTrackers) {
    const auto magnet = makeMagnet(kHash, QStringLiteral("Show Name S01E02 [720p] (x264)"));
    ASSERT_TRUE(magnet);
    const QString text = magnet->toString(QUrl::FullyEncoded);
    EXPECT_TRUE(text.startsWith(QStringLiteral(
        "magnet:?xt=urn:btih:3B245504CF5F11BBDBE1201CEA6A6BF45AEE1BC0&dn=Show%20Name%20S01E02%20")))
        << text.toStdString();
    EXPECT_EQ(queryValues(*magnet, "dn"), QStringList{"Show Name S01E02 [720p] (x264)"});
    const QStringList trackers = queryValues(*magnet, "tr");
    ASSERT_EQ(trackers.size(), 14);
    for (const QString& tracker : trackers) {
        EXPECT_TRUE(tracker.startsWith("udp://")) << tracker.toStdString();
        EXPECT_TRUE(tracker.endsWith("/announce")) << tracker.toStdString();
    }
    EXPECT_EQ(QSet<QString>(trackers.begin(), trackers.end()).size(), 14);
}

TEST(Magnet, MakeMagnetRefusesMalformedHashes) {
    EXPECT_TRUE(makeMagnet(QStringLiteral("YNCKHTQCWBTRNJIV4WNAE52SJUQCZO5C"), "base32"));
    for (const QString& hash :
         {QString(), QStringLiteral("abc"), QStringLiteral("abc&xs=http://127.0.0.1/x"),
          QStringLiteral("3B245504CF5F11BBDBE1201CEA6A6BF45AEE1BC "),
          QStringLiteral("3B245504CF5F11BBDBE1201CEA6A6BF45AEE1BCG"),
          QStringLiteral("3B245504CF5F11BBDBE1201CEA6A6BF45AEE1BC01")})
        EXPECT_FALSE(makeMagnet(hash, "x")) << hash.toStdString();
}

TEST(Magnet, DisplayNameCannotInjectParameters) {
    const auto magnet =
        makeMagnet(kHash, QStringLiteral("Tom & Jerry&tr=http://evil.example/a#x+y"));
    ASSERT_TRUE(magnet);
    EXPECT_EQ(queryValues(*magnet, "dn"), QStringList{"Tom & Jerry&tr=http://evil.example/a#x+y"});
    EXPECT_EQ(queryValues(*magnet, "tr").size(), 14);
    EXPECT_FALSE(magnet->hasFragment());
}

TEST(Magnet, AddingDefaultTrackersAddsOnlyTheMissingOnes) {
    const QUrl none(QStringLiteral("magnet:?xt=urn:btih:") + kHash + "&dn=x");
    EXPECT_EQ(queryValues(addingDefaultTrackers(none), "tr").size(), 14);

    const QUrl two(
        QStringLiteral("magnet:?xt=urn:btih:") + kHash +
        "&tr=udp%3A%2F%2Ftracker.opentrackr.org%3A1337%2Fannounce"
        "&tr=udp://open.stealth.si:80/announce&tr=udp%3A%2F%2Fother.example%3A1%2Fannounce");
    const QStringList trackers = queryValues(addingDefaultTrackers(two), "tr");
    EXPECT_EQ(trackers.size(), 15);
    EXPECT_EQ(trackers.count("udp://tracker.opentrackr.org:1337/announce"), 1);
    EXPECT_EQ(trackers.count("udp://open.stealth.si:80/announce"), 1);

    const QUrl all = addingDefaultTrackers(none);
    EXPECT_EQ(addingDefaultTrackers(all), all);
}

TEST(Magnet, InfoHashReadsTheFirstBtihValueInLowerCase) {
    EXPECT_EQ(infoHash(QUrl("magnet:?xt=urn:BTIH:ABCDEF")), QStringLiteral("abcdef"));
    EXPECT_EQ(infoHash(QUrl("magnet:?dn=x&xt=urn:btih:" + kHash + "&xt=urn:btih:ffff")),
              kHash.toLower());
    EXPECT_EQ(infoHash(QUrl("magnet:?x%74=urn%3Abtih%3AAB12")), QStringLiteral("ab12"));
    EXPECT_EQ(infoHash(QUrl("magnet:?xt=urn:sha1:YNCKHTQCWBTRNJIV4WNAE52SJUQCZO5C")), std::nullopt);
    EXPECT_EQ(infoHash(QUrl("magnet:?xt")), std::nullopt);
    EXPECT_EQ(infoHash(QUrl("magnet:?dn=only")), std::nullopt);
    EXPECT_EQ(infoHash(QUrl("https://example.org/?xt=urn:btih:" + kHash)), std::nullopt);
}

TEST(Magnet, OnlyMagnetsWithWellFormedHashesAreAcceptedFromIndexes) {
    EXPECT_TRUE(isAcceptableIndexMagnet(QUrl("magnet:?xt=urn:btih:" + kHash + "&dn=x")));
    EXPECT_TRUE(
        isAcceptableIndexMagnet(QUrl("magnet:?xt=urn:btih:YNCKHTQCWBTRNJIV4WNAE52SJUQCZO5C")));
    EXPECT_FALSE(isAcceptableIndexMagnet(QUrl("magnet:?xt=urn:btih:abc%26tr%3Dhttp://x")));
    EXPECT_FALSE(isAcceptableIndexMagnet(QUrl("magnet:?xt=urn:btih:ab%20cd")));
    EXPECT_FALSE(isAcceptableIndexMagnet(QUrl("http://example.org/x.torrent")));
    EXPECT_FALSE(isAcceptableIndexMagnet(QUrl("file:///etc/passwd")));
    EXPECT_FALSE(isAcceptableIndexMagnet(QUrl()));
}
