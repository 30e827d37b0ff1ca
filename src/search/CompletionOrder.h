#pragma once

#include <QList>
#include <qcoro/qcorotask.h>

#include <coroutine>
#include <memory>
#include <utility>

// Runs tasks side by side and hands their results back in the order they finish. QCoro 0.8
// has no when-all, so each task gets a small watcher that files its result and wakes the
// waiting coroutine when the last one is in.
//
//     CompletionOrder<QList<RawHit>> all;
//     for (...) all.add(source->search(query), source);
//     co_await all.finished();
//     for (auto& hits : all.take()) ...
template <typename T>
class CompletionOrder {
    struct State {
        int pending = 0;
        QList<T> results;
        std::coroutine_handle<> waiter;
    };

public:
    struct Awaiter {
        std::shared_ptr<State> state;
        bool await_ready() noexcept { return state->pending == 0; }
        void await_suspend(std::coroutine_handle<> handle) noexcept { state->waiter = handle; }
        void await_resume() noexcept {}
    };

    // `keepAlive` is held until the task is done (the object whose member the task runs).
    void add(QCoro::Task<T> task, std::shared_ptr<const void> keepAlive = {}) {
        ++m_state->pending;
        watch(m_state, std::move(task), std::move(keepAlive));
    }

    // Resumes once every added task has finished (at once when none is left).
    Awaiter finished() const { return Awaiter{m_state}; }

    QList<T> take() { return std::exchange(m_state->results, {}); }

private:
    static QCoro::Task<> watch(std::shared_ptr<State> state, QCoro::Task<T> task,
                               std::shared_ptr<const void> keepAlive) {
        T result{};
        try {
            result = co_await task;
        } catch (...) {
            // A task that throws counts as an empty answer; the others still come in.
        }
        keepAlive.reset();
        state->results.append(std::move(result));
        if (--state->pending == 0 && state->waiter)
            std::exchange(state->waiter, {}).resume();
    }

    std::shared_ptr<State> m_state = std::make_shared<State>();
};
