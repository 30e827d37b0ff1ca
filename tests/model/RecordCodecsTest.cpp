#include "Fixtures.h"
#include "model/RecordCodecs.h"

#include <gtest/gtest.h>

namespace {

const QUuid kId = QUuid::fromString(QLatin1StringView("6F1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D"));

// Decodes `bytes` as the named file's document and encodes it again; nullopt when it does
// not decode.
std::optional<QByteArray> reencode(const std::string& doc, const QByteArray& bytes) {
    const auto again = [](const auto& decoded) -> std::optional<QByteArray> {
        return decoded ? std::optional(encodeDocument(*decoded)) : std::nullopt;
    };
    if (doc == "shows")
        return again(decodeDocument<QList<Show>>(bytes));
    if (doc == "movies")
        return again(decodeDocument<QList<Movie>>(bytes));
    if (doc == "activity")
        return again(decodeDocument<QList<ActivityEntry>>(bytes));
    if (doc == "settings")
        return again(decodeDocument<AppSettings>(bytes));
    if (doc == "downloads")
        return again(decodeDocument<QMap<QString, ActiveDownload>>(bytes));
    return again(decodeDocument<QList<DownloadRecord>>(bytes));
}

} // namespace

// The six files as they are written: every key in record order, dates as seconds since
// 2001, upper-case ids, JSON escapes, absent optionals left out. Reading and writing one
// again must give the same bytes.
TEST(RecordCodecs, EveryStoredFileRoundTripsToTheSameBytes) {
    for (const char* doc : {"shows", "movies", "activity", "settings", "downloads", "history"}) {
        const QByteArray golden = fixtureBytes(QStringLiteral("records/%1.json").arg(doc)).trimmed();
        EXPECT_EQ(reencode(doc, golden), golden) << doc;
    }
    // What the bytes mean, so a reader and writer cannot agree on a wrong meaning.
    const auto shows = decodeDocument<QList<Show>>(fixtureBytes("records/shows.json"));
    ASSERT_TRUE(shows);
    const Show& s = shows->first();
    EXPECT_EQ(s.id, kId);
    EXPECT_EQ(s.quality, Show::Quality::k4);
    EXPECT_EQ(s.nextAirDate->toDateTime(), QDateTime(QDate(2025, 3, 21), QTime(0, 0, 0, 500), Qt::UTC));
    EXPECT_EQ(s.status, (ShowStatus{ShowStatus::State::downloading, 0.25, "S01E02", "stalled", Timestamp{1.125}}));
    EXPECT_EQ(s.airInfoRefreshedAt, Timestamp{-3.75});
    EXPECT_EQ(s.seasonFilter, 3);
    const auto settings = decodeDocument<AppSettings>(fixtureBytes("records/settings.json"));
    EXPECT_EQ(settings->rootFolder, QUrl::fromLocalFile("/home/user/Media Library/"));
    EXPECT_EQ(settings->theme, AppTheme::dark);
    const auto history = decodeDocument<QList<DownloadRecord>>(fixtureBytes("records/history.json"));
    EXPECT_EQ(history->first().rateBytes, 5'000'000'000LL);
    EXPECT_EQ(history->first().state, DownloadRecord::State::error);
}

TEST(RecordCodecs, MissingKeysTakeTheirDefaults) {
    const auto shows = decodeDocument<QList<Show>>(R"([{"name":"Dark","tmdbID":null,"quality":null}])");
    ASSERT_TRUE(shows);
    EXPECT_FALSE(shows->first().id.isNull());
    EXPECT_EQ(shows->first(), (Show{.id = shows->first().id, .name = "Dark"}));
    EXPECT_TRUE(shows->first().isEnabled && shows->first().startWithLatest && shows->first().fallbackAnyQuality);
    EXPECT_EQ(shows->first().quality, Show::Quality::p1080);
    const auto movies = decodeDocument<QList<Movie>>(R"([{"name":"Heat","status":{}}])");
    ASSERT_TRUE(movies);
    EXPECT_EQ(movies->first(), (Movie{.id = movies->first().id, .name = "Heat"}));
    EXPECT_TRUE(movies->first().monitor);
    EXPECT_EQ(decodeDocument<AppSettings>(R"({"theme":"dark"})"), (AppSettings{.theme = AppTheme::dark}));
    EXPECT_EQ(decodeDocument<AppSettings>("{}"), AppSettings{});
    const auto downloads = decodeDocument<QMap<QString, ActiveDownload>>(R"({"abc":{"showID":"6f1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d"}})");
    ASSERT_TRUE(downloads);
    EXPECT_EQ(downloads->value("abc"), (ActiveDownload{ActiveDownload::Kind::episode, kId, "", false, ""}));
    const auto history = decodeDocument<QList<DownloadRecord>>(
        R"([{"id":"h","showID":"6F1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D","showName":"S","episode":"Movie","title":"T","addedAt":5,"state":"sorted","progress":1,"rateBytes":0}])");
    ASSERT_TRUE(history);
    EXPECT_EQ(history->first(), (DownloadRecord{.id = "h", .showID = kId, .showName = "S", .episode = "Movie", .title = "T",
                                                .addedAt = Timestamp{5}, .state = DownloadRecord::State::sorted, .progress = 1.0}));
}

TEST(RecordCodecs, OtherWritersSpellingsAreRead) {
    const auto shows = decodeDocument<QList<Show>>(
        R"([{"status":{"progress":1,"state":"sorted"},"posterPath":"\/a\/b.jpg","name":"A\/B",)"
        R"("nextAirDate":764208000,"seasonFilter":2.0,"id":"6f1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d"}])");
    ASSERT_TRUE(shows);
    EXPECT_EQ(shows->first().name, "A/B");
    EXPECT_EQ(shows->first().posterPath, "/a/b.jpg");
    EXPECT_EQ(shows->first().nextAirDate, Timestamp{764208000.0});
    EXPECT_EQ(shows->first().seasonFilter, 2);
    EXPECT_EQ(shows->first().id, kId);
    const auto settings = decodeDocument<AppSettings>(R"({"seedRatioLimit":2,"checkIntervalMinutes":30.0,"rootFolder":"file:\/\/\/srv\/media"})");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->seedRatioLimit, 2.0);
    EXPECT_EQ(settings->checkIntervalMinutes, 30);
    EXPECT_EQ(settings->rootFolder, QUrl::fromLocalFile("/srv/media"));
    // A non-finite number has no JSON form; the file must stay readable.
    DownloadRecord row{.id = "h", .showID = kId, .progress = std::numeric_limits<double>::quiet_NaN()};
    const auto back = decodeDocument<QList<DownloadRecord>>(encodeDocument(QList<DownloadRecord>{row}));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->first().progress, 0.0);
}

TEST(RecordCodecs, OneBadValueMakesTheWholeDocumentFail) {
    for (const auto& c : fixtureJson("records/undecodable.json"))
        EXPECT_EQ(reencode(c[1], QByteArray::fromStdString(c[2])), std::nullopt) << c[0];
}
