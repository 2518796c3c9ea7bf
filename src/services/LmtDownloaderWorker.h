#pragma once

#include "services/ILmtDownloaderWorker.h"
#include "services/LmtWorkerThread.h"
#include "shared_toolkit/LmtTr.h"

#include <memory>

namespace zendrel::lmt::setup {

class ILmtLauncherServiceConnector;
class LmtCoreToolModel;
class LmtProcessHandle;

// Downloads one package at a time through the launcher service, on a thread of its own. A
// download counts as successful only when the service succeeded and the package file is in the
// downloaded-packages folder. Destroy it on the downloader's (GUI) thread, never on its own.
class LmtDownloaderWorker : public ILmtDownloaderWorker
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtDownloaderWorker)

public:
    LmtDownloaderWorker(std::shared_ptr<ILmtLauncherServiceConnector> connector,
        std::shared_ptr<LmtCoreToolModel> model);
    ~LmtDownloaderWorker() override;

public Q_SLOTS:
    void downloadPackage(QString featureId, QString version) override;
    void onCancelRequested() override;

Q_SIGNALS:
    // worker_p identifies the sender to the downloader, which may hand it the next package.
    void workerFinished(bool status, QString featureId, QString version,
        zendrel::lmt::setup::LmtDownloaderWorker *worker_p);

private Q_SLOTS:
    void onDownloadPackageRequested(QString featureId, QString version);
    void onWorkerOutputReady(QString output);
    void onWorkerFinished(bool status, QString errorStr);

private:
    // The downloaded file the package of the current job must have left, empty when unknown.
    QString expectedPackageFile() const;

    LmtWorkerThread m_thread;
    std::shared_ptr<ILmtLauncherServiceConnector> m_connector;
    std::shared_ptr<LmtCoreToolModel> m_model;
    std::shared_ptr<LmtProcessHandle> m_process;
    bool m_running = false;
    bool m_cancelled = false;
    // A worker serves one run of the downloader and hears of its Cancel once. The Cancel may
    // reach it between two jobs, before the next job does: it then refuses every later job.
    bool m_cancelRequested = false;
    QString m_featureId;
    QString m_version;
};

} // namespace zendrel::lmt::setup
