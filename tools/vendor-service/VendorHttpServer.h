#pragma once

#include <QAbstractHttpServer>

namespace zendrel::lmt::vendorservice {

class VendorRoutes;
struct HttpReply;

// Hands every request to the routes and writes their answer; logs one line per request.
class VendorHttpServer : public QAbstractHttpServer
{
    Q_OBJECT

public:
    explicit VendorHttpServer(VendorRoutes &routes, QObject *parent = nullptr);

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    void send(const QHttpServerRequest &request, QTcpSocket *socket, const HttpReply &reply,
        bool headersOnly);

    VendorRoutes &m_routes;
};

} // namespace zendrel::lmt::vendorservice
