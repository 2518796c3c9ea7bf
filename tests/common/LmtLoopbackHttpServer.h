#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QPair>
#include <QThread>
#include <QUrl>

#include <functional>

namespace lmttest {

// One request as the server received it. Header names are stored in lower case.
struct HttpRequest {
    QByteArray method;
    QByteArray target; // path and query, as sent
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;

    bool hasHeader(const QByteArray &name) const { return find(name); }
    QByteArray header(const QByteArray &name) const
    {
        return find(name) ? *find(name) : QByteArray();
    }
    const QByteArray *find(const QByteArray &name) const;
};

struct HttpResponse {
    enum class Delivery {
        Now,
        WhenReleased, // held until LoopbackHttpServer::releaseHeld()
        Stall, // headers and half of the body, then silence: the client must time out
    };

    int status = 200;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
    Delivery delivery = Delivery::Now;
    qint64 cutAfter = -1; // when set, the connection closes after this many body bytes
};

// A small HTTP/1.1 server on 127.0.0.1 (free port) running on a thread of its own, so that a
// test may block its main thread in a synchronous client call. The handler runs on the
// server thread and must only touch thread-safe state.
class LoopbackHttpServer
{
public:
    using Handler = std::function<HttpResponse(const HttpRequest &)>;

    explicit LoopbackHttpServer(Handler handler = {});
    ~LoopbackHttpServer();

    quint16 port() const { return m_port; }
    QUrl url(const QString &pathAndQuery) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(pathAndQuery));
    }

    void setHandler(Handler handler);
    QList<HttpRequest> requests() const;
    int requestCount() const { return int(requests().size()); }
    void clearRequests();
    // Answers every response that was delivered as WhenReleased.
    void releaseHeld();

    class Worker;

private:
    friend class Worker;
    HttpResponse answer(const HttpRequest &request);

    mutable QMutex m_mutex;
    Handler m_handler;
    QList<HttpRequest> m_requests;
    QThread m_thread;
    Worker *m_worker = nullptr;
    quint16 m_port = 0;
};

} // namespace lmttest
