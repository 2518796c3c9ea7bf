#pragma once

#include "services/LmtServiceTypes.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>

namespace zendrel::lmt::setup {

class LmtAccessToken;

// The program's only HTTP client. Every call blocks its caller until the reply is complete,
// returns the body and throws NetworkException for a failed reply. Only one request may be in
// flight; an overlapping call fails at once with std::runtime_error.
class ILmtDownloadManager : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~ILmtDownloadManager() override = default;

    // GET with this token (null: no Authorization header); timeoutMs 0 = no transfer time-out.
    // The token stays set for later GETs with the current token.
    virtual QByteArray getData(
        const QUrl &url, std::shared_ptr<LmtAccessToken> token, int timeoutMs)
        = 0;
    // As above without a transfer time-out.
    virtual QByteArray getData(const QUrl &url, std::shared_ptr<LmtAccessToken> token) = 0;
    // GET with the token currently set.
    virtual QByteArray getData(const QUrl &url, int timeoutMs) = 0;
    // GET without any token and without a transfer time-out; clears the token.
    virtual QByteArray getData(const QUrl &url) = 0;
    // POST of data without an Authorization header.
    virtual void postData(const QUrl &url, const QByteArray &data, int timeoutMs) = 0;
    // Ends the request in flight at once, from any thread: its caller gets the
    // NetworkException of a cancelled reply. Does nothing when no request is in flight.
    virtual void abortRequest() { }

Q_SIGNALS:
    void appendUILog(QString text, ConsoleMessageType type = ConsoleMessageType::Auto);
};

} // namespace zendrel::lmt::setup
