#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

namespace zendrel::lmt::setup {

class ILmtDownloadManager;

// Outcome of probing an update-site URL: code 0 with "Success!", or -1 with the user text.
struct LmtUpdateSiteStatus {
    int code = 0;
    QString message;

    bool succeeded() const { return code == 0; }
};

// How long the check waits for a server that stops sending: a server that accepts the
// connection but never answers would otherwise keep the check (and the HTTP client, which takes
// one request at a time) busy for good.
inline constexpr int UpdateSiteCheckTimeoutMs = 20000;

// Fetches url without a token to find out whether it is usable as the online registry.
LmtUpdateSiteStatus checkUpdateSiteUrl(const QString &url,
    const std::shared_ptr<ILmtDownloadManager> &downloadManager,
    int timeoutMs = UpdateSiteCheckTimeoutMs);

// Runs checkUpdateSiteUrl() on a thread of its own, so that the window that asked stays
// responsive while a slow or silent server is probed; the outcome arrives as finished() on the
// thread of this object. cancel() ends the request at once and finished() never comes. The
// object may be destroyed at any time, also while the check runs: it then cancels it and does
// not wait for the thread, which ends by itself.
class LmtUpdateSiteCheckRun : public QObject
{
    Q_OBJECT

public:
    LmtUpdateSiteCheckRun(const QString &url, std::shared_ptr<ILmtDownloadManager> downloadManager,
        QObject *parent = nullptr, int timeoutMs = UpdateSiteCheckTimeoutMs);
    ~LmtUpdateSiteCheckRun() override;

    // Starts the check; a second call while it runs is ignored.
    void start();
    void cancel();
    bool isRunning() const { return m_running; }

Q_SIGNALS:
    void finished(zendrel::lmt::setup::LmtUpdateSiteStatus status);

private:
    struct Shared;

    QString m_url;
    std::shared_ptr<ILmtDownloadManager> m_downloadManager;
    int m_timeoutMs;
    bool m_running = false;
    std::shared_ptr<Shared> m_shared;
};

} // namespace zendrel::lmt::setup
