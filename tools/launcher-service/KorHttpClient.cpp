#include "KorHttpClient.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace zendrel::lmt::korservice {

KorHttpClient::KorHttpClient(int timeoutMs)
    : m_timeoutMs(timeoutMs)
{
}

QNetworkRequest KorHttpClient::makeRequest(
    const QUrl &url, const QByteArray &bearerToken, int timeoutMs)
{
    QNetworkRequest request(url);
    request.setAttribute(
        QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    if (timeoutMs > 0)
        request.setTransferTimeout(timeoutMs);
    if (!bearerToken.isEmpty())
        request.setRawHeader("Authorization", "Bearer " + bearerToken);
    return request;
}

KorHttpResult KorHttpClient::get(const QUrl &url, const QByteArray &bearerToken)
{
    return waitFor(m_network.get(makeRequest(url, bearerToken, m_timeoutMs)));
}

KorHttpResult KorHttpClient::post(
    const QUrl &url, const QByteArray &jsonBody, const QByteArray &bearerToken)
{
    QNetworkRequest request = makeRequest(url, bearerToken, m_timeoutMs);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    return waitFor(m_network.post(request, jsonBody));
}

KorHttpResult KorHttpClient::waitFor(QNetworkReply *reply)
{
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();

    KorHttpResult result;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.body = reply->readAll();
    if (reply->error() != QNetworkReply::NoError)
        result.errorText = reply->errorString();
    reply->deleteLater();
    return result;
}

} // namespace zendrel::lmt::korservice
