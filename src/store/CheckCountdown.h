#pragma once

#include <QObject>
#include <qcoro/qcorotask.h>

#include <functional>

class CalendarKeeper;
class HuntCycle;
class QTimer;

// The countdown to the next check cycle, one second at a time, and the one cycle that runs.
class CheckCountdown final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CheckCountdown)

public:
    // `intervalMinutes` reads the check interval whenever the countdown starts again.
    CheckCountdown(std::function<int()> intervalMinutes, HuntCycle& cycle, CalendarKeeper& calendar,
                   QObject* parent = nullptr);

    bool isChecking() const { return m_isChecking; }
    int secondsLeft() const { return m_secondsLeft; }

    // (Re)arms the one-second countdown from the check interval.
    void schedule();
    // One second of the countdown; at zero it starts a check cycle.
    void tick();
    // Starts a check cycle unless one runs. A manual check leaves the countdown alone.
    void runCheck(bool manual);

Q_SIGNALS:
    void isCheckingChanged();
    void secondsLeftChanged();
    void cycleFinished();

private:
    QCoro::Task<> runCycle(bool manual);
    void setChecking(bool checking);
    void setSecondsLeft(int seconds);

    std::function<int()> m_intervalMinutes;
    HuntCycle& m_cycle;
    CalendarKeeper& m_calendar;
    bool m_isChecking = false;
    int m_secondsLeft = 0;
    QTimer* m_timer = nullptr;
};
