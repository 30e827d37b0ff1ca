#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <coroutine>
#include <memory>
#include <utility>

// co_await SleepUnlessGone(owner, d): waits d, or ends early when `owner` is destroyed. A plain
// QCoro::sleepFor outlives its owner when the event loop stops first, and the suspended frame
// (with every caller's) is never freed. Callers check their QPointer after the wait either way.
class SleepUnlessGone {
public:
    SleepUnlessGone(QObject* owner, std::chrono::milliseconds duration)
        : m_owner(owner)
        , m_duration(duration) {}

    bool await_ready() const noexcept { return !m_owner; }

    void await_suspend(std::coroutine_handle<> waiter) {
        // The timer is the owner's child, so it dies with the owner; whichever of its timeout
        // and its end comes first resumes, the other finds the handle taken.
        auto* timer = new QTimer(m_owner.data());
        timer->setSingleShot(true);
        auto once = std::make_shared<std::coroutine_handle<>>(waiter);
        const auto resume = [once] {
            if (const std::coroutine_handle<> handle = std::exchange(*once, nullptr))
                handle.resume();
        };
        QObject::connect(timer, &QTimer::timeout, timer, [timer, resume] {
            timer->deleteLater();
            resume();
        });
        QObject::connect(timer, &QObject::destroyed, resume);
        timer->start(m_duration);
    }

    void await_resume() const noexcept {}

private:
    QPointer<QObject> m_owner;
    std::chrono::milliseconds m_duration;
};
