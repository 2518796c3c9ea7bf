#include "services/LmtUpdateSiteCheck.h"

#include "services/ILmtDownloadManager.h"
#include "services/LmtDownloadManager.h"
#include "services/NetworkException.h"
#include "shared_toolkit/UrlRedaction.h"

#include <QThread>

#include <mutex>
#include <stdexcept>

namespace zendrel::lmt::setup {

LmtUpdateSiteStatus checkUpdateSiteUrl(
    const QString &url, const std::shared_ptr<ILmtDownloadManager> &downloadManager, int timeoutMs)
{
    LmtUpdateSiteStatus status { 0, LmtDownloadManager::trLog("Success!") };
    // The message is logged as well as shown: it names the site without its password.
    const QString shownUrl = shared_toolkit::withoutUrlPasswords(url);
    try {
        downloadManager->getData(QUrl(url), nullptr, timeoutMs);
    } catch (const NetworkException &e) {
        status = { -1,
            LmtDownloadManager::trLog("Unable to access update site URL '%1'. %2")
                .arg(shownUrl, QString::fromUtf8(e.what())) };
    } catch (const std::runtime_error &e) {
        status = { -1,
            LmtDownloadManager::trLog("Unable to access update site URL '%1'. %2. Try again later.")
                .arg(shownUrl, QString::fromUtf8(e.what())) };
    }
    return status;
}

// What the checking thread and the run share: the thread may outlive the run.
struct LmtUpdateSiteCheckRun::Shared {
    std::atomic<bool> cancelled { false };
    std::mutex mutex;
    LmtUpdateSiteStatus status;
};

LmtUpdateSiteCheckRun::LmtUpdateSiteCheckRun(const QString &url,
    std::shared_ptr<ILmtDownloadManager> downloadManager, QObject *parent, int timeoutMs)
    : QObject(parent)
    , m_url(url)
    , m_downloadManager(std::move(downloadManager))
    , m_timeoutMs(timeoutMs)
{
}

LmtUpdateSiteCheckRun::~LmtUpdateSiteCheckRun()
{
    cancel();
}

void LmtUpdateSiteCheckRun::start()
{
    if (m_running)
        return;
    m_running = true;
    auto shared = std::make_shared<Shared>();
    m_shared = shared;
    QThread *thread = QThread::create(
        [shared, url = m_url, manager = m_downloadManager, timeoutMs = m_timeoutMs] {
            if (shared->cancelled)
                return;
            const LmtUpdateSiteStatus status = checkUpdateSiteUrl(url, manager, timeoutMs);
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->status = status;
        });
    thread->setObjectName(QStringLiteral("LmtUpdateSiteCheck"));
    // Queued to this object's thread; dropped by Qt once this object is gone.
    connect(thread, &QThread::finished, this, [this, shared] {
        if (shared != m_shared || shared->cancelled)
            return;
        m_running = false;
        m_shared.reset();
        LmtUpdateSiteStatus status;
        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            status = shared->status;
        }
        Q_EMIT finished(status);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

void LmtUpdateSiteCheckRun::cancel()
{
    if (!m_running)
        return;
    m_running = false;
    m_shared->cancelled = true;
    m_shared.reset();
    // The HTTP client takes one request at a time: it must be free again for what the user
    // does next, not only once the silent server's time-out has passed.
    m_downloadManager->abortRequest();
}

} // namespace zendrel::lmt::setup
