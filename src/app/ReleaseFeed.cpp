#include "ReleaseFeed.h"

#include "model/JsonCodec.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

struct Version {
    QList<qulonglong> numbers;
    QString preRelease; // empty for a release
};

std::optional<Version> parseVersion(const QString& text) {
    // "1.10.2", "v2.0", "1.4.0-rc1"
    static const QRegularExpression pattern(
        QStringLiteral(R"(^v?(\d{1,9}(?:\.\d{1,9}){0,5})(?:-([0-9A-Za-z.]+))?$)"));
    const auto match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    Version v;
    for (const QString& part : match.captured(1).split(QLatin1Char('.')))
        v.numbers << part.toULongLong();
    v.preRelease = match.captured(2);
    return v;
}

} // namespace

std::optional<int> compareVersions(const QString& a, const QString& b) {
    const auto va = parseVersion(a);
    const auto vb = parseVersion(b);
    if (!va || !vb)
        return std::nullopt;
    const qsizetype n = std::max(va->numbers.size(), vb->numbers.size());
    for (qsizetype i = 0; i < n; ++i) {
        const qulonglong x = va->numbers.value(i, 0);
        const qulonglong y = vb->numbers.value(i, 0);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (va->preRelease == vb->preRelease)
        return 0;
    if (va->preRelease.isEmpty())
        return 1;
    if (vb->preRelease.isEmpty())
        return -1;
    return va->preRelease < vb->preRelease ? -1 : 1;
}

std::optional<ReleaseInfo> parseReleaseFeed(QByteArrayView json, QString* why) {
    const auto fail = [&](const char* reason) -> std::optional<ReleaseInfo> {
        if (why)
            *why = QString::fromUtf8(reason);
        return std::nullopt;
    };
    const auto document = parseJson(json);
    if (!document || !document->is_object())
        return fail("the feed is not a JSON object");
    const auto text = [&](const char* key) -> std::optional<QString> {
        const auto it = document->find(key);
        if (it == document->end() || !it->is_string())
            return std::nullopt;
        return QString::fromStdString(it->get<std::string>());
    };
    ReleaseInfo info;
    const auto version = text("version");
    if (!version || !parseVersion(*version))
        return fail("the feed names no valid version");
    info.version = version->trimmed();
    const auto page = text("url");
    info.page = QUrl(page.value_or(QString()), QUrl::StrictMode);
    if (!info.page.isValid() || info.page.host().isEmpty() ||
        (info.page.scheme() != QLatin1String("https") &&
         info.page.scheme() != QLatin1String("http")))
        return fail("the feed names no web page for the release");
    info.notes = text("notes").value_or(QString());
    return info;
}

QString updateMessage(const UpdateResult& result, const QString& currentVersion) {
    switch (result.kind) {
    case UpdateResult::Kind::newer:
        return QStringLiteral("Lumivane %1 is available (you have %2).")
            .arg(result.release.version, currentVersion);
    case UpdateResult::Kind::upToDate:
        return QStringLiteral("You are up to date: Lumivane %1 is the newest version.")
            .arg(currentVersion);
    case UpdateResult::Kind::unreachable:
        return QStringLiteral("Lumivane could not check for updates: the release feed did not "
                              "answer (%1). Try again later.")
            .arg(result.detail);
    case UpdateResult::Kind::badFeed:
        return QStringLiteral("Lumivane could not check for updates: %1. Try again later, or "
                              "look on the project's release page.")
            .arg(result.detail);
    }
    return {};
}

QString noFeedMessage() {
    return QStringLiteral("Lumivane's updates come with your system's packages: your software "
                          "updater or package manager installs new versions.");
}
