#include "ReferenceGrammar.h"

#include <QHash>
#include <QRegularExpression>

namespace ReferenceGrammar {

using Re = QRegularExpression;

// Compiled once per pattern text; the reference is slow enough without recompiling.
const Re& pattern(const QString& p, bool caseless = false) {
    static QHash<QString, Re> cache[2];
    auto it = cache[caseless].find(p);
    if (it == cache[caseless].end()) {
        // Names make new patterns; a long run (the fuzzer's) must not grow without end.
        if (cache[caseless].size() > 512)
            cache[caseless].clear();
        Re::PatternOptions options = Re::UseUnicodePropertiesOption;
        if (caseless)
            options |= Re::CaseInsensitiveOption;
        it = cache[caseless].insert(p, Re(p, options));
    }
    return *it;
}

std::optional<int> asciiInt(QStringView s) {
    if (s.isEmpty() || s.size() > 9)
        return std::nullopt;
    for (QChar c : s) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    return s.toInt();
}

QString code(int s, int e) {
    return QString::asprintf("S%02dE%02d", s, e);
}

std::optional<Code> written(const std::optional<EpisodeCode>& code) {
    if (!code)
        return std::nullopt;
    return Code{code->text(), code->ordinal().season, code->ordinal().episode};
}

std::optional<Code> refEpisodeCode(const QString& title) {
    const QString t = title.left(512);
    for (const char* p : {R"([Ss](\d{1,2})[Ee](\d{1,3})(?!\d))", R"(\b(\d{1,2})x(\d{1,2})\b)"}) {
        const auto m = pattern(QString::fromLatin1(p)).match(t);
        const auto s = asciiInt(m.capturedView(1)), e = asciiInt(m.capturedView(2));
        if (m.hasMatch() && s && e)
            return Code{code(*s, *e), *s, *e};
    }
    if (auto m = pattern(R"((?<!\d)(?:19|20)\d{2}[ ._-]\d{1,2}[ ._-]\d{1,2}(?!\d))").match(t);
        m.hasMatch()) {
        const auto parts = m.captured(0).split(pattern("[ ._-]"));
        if (parts.size() == 3) {
            auto y = asciiInt(parts[0]), mo = asciiInt(parts[1]), d = asciiInt(parts[2]);
            if (y && mo && d)
                return Code{QString::asprintf("%04d.%02d.%02d", *y, *mo, *d), *y, *mo * 100 + *d};
        }
    }
    return std::nullopt;
}

// The first group of the first caseless match, as a number.
std::optional<int> captured(const char* p, const QString& t) {
    const auto m = pattern(QString::fromLatin1(p), true).match(t);
    return m.hasMatch() ? asciiInt(m.capturedView(1)) : std::nullopt;
}

std::optional<int> refPackSeason(const QString& title) {
    const QString t = title.left(512).toLower();
    if (pattern(R"((series|seasons?)\s*\d{1,2}\s*(-|to)\s*\d{1,2})", true).match(t).hasMatch() ||
        pattern(R"(\bs\d{1,2}\s*-\s*s\d{1,2}\b)", true).match(t).hasMatch() ||
        t.contains("complete series") || t.contains("complete collection"))
        return std::nullopt;
    // A run of episodes names its season; a single episode is no pack.
    if (auto s = captured(R"(s(\d{1,2})e\d{1,2}\s*-\s*e?\d{1,2})", t))
        return s;
    if (pattern(R"(s\d{1,2}e\d{1,2})", true).match(t).hasMatch())
        return std::nullopt;
    if (auto s = captured(R"((?:series|season)\s*(\d{1,2}))", t))
        return s;
    return captured(R"(\bs(\d{1,2})\b(?![ .]?e\d))", t);
}

bool refIncompleteOrDated(const QString& title) {
    const QString full = title.toLower();
    if (full.endsWith(".part") || full.endsWith(".!qb") || full.endsWith(".crdownload"))
        return true;
    const QString t = title.left(512).toLower();
    return pattern(R"([(\[]\s*\d{2}[.\-/]\d{2}[.\-/](?:19|20)\d{2}\s*[)\]])").match(t).hasMatch() ||
           pattern(R"(^\d{2}\.\d{2}\.\d{2}[.\s_-])").match(t).hasMatch();
}

QString refQuality(const QString& title) {
    const QString t = title.left(512).toLower();
    if (t.contains("2160p") || t.contains("4k") || t.contains("uhd"))
        return "4K";
    if (t.contains("1080p") || t.contains("1080i"))
        return "1080p";
    if (t.contains("720p"))
        return "720p";
    if (t.contains("480p"))
        return "480p";
    return QString::fromUtf8("\u2014");
}

QStringList words(const QString& text) {
    return text.split(pattern(R"([^\p{L}\p{N}]+)"), Qt::SkipEmptyParts);
}

const Re& namePattern(const QString& name) {
    QStringList escaped;
    for (const QString& w : words(name.toLower()))
        escaped.append(Re::escape(w));
    return pattern("(?<![a-z0-9])" + escaped.join("[^a-z0-9]*") + "(?![a-z])");
}

const Re& token() {
    static const Re re = pattern(
        R"((?<![a-z0-9])(s\d{1,2}e\d{1,2}|\d{1,2}x\d{1,2}|(?:19|20)\d{2}[^a-z0-9]\d{1,2}[^a-z0-9]\d{1,2}))");
    return re;
}

std::optional<QString> refBetween(const QString& title, const QString& name) {
    if (words(name).isEmpty())
        return std::nullopt;
    const QString t = title.left(512).toLower();
    const auto m = namePattern(name).match(t);
    if (!m.hasMatch())
        return std::nullopt;
    const QString rest = t.mid(m.capturedEnd(0));
    const auto tk = token().match(rest);
    if (!tk.hasMatch())
        return std::nullopt;
    return rest.left(tk.capturedStart(0));
}

// Words that may stand around a name without making the title another show's.
static const QStringList& noiseWords() {
    static const QStringList noise =
        QStringLiteral("us usa uk gb au aus nz ca ie za in english eng subbed dubbed multi dual "
                       "audio complete series "
                       "season seasons collection boxset box set pack all full repack proper "
                       "internal limited extended "
                       "uncut remastered restored final cut edition anniversary special web webrip "
                       "webdl web-dl bluray "
                       "blu ray brrip bdrip hdtv hdrip dvdrip dvd amzn nf hulu dsnp atvp max x264 "
                       "x265 h264 h265 hevc avc "
                       "xvid aac ac3 dts 480p 720p 1080p 1080i 2160p 4k uhd hdr sdr 10bit")
            .split(' ');
    return noise;
}

bool refExtraAfter(const QString& title, const QString& name) {
    const QStringList& noise = noiseWords();
    const auto between = refBetween(title, name);
    if (!between)
        return false;
    for (const QString& w : words(*between)) {
        const auto n = w.size() == 4 ? asciiInt(w) : std::nullopt;
        if (!noise.contains(w) && !(n && *n >= 1900 && *n < 2100))
            return true;
    }
    return false;
}

bool refExtraBefore(const QString& title, const QString& name) {
    const QStringList& noise = noiseWords();
    static const Re junk = pattern(QString::fromUtf8(
        R"(^\s*(?:[\[\{\(][^\]\}\)]*[\]\}\)]\s*[-–_.]*\s*|(?:www\.)?[a-z0-9-]+\.(?:com|net|org|to|me|se|info|cc|is|tv)\s*[-–_.]*\s*)+)"));
    if (words(name).isEmpty())
        return false;
    QString t = title.left(512).toLower();
    if (const auto j = junk.match(t); j.hasMatch())
        t = t.mid(j.capturedEnd(0));
    const auto m = namePattern(name).match(t);
    if (!m.hasMatch())
        return false;
    for (const QString& w : words(t.left(m.capturedStart(0)))) {
        const bool year =
            asciiInt(w.left(9)) && w.size() <= 18 && (w.startsWith("19") || w.startsWith("20"));
        if (!noise.contains(w) && !year)
            return true;
    }
    return false;
}

QString refCompact(const QString& text) {
    return words(text).join(QString());
}

const Re& compactEpisode() {
    return pattern(
        R"(s\d{1,2}e\d{1,2}|(?<!\d)\d{1,2}x\d{1,2}(?!\d)|(?<!\d)(?:19|20)\d{2}(?:0[1-9]|1[0-2])(?:0[1-9]|[12]\d|3[01])(?!\d))");
}

bool refContainsName(const QString& title, const QString& name) {
    return !words(name).isEmpty() && namePattern(name).match(title.left(512).toLower()).hasMatch();
}

bool refAcceptsMovie(const QString& title, const QString& name) {
    if (!refContainsName(title, name))
        return false;
    const QString t = refCompact(title.left(512).toLower());
    const QString n = refCompact(name.toLower());
    const qsizetype at = t.indexOf(n);
    return !n.isEmpty() && at >= 0 && at <= 20 && !compactEpisode().match(t).hasMatch();
}

bool refAcceptsEpisode(const QString& title, const QString& name) {
    if (words(name).isEmpty() || !namePattern(name).match(title.left(512).toLower()).hasMatch() ||
        refExtraAfter(title, name) || refExtraBefore(title, name))
        return false;
    const QString t = refCompact(title.left(512).toLower());
    const QString n = refCompact(name.toLower());
    const qsizetype at = t.indexOf(n);
    if (n.isEmpty() || at < 0 || at > 20)
        return false;
    const auto m = compactEpisode().match(t);
    return m.hasMatch() && m.capturedStart(0) >= at + n.size();
}

} // namespace ReferenceGrammar
