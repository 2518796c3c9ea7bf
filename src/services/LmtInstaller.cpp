#include "services/LmtInstaller.h"

#include "model/LmtCoreToolModel.h"
#include "model/LmtOnlineToolVersion.h"
#include "platform/LmtPlatform.h"
#include "services/LmtInstallerWorker.h"
#include "shared_toolkit/Log.h"

#include <QMutexLocker>

#include <exception>
#include <stdexcept>
#include <utility>

namespace zendrel::lmt::setup {

namespace {

constexpr auto Tag = "[LmtInstaller]";

} // namespace

LmtInstaller::LmtInstaller(std::shared_ptr<ILmtLauncherServiceConnector> connector,
    std::shared_ptr<LmtCoreToolModel> model, QObject *parent)
    : ILmtInstaller(parent)
    , m_connector(std::move(connector))
    , m_model(std::move(model))
    , m_runsElevated(&platform::isElevated)
{
}

LmtInstaller::~LmtInstaller()
{
    m_retiredWorkers.release();
    if (m_running) {
        try {
            stop();
        } catch (const std::exception &e) {
            qCCritical(lmtLocal).noquote()
                << Tag << "LmtInstaller::stop() failed in destructor:" << e.what();
        }
    }
    // Before the queue and the mutex the worker points to.
    std::shared_ptr<LmtInstallerWorker> worker;
    {
        QMutexLocker lock(&m_mutex);
        worker.swap(m_worker);
    }
    worker.reset();
}

void LmtInstaller::setElevationCheck(std::function<bool()> runsElevated)
{
    m_runsElevated = std::move(runsElevated);
}

bool LmtInstaller::installsForAllUsersNeedSudo() const
{
    return platform::elevatesThroughSudo() && !m_runsElevated();
}

bool LmtInstaller::needsElevatedPrivileges()
{
    if (!installsForAllUsersNeedSudo())
        return false;
    if (m_model) {
        for (const auto &version : m_model->installList()) {
            if (version->installScope() == LmtToolInstallScope::AllUsers)
                return true;
        }
    }
    QMutexLocker lock(&m_mutex);
    for (const auto &version : std::as_const(m_queue)) {
        if (version->installScope() == LmtToolInstallScope::AllUsers)
            return true;
    }
    return false;
}

void LmtInstaller::setAdminPassword(const QString &password)
{
    m_adminPassword = password;
}

void LmtInstaller::start()
{
    if (m_running)
        throw std::runtime_error(trLog("Installer is already running.").toStdString());
    qCDebug(lmtLocal).noquote() << Tag << ">> start()";
    auto worker = std::make_shared<LmtInstallerWorker>(m_connector, &m_queue, &m_mutex);
    connect(worker.get(), &ILmtInstallerWorker::installWorkerStatus, this,
        &LmtInstaller::onInstallStatusChange);
    connect(worker.get(), &ILmtInstallerWorker::appendUILog, this, &ILmtInstaller::appendUILog);
    worker->setAdminPassword(m_adminPassword);
    worker->setInstallAllUsersWithSudo(installsForAllUsersNeedSudo());
    std::shared_ptr<LmtInstallerWorker> previous;
    {
        QMutexLocker lock(&m_mutex);
        previous = std::exchange(m_worker, worker);
        m_running = true;
    }
    if (previous) {
        previous->retire();
        m_retiredWorkers.retire(this, std::move(previous));
    }
    qCDebug(lmtLocal).noquote() << Tag << "<< start()";
}

void LmtInstaller::stop()
{
    QList<std::shared_ptr<LmtToolVersion>> queued;
    {
        QMutexLocker lock(&m_mutex);
        if (!m_running)
            return;
        qCDebug(lmtLocal).noquote() << Tag << ">> stop()";
        m_running = false;
        queued.swap(m_queue);
    }
    for (const auto &version : std::as_const(queued)) {
        const QString featureId = version->featureId();
        const QString versionText = version->version();
        Q_EMIT appendUILog(
            trLog("Cancelled an installation of '%1' - '%2'").arg(featureId, versionText));
        Q_EMIT installStatus(Cancelled, featureId, versionText);
    }
    qCDebug(lmtLocal).noquote() << Tag << "<< stop()";
}

std::shared_ptr<LmtToolVersion> LmtInstaller::versionToInstall(
    const QString &featureId, const QString &version) const
{
    return m_model ? m_model->findOnlineVersion(featureId, version) : nullptr;
}

void LmtInstaller::onDownloadFinished(LmtOperationStatus status, QString featureId, QString version)
{
    if (status != Succeeded)
        return;
    const std::shared_ptr<LmtToolVersion> toolVersion = versionToInstall(featureId, version);
    bool running = false;
    {
        // Asked under the lock under which stop() empties the queue: a package whose download
        // ends while Cancel is pressed is either taken off the queue by it or never queued.
        QMutexLocker lock(&m_mutex);
        running = m_running;
        if (running && toolVersion) {
            qCDebug(lmtLocal).noquote() << Tag << "Install called for:" << featureId << version;
            m_queue << toolVersion;
            if (m_worker)
                Q_EMIT m_worker->installPackageRequested();
        }
    }
    if (!running) {
        Q_EMIT installStatus(Cancelled, featureId, version);
    } else if (!toolVersion) {
        // Queuing nothing would leave the row waiting for ever.
        qCCritical(lmtLocal).noquote()
            << Tag << "No version to install found for:" << featureId << version;
        Q_EMIT installStatus(Failed, featureId, version);
        Q_EMIT error(GeneralError,
            trLog("Failed to install '%1' - '%2' package: %3")
                .arg(featureId, version, trLog("the version is not in the tool list")));
    }
}

void LmtInstaller::onInstallStatusChange(
    LmtOperationStatus status, QString featureId, QString version, QString errorStr)
{
    Q_EMIT installStatus(status, featureId, version);
    switch (status) {
    case InProgress:
        Q_EMIT appendUILog(
            trLog("Started an installation of '%1' - '%2' package").arg(featureId, version));
        break;
    case Succeeded:
        Q_EMIT appendUILog(
            trLog("Successfully installed package '%1' - '%2'").arg(featureId, version));
        break;
    case Failed:
        Q_EMIT error(GeneralError,
            trLog("Failed to install '%1' - '%2' package: %3").arg(featureId, version, errorStr));
        break;
    default:
        break;
    }
    QMutexLocker lock(&m_mutex);
    if (!m_queue.isEmpty() && status != InProgress && m_worker)
        Q_EMIT m_worker->installPackageRequested();
}

} // namespace zendrel::lmt::setup
