#pragma once

#include <QObject>

#include <initializer_list>

class QSocketNotifier;

// Turns SIGINT/SIGTERM into a Qt signal on the main thread (self-pipe; the handler itself
// only writes one byte, which is all a signal handler may safely do).
class UnixSignalWatcher final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UnixSignalWatcher)

public:
    explicit UnixSignalWatcher(std::initializer_list<int> signals, QObject* parent = nullptr);
    ~UnixSignalWatcher() override;

Q_SIGNALS:
    void received(int signal);

private:
    QSocketNotifier* m_notifier = nullptr;
};
