#pragma once

#include "Timestamp.h"

// Every rule that says "now" asks a Clock, so tests can move time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual Timestamp now() const = 0;
};

class SystemClock final : public Clock {
public:
    Timestamp now() const override;
};

// A clock that only moves when told to; for tests, benchmarks and replays.
class ManualClock final : public Clock {
public:
    explicit ManualClock(Timestamp start = Timestamp::fromUnixSeconds(1767225600.0)) // 2026-01-01
        : m_now(start) {}
    Timestamp now() const override { return m_now; }
    void set(Timestamp t) { m_now = t; }
    void advance(double seconds) { m_now = m_now + seconds; }

private:
    Timestamp m_now;
};
