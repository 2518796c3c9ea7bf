#pragma once

#include "KorTokenStore.h"
#include "KorVendorClient.h"

#include <QHttpServer>
#include <QObject>

class QHttpServerResponder;

namespace zendrel::lmt::korservice {

// The service's loopback HTTP API:
//   GET  /kor-service/requestAccessToken  signs in at the vendor and answers the token
//   GET  /getAccessToken                  the token currently held ("" when none)
//   POST /kor-service/revokeAccessToken   revokes the token at the vendor and forgets it
//   GET  /kor-service/status              who answers here (used to find the running service)
class KorHttpService : public QObject
{
    Q_OBJECT
public:
    explicit KorHttpService(QObject *parent = nullptr);

    // Listens on 127.0.0.1 on a free port; returns the port, 0 on failure.
    quint16 listen();

private:
    void requestAccessToken(QHttpServerResponder &&responder);
    void revokeAccessToken(QHttpServerResponder &&responder);
    QJsonObject currentToken() const;
    QJsonObject status() const;

    QHttpServer m_server;
    KorVendorClient m_vendor;
    KorTokenStore m_tokens;
    quint16 m_port = 0;
};

} // namespace zendrel::lmt::korservice
