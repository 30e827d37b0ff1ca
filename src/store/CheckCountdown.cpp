#include "CheckCountdown.h"

#include "CalendarKeeper.h"
#include "HuntCycle.h"

#include <QPointer>
#include <QTimer>

#include <chrono>

using namespace std::chrono_literals;

CheckCountdown::CheckCountdown(std::function<int()> intervalMinutes, HuntCycle& cycle,
                               CalendarKeeper& calendar, QObject* parent)
    : QObject(parent)
    , m_intervalMinutes(std::move(intervalMinutes))
    , m_cycle(cycle)
    , m_calendar(calendar) {}

void CheckCountdown::schedule() {
    setSecondsLeft(m_intervalMinutes() * 60);
    // Replace the timer rather than restart it, so a tick already queued for the old one
    // cannot land on the new count.
    delete m_timer;
    m_timer = new QTimer(this);
    m_timer->setInterval(1s);
    connect(m_timer, &QTimer::timeout, this, &CheckCountdown::tick);
    m_timer->start();
}

void CheckCountdown::tick() {
    if (m_secondsLeft >= 1)
        setSecondsLeft(m_secondsLeft - 1);
    else
        runCheck(false);
}

void CheckCountdown::runCheck(bool manual) {
    if (m_isChecking)
        return;
    setChecking(true);
    runCycle(manual); // runs on; the task clears isChecking when the cycle ends
}

QCoro::Task<> CheckCountdown::runCycle(bool manual) {
    QPointer<CheckCountdown> self(this);
    try {
        co_await m_cycle.run(manual);
    } catch (const std::exception& e) {
        // Nothing should throw out of a cycle; if something does, the next one still runs.
        qWarning("check cycle failed: %s", e.what());
    }
    if (!self)
        co_return;
    setChecking(false);
    setSecondsLeft(m_intervalMinutes() * 60);
    Q_EMIT cycleFinished();
    // A long-running instance (the service above all, whose calendar.ics others read) would
    // otherwise show the calendar of its start: aired episodes stay "upcoming", new ones never
    // appear. The rebuild waits its five minutes like any unforced one.
    m_calendar.refresh(false);
}

void CheckCountdown::setChecking(bool checking) {
    if (m_isChecking == checking)
        return;
    m_isChecking = checking;
    Q_EMIT isCheckingChanged();
}

void CheckCountdown::setSecondsLeft(int seconds) {
    if (m_secondsLeft == seconds)
        return;
    m_secondsLeft = seconds;
    Q_EMIT secondsLeftChanged();
}
