#pragma once

#include <coroutine>
#include <deque>
#include <memory>

// Hands out turns one at a time, first come first served, to coroutines on one thread.
// `co_await queue->next()` suspends until every earlier turn has been given back; a turn is
// given back when its Turn dies. A client holds the queue through a shared pointer so a turn
// that outlives the client still finds it. A client that goes away closes its queue: everyone
// waiting is resumed at once with a closed turn, so no coroutine is left suspended for ever.
class TurnQueue final : public std::enable_shared_from_this<TurnQueue> {
public:
    class Turn {
    public:
        Turn() = default;
        explicit Turn(std::shared_ptr<TurnQueue> queue)
            : m_queue(std::move(queue)) {}
        Turn(Turn&& other) noexcept
            : m_queue(std::move(other.m_queue))
            , m_closed(other.m_closed) {}
        Turn& operator=(Turn&& other) noexcept;
        Turn(const Turn&) = delete;
        Turn& operator=(const Turn&) = delete;
        ~Turn();

        static Turn closedTurn() {
            Turn t;
            t.m_closed = true;
            return t;
        }
        // No turn came: the queue's owner is gone, and nothing of it may be touched.
        bool isClosed() const { return m_closed; }

    private:
        std::shared_ptr<TurnQueue> m_queue;
        bool m_closed = false;
    };

    struct Awaiter {
        std::shared_ptr<TurnQueue> queue;
        bool await_ready() const noexcept;
        void await_suspend(std::coroutine_handle<> waiter);
        Turn await_resume();
    };

    static std::shared_ptr<TurnQueue> create();

    Awaiter next();
    bool isBusy() const { return m_busy; }
    std::size_t waiting() const { return m_waiting.size(); }
    // Resumes every waiter with a closed turn; later requests get one at once.
    void close();

private:
    TurnQueue() = default;
    void release();
    void handOver();

    bool m_busy = false;
    bool m_closed = false;
    std::deque<std::coroutine_handle<>> m_waiting;
};
