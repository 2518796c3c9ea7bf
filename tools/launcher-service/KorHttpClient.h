#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QString>
#include <QUrl>

namespace zendrel::lmt::korservice {

// Result of one blocking HTTP exchange.
struct KorHttpResult {
    int status = 0; // HTTP status, 0 when no answer arrived
    QByteArray body;
    QString errorText; // empty on success

    bool ok() const { return errorText.isEmpty(); }
};

// Blocking HTTP calls for the command-line verbs, which have nothing else to do while they
// wait. Runs a local event loop; a request that does not finish within the time-out fails.
class KorHttpClient
{
public:
    explicit KorHttpClient(int timeoutMs);

    KorHttpResult get(const QUrl &url, const QByteArray &bearerToken = {});
    KorHttpResult post(
        const QUrl &url, const QByteArray &jsonBody, const QByteArray &bearerToken = {});

    // A request carrying the bearer token when one is given, never following a redirect to
    // another origin (the token must not leave the vendor).
    static QNetworkRequest makeRequest(
        const QUrl &url, const QByteArray &bearerToken, int timeoutMs);

private:
    KorHttpResult waitFor(QNetworkReply *reply);

    QNetworkAccessManager m_network;
    int m_timeoutMs;
};

} // namespace zendrel::lmt::korservice
