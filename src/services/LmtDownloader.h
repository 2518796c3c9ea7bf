#pragma once

#include "services/ILmtDownloader.h"
#include "shared_toolkit/LmtTr.h"

#include <QMutex>
#include <QPair>

#include <memory>

namespace zendrel::lmt::setup {

class ILmtLauncherServiceConnector;
class LmtCoreToolModel;
class LmtDownloaderWorker;

// Has the launcher service download the packages of a list of versions, up to three at a time,
// each on a worker thread of its own. The successful downloads reach the installer all
// together, in the order of the list, once the last download has ended; a failed one is
// reported to the installer at once.
class LmtDownloader : public ILmtDownloader
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtDownloader)

public:
    static constexpr int MaxWorkers = 3;

    LmtDownloader(std::shared_ptr<ILmtLauncherServiceConnector> connector,
        std::shared_ptr<LmtCoreToolModel> model, QObject *parent = nullptr);
    ~LmtDownloader() override;

    void start(const QList<std::shared_ptr<LmtToolVersion>> &versions) override;
    void stop() override;

Q_SIGNALS:
    // Reaches only the worker created just before it (single-shot connection).
    void startWorker(QString featureId, QString version);
    // Reaches every live worker once (single-shot connections).
    void cancelAllWork();

private Q_SLOTS:
    void onDownloaderProgress(QString downloadPercent, QString featureId, QString version);
    void onStatusChange(bool status, QString featureId, QString version,
        zendrel::lmt::setup::LmtDownloaderWorker *worker_p);

private:
    // (feature id, version text)
    using Job = QPair<QString, QString>;
    struct WorkerSlot {
        std::shared_ptr<LmtDownloaderWorker> worker;
        // The run it was created for; a worker of a stopped run only reports cancellations.
        quint64 run = 0;
    };

    std::shared_ptr<LmtDownloaderWorker> createWorker(quint64 run);
    // Takes every downloaded job off both lists, in the order of the jobs list. Call with the
    // mutex held and only when every remaining job has been downloaded.
    QList<Job> takeJobsToForward();

    std::shared_ptr<ILmtLauncherServiceConnector> m_connector;
    std::shared_ptr<LmtCoreToolModel> m_model;
    // Everything below is guarded by m_mutex: start() and stop() come from the controller's
    // thread, the workers' reports arrive on the GUI thread.
    bool m_stopped = false;
    bool m_running = false;
    QList<Job> m_queue;
    QList<Job> m_jobs;
    QList<Job> m_downloaded;
    QList<WorkerSlot> m_workers;
    quint64 m_run = 0;
    mutable QMutex m_mutex;
};

} // namespace zendrel::lmt::setup
