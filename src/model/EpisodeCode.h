#pragma once

#include "Show.h"

#include <QDate>
#include <QString>

#include <optional>

// What a download or a downloaded-list entry is about, as one value: a single episode
// ("S01E05"), a whole season ("S01.PACK"), a whole series ("SERIES-1a2b3c4d.PACK") or one day of
// a daily programme ("2024.03.07"). Its text is the key of downloaded lists, history rows and
// messages, so text() and parse() are the only places that know how codes are written.
class EpisodeCode {
public:
    enum class Kind : quint8 { episode, seasonPack, seriesPack, daily };

    static EpisodeCode episode(int season, int number);
    static EpisodeCode seasonPack(int season);
    // `tag` tells one series pack from another (the release's info hash, shortened).
    static EpisodeCode seriesPack(const QString& tag);
    static EpisodeCode daily(int year, int month, int day);
    // A code as text() writes it (the S and E in either case); none for anything else.
    static std::optional<EpisodeCode> parse(const QString& text);

    Kind kind() const { return m_kind; }
    bool isPack() const { return m_kind == Kind::seasonPack || m_kind == Kind::seriesPack; }
    // The season of an episode or a season pack; none for series packs and daily codes.
    std::optional<int> season() const;
    // The episode's number within its season; 0 for the other kinds.
    int number() const { return m_kind == Kind::episode ? m_b : 0; }
    // The day of a daily code; invalid for the other kinds.
    QDate date() const;
    // (season, episode), or (year, month × 100 + day) for a daily code: orders codes of one
    // kind. Packs sort as episode 0 of their season.
    EpisodeNumber ordinal() const { return {m_a, m_b}; }

    QString text() const;

    bool operator==(const EpisodeCode&) const = default;

private:
    EpisodeCode(Kind kind, int a, int b, QString tag = {})
        : m_kind(kind)
        , m_a(a)
        , m_b(b)
        , m_tag(std::move(tag)) {}

    Kind m_kind = Kind::episode;
    int m_a = 0; // season, or year
    int m_b = 0; // episode, or month × 100 + day
    QString m_tag;
};
