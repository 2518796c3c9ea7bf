#include "common/LmtScriptedVendor.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTcpSocket>

namespace lmttest {

ScriptedVendor::ScriptedVendor()
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                m_buffers.remove(socket);
                socket->deleteLater();
            });
        }
    });
}

QString ScriptedVendor::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
}

QList<SeenRequest> ScriptedVendor::requestsTo(const QByteArray &pathPrefix) const
{
    QList<SeenRequest> matching;
    for (const SeenRequest &request : requests) {
        if (request.path.startsWith(pathPrefix))
            matching << request;
    }
    return matching;
}

void ScriptedVendor::onReadyRead(QTcpSocket *socket)
{
    QByteArray &buffer = m_buffers[socket];
    buffer += socket->readAll();
    const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return;
    SeenRequest request;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    request.method = requestLine.value(0);
    request.path = requestLine.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(
                lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
    }
    const qint64 length = request.headers.value("content-length", "0").toLongLong();
    if (buffer.size() < headerEnd + 4 + length)
        return;
    request.body = buffer.mid(headerEnd + 4, length);
    buffer.clear();
    requests << request;
    send(socket, answer(request));
}

ScriptedVendor::Answer ScriptedVendor::answer(const SeenRequest &request)
{
    Answer reply;
    const QByteArray bearer = "Bearer " + token;
    if (request.method == "POST" && request.path == "/api/v1/auth/token") {
        const QJsonObject account = QJsonDocument::fromJson(request.body).object();
        if (account.value(QStringLiteral("email")).toString().toUtf8() != email
            || account.value(QStringLiteral("password")).toString().toUtf8() != password) {
            reply.status = 401;
            reply.body = R"({"error":"invalid_grant"})";
            return reply;
        }
        const QJsonObject grant { { QStringLiteral("access_token"), QString::fromUtf8(token) },
            { QStringLiteral("token_type"), QStringLiteral("Bearer") },
            { QStringLiteral("expires_in"), expiresIn } };
        reply.body = QJsonDocument(grant).toJson(QJsonDocument::Compact);
        return reply;
    }
    if (request.method == "POST" && request.path == "/api/v1/auth/revoke") {
        reply.status = request.headers.value("authorization") == bearer ? 204 : 401;
        return reply;
    }
    if (request.method == "GET" && request.path.startsWith("/api/v1/tools/")) {
        reply.body = registry;
        return reply;
    }
    const auto package = packages.find(request.path);
    if (request.method == "GET" && package != packages.end()) {
        if (package->requiresToken && request.headers.value("authorization") != bearer) {
            reply.status = 401;
            return reply;
        }
        return answerPackage(request, *package);
    }
    reply.status = 404;
    return reply;
}

ScriptedVendor::Answer ScriptedVendor::answerPackage(const SeenRequest &request, Package &package)
{
    Answer reply;
    const qint64 size = package.body.size();
    static const QRegularExpression rangePattern(QStringLiteral("^bytes=(\\d+)-$"));
    const QRegularExpressionMatch range
        = rangePattern.match(QString::fromLatin1(request.headers.value("range")));
    if (package.honoursRange && range.hasMatch()) {
        const qint64 first = range.captured(1).toLongLong();
        if (first >= size) {
            reply.status = 416;
            reply.headers << qMakePair(
                QByteArray("Content-Range"), "bytes */" + QByteArray::number(size));
            return reply;
        }
        reply.status = 206;
        reply.body = package.body.mid(first);
        reply.headers << qMakePair(QByteArray("Content-Range"),
            "bytes " + QByteArray::number(first) + '-' + QByteArray::number(size - 1) + '/'
                + QByteArray::number(size));
    } else {
        reply.body = package.body;
    }
    reply.breakAfter = package.breakAfterBytes;
    package.breakAfterBytes = -1;
    return reply;
}

void ScriptedVendor::send(QTcpSocket *socket, const Answer &answer)
{
    static const QHash<int, QByteArray> reasons { { 200, "OK" }, { 204, "No Content" },
        { 206, "Partial Content" }, { 401, "Unauthorized" }, { 404, "Not Found" },
        { 416, "Range Not Satisfiable" } };
    QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + ' '
        + reasons.value(answer.status, "Status") + "\r\n";
    if (answer.status != 204)
        head += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
    for (const auto &header : answer.headers)
        head += header.first + ": " + header.second + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head);
    // A broken transfer: the announced length never arrives.
    socket->write(answer.breakAfter >= 0 ? answer.body.left(answer.breakAfter) : answer.body);
    socket->disconnectFromHost();
}

} // namespace lmttest
