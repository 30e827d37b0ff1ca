#include "EpisodeCode.h"

#include <QRegularExpression>

namespace {

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

int capturedInt(const QRegularExpressionMatch& m, int group) {
    return m.capturedView(group).toInt();
}

} // namespace

EpisodeCode EpisodeCode::episode(int season, int number) {
    return EpisodeCode(Kind::episode, season, number);
}

EpisodeCode EpisodeCode::seasonPack(int season) {
    return EpisodeCode(Kind::seasonPack, season, 0);
}

EpisodeCode EpisodeCode::seriesPack(const QString& tag) {
    return EpisodeCode(Kind::seriesPack, 0, 0, tag);
}

EpisodeCode EpisodeCode::daily(int year, int month, int day) {
    return EpisodeCode(Kind::daily, year, month * 100 + day);
}

std::optional<EpisodeCode> EpisodeCode::parse(const QString& text) {
    // S01E05, S01.PACK, SERIES-1a2b3c4d.PACK, 2024.03.07
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QStringLiteral(
            R"([Ss](\d{1,4})[Ee](\d{1,4})|[Ss](\d{1,4})\.PACK|SERIES-([0-9A-Za-z]{1,40})\.PACK|(\d{4})\.(\d{2})\.(\d{2}))")),
        QRegularExpression::UseUnicodePropertiesOption);
    const auto m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    if (m.hasCaptured(1))
        return episode(capturedInt(m, 1), capturedInt(m, 2));
    if (m.hasCaptured(3))
        return seasonPack(capturedInt(m, 3));
    if (m.hasCaptured(4))
        return seriesPack(m.captured(4));
    const QDate day(capturedInt(m, 5), capturedInt(m, 6), capturedInt(m, 7));
    if (!day.isValid())
        return std::nullopt;
    return daily(day.year(), day.month(), day.day());
}

std::optional<int> EpisodeCode::season() const {
    if (m_kind == Kind::episode || m_kind == Kind::seasonPack)
        return m_a;
    return std::nullopt;
}

QDate EpisodeCode::date() const {
    return m_kind == Kind::daily ? QDate(m_a, m_b / 100, m_b % 100) : QDate();
}

QString EpisodeCode::text() const {
    switch (m_kind) {
    case Kind::episode: {
        // Built by hand: every analysed title formats one, and arg() is slow.
        QString code;
        code.reserve(8);
        code += u'S';
        if (m_a < 10)
            code += u'0';
        code += QString::number(m_a);
        code += u'E';
        if (m_b < 10)
            code += u'0';
        code += QString::number(m_b);
        return code;
    }
    case Kind::seasonPack:
        return QLatin1Char('S') + twoDigits(m_a) + QStringLiteral(".PACK");
    case Kind::seriesPack:
        return QStringLiteral("SERIES-") + m_tag + QStringLiteral(".PACK");
    case Kind::daily:
        return QStringLiteral("%1.%2.%3")
            .arg(m_a, 4, 10, QLatin1Char('0'))
            .arg(twoDigits(m_b / 100), twoDigits(m_b % 100));
    }
    return {};
}
