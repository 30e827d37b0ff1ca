#include "model/RecordCodecs.h"

#include <gtest/gtest.h>

namespace {

constexpr auto kId = "6F1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D";

QUuid fixedId() {
    return QUuid::fromString(QLatin1StringView(kId));
}

enum class Document { shows, movies, activity, settings, downloads, history };

bool decodes(Document doc, const QByteArray& json) {
    switch (doc) {
    case Document::shows:
        return decodeDocument<QList<Show>>(json).has_value();
    case Document::movies:
        return decodeDocument<QList<Movie>>(json).has_value();
    case Document::activity:
        return decodeDocument<QList<ActivityEntry>>(json).has_value();
    case Document::settings:
        return decodeDocument<AppSettings>(json).has_value();
    case Document::downloads:
        return decodeDocument<QMap<QString, ActiveDownload>>(json).has_value();
    case Document::history:
        return decodeDocument<QList<DownloadRecord>>(json).has_value();
    }
    return false;
}

QStringList keysOf(const QByteArray& object) {
    QStringList keys;
    const Json parsed = Json::parse(object.toStdString());
    for (const auto& [key, value] : parsed.items())
        keys << QString::fromStdString(key);
    return keys;
}

Show fullShow() {
    Show s;
    s.id = fixedId();
    s.name = "Grey's Anatomy / Ω";
    s.quality = Show::Quality::k4;
    s.isEnabled = false;
    s.nextAirDate = Timestamp{764208000.5};
    s.status = {ShowStatus::State::downloading, 0.25, "S01E02", "stalled", Timestamp{1.125}};
    s.downloadedEpisodes = {"S01E01", "2024.03.15"};
    s.tmdbID = 1416;
    s.posterPath = "/p.jpg";
    s.firstAirYear = "2005";
    s.originCountries = {"US"};
    s.imdbID = "tt0413573";
    s.rejectedHashes = {"abc"};
    s.startWithLatest = false;
    s.anyQuality = true;
    s.fallbackAnyQuality = false;
    s.seasonFilter = 3;
    s.monitorAnchor = "S03E00";
    s.monitorFromLatestPending = true;
    s.searchAlias = "Greys Anatomy";
    s.tmdbStatus = "Returning Series";
    s.lastCheckedAt = Timestamp{2.0};
    s.airInfoRefreshedAt = Timestamp{-3.75};
    s.qualityGraceEpisode = "S01E03";
    s.qualityGraceFirstSeenAt = Timestamp{4.0};
    s.qualityGraceDismissedEpisode = "S01E04";
    return s;
}

Movie fullMovie() {
    Movie m;
    m.id = fixedId();
    m.name = "Heat";
    m.year = "1995";
    m.quality = Show::Quality::p720;
    m.isEnabled = false;
    m.monitor = false;
    m.anyQuality = true;
    m.fallbackAnyQuality = false;
    m.tmdbID = 949;
    m.posterPath = "/h.jpg";
    m.releaseDate = Timestamp{-189302400.0};
    m.rejectedHashes = {"def"};
    m.status = {ShowStatus::State::error, 0.0, std::nullopt, "no release found yet", Timestamp{9}};
    m.downloaded = true;
    m.searchAlias = "Heat 1995";
    m.pendingMagnet =
        QUrl(QStringLiteral("magnet:?xt=urn:btih:0123456789abcdef0123456789abcdef01234567&dn=Heat%"
                            "201995&tr=udp%3A%2F%2Ftracker.example%3A1337%2Fannounce"));
    return m;
}

AppSettings fullSettings() {
    AppSettings a;
    a.rootFolder = QUrl::fromLocalFile("/home/user/Media Library/");
    a.defaultQuality = Show::Quality::p480;
    a.checkIntervalMinutes = 15;
    a.tmdbAPIKey = " key ";
    a.seedRatioEnabled = false;
    a.seedRatioLimit = 2.5;
    a.seedMigratedV1 = true;
    a.notificationSoundEnabled = false;
    a.theme = AppTheme::dark;
    a.windowMagnetization = false;
    a.staleNudgeDays = 0;
    a.qualityGraceBufferHours = 48;
    a.qualityGraceFallbackDays = 5;
    return a;
}

DownloadRecord fullRecord() {
    DownloadRecord r;
    r.id = "0123456789abcdef0123456789abcdef01234567";
    r.showID = fixedId();
    r.showName = "Show";
    r.episode = "S01E02";
    r.title = "Show.S01E02.1080p.WEB.h264-GRP";
    r.addedAt = Timestamp{786000000.123456};
    r.state = DownloadRecord::State::error;
    r.progress = 0.5;
    r.rateBytes = 5'000'000'000LL;
    r.detail = "bad copy";
    r.peers = 3;
    r.trackerHint = "2 trackers";
    r.seedsSeen = 12;
    r.stuckSince = Timestamp{1};
    r.staleSnoozedUntil = Timestamp{2};
    r.staleNotifiedAt = Timestamp{3};
    r.snoozeCount = 2;
    r.staleAbandoned = true;
    return r;
}

} // namespace

