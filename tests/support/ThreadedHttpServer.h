#pragma once

#include "FakeHttpServer.h"

#include <QThread>

// A FakeHttpServer on a thread of its own, for code under test that blocks the thread it runs
// on. The handler runs on the server's thread; requests() hands out a copy.
class ThreadedHttpServer {
public:
    explicit ThreadedHttpServer(FakeHttpServer::Handler handler) {
        m_thread.start();
        m_context.moveToThread(&m_thread);
        QMetaObject::invokeMethod(
            &m_context,
            [&] {
                m_server = new FakeHttpServer;
                m_server->setHandler(std::move(handler));
            },
            Qt::BlockingQueuedConnection);
    }

    ~ThreadedHttpServer() {
        QThread* home = QThread::currentThread();
        QMetaObject::invokeMethod(
            &m_context,
            [&] {
                delete m_server;
                m_context.moveToThread(home); // dies here, after its thread has ended
            },
            Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

    quint16 port() const { return m_server->port(); }

    QList<FakeHttpServer::Request> requests() const {
        QList<FakeHttpServer::Request> copy;
        QMetaObject::invokeMethod(
            &m_context, [&] { copy = m_server->requests(); }, Qt::BlockingQueuedConnection);
        return copy;
    }

private:
    QThread m_thread;
    mutable QObject m_context;
    FakeHttpServer* m_server = nullptr;
};
