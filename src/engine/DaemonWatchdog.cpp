#include "DaemonWatchdog.h"

#include "TransmissionWire.h"
#include "net/HttpFetch.h"

#include <QNetworkAccessManager>
#include <QPointer>
#include <QTimer>

namespace {

// A whole session-get is a few kilobytes.
constexpr qint64 kMaxAnswerBytes = 1024 * 1024;

} // namespace

DaemonWatchdog::DaemonWatchdog(quint16 rpcPort, Timings timings, QObject* parent)
    : QObject(parent)
    , m_rpcPort(rpcPort)
    , m_timings(timings)
    , m_network(new QNetworkAccessManager(this))
    , m_timer(new QTimer(this)) {
    m_timer->setInterval(m_timings.interval);
    connect(m_timer, &QTimer::timeout, this, [this] {
        // A question still on its way is given its whole time-out.
        if (!m_asking)
            ask(m_round);
    });
}

DaemonWatchdog::~DaemonWatchdog() {
    stop();
}

void DaemonWatchdog::watch() {
    stop();
    m_sinceAnswer.start();
    m_timer->start();
}

void DaemonWatchdog::stop() {
    ++m_round;
    m_timer->stop();
    m_asking = false;
    m_unanswered = 0;
    // A new daemon hands out a new id; the first answer (a 409) brings it.
    m_sessionID.clear();
}

bool DaemonWatchdog::isWatching() const {
    return m_timer->isActive();
}

QCoro::Task<> DaemonWatchdog::ask(quint64 round) {
    QPointer<DaemonWatchdog> self(this);
    try {
        m_asking = true;
        HttpRequest request;
        request.method = "POST";
        request.url = QUrl(QStringLiteral("http://127.0.0.1:%1%2")
                               .arg(m_rpcPort)
                               .arg(QLatin1StringView(TransmissionWire::kRPCPath)));
        request.headers.push_back({"Content-Type", "application/json"});
        if (!m_sessionID.isEmpty())
            request.headers.push_back({TransmissionWire::kSessionHeader, m_sessionID});
        request.body = TransmissionWire::encode(TransmissionWire::sessionGet());
        request.timeout = m_timings.timeout;
        request.maxBytes = kMaxAnswerBytes;
        request.maxRedirects = 0;

        const HttpResponse response = co_await httpFetch(*m_network, std::move(request));
        if (!self || round != m_round)
            co_return;
        m_asking = false;
        // Any HTTP answer shows the daemon serves requests; a 409 is its handshake.
        if (response.answered()) {
            if (const QByteArray id = response.header(TransmissionWire::kSessionHeader);
                !id.isEmpty())
                m_sessionID = id;
            m_unanswered = 0;
            m_sinceAnswer.start();
            Q_EMIT answered();
            co_return;
        }
        ++m_unanswered;
        if (m_unanswered >= kUnansweredToHang &&
            m_sinceAnswer.elapsed() >= m_timings.silence.count()) {
            stop();
            Q_EMIT hung();
        }
    } catch (...) {
        // Never leave an exception to the event loop; the next tick asks again.
        if (self && round == m_round)
            m_asking = false;
    }
}
