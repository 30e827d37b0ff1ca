#pragma once

#include "EventLoop.h"

#include <qcoro/qcorotask.h>

#include <memory>
#include <optional>
#include <stdexcept>

// Runs the event loop until `task` completes and hands back its value. A task that does not
// finish within the watchdog fails the test (the exception is reported by GoogleTest).
template <typename T>
T awaitTask(QCoro::Task<T>&& task, int timeoutMs = 15000) {
    auto out = std::make_shared<std::optional<T>>();
    [](QCoro::Task<T> t, std::shared_ptr<std::optional<T>> o) -> QCoro::Task<> {
        o->emplace(co_await std::move(t));
    }(std::move(task), out);
    if (!runEventLoopUntil([&] { return out->has_value(); }, timeoutMs))
        throw std::runtime_error("task did not finish in time");
    return std::move(**out);
}

inline void awaitTask(QCoro::Task<>&& task, int timeoutMs = 15000) {
    auto done = std::make_shared<bool>(false);
    [](QCoro::Task<> t, std::shared_ptr<bool> d) -> QCoro::Task<> {
        co_await std::move(t);
        *d = true;
    }(std::move(task), done);
    if (!runEventLoopUntil([&] { return *done; }, timeoutMs))
        throw std::runtime_error("task did not finish in time");
}
