#pragma once

// The text side of the title grammar: words, digits, and titles prepared once for matching.
// Internal to the grammar.

#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <string_view>

namespace TitleText {

// Only this much of a title takes part in matching, so no hostile title can stall a sweep.
inline constexpr qsizetype kMaxTitleLength = 512;

inline bool isAlphanumeric(char32_t c) {
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    return QChar::isLetterOrNumber(c);
}

// Calls f(word) for every maximal run of letters and digits, until f returns false.
template <typename F>
void forEachWord(QStringView text, F&& f) {
    qsizetype start = -1;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        char32_t c = text[i].unicode();
        qsizetype width = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            width = 2;
        }
        if (isAlphanumeric(c)) {
            if (start < 0)
                start = i;
        } else if (start >= 0) {
            if (!f(text.sliced(start, i - start)))
                return;
            start = -1;
        }
        i += width;
    }
    if (start >= 0)
        f(text.sliced(start));
}

// A word made only of ASCII digits that fits a 64-bit integer.
std::optional<qint64> integerWord(QStringView word);

// ASCII digits with an optional sign, nothing else; none when it does not fit.
std::optional<int> toInt(QStringView text);

// Lone surrogates become U+FFFD: the text is then safe for unchecked matching.
void makeValidUtf16(QString& text);

// A title as the patterns see it (capped, valid UTF-16, lower-cased or not), with the facts
// that decide cheaply whether a pattern can match at all, gathered in one pass. A surrogate
// counts as a possible digit or space: the patterns see whole code points.
struct Prepared {
    QString text;
    bool surrogates = false;
    bool dash = false;         // "-"
    bool bracket = false;      // "(" or "["
    bool century = false;      // "19" or "20"
    bool sDigit = false;       // "s" or "S" before a digit
    bool longSDigit = false;   // U+017F (matches "s" without case) before a digit
    bool bareS = false;        // an s-like letter after a non-word character, before a digit
    bool digitX = false;       // a digit before "x"
    bool seasonWord = false;   // "series"/"season" (their tails, "s" in any case)
    bool seasonNumber = false; // one of them followed by white space and a digit
    bool multiSeason = false;  // "complete series" or "complete collection"
    // resolution markers
    bool has2160p = false, has4k = false, hasUhd = false, has1080p = false, has1080i = false,
         has720p = false, has480p = false;
};

inline std::u16string_view u16(QStringView text) {
    return std::u16string_view(text.utf16(), static_cast<size_t>(text.size()));
}

inline bool contains(QStringView text, std::u16string_view needle) {
    return u16(text).find(needle) != std::u16string_view::npos;
}

// The last two texts prepared one way, so the several questions asked about one title (and
// the series name asked alongside) prepare each once. Least recently used goes first.
template <typename Value>
class Memo {
public:
    template <typename Make>
    const Value& get(const QString& source, Make make) {
        ++m_clock;
        for (Entry& e : m_entries) {
            if (e.used && e.source == source) {
                e.used = m_clock;
                return e.value;
            }
        }
        Entry& slot = m_entries[0].used <= m_entries[1].used ? m_entries[0] : m_entries[1];
        slot.source = source;
        slot.value = make(source);
        slot.used = m_clock;
        return slot.value;
    }

private:
    struct Entry {
        QString source;
        Value value{};
        quint64 used = 0; // 0: empty
    };
    std::array<Entry, 2> m_entries;
    quint64 m_clock = 0;
};

// The title as matched: at most kMaxTitleLength characters, valid UTF-16. The reference is
// good until the next call.
const Prepared& original(const QString& title);
// The same, fully lower-cased.
const Prepared& lowered(const QString& text);

// The letters and digits of a text, run together.
QString compactOf(QStringView text);

inline bool hasCenturyDigits(QStringView text) {
    return contains(text, u"19") || contains(text, u"20");
}

} // namespace TitleText
