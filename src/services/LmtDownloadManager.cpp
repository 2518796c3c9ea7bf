#include "services/LmtDownloadManager.h"

#include "services/LmtAccessToken.h"
#include "services/NetworkException.h"
#include "shared_toolkit/Log.h"

#include <QMetaEnum>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <stdexcept>

namespace zendrel::lmt::setup {

namespace {

const char *const kTag = "[LmtDownloadManager]";
// A body announced larger than this still arrives, it is just not reserved up front.
constexpr qint64 kMaxReservedBodyBytes = 256 * 1024 * 1024;

QString enumeratorName(int code)
{
    const char *key = QMetaEnum::fromType<QNetworkReply::NetworkError>().valueToKey(code);
    return key ? QString::fromLatin1(key) : QString::number(code);
}

} // namespace

LmtDownloadManager::LmtDownloadManager()
{
    m_thread.setObjectName(QStringLiteral("LmtDownloadManager"));
    moveToThread(&m_thread);
    connect(this, &LmtDownloadManager::getDataReq, this, &LmtDownloadManager::getDataImpl);
    connect(this, &LmtDownloadManager::postDataReqSignal, this, &LmtDownloadManager::postDataImpl);
    connect(this, &LmtDownloadManager::initReq, this, &LmtDownloadManager::initImpl);
    m_thread.start();

    // The access manager must be created on the thread that will use it.
    Q_EMIT initReq();
    waitForOutcome();
}

LmtDownloadManager::~LmtDownloadManager()
{
    m_thread.quit();
    m_thread.wait();
}

QByteArray LmtDownloadManager::getData(
    const QUrl &url, std::shared_ptr<LmtAccessToken> token, int timeoutMs)
{
    return get(url, TokenChange::Replace, std::move(token), timeoutMs);
}

QByteArray LmtDownloadManager::getData(const QUrl &url, std::shared_ptr<LmtAccessToken> token)
{
    return get(url, TokenChange::Replace, std::move(token), 0);
}

QByteArray LmtDownloadManager::getData(const QUrl &url, int timeoutMs)
{
    return get(url, TokenChange::Keep, nullptr, timeoutMs);
}

QByteArray LmtDownloadManager::getData(const QUrl &url)
{
    return get(url, TokenChange::Replace, nullptr, 0);
}

QByteArray LmtDownloadManager::get(
    const QUrl &url, TokenChange change, std::shared_ptr<LmtAccessToken> token, int timeoutMs)
{
    bool sendsToken = token != nullptr;
    if (change == TokenChange::Keep) {
        std::lock_guard<std::mutex> lock(m_mutex);
        sendsToken = m_token != nullptr;
    }
    QString line = QStringLiteral("getData(), Url: '%1'").arg(url.toDisplayString());
    if (sendsToken)
        line += QStringLiteral(", Token: [REDACTED]");
    qCDebug(lmtLocal).noquote() << kTag << line;

    // The token is replaced only once this call owns the manager, so that a rejected call
    // cannot change the header of the request in flight.
    if (!claim(change, std::move(token)))
        throw std::runtime_error(
            trLog("Another getData(Url) request is in progress").toStdString());
    Q_EMIT getDataReq(url, timeoutMs);
    Outcome outcome = waitForOutcome();

    if (!outcome.hadReply)
        throw std::runtime_error(
            "QNetworkAccessManager returned a null reply - internal error, not expected to happen");
    if (outcome.error == QNetworkReply::NoError)
        return outcome.body;
    if (outcome.error == QNetworkReply::ConnectionRefusedError)
        throw NetworkException(
            trLog("Network Error occurred: Check your network settings and restrictions (e.g. "
                  "firewall). Make sure there is access to the networking resources needed for "
                  "Lumetra Setup to work correctly. The full list can be found in the User Guide"),
            outcome.error);
    throw NetworkException(
        trLog("Network Error occurred: '%1'").arg(enumeratorName(outcome.error)), outcome.error);
}

void LmtDownloadManager::postData(const QUrl &url, const QByteArray &data, int timeoutMs)
{
    qCDebug(lmtLocal).noquote()
        << kTag << QStringLiteral("postData(), Url: '%1'").arg(url.toDisplayString());
    if (!claim(TokenChange::Keep, nullptr))
        throw std::runtime_error(trLog("Another request is in progress").toStdString());
    Q_EMIT postDataReqSignal(url, data, timeoutMs);
    Outcome outcome = waitForOutcome();

    if (!outcome.hadReply)
        throw std::runtime_error(
            "QNetworkAccessManager returned a null reply - internal error, not expected to happen");
    if (outcome.error != QNetworkReply::NoError)
        throw NetworkException(
            trLog("Network Error occurred: '%1'").arg(enumeratorName(outcome.error)),
            outcome.error);
    qCDebug(lmtLocal).noquote() << kTag << "postData() successful, response:"
                                << QString::fromUtf8(outcome.body);
}

void LmtDownloadManager::abortRequest()
{
    // The reply belongs to the manager's thread. An abort that arrives after the request has
    // ended finds no reply and does nothing.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_reply)
                m_reply->abort();
        },
        Qt::QueuedConnection);
}

