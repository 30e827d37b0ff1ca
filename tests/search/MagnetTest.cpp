#include "search/Magnet.h"

#include "Fixtures.h"

#include <QUrlQuery>

#include <gtest/gtest.h>

using nlohmann::json;

namespace {

QStringList queryValues(const QUrl& url, const QString& key) {
    return QUrlQuery(url).allQueryItemValues(key, QUrl::FullyDecoded);
}

const QString kHash = QStringLiteral("3B245504CF5F11BBDBE1201CEA6A6BF45AEE1BC0");

} // namespace

TEST(Magnet, MakeMagnetKeepsTheHashAndNameAndAddsFourteenTrackers) {
    const auto magnet = makeMagnet(kHash, QStringLiteral("Tom & Jerry&tr=http://evil.example/a#x+y"));
    ASSERT_TRUE(magnet);
    const QString text = magnet->toString(QUrl::FullyEncoded);
    EXPECT_TRUE(text.startsWith("magnet:?xt=urn:btih:" + kHash + "&dn=Tom%20%26%20Jerry")) << text.toStdString();
    // The display name cannot inject parameters.
    EXPECT_EQ(queryValues(*magnet, "dn"), QStringList{"Tom & Jerry&tr=http://evil.example/a#x+y"});
    EXPECT_FALSE(magnet->hasFragment());
    const QStringList trackers = queryValues(*magnet, "tr");
    ASSERT_EQ(trackers.size(), 14);
    for (const QString& tracker : trackers)
        EXPECT_TRUE(tracker.startsWith("udp://") && tracker.endsWith("/announce")) << tracker.toStdString();
    EXPECT_EQ(QSet<QString>(trackers.begin(), trackers.end()).size(), 14);
}

// A hash travels into the daemon's command: only well-formed ones (40 hex, 32 base32) pass.
TEST(Magnet, HashesAreCheckedWhereverTheyComeFrom) {
    const json table = fixtureJson("indexes/magnets.json");
    for (const json& c : table["hashes"])
        EXPECT_EQ(makeMagnet(qstr(c[0]), "x").has_value(), c[1].get<bool>()) << c[0];
    for (const json& c : table["infoHashes"]) {
        const auto hash = infoHash(QUrl(qstr(c[0])));
        EXPECT_EQ(hash ? json(hash->toStdString()) : json(), c[1]) << c[0];
    }
    for (const json& c : table["fromIndexes"])
        EXPECT_EQ(isAcceptableIndexMagnet(QUrl(qstr(c[0]))), c[1].get<bool>()) << c[0];
}

TEST(Magnet, AddingDefaultTrackersAddsOnlyTheMissingOnes) {
    const QUrl none(QStringLiteral("magnet:?xt=urn:btih:") + kHash + "&dn=x");
    const QUrl all = addingDefaultTrackers(none);
    EXPECT_EQ(queryValues(all, "tr").size(), 14);
    EXPECT_EQ(addingDefaultTrackers(all), all);

    const QUrl two(
        QStringLiteral("magnet:?xt=urn:btih:") + kHash +
        "&tr=udp%3A%2F%2Ftracker.opentrackr.org%3A1337%2Fannounce"
        "&tr=udp://open.stealth.si:80/announce&tr=udp%3A%2F%2Fother.example%3A1%2Fannounce");
    const QStringList trackers = queryValues(addingDefaultTrackers(two), "tr");
    EXPECT_EQ(trackers.size(), 15);
    EXPECT_EQ(trackers.count("udp://tracker.opentrackr.org:1337/announce"), 1);
    EXPECT_EQ(trackers.count("udp://open.stealth.si:80/announce"), 1);
}
