#include "KorVendorClient.h"

#include "KorHttpClient.h"
#include "shared_toolkit/Log.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>

namespace zendrel::lmt::korservice {

namespace {
const int kVendorTimeoutMs = 30000;
}

KorVendorClient::KorVendorClient(QObject *parent)
    : QObject(parent)
{
}

void KorVendorClient::signIn(const KorAccountConfig &account, SignInCallback done)
{
    const QUrl url = account.authUrl(QStringLiteral("token"));
    qCInfo(lmtLocal).noquote() << "[KorVendorClient]"
                               << "Requesting an access token from" << url.toString() << "for"
                               << account.email << "password: [REDACTED]";
    QNetworkRequest request = KorHttpClient::makeRequest(url, {}, kVendorTimeoutMs);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    const QJsonObject body { { QStringLiteral("email"), account.email },
        { QStringLiteral("password"), account.password } };
    QNetworkReply *reply = m_network.post(request, QJsonDocument(body).toJson());
    connect(reply, &QNetworkReply::finished, this, [reply, done = std::move(done)] {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        SignInResult result;
        if (status == 0 && reply->error() != QNetworkReply::NoError)
            result.error
                = QStringLiteral("Vendor service unreachable: %1").arg(reply->errorString());
        else
            result = parseTokenReply(status, reply->readAll());
        done(result);
    });
}

KorVendorClient::SignInResult KorVendorClient::parseTokenReply(
    int httpStatus, const QByteArray &body)
{
    SignInResult result;
    if (httpStatus == 401 || httpStatus == 403) {
        result.error = QStringLiteral("Invalid credentials");
        return result;
    }
    if (httpStatus != 200) {
        result.error
            = QStringLiteral("Vendor service answered with HTTP status %1").arg(httpStatus);
        return result;
    }
    const QJsonObject object = QJsonDocument::fromJson(body).object();
    const QJsonValue token = object.value(QStringLiteral("access_token"));
    const QJsonValue expiresIn = object.value(QStringLiteral("expires_in"));
    bool expiresOk = expiresIn.isDouble();
    qint64 seconds = expiresIn.toInteger();
    if (expiresIn.isString())
        seconds = expiresIn.toString().toLongLong(&expiresOk);
    if (!token.isString() || token.toString().isEmpty() || !expiresOk || seconds <= 0) {
        result.error = QStringLiteral("Vendor token reply lacks \"access_token\" or a positive "
                                      "\"expires_in\"");
        return result;
    }
    result.token = token.toString().toUtf8();
    result.expiresIn = seconds;
    return result;
}

void KorVendorClient::revoke(
    const KorAccountConfig &account, const QByteArray &token, RevokeCallback done)
{
    const QUrl url = account.authUrl(QStringLiteral("revoke"));
    qCInfo(lmtLocal).noquote() << "[KorVendorClient]"
                               << "Revoking the access token [REDACTED] at" << url.toString();
    QNetworkRequest request = KorHttpClient::makeRequest(url, token, kVendorTimeoutMs);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    QNetworkReply *reply = m_network.post(request, QByteArray());
    connect(reply, &QNetworkReply::finished, this, [reply, done = std::move(done)] {
        reply->deleteLater();
        done(reply->error() == QNetworkReply::NoError ? QString() : reply->errorString());
    });
}

} // namespace zendrel::lmt::korservice
