#include "VendorHttpServer.h"

#include "HttpReply.h"
#include "VendorRoutes.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QMetaEnum>

namespace zendrel::lmt::vendorservice {

namespace {

QByteArray headerValue(const QHttpServerRequest &request, const QByteArray &name)
{
    for (const auto &header : request.headers()) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0)
            return header.second;
    }
    return {};
}

QByteArray methodName(QHttpServerRequest::Method method)
{
    const QMetaEnum names = QMetaEnum::fromType<QHttpServerRequest::Method>();
    return QByteArray(names.valueToKey(int(method))).toUpper();
}

} // namespace

VendorHttpServer::VendorHttpServer(VendorRoutes &routes, QObject *parent)
    : QAbstractHttpServer(parent)
    , m_routes(routes)
{
}

bool VendorHttpServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    IncomingRequest incoming;
    incoming.method = methodName(request.method());
    incoming.path = RequestPath::fromUrl(request.url());
    incoming.authorization = headerValue(request, "Authorization");
    incoming.range = headerValue(request, "Range");
    incoming.body = request.body();

    const bool headersOnly = incoming.method == "HEAD";
    // Judged before the answer: a revocation changes what the token is worth.
    const QString token = m_routes.tokenForLog(incoming);
    const HttpReply reply = m_routes.answer(incoming);
    qInfo().noquote() << incoming.method << request.url().path(QUrl::FullyEncoded) << "->"
                      << reply.status
                      << QStringLiteral("(%1 bytes), token: %2").arg(reply.body.size()).arg(token);
    send(request, socket, reply, headersOnly);
    return true;
}

void VendorHttpServer::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    send(request, socket, HttpReply::error(404, "not_found", QStringLiteral("No such resource")),
        false);
}

void VendorHttpServer::send(
    const QHttpServerRequest &request, QTcpSocket *socket, const HttpReply &reply, bool headersOnly)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(QHttpServerResponder::StatusCode(reply.status));
    for (const auto &header : reply.headers)
        responder.writeHeader(header.first, header.second);
    if (!reply.contentType.isEmpty())
        responder.writeHeader("Content-Type", reply.contentType);
    responder.writeHeader("Content-Length", QByteArray::number(reply.body.size()));
    if (headersOnly || reply.cutAt < 0) {
        responder.writeBody(headersOnly ? QByteArray() : reply.body);
        return;
    }
    responder.writeBody(reply.body.left(reply.cutAt));
    socket->flush();
    if (reply.closeAfterCut)
        socket->disconnectFromHost();
}

} // namespace zendrel::lmt::vendorservice