bool LmtDownloadManager::claim(TokenChange change, std::shared_ptr<LmtAccessToken> token)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_idle)
        return false;
    m_idle = false;
    if (change == TokenChange::Replace)
        m_token = std::move(token);
    return true;
}

LmtDownloadManager::Outcome LmtDownloadManager::waitForOutcome()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_requestFinished.wait(lock, [this] { return m_finished; });
    // The manager becomes idle only here, after the outcome has been taken, so that a new
    // request cannot overwrite it before its caller has seen it.
    m_finished = false;
    m_idle = true;
    return std::move(m_outcome);
}

void LmtDownloadManager::finish(Outcome outcome)
{
    // Notified under the lock: the woken caller cannot return (and perhaps destroy the
    // manager) while this thread still touches the condition variable.
    std::lock_guard<std::mutex> lock(m_mutex);
    m_outcome = std::move(outcome);
    m_finished = true;
    m_requestFinished.notify_all();
}

void LmtDownloadManager::initImpl()
{
    m_networkAccessManager = new QNetworkAccessManager();
    connect(&m_thread, &QThread::finished, m_networkAccessManager, &QObject::deleteLater);
    finish(Outcome { true, QNetworkReply::NoError, {} });
}

void LmtDownloadManager::getDataImpl(QUrl url, int timeoutMs)
{
    QNetworkRequest request(url);
    if (m_token) {
        if (!m_token->isValid())
            qCWarning(lmtLocal).noquote() << kTag << "Access token is not valid";
        // Sent even when empty, so that the service sees (and rejects) a broken sign-in
        // rather than an anonymous request.
        request.setRawHeader("Authorization", "Bearer " + m_token->accessToken());
        // Qt would repeat the header on a redirect to any other host; the token must only
        // ever reach the origin it was sent to.
        request.setAttribute(
            QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    }
    m_networkAccessManager->setTransferTimeout(timeoutMs);
    startReply(m_networkAccessManager->get(request));
}

void LmtDownloadManager::postDataImpl(QUrl url, QByteArray data, int timeoutMs)
{
    QNetworkRequest request(url);
    // No Authorization header here. A body is declared as opaque bytes; left undeclared, Qt
    // would log a warning and send it as form data.
    if (!data.isEmpty())
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/octet-stream");
    m_networkAccessManager->setTransferTimeout(timeoutMs);
    startReply(m_networkAccessManager->post(request, data));
}

void LmtDownloadManager::startReply(QNetworkReply *reply)
{
    m_reply = reply;
    if (!reply) {
        finish(Outcome {});
        return;
    }
    m_body.clear();
    connect(reply, &QNetworkReply::readyRead, this, &LmtDownloadManager::onReadyRead);
    connect(reply, &QNetworkReply::finished, this, &LmtDownloadManager::onCompleted);
}

void LmtDownloadManager::onReadyRead()
{
    // Collecting the body while it arrives costs one copy; a single readAll() at the end
    // copies the reply's many small buffers over and over and is several times slower for
    // a registry of some megabytes.
    if (m_body.isEmpty()) {
        const qint64 announced = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        m_body.reserve(qsizetype(qBound<qint64>(0, announced, kMaxReservedBodyBytes)));
    }
    m_body += m_reply->readAll();
}

void LmtDownloadManager::onCompleted()
{
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    Outcome outcome { true, reply->error(), {} };
    if (outcome.error == QNetworkReply::NoError)
        outcome.body = std::exchange(m_body, {}).append(reply->readAll());
    m_body.clear();
    reply->deleteLater();
    finish(std::move(outcome));
}

} // namespace zendrel::lmt::setup
