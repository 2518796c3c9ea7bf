#pragma once

#include "services/ILmtDownloadManager.h"
#include "shared_toolkit/LmtTr.h"

#include <QThread>

#include <condition_variable>
#include <memory>
#include <mutex>

class QNetworkAccessManager;
class QNetworkReply;

namespace zendrel::lmt::setup {

// Runs every request on a private network thread that owns the QNetworkAccessManager; the
// calling thread waits on a condition variable until the reply has finished. Requests are not
// queued: a call made while another one is in flight fails at once.
class LmtDownloadManager : public ILmtDownloadManager
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtDownloadManager)

public:
    LmtDownloadManager();
    ~LmtDownloadManager() override;

    QByteArray getData(
        const QUrl &url, std::shared_ptr<LmtAccessToken> token, int timeoutMs) override;
    QByteArray getData(const QUrl &url, std::shared_ptr<LmtAccessToken> token) override;
    QByteArray getData(const QUrl &url, int timeoutMs) override;
    QByteArray getData(const QUrl &url) override;
    void postData(const QUrl &url, const QByteArray &data, int timeoutMs) override;
    void abortRequest() override;

Q_SIGNALS:
    void getDataReq(QUrl url, int timeoutMs);
    void postDataReqSignal(QUrl url, QByteArray data, int timeoutMs);
    void initReq();

private Q_SLOTS:
    void getDataImpl(QUrl url, int timeoutMs);
    void postDataImpl(QUrl url, QByteArray data, int timeoutMs);
    void initImpl();
    void onReadyRead();
    void onCompleted();

private:
    // How a GET treats the token pointer once it has the manager to itself.
    enum class TokenChange { Keep, Replace };

    // What the network thread hands back to the waiting caller.
    struct Outcome {
        bool hadReply = false;
        int error = 0; // QNetworkReply::NetworkError
        QByteArray body;
    };

    QByteArray get(
        const QUrl &url, TokenChange change, std::shared_ptr<LmtAccessToken> token, int timeoutMs);
    // Claims the manager for one request; false when another request is in flight.
    bool claim(TokenChange change, std::shared_ptr<LmtAccessToken> token);
    // Blocks until the network thread has finished the claimed request; frees the manager.
    Outcome waitForOutcome();
    // Network thread: hands the outcome over and wakes the caller.
    void finish(Outcome outcome);
    void startReply(QNetworkReply *reply);

    QThread m_thread;
    QNetworkAccessManager *m_networkAccessManager = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_requestFinished;
    bool m_idle = false;
    bool m_finished = false;
    // Network-thread side of the current request.
    QNetworkReply *m_reply = nullptr;
    QByteArray m_body;
    // Written by the network thread, taken by the waiting caller; guarded by the mutex.
    Outcome m_outcome;
    // Read on the network thread while a request is prepared; replaced only while idle.
    std::shared_ptr<LmtAccessToken> m_token;
};

} // namespace zendrel::lmt::setup
