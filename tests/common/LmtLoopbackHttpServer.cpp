#include "common/LmtLoopbackHttpServer.h"

#include <QHash>
#include <QHostAddress>
#include <QPointer>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>

namespace lmttest {

const QByteArray *HttpRequest::find(const QByteArray &name) const
{
    for (const auto &header : headers)
        if (header.first == name.toLower())
            return &header.second;
    return nullptr;
}

// Lives on the server thread: accepts connections, parses requests, writes responses.
class LoopbackHttpServer::Worker : public QObject
{
public:
    explicit Worker(LoopbackHttpServer &owner)
        : m_owner(owner)
    {
    }

    quint16 listen()
    {
        connect(&m_server, &QTcpServer::newConnection, this, &Worker::onNewConnection);
        if (!m_server.listen(QHostAddress::LocalHost, 0))
            qFatal("Loopback test server cannot listen: %s", qPrintable(m_server.errorString()));
        return m_server.serverPort();
    }

    void releaseHeld()
    {
        for (const auto &[socket, response] : std::exchange(m_held, {}))
            if (socket)
                write(socket, response, response.body.size());
    }

private:
    void onNewConnection()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
            connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { feed(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                m_buffers.remove(socket);
                m_outgoing.remove(socket);
                m_closeWhenSent.remove(socket);
                socket->deleteLater();
            });
        }
    }

    void onReadyRead(QTcpSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        HttpRequest request;
        while (takeRequest(buffer, request)) {
            const HttpResponse response = m_owner.answer(request);
            if (response.delivery == HttpResponse::Delivery::WhenReleased)
                m_held.append({ socket, response });
            else if (response.delivery == HttpResponse::Delivery::Stall)
                write(socket, response, response.body.size() / 2);
            else if (response.cutAfter < 0)
                write(socket, response, response.body.size());
            else {
                m_closeWhenSent.insert(socket);
                write(socket, response, response.cutAfter);
            }
        }
    }

    // Removes one complete request from the front of buffer; false while it is incomplete.
    static bool takeRequest(QByteArray &buffer, HttpRequest &request)
    {
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return false;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        request = HttpRequest { requestLine.value(0), requestLine.value(1), {}, {} };
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            // Trailing blanks are kept: tests compare header values exactly as sent.
            QByteArray value = lines[i].mid(colon + 1);
            value.chop(value.endsWith('\r') ? 1 : 0);
            while (value.startsWith(' '))
                value.remove(0, 1);
            if (colon >= 0)
                request.headers.append({ lines[i].left(colon).trimmed().toLower(), value });
        }
        const qsizetype contentLength = request.header("content-length").trimmed().toLongLong();
        const qsizetype total = headerEnd + 4 + contentLength;
        if (buffer.size() < total)
            return false;
        request.body = buffer.mid(headerEnd + 4, contentLength);
        buffer.remove(0, total);
        return true;
    }

    void write(QTcpSocket *socket, const HttpResponse &response, qsizetype bodyBytes)
    {
        QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " Status\r\n";
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
        for (const auto &header : response.headers)
            head += header.first + ": " + header.second + "\r\n";
        head += "\r\n";
        QList<Outgoing> &queue = m_outgoing[socket];
        queue.append({ head, 0, head.size() });
        queue.append({ response.body, 0, bodyBytes });
        feed(socket);
    }

    // Hands large bodies to the socket piece by piece, so that a body of many megabytes is
    // not copied into the socket's buffer in one go.
    void feed(QTcpSocket *socket)
    {
        constexpr qsizetype kPiece = 1024 * 1024;
        QList<Outgoing> &queue = m_outgoing[socket];
        while (!queue.isEmpty() && socket->bytesToWrite() < kPiece) {
            Outgoing &front = queue.first();
            const qsizetype length = qMin(kPiece, front.end - front.offset);
            socket->write(front.data.constData() + front.offset, length);
            front.offset += length;
            if (front.offset >= front.end)
                queue.removeFirst();
        }
        if (queue.isEmpty() && m_closeWhenSent.remove(socket))
            socket->disconnectFromHost();
    }

    struct Outgoing {
        QByteArray data;
        qsizetype offset;
        qsizetype end;
    };

    LoopbackHttpServer &m_owner;
    QTcpServer m_server { this };
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QHash<QTcpSocket *, QList<Outgoing>> m_outgoing;
    QSet<QTcpSocket *> m_closeWhenSent;
    QList<QPair<QPointer<QTcpSocket>, HttpResponse>> m_held;
};

LoopbackHttpServer::LoopbackHttpServer(Handler handler)
    : m_handler(std::move(handler))
{
    m_thread.setObjectName(QStringLiteral("LoopbackHttpServer"));
    m_thread.start();
    m_worker = new Worker(*this);
    m_worker->moveToThread(&m_thread);
    QMetaObject::invokeMethod(
        m_worker, [this] { m_port = m_worker->listen(); }, Qt::BlockingQueuedConnection);
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    QMetaObject::invokeMethod(
        m_worker, [this] { delete m_worker; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void LoopbackHttpServer::setHandler(Handler handler)
{
    QMutexLocker lock(&m_mutex);
    m_handler = std::move(handler);
}

QList<HttpRequest> LoopbackHttpServer::requests() const
{
    QMutexLocker lock(&m_mutex);
    return m_requests;
}

void LoopbackHttpServer::clearRequests()
{
    QMutexLocker lock(&m_mutex);
    m_requests.clear();
}

void LoopbackHttpServer::releaseHeld()
{
    QMetaObject::invokeMethod(m_worker, [this] { m_worker->releaseHeld(); });
}

HttpResponse LoopbackHttpServer::answer(const HttpRequest &request)
{
    Handler handler;
    {
        QMutexLocker lock(&m_mutex);
        m_requests.append(request);
        handler = m_handler;
    }
    return handler ? handler(request) : HttpResponse { 404, "not found", {}, {} };
}

} // namespace lmttest
