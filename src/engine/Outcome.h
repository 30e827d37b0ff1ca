#pragma once

#include <utility>
#include <variant>

// The value of an operation that only succeeds or fails. (Not std::monostate: a coroutine
// task keeps its own "no value yet" state as std::monostate and would mistake one for it.)
struct Done {
    bool operator==(const Done&) const = default;
};

// A value or the reason there is none. The engine's clients return this instead of throwing,
// so a failure can never escape across the event loop.
template <typename T, typename E>
class Outcome {
public:
    Outcome(T value)
        : m_state(std::in_place_index<0>, std::move(value)) {}
    Outcome(E error)
        : m_state(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<0>(m_state); }
    T& value() & { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }
    const E& error() const { return std::get<1>(m_state); }

    bool operator==(const Outcome&) const = default;

private:
    std::variant<T, E> m_state;
};
