#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

namespace zendrel::lmt::vendorservice {

// One answer of the service, built by the routes and written to the socket by the server.
struct HttpReply {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
    // Set by a --fault: only this many bytes of the body are sent (the announced length stays
    // that of the whole body), then the connection is closed or, without closeAfterCut, left
    // silent.
    qint64 cutAt = -1;
    bool closeAfterCut = true;

    static HttpReply text(int status, const QByteArray &utf8Text);
    static HttpReply json(int status, const QByteArray &document);
    static HttpReply html(int status, const QByteArray &document);
    static HttpReply empty(int status);
    // A short JSON error body {"error": code, "message": text}, as web APIs usually answer.
    static HttpReply error(int status, const QByteArray &code, const QString &message);

    HttpReply &withHeader(const QByteArray &name, const QByteArray &value);
};

} // namespace zendrel::lmt::vendorservice
