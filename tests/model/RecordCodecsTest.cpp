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

// Missing keys take their defaults and other writers' spellings ("\\/", 2.0 for 2, lower-case
// ids) are read: each row's input is read and written again, and compared by meaning.
TEST(RecordCodecs, MissingKeysAndOtherWritersSpellingsAreRead) {
    for (const auto& c : fixtureJson("records/readings.json")) {
        const QByteArray input = QByteArray::fromStdString(c[2].is_string() ? c[2].get<std::string>() : c[2].dump());
        const auto again = reencode(c[1], input);
        ASSERT_TRUE(again) << c[0];
        EXPECT_EQ(nlohmann::json::parse(again->toStdString()), c[3]) << c[0] << ": " << again->toStdString();
    }
    const auto shows = decodeDocument<QList<Show>>(R"([{"name":"Dark"}])");
    ASSERT_TRUE(shows);
    EXPECT_FALSE(shows->first().id.isNull());
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
