#include "KorHttpService.h"

#include "KorPaths.h"
#include "shared_toolkit/Log.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHttpServerResponder>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QTcpSocket>

#include <memory>

namespace zendrel::lmt::korservice {

namespace {

using Method = QHttpServerRequest::Method;

// The answer may come long after the request (sign-in waits for the vendor); the client may
// have hung up by then, and its socket is gone. Answer only while it is still there.
class DeferredResponder
{
public:
    explicit DeferredResponder(QHttpServerResponder &&responder)
        : m_responder(std::move(responder))
        , m_socket(m_responder.socket())
    {
    }

    void write(const QJsonObject &object)
    {
        if (m_socket)
            m_responder.write(QJsonDocument(object));
        else
            qCWarning(lmtLocal).noquote() << "[KorHttpService]"
                                          << "Client left before its answer was ready";
    }

private:
    QHttpServerResponder m_responder;
    QPointer<QTcpSocket> m_socket;
};

QJsonObject errorObject(const QString &text)
{
    return QJsonObject { { QStringLiteral("error"), text } };
}

} // namespace

KorHttpService::KorHttpService(QObject *parent)
    : QObject(parent)
{
    m_server.route(QStringLiteral("/kor-service/requestAccessToken"), Method::Get,
        [this](const QHttpServerRequest &, QHttpServerResponder &&responder) {
            requestAccessToken(std::move(responder));
        });
    m_server.route(QStringLiteral("/kor-service/revokeAccessToken"), Method::Post,
        [this](const QHttpServerRequest &, QHttpServerResponder &&responder) {
            revokeAccessToken(std::move(responder));
        });
    m_server.route(
        QStringLiteral("/getAccessToken"), Method::Get, [this] { return currentToken(); });
    m_server.route(QStringLiteral("/kor-service/status"), Method::Get, [this] { return status(); });
}

quint16 KorHttpService::listen()
{
    m_port = m_server.listen(QHostAddress::LocalHost, 0);
    if (m_port == 0)
        qCCritical(lmtLocal).noquote() << "[KorHttpService]"
                                       << "Cannot listen on 127.0.0.1";
    else
        qCInfo(lmtLocal).noquote() << "[KorHttpService]"
                                   << "Listening on http://127.0.0.1:" + QString::number(m_port);
    return m_port;
}

void KorHttpService::requestAccessToken(QHttpServerResponder &&responder)
{
    qCInfo(lmtLocal).noquote() << "[KorHttpService]"
                               << "Sign-in requested";
    auto answer = std::make_shared<DeferredResponder>(std::move(responder));
    QString error;
    const auto account = KorAccountConfig::load(paths::configFile(), &error);
    if (!account) {
        qCCritical(lmtLocal).noquote() << "[KorHttpService]"
                                       << "Sign-in failed:" << error;
        answer->write(errorObject(error));
        return;
    }
    m_vendor.signIn(*account, [this, answer](const KorVendorClient::SignInResult &result) {
        if (result.token.isEmpty()) {
            qCCritical(lmtLocal).noquote() << "[KorHttpService]"
                                           << "Sign-in failed:" << result.error;
            answer->write(errorObject(result.error));
            return;
        }
        const QDateTime receivedAt = QDateTime::currentDateTime();
        m_tokens.set(result.token, result.expiresIn, receivedAt);
        qCInfo(lmtLocal).noquote()
            << "[KorHttpService]"
            << "Signed in, token: [REDACTED], expires in" << result.expiresIn << "s";
        answer->write(
            QJsonObject { { QStringLiteral("accessToken"), QString::fromUtf8(result.token) },
                { QStringLiteral("expires_in"), QString::number(result.expiresIn) },
                { QStringLiteral("received_at"),
                    receivedAt.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")) } });
    });
}

void KorHttpService::revokeAccessToken(QHttpServerResponder &&responder)
{
    auto answer = std::make_shared<DeferredResponder>(std::move(responder));
    const QByteArray token = m_tokens.stored();
    // Forget it first: whatever the vendor says, this service no longer hands it out.
    m_tokens.clear();
    QString error;
    const auto account = KorAccountConfig::load(paths::configFile(), &error);
    if (token.isEmpty() || !account) {
        if (token.isEmpty())
            qCInfo(lmtLocal).noquote() << "[KorHttpService]"
                                       << "Revoke requested, no token held";
        else
            qCWarning(lmtLocal).noquote() << "[KorHttpService]"
                                          << "Token forgotten; the vendor cannot be told:" << error;
        answer->write(QJsonObject { { QStringLiteral("revoked"), !token.isEmpty() } });
        return;
    }
    m_vendor.revoke(*account, token, [answer](const QString &vendorError) {
        if (vendorError.isEmpty())
            qCInfo(lmtLocal).noquote() << "[KorHttpService]"
                                       << "Token revoked at the vendor";
        else
            qCWarning(lmtLocal).noquote()
                << "[KorHttpService]"
                << "Vendor did not confirm the revocation:" << vendorError;
        answer->write(QJsonObject { { QStringLiteral("revoked"), true } });
    });
}

QJsonObject KorHttpService::currentToken() const
{
    return QJsonObject { { QStringLiteral("accessToken"), QString::fromUtf8(m_tokens.current()) } };
}

QJsonObject KorHttpService::status() const
{
    return QJsonObject { { QStringLiteral("service"), QStringLiteral("kor-launcher-service") },
        { QStringLiteral("pid"), QCoreApplication::applicationPid() },
        { QStringLiteral("port"), m_port } };
}

} // namespace zendrel::lmt::korservice