// --- defaults for missing keys -----------------------------------------------------------------

TEST(RecordDefaults, AShowWithOnlyANameIsASubscribedSeriesWanting1080p) {
    const auto shows = decodeDocument<QList<Show>>(R"([{"name":"Dark"}])");
    ASSERT_TRUE(shows);
    ASSERT_EQ(shows->size(), 1);
    const Show& s = shows->first();
    EXPECT_FALSE(s.id.isNull());
    Show expected;
    expected.id = s.id;
    expected.name = "Dark";
    EXPECT_EQ(s, expected);
    EXPECT_TRUE(s.isEnabled);
    EXPECT_TRUE(s.startWithLatest);
    EXPECT_TRUE(s.fallbackAnyQuality);
    EXPECT_EQ(s.quality, Show::Quality::p1080);
    EXPECT_EQ(s.status, ShowStatus{});
}

TEST(RecordDefaults, EveryRecordWithOnlyItsRequiredKeys) {
    const auto movies = decodeDocument<QList<Movie>>(R"([{"name":"Heat","status":{}}])");
    ASSERT_TRUE(movies);
    Movie movie;
    movie.id = movies->first().id;
    movie.name = "Heat";
    EXPECT_EQ(movies->first(), movie);
    EXPECT_TRUE(movie.monitor);

    const auto settings = decodeDocument<AppSettings>(R"({"theme":"dark"})");
    ASSERT_TRUE(settings);
    AppSettings dark;
    dark.theme = AppTheme::dark;
    EXPECT_EQ(*settings, dark);
    EXPECT_EQ(decodeDocument<AppSettings>("{}"), AppSettings{});

    const auto downloads = decodeDocument<QMap<QString, ActiveDownload>>(
        QByteArray(R"({"abc":{"showID":")") + kId + R"("}})");
    ASSERT_TRUE(downloads);
    EXPECT_EQ(downloads->value("abc"),
              (ActiveDownload{ActiveDownload::Kind::episode, fixedId(), "", false, ""}));

    const auto history = decodeDocument<QList<DownloadRecord>>(
        QByteArray(R"([{"id":"h","showID":")") + kId +
        R"(","showName":"S","episode":"Movie","title":"T","addedAt":5,"state":"sorted","progress":1,"rateBytes":0}])");
    ASSERT_TRUE(history);
    const DownloadRecord& row = history->first();
    EXPECT_EQ(row.peers, 0);
    EXPECT_EQ(row.seedsSeen, 0);
    EXPECT_EQ(row.snoozeCount, 0);
    EXPECT_FALSE(row.staleAbandoned);
    EXPECT_EQ(row.progress, 1.0);
    EXPECT_EQ(row.stuckSince, std::nullopt);
}

// --- strictness --------------------------------------------------------------------------------

struct UndecodableCase {
    const char* label;
    Document doc;
    const char* json;
};

class Undecodable : public testing::TestWithParam<UndecodableCase> {};

