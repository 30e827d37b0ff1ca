#include "TurnQueue.h"

#include <QTimer>

TurnQueue::Turn& TurnQueue::Turn::operator=(Turn&& other) noexcept {
    if (this != &other) {
        if (m_queue)
            m_queue->release();
        m_queue = std::move(other.m_queue);
    }
    return *this;
}

TurnQueue::Turn::~Turn() {
    if (m_queue)
        m_queue->release();
}

bool TurnQueue::Awaiter::await_ready() const noexcept {
    if (queue->m_busy)
        return false;
    queue->m_busy = true;
    return true;
}

void TurnQueue::Awaiter::await_suspend(std::coroutine_handle<> waiter) {
    queue->m_waiting.push_back(waiter);
}

std::shared_ptr<TurnQueue> TurnQueue::create() {
    return std::shared_ptr<TurnQueue>(new TurnQueue());
}

TurnQueue::Awaiter TurnQueue::next() {
    return Awaiter{shared_from_this()};
}

void TurnQueue::release() {
    if (m_waiting.empty()) {
        m_busy = false;
        return;
    }
    // The queue stays busy: the turn passes straight to the next waiter. It resumes from the
    // event loop, not from inside the coroutine that is finishing right now.
    const std::coroutine_handle<> next = m_waiting.front();
    m_waiting.pop_front();
    QTimer::singleShot(0, [next] { next.resume(); });
}
