#include "Show.h"

#include "DateText.h"

#include <QCollator>
#include <QRegularExpression>
#include <QTimeZone>

namespace {

std::optional<int> toInt(QStringView digits) {
    bool ok = false;
    const int value = digits.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

QDate utcDay(Timestamp date) {
    return date.toDateTime().toUTC().date();
}

} // namespace

Show::QualityMode qualityModeOf(bool anyQuality, bool fallbackAnyQuality) {
    if (anyQuality)
        return Show::QualityMode::any;
    return fallbackAnyQuality ? Show::QualityMode::preferWithFallback : Show::QualityMode::strict;
}

std::optional<EpisodeNumber> Show::parseEpisodeCode(const QString& code) {
    // Up to three episode digits: TMDB writes S01E105 in full, and reading it as
    // S01E10 would mark the wrong episode downloaded.
    static const QRegularExpression seasonEpisode(
        QStringLiteral(R"([Ss](\d{1,2})[Ee](\d{1,3})(?!\d))"));
    static const QRegularExpression date(
        QRegularExpression::anchoredPattern(QStringLiteral(R"((\d{4})\.(\d{2})\.(\d{2}))")));

    if (const auto m = seasonEpisode.match(code); m.hasMatch()) {
        const auto season = toInt(m.capturedView(1));
        const auto episode = toInt(m.capturedView(2));
        if (season && episode)
            return EpisodeNumber{*season, *episode};
        return std::nullopt;
    }
    if (const auto m = date.match(code); m.hasMatch()) {
        const auto year = toInt(m.capturedView(1));
        const auto month = toInt(m.capturedView(2));
        const auto day = toInt(m.capturedView(3));
        if (year && month && day)
            return EpisodeNumber{*year, *month * 100 + *day};
    }
    return std::nullopt;
}

QString Show::dateCode(Timestamp date) {
    const QDate d = utcDay(date);
    return QStringLiteral("%1.%2.%3")
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.day(), 2, 10, QLatin1Char('0'));
}

Timestamp Show::airDayInLocalTime(Timestamp date) {
    // TMDB air dates are UTC midnights; keep the calendar day in zones west of UTC.
    const QDate day = utcDay(date);
    if (!day.isValid())
        return date;
    const QDateTime local = day.startOfDay(Qt::LocalTime);
    return local.isValid() ? Timestamp::fromDateTime(local) : date;
}

Show::QualityMode Show::qualityMode() const {
    return qualityModeOf(anyQuality, fallbackAnyQuality);
}

std::optional<EpisodeNumber> Show::latestDownloadedEpisode() const {
    std::optional<EpisodeNumber> latest;
    for (const QString& code : downloadedEpisodes) {
        const auto parsed = parseEpisodeCode(code);
        if (parsed && (!latest || *parsed > *latest))
            latest = parsed;
    }
    return latest;
}

std::optional<EpisodeNumber> Show::latestKnownEpisode() const {
    const auto downloaded = latestDownloadedEpisode();
    const auto anchor = monitorAnchor ? parseEpisodeCode(*monitorAnchor) : std::nullopt;
    if (downloaded && anchor)
        return std::max(*downloaded, *anchor);
    return downloaded ? downloaded : anchor;
}

bool Show::hasDownloaded(const QString& code, std::optional<Timestamp> airDate) const {
    if (downloadedEpisodes.contains(code))
        return true;
    return airDate && downloadedEpisodes.contains(dateCode(*airDate));
}

void Show::markDownloaded(const QString& code) {
    downloadedEpisodes.removeAll(code);
    downloadedEpisodes.prepend(code);
    if (downloadedEpisodes.size() > kMaxDownloadedEpisodes)
        downloadedEpisodes.resize(kMaxDownloadedEpisodes);
}

QString Show::initials() const {
    QString out;
    const auto words =
        QStringView(name).split(QRegularExpression(QStringLiteral(R"(\s+)")), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < words.size() && i < 2; ++i) {
        const QStringView word = words[i];
        const qsizetype len = word.size() > 1 && word[0].isHighSurrogate() ? 2 : 1;
        out += word.first(len).toString().toUpper();
    }
    return out;
}

std::optional<QString> Show::watchStatusText(Timestamp now) const {
    if (!isEnabled || !startWithLatest)
        return std::nullopt;
    const bool ended =
        tmdbStatus == QStringLiteral("Ended") || tmdbStatus == QStringLiteral("Canceled");
    if (!nextAirDate) {
        if (!airInfoRefreshedAt)
            return QStringLiteral("Subscribed — checking the schedule…");
        if (ended)
            return QStringLiteral("Series ended");
        if (!tmdbID)
            return QStringLiteral("Subscribed — watching for new episodes");
        return QStringLiteral("Up to date — watching for new episodes");
    }
    if (*nextAirDate <= now) {
        return ended ? QStringLiteral("Series ended — searching for missing episodes…")
                     : QStringLiteral("New episode out — searching…");
    }
    const QDate localDay = airDayInLocalTime(*nextAirDate).toDateTime().toLocalTime().date();
    return QStringLiteral("Next episode airs ") + abbreviatedDate(localDay);
}

bool titleSortsBefore(const QString& a, const QString& b) {
    static const QRegularExpression article(QStringLiteral(R"(^the\s+)"),
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::UseUnicodePropertiesOption);
    static const QCollator collator = [] {
        QCollator c;
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    const auto key = [](const QString& name) { return name.trimmed().remove(article); };
    return collator.compare(key(a), key(b)) < 0;
}