TEST_P(Undecodable, MakesTheWholeDocumentFail) {
    EXPECT_FALSE(decodes(GetParam().doc, QByteArray(GetParam().json)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Undecodable,
    testing::Values(
        UndecodableCase{"showWithoutName", Document::shows, R"([{"name":"A"},{"quality":"720p"}])"},
        UndecodableCase{"qualityOutsideRawValues", Document::shows,
                        R"([{"name":"A","quality":"2160p"}])"},
        UndecodableCase{"qualityInOtherCase", Document::shows, R"([{"name":"A","quality":"4k"}])"},
        UndecodableCase{"numberWhereAStringBelongs", Document::shows, R"([{"name":5}])"},
        UndecodableCase{"stringWhereABoolBelongs", Document::shows,
                        R"([{"name":"A","isEnabled":"yes"}])"},
        UndecodableCase{"numberWhereABoolBelongs", Document::shows,
                        R"([{"name":"A","isEnabled":1}])"},
        UndecodableCase{"fractionWhereAnIntegerBelongs", Document::shows,
                        R"([{"name":"A","tmdbID":1.5}])"},
        UndecodableCase{"integerOutOfRange", Document::shows,
                        R"([{"name":"A","seasonFilter":99999999999}])"},
        UndecodableCase{"badUUID", Document::shows, R"([{"name":"A","id":"not-a-uuid"}])"},
        UndecodableCase{"unknownStatusState", Document::shows,
                        R"([{"name":"A","status":{"state":"paused"}}])"},
        UndecodableCase{"statusNotAnObject", Document::shows, R"([{"name":"A","status":"idle"}])"},
        UndecodableCase{"mixedList", Document::shows,
                        R"([{"name":"A","downloadedEpisodes":["S01E01",2]}])"},
        UndecodableCase{"objectInsteadOfArray", Document::shows, R"({"name":"A"})"},
        UndecodableCase{"truncated", Document::shows, R"([{"name":"A"},{"na)"},
        UndecodableCase{"dateAsString", Document::shows,
                        R"([{"name":"A","nextAirDate":"2024-01-01"}])"},
        UndecodableCase{"movieMagnetNotAString", Document::movies,
                        R"([{"name":"M","pendingMagnet":5}])"},
        UndecodableCase{"movieMagnetEmpty", Document::movies,
                        R"([{"name":"M","pendingMagnet":""}])"},
        UndecodableCase{
            "activityWithoutKind", Document::activity,
            R"([{"id":"6F1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D","date":1,"message":"m"}])"},
        UndecodableCase{
            "activityUnknownKind", Document::activity,
            R"([{"id":"6F1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D","date":1,"message":"m","kind":"warning"}])"},
        UndecodableCase{"settingsIntervalAsString", Document::settings,
                        R"({"checkIntervalMinutes":"60"})"},
        UndecodableCase{"settingsUnknownTheme", Document::settings, R"({"theme":"blue"})"},
        UndecodableCase{"settingsArray", Document::settings, R"([])"},
        UndecodableCase{"downloadWithoutShowID", Document::downloads,
                        R"({"h":{"kind":"episode"}})"},
        UndecodableCase{"downloadUnknownKind", Document::downloads,
                        R"({"h":{"showID":"6F1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D","kind":"tv"}})"},
        UndecodableCase{
            "historyWithoutTitle", Document::history,
            R"([{"id":"h","showID":"6F1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D","showName":"S","episode":"E","addedAt":5,"state":"sorted","progress":1,"rateBytes":0}])"},
        UndecodableCase{
            "historyUnknownState", Document::history,
            R"([{"id":"h","showID":"6F1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D","showName":"S","episode":"E","title":"T","addedAt":5,"state":"done","progress":1,"rateBytes":0}])"},
        UndecodableCase{
            "historyNullRequired", Document::history,
            R"([{"id":null,"showID":"6F1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D","showName":"S","episode":"E","title":"T","addedAt":5,"state":"sorted","progress":1,"rateBytes":0}])"},
        UndecodableCase{"emptyDocument", Document::settings, ""},
        UndecodableCase{"notJson", Document::history, "\x89PNG\r\n"}),
    [](const testing::TestParamInfo<UndecodableCase>& info) { return info.param.label; });

// --- what other conforming writers produce -----------------------------------------------------

TEST(RecordReading, AcceptsEscapedSlashesWholeNumbersAndAnyKeyOrder) {
    const auto shows = decodeDocument<QList<Show>>(
        R"([{"status":{"progress":1,"state":"sorted"},"posterPath":"\/a\/b.jpg","name":"A\/B",)"
        R"("nextAirDate":764208000,"seasonFilter":2.0,"id":"6f1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d"}])");
    ASSERT_TRUE(shows);
    const Show& s = shows->first();
    EXPECT_EQ(s.name, "A/B");
    EXPECT_EQ(s.posterPath, "/a/b.jpg");
    EXPECT_EQ(s.nextAirDate, Timestamp{764208000.0});
    EXPECT_EQ(s.seasonFilter, 2);
    EXPECT_EQ(s.status.progress, 1.0);
    EXPECT_EQ(s.status.state, ShowStatus::State::sorted);
    EXPECT_EQ(s.id, fixedId()); // lower-case text reads; it is written upper-case

    const auto settings = decodeDocument<AppSettings>(
        R"({"seedRatioLimit":2,"checkIntervalMinutes":30.0,"rootFolder":"file:\/\/\/srv\/media"})");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->seedRatioLimit, 2.0);
    EXPECT_EQ(settings->checkIntervalMinutes, 30);
    EXPECT_EQ(settings->rootFolder, QUrl::fromLocalFile("/srv/media"));
}

TEST(RecordReading, NullReadsAsAbsent) {
    const auto shows =
        decodeDocument<QList<Show>>(R"([{"name":"A","tmdbID":null,"quality":null}])");
    ASSERT_TRUE(shows);
    EXPECT_EQ(shows->first().tmdbID, std::nullopt);
    EXPECT_EQ(shows->first().quality, Show::Quality::p1080);
}

// --- writing -----------------------------------------------------------------------------------

TEST(RecordWriting, EveryRecordRoundTripsExactly) {
    const QList<Show> shows{fullShow(), Show{.id = fixedId(), .name = "Minimal"}};
    EXPECT_EQ(decodeDocument<QList<Show>>(encodeDocument(shows)), shows);

    const QList<Movie> movies{fullMovie(), Movie{.id = fixedId(), .name = "M"}};
    EXPECT_EQ(decodeDocument<QList<Movie>>(encodeDocument(movies)), movies);

    EXPECT_EQ(decodeDocument<AppSettings>(encodeDocument(fullSettings())), fullSettings());
    EXPECT_EQ(decodeDocument<AppSettings>(encodeDocument(AppSettings{})), AppSettings{});

    const QList<ActivityEntry> activity{{fixedId(), Timestamp{786000000.987654321},
                                         "Sorted “x” → /a/b", ActivityEntry::Kind::sorted}};
    EXPECT_EQ(decodeDocument<QList<ActivityEntry>>(encodeDocument(activity)), activity);

    const QMap<QString, ActiveDownload> downloads{
        {"aaa", {ActiveDownload::Kind::movie, fixedId(), "", true, "hand-picked"}},
        {"bbb", {ActiveDownload::Kind::episode, fixedId(), "S01E01", false, "EZTV"}}};
    EXPECT_EQ((decodeDocument<QMap<QString, ActiveDownload>>(encodeDocument(downloads))),
              downloads);

    const QList<DownloadRecord> history{fullRecord(),
                                        DownloadRecord{.id = "x", .showID = fixedId()}};
    EXPECT_EQ(decodeDocument<QList<DownloadRecord>>(encodeDocument(history)), history);
}

TEST(RecordWriting, KeysComeInRecordOrderAndAbsentOptionalsAreLeftOut) {
    const QByteArray minimal = encodeDocument(Show{.id = fixedId(), .name = "Dark"});
    EXPECT_EQ(
        minimal,
        QByteArray(
            R"({"id":"6F1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D","name":"Dark","quality":"1080p",)"
            R"("isEnabled":true,"status":{"state":"idle","progress":0.0},"downloadedEpisodes":[],)"
            R"("originCountries":[],"startWithLatest":true,"anyQuality":false,)"
            R"("fallbackAnyQuality":true,"monitorFromLatestPending":false,"rejectedHashes":[]})"));

    EXPECT_EQ(keysOf(encodeDocument(fullShow())), QStringList({"id",
                                                               "name",
                                                               "quality",
                                                               "isEnabled",
                                                               "nextAirDate",
                                                               "status",
                                                               "downloadedEpisodes",
                                                               "tmdbID",
                                                               "posterPath",
                                                               "firstAirYear",
                                                               "imdbID",
                                                               "originCountries",
                                                               "startWithLatest",
                                                               "anyQuality",
                                                               "fallbackAnyQuality",
                                                               "seasonFilter",
                                                               "monitorAnchor",
                                                               "monitorFromLatestPending",
                                                               "searchAlias",
                                                               "tmdbStatus",
                                                               "lastCheckedAt",
                                                               "airInfoRefreshedAt",
                                                               "rejectedHashes",
                                                               "qualityGraceEpisode",
                                                               "qualityGraceFirstSeenAt",
                                                               "qualityGraceDismissedEpisode"}));
    EXPECT_EQ(keysOf(encodeDocument(fullMovie())),
              QStringList({"id", "name", "year", "quality", "isEnabled", "monitor", "anyQuality",
                           "fallbackAnyQuality", "tmdbID", "posterPath", "releaseDate", "status",
                           "downloaded", "searchAlias", "pendingMagnet", "rejectedHashes"}));
    EXPECT_EQ(
        keysOf(encodeDocument(fullSettings())),
        QStringList({"rootFolder", "defaultQuality", "checkIntervalMinutes", "tmdbAPIKey",
                     "seedRatioEnabled", "seedRatioLimit", "seedMigratedV1",
                     "notificationSoundEnabled", "theme", "windowMagnetization", "staleNudgeDays",
                     "qualityGraceBufferHours", "qualityGraceFallbackDays"}));
    EXPECT_EQ(
        keysOf(encodeDocument(fullRecord())),
        QStringList({"id", "showID", "showName", "episode", "title", "addedAt", "state", "progress",
                     "rateBytes", "detail", "peers", "trackerHint", "seedsSeen", "stuckSince",
                     "staleSnoozedUntil", "staleNotifiedAt", "snoozeCount", "staleAbandoned"}));
    EXPECT_EQ(encodeDocument(ActiveDownload{ActiveDownload::Kind::episode, fixedId(), "S01E01",
                                            false, "EZTV"}),
              QByteArray(R"({"kind":"episode","showID":"6F1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D",)"
                         R"("episodeCode":"S01E01","userPicked":false,"source":"EZTV"})"));
}

TEST(RecordWriting, TextIsEscapedAsJsonRequiresAndNumbersStayReadable) {
    ActivityEntry entry{fixedId(), Timestamp{0.1},
                        QString::fromUtf8("say \"hi\"\\ \t\n\x01 \u00e9\u2192/"),
                        ActivityEntry::Kind::check};
    const QByteArray json = encodeDocument(entry);
    EXPECT_TRUE(json.contains(R"("message":"say \"hi\"\\ \t\n\u0001 )"));
    EXPECT_TRUE(json.contains("\xc3\xa9\xe2\x86\x92/\""));
    EXPECT_TRUE(json.contains(R"("date":0.1,)"));
    EXPECT_EQ(decodeDocument<QList<ActivityEntry>>("[" + json + "]"), QList<ActivityEntry>{entry});

    // A non-finite number has no JSON form; the file must stay readable.
    DownloadRecord row{.id = "h", .showID = fixedId()};
    row.progress = std::numeric_limits<double>::quiet_NaN();
    const auto back =
        decodeDocument<QList<DownloadRecord>>(encodeDocument(QList<DownloadRecord>{row}));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->first().progress, 0.0);
}

TEST(RecordWriting, UrlsAreWrittenAsAbsoluteStrings) {
    const Json settings = Json::parse(encodeDocument(fullSettings()).toStdString());
    EXPECT_EQ(settings["rootFolder"], "file:///home/user/Media%20Library/");
    const Json movie = Json::parse(encodeDocument(fullMovie()).toStdString());
    EXPECT_EQ(movie["pendingMagnet"],
              "magnet:?xt=urn:btih:0123456789abcdef0123456789abcdef01234567&dn=Heat%201995&tr=udp%"
              "3A%2F%2Ftracker.example%3A1337%2Fannounce");
}
