#include "TurnQueue.h"

#include <QTimer>

TurnQueue::Turn& TurnQueue::Turn::operator=(Turn&& other) noexcept {
    if (this != &other) {
        if (m_queue)
            m_queue->release();
        m_queue = std::move(other.m_queue);
        m_closed = other.m_closed;
    }
    return *this;
}

TurnQueue::Turn::~Turn() {
    if (m_queue)
        m_queue->release();
}

bool TurnQueue::Awaiter::await_ready() const noexcept {
    if (queue->m_closed)
        return true;
    if (queue->m_busy)
        return false;
    queue->m_busy = true;
    return true;
}

void TurnQueue::Awaiter::await_suspend(std::coroutine_handle<> waiter) {
    queue->m_waiting.push_back(waiter);
}

TurnQueue::Turn TurnQueue::Awaiter::await_resume() {
    if (queue->m_closed)
        return Turn::closedTurn();
    return Turn(queue);
}

std::shared_ptr<TurnQueue> TurnQueue::create() {
    return std::shared_ptr<TurnQueue>(new TurnQueue());
}

TurnQueue::Awaiter TurnQueue::next() {
    return Awaiter{shared_from_this()};
}

void TurnQueue::release() {
    if (m_waiting.empty() || m_closed) {
        m_busy = false;
        return;
    }
    // The queue stays busy: the turn passes straight to the next waiter. It resumes from the
    // event loop, not from inside the coroutine that is finishing right now; a queue closed by
    // then has already resumed everyone.
    QTimer::singleShot(0, [weak = weak_from_this()] {
        if (const auto queue = weak.lock())
            queue->handOver();
    });
}

void TurnQueue::handOver() {
    if (m_closed)
        return;
    if (m_waiting.empty()) {
        m_busy = false;
        return;
    }
    const std::coroutine_handle<> next = m_waiting.front();
    m_waiting.pop_front();
    next.resume();
}

void TurnQueue::close() {
    m_closed = true;
    while (!m_waiting.empty()) {
        const std::coroutine_handle<> waiter = m_waiting.front();
        m_waiting.pop_front();
        waiter.resume();
    }
}
