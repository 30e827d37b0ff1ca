#include "EventLoop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

bool runEventLoopUntil(const std::function<bool()>& done, int timeoutMs) {
    if (done())
        return true;
    // A real event loop that sleeps between events; the predicate is looked at every few
    // milliseconds. (processEvents with a time limit would spin the CPU instead.)
    QEventLoop loop;
    QTimer check;
    check.setInterval(2);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    check.start();
    loop.exec();
    return done();
}

void drainEvents() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}
