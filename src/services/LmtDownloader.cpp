#include "services/LmtDownloader.h"

#include "model/LmtToolVersion.h"
#include "services/LmtDownloaderWorker.h"
#include "shared_toolkit/Log.h"

#include <QMutexLocker>

#include <exception>
#include <optional>
#include <stdexcept>

namespace zendrel::lmt::setup {

namespace {

constexpr auto Tag = "[LmtDownloader]";

} // namespace

LmtDownloader::LmtDownloader(std::shared_ptr<ILmtLauncherServiceConnector> connector,
    std::shared_ptr<LmtCoreToolModel> model, QObject *parent)
    : ILmtDownloader(parent)
    , m_connector(std::move(connector))
    , m_model(std::move(model))
{
}

LmtDownloader::~LmtDownloader()
{
    bool running = false;
    {
        QMutexLocker lock(&m_mutex);
        running = m_running;
    }
    if (running) {
        try {
            stop();
        } catch (const std::exception &e) {
            qCCritical(lmtLocal).noquote()
                << Tag << "LmtDownloader::stop() failed in destructor:" << e.what();
        }
    }
    // The workers go here, on the GUI thread; each waits for its (killed) download to end.
    QList<WorkerSlot> workers;
    {
        QMutexLocker lock(&m_mutex);
        workers.swap(m_workers);
    }
    workers.clear();
}

std::shared_ptr<LmtDownloaderWorker> LmtDownloader::createWorker(quint64 run)
{
    auto worker = std::make_shared<LmtDownloaderWorker>(m_connector, m_model);
    {
        QMutexLocker lock(&m_mutex);
        m_workers << WorkerSlot { worker, run };
    }
    connect(this, &LmtDownloader::startWorker, worker.get(), &LmtDownloaderWorker::downloadPackage,
        Qt::SingleShotConnection);
    connect(this, &LmtDownloader::cancelAllWork, worker.get(),
        &LmtDownloaderWorker::onCancelRequested, Qt::SingleShotConnection);
    connect(worker.get(), &ILmtDownloaderWorker::workerOutputReady, this,
        &LmtDownloader::onDownloaderProgress);
    connect(
        worker.get(), &LmtDownloaderWorker::workerFinished, this, &LmtDownloader::onStatusChange);
    connect(worker.get(), &ILmtDownloaderWorker::error, this, &ILmtDownloader::error);
    connect(worker.get(), &ILmtDownloaderWorker::appendUILog, this, &ILmtDownloader::appendUILog);
    return worker;
}

void LmtDownloader::start(const QList<std::shared_ptr<LmtToolVersion>> &versions)
{
    QList<Job> first;
    quint64 run = 0;
    {
        QMutexLocker lock(&m_mutex);
        if (m_running)
            throw std::runtime_error(trLog("Downloader is already running.").toStdString());
        m_jobs.clear();
        for (const std::shared_ptr<LmtToolVersion> &version : versions) {
            const Job job { version->featureId(), version->version() };
            m_queue << job;
            m_jobs << job;
        }
        qCDebug(lmtLocal).noquote() << Tag << ">> start()";
        m_stopped = false;
        m_running = true;
        run = ++m_run;
        const int workers = qMin(int(m_queue.size()), MaxWorkers);
        for (int i = 0; i < workers; ++i)
            first << m_queue.takeFirst();
    }
    // Signals go out without the lock held: a direct receiver may call back into this object.
    for (const Job &job : std::as_const(first)) {
        createWorker(run);
        Q_EMIT startWorker(job.first, job.second);
        Q_EMIT downloadStatus(InProgress, job.first, job.second);
        qCInfo(lmtLocal).noquote() << Tag << "Download started" << job.first << job.second;
    }
    qCDebug(lmtLocal).noquote() << Tag << "<< start()";
}

void LmtDownloader::stop()
{
    QList<Job> queued;
    QList<Job> downloaded;
    {
        QMutexLocker lock(&m_mutex);
        if (!m_running)
            return;
        qCDebug(lmtLocal).noquote() << Tag << ">> stop()";
        // Set before the workers hear of it, so that none of them is handed another job.
        m_stopped = true;
        queued.swap(m_queue);
        downloaded.swap(m_downloaded);
    }
    Q_EMIT cancelAllWork();
    for (const Job &job : std::as_const(queued)) {
        Q_EMIT downloadStatus(Cancelled, job.first, job.second);
        Q_EMIT appendUILog(
            trLog("Cancelled a download of '%1' - '%2' package").arg(job.first, job.second));
        Q_EMIT installToolRequest(Cancelled, job.first, job.second);
        qCInfo(lmtLocal).noquote() << Tag << "Download cancelled" << job.first << job.second;
    }
    for (const Job &job : std::as_const(downloaded)) {
        Q_EMIT downloadStatus(Cancelled, job.first, job.second);
        Q_EMIT appendUILog(
            trLog("Cancelled an installation of '%1' - '%2' package").arg(job.first, job.second));
        Q_EMIT installToolRequest(Cancelled, job.first, job.second);
        qCInfo(lmtLocal).noquote() << Tag << "Download cancelled" << job.first << job.second;
    }
    {
        QMutexLocker lock(&m_mutex);
        m_running = false;
    }
    qCDebug(lmtLocal).noquote() << Tag << "<< stop()";
}

void LmtDownloader::onDownloaderProgress(
    QString downloadPercent, QString featureId, QString version)
{
    bool ok = false;
    const float progress = downloadPercent.toFloat(&ok);
    if (!ok)
        return;
    Q_EMIT downloadProgress(progress, featureId, version);
    qCInfo(lmtLocal).noquote() << Tag
                               << QStringLiteral("Downloaded %1% of '%2' - '%3'")
                                      .arg(QString::number(progress, 'g'), featureId, version);
}

QList<LmtDownloader::Job> LmtDownloader::takeJobsToForward()
{
    QList<Job> forward;
    while (!m_downloaded.isEmpty() && !m_jobs.isEmpty()) {
        const qsizetype index = m_downloaded.indexOf(m_jobs.first());
        if (index < 0)
            break; // cannot happen while every remaining job is downloaded; never loop for ever
        forward << m_jobs.takeFirst();
        m_downloaded.removeAt(index);
    }
    return forward;
}

void LmtDownloader::onStatusChange(
    bool status, QString featureId, QString version, LmtDownloaderWorker *worker_p)
{
    const Job job { featureId, version };
    // Held until the end of this slot: a worker removed from the list is destroyed here, on the
    // GUI thread, after it has been told everything.
    std::shared_ptr<LmtDownloaderWorker> worker;
    bool cancelled = false;
    QList<Job> forward;
    std::optional<Job> next;
    {
        QMutexLocker lock(&m_mutex);
        qsizetype index = -1;
        for (qsizetype i = 0; i < m_workers.size(); ++i) {
            if (m_workers.at(i).worker.get() == worker_p) {
                index = i;
                break;
            }
        }
        if (index < 0) {
            qCWarning(lmtLocal).noquote()
                << Tag << "Report of an unknown download worker ignored:" << featureId << version;
            return;
        }
        worker = m_workers.at(index).worker;
        cancelled = m_stopped || m_workers.at(index).run != m_run;
        if (!cancelled) {
            if (status)
                m_downloaded << job;
            else
                m_jobs.removeOne(job);
            if (m_downloaded.size() == m_jobs.size())
                forward = takeJobsToForward();
            if (!m_queue.isEmpty())
                next = m_queue.takeFirst();
        }
        if (!next)
            m_workers.removeAt(index);
    }

    if (cancelled) {
        Q_EMIT downloadStatus(Cancelled, featureId, version);
    } else {
        qCInfo(lmtLocal).noquote()
            << Tag << (status ? "Successfully downloaded" : "Failed to download") << featureId
            << version;
        Q_EMIT downloadStatus(status ? Succeeded : Failed, featureId, version);
        if (!status)
            Q_EMIT installToolRequest(Failed, featureId, version);
        for (const Job &ready : std::as_const(forward))
            Q_EMIT installToolRequest(Succeeded, ready.first, ready.second);
    }
    if (next) {
        Q_EMIT downloadStatus(InProgress, next->first, next->second);
        qCInfo(lmtLocal).noquote() << Tag << "Download started" << next->first << next->second;
        // The worker that just finished downloads the next package.
        Q_EMIT worker->downloadPackageRequest(next->first, next->second);
    }
}

} // namespace zendrel::lmt::setup
