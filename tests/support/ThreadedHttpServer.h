#pragma once

#include "FakeHttpServer.h"

#include <QObject>
#include <QThread>

class QTcpServer;

// A minimal loopback HTTP/1.1 server on a thread of its own, for code under test that blocks
// the thread it runs on. One request per connection, answered through the handler (which runs
// on the server's thread) and then closed. Plain sockets only: an HTTP server with TLS support
// would load the TLS library on a short-lived thread, which leaks there.
class ThreadedHttpServer {
public:
    explicit ThreadedHttpServer(FakeHttpServer::Handler handler);
    ~ThreadedHttpServer();

    quint16 port() const { return m_port; }
    QList<FakeHttpServer::Request> requests() const; // a copy, in arrival order

private:
    QThread m_thread;
    mutable QObject m_context;
    QTcpServer* m_server = nullptr;
    quint16 m_port = 0;
    FakeHttpServer::Handler m_handler;
    QList<FakeHttpServer::Request> m_requests; // touched on the server's thread only
};
