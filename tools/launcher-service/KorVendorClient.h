#pragma once

#include "KorAccountConfig.h"

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>

#include <functional>

namespace zendrel::lmt::korservice {

// Talks to the vendor's authentication endpoints without blocking the service's event loop:
// POST "<vendor>/api/v1/auth/token" with the account, POST "<vendor>/api/v1/auth/revoke"
// with the bearer token.
class KorVendorClient : public QObject
{
    Q_OBJECT
public:
    struct SignInResult {
        QByteArray token; // empty on failure
        qint64 expiresIn = 0;
        QString error;
    };
    using SignInCallback = std::function<void(const SignInResult &)>;
    using RevokeCallback = std::function<void(const QString &error)>;

    explicit KorVendorClient(QObject *parent = nullptr);

    void signIn(const KorAccountConfig &account, SignInCallback done);
    void revoke(const KorAccountConfig &account, const QByteArray &token, RevokeCallback done);

    // Reads the vendor's token reply; exposed for tests of odd replies.
    static SignInResult parseTokenReply(int httpStatus, const QByteArray &body);

private:
    QNetworkAccessManager m_network;
};

} // namespace zendrel::lmt::korservice
