#pragma once

// Raw string values of the enumerations that travel in JSON files and answers.
// Each enumeration specialises EnumRaw<E> with its cases in declaration order;
// toRaw/fromRaw/allCases then work for all of them alike.

#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <utility>

template <typename E>
struct EnumRaw; // specialise: static constexpr std::array<std::pair<E, const char*>, N> cases

template <typename E>
QString toRaw(E value) {
    for (const auto& [e, raw] : EnumRaw<E>::cases) {
        if (e == value)
            return QString::fromUtf8(raw);
    }
    return {};
}

template <typename E>
std::optional<E> fromRaw(QStringView raw) {
    for (const auto& [e, text] : EnumRaw<E>::cases) {
        if (raw == QLatin1StringView(text))
            return e;
    }
    return std::nullopt;
}

template <typename E>
constexpr auto allCases() {
    std::array<E, EnumRaw<E>::cases.size()> out{};
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = EnumRaw<E>::cases[i].first;
    return out;
}
