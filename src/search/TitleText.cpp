#include "TitleText.h"

#include <algorithm>
#include <array>

namespace TitleText {

namespace {

bool isAsciiDigit(QChar c) {
    return c.unicode() >= '0' && c.unicode() <= '9';
}

bool isSLike(char16_t c) {
    return c == u's' || c == u'S' || c == 0x017F;
}

// Could be a digit to a Unicode-aware pattern.
bool maybeDigit(QChar c) {
    return c.isDigit() || c.isSurrogate();
}

Prepared prepare(QString text) {
    Prepared p;
    const std::u16string_view t = u16(text);
    const std::size_t n = t.size();
    auto at = [&t, n](std::size_t i, std::u16string_view word) {
        return i + word.size() <= n && t.compare(i, word.size(), word) == 0;
    };
    // Whether "series"/"season" ending before `i` is followed by white space and a digit.
    auto numberFollows = [&text, n](std::size_t i) {
        while (i < n && (text[i].isSpace() || text[i].unicode() >= 0x80) && !maybeDigit(text[i]))
            ++i;
        return i < n && maybeDigit(text[i]);
    };
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = t[i];
        if (c >= 0x80) {
            if (QChar::isSurrogate(c))
                p.surrogates = true;
            else if (text[i].isDigit() && i + 1 < n && t[i + 1] == u'x')
                p.digitX = true;
            if (c == 0x017F && i + 1 < n && maybeDigit(text[i + 1])) {
                p.longSDigit = true;
                p.bareS = true;
            }
            continue;
        }
        const bool nextDigit = i + 1 < n && maybeDigit(text[i + 1]);
        switch (c) {
        case u'-':
            p.dash = true;
            break;
        case u'(':
        case u'[':
            p.bracket = true;
            break;
        case u's':
        case u'S':
            if (nextDigit) {
                p.sDigit = true;
                p.bareS = p.bareS || i == 0 || !text[i - 1].isLetterOrNumber() || t[i - 1] >= 0x80;
            }
            break;
        case u'e':
            if (at(i, u"erie") && i + 4 < n && isSLike(t[i + 4])) {
                p.seasonWord = true;
                p.seasonNumber = p.seasonNumber || numberFollows(i + 5);
            } else if (at(i, u"ea") && i + 4 < n && isSLike(t[i + 2]) && t[i + 3] == u'o' &&
                       (t[i + 4] == u'n' || t[i + 4] == u'N')) {
                p.seasonWord = true;
                p.seasonNumber = p.seasonNumber || numberFollows(i + 5) ||
                                 (i + 5 < n && isSLike(t[i + 5]) && numberFollows(i + 6));
            }
            break;
        case u'c':
            p.multiSeason =
                p.multiSeason || at(i, u"complete series") || at(i, u"complete collection");
            break;
        case u'u':
            p.hasUhd = p.hasUhd || at(i, u"uhd");
            break;
        case u'1':
            p.century = p.century || (i + 1 < n && t[i + 1] == u'9');
            p.has1080p = p.has1080p || at(i, u"1080p");
            p.has1080i = p.has1080i || at(i, u"1080i");
            break;
        case u'2':
            p.century = p.century || (i + 1 < n && t[i + 1] == u'0');
            p.has2160p = p.has2160p || at(i, u"2160p");
            break;
        case u'4':
            p.has4k = p.has4k || at(i, u"4k");
            p.has480p = p.has480p || at(i, u"480p");
            break;
        case u'7':
            p.has720p = p.has720p || at(i, u"720p");
            break;
        default:
            break;
        }
        if (i + 1 < n && t[i + 1] == u'x' && c >= u'0' && c <= u'9')
            p.digitX = true;
    }
    if (p.surrogates) {
        makeValidUtf16(text);
        // Anything could hide behind a code point outside the BMP: let the patterns decide.
        p.sDigit = p.longSDigit = p.bareS = p.digitX = true;
    }
    p.text = std::move(text);
    return p;
}

QString lowerCased(const QString& text) {
    const bool ascii =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (!ascii)
        return text.toLower();
    QString out = text;
    for (QChar& c : out) {
        if (c.unicode() >= u'A' && c.unicode() <= u'Z')
            c = QChar(c.unicode() + 32);
    }
    return out;
}

QString capped(const QString& text) {
    return text.size() > kMaxTitleLength ? text.left(kMaxTitleLength) : text;
}

} // namespace

std::optional<qint64> integerWord(QStringView word) {
    if (word.isEmpty() || word.size() > 18 || !std::all_of(word.begin(), word.end(), isAsciiDigit))
        return std::nullopt;
    return word.toLongLong();
}

std::optional<int> toInt(QStringView text) {
    const QStringView digits =
        text.startsWith(u'+') || text.startsWith(u'-') ? text.sliced(1) : text;
    if (digits.isEmpty() || digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), isAsciiDigit))
        return std::nullopt;
    const int value = digits.toInt();
    return text.startsWith(u'-') ? -value : value;
}

void makeValidUtf16(QString& text) {
    if (QStringView(text).isValidUtf16())
        return;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
}

const Prepared& original(const QString& title) {
    thread_local Memo<Prepared> memo;
    return memo.get(title, [](const QString& t) { return prepare(capped(t)); });
}

const Prepared& lowered(const QString& text) {
    thread_local Memo<Prepared> memo;
    return memo.get(text, [](const QString& t) { return prepare(lowerCased(capped(t))); });
}

QString compactOf(QStringView text) {
    QString out;
    out.reserve(text.size());
    forEachWord(text, [&out](QStringView word) {
        out += word;
        return true;
    });
    return out;
}

} // namespace TitleText
