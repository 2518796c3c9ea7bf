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

    static HttpReply text(int status, const QByteArray &utf8Text);
    static HttpReply json(int status, const QByteArray &document);
    static HttpReply html(int status, const QByteArray &document);
    static HttpReply empty(int status);
    // A short JSON error body {"error": code, "message": text}, as web APIs usually answer.
    static HttpReply error(int status, const QByteArray &code, const QString &message);

    HttpReply &withHeader(const QByteArray &name, const QByteArray &value);
};

} // namespace zendrel::lmt::vendorservice
