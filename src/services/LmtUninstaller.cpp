#include "services/LmtUninstaller.h"

#include "services/LmtUninstallerWorker.h"
#include "shared_toolkit/Log.h"

#include <exception>
#include <stdexcept>
#include <utility>

namespace zendrel::lmt::setup {

namespace {

constexpr auto Tag = "[LmtUninstaller]";

} // namespace

LmtUninstaller::LmtUninstaller(std::shared_ptr<LmtCoreToolModel> model, QObject *parent)
    : ILmtUninstaller(parent)
    , m_model(std::move(model))
{
}

LmtUninstaller::~LmtUninstaller()
{
    m_retiredWorkers.release();
    if (m_running) {
        try {
            stop();
        } catch (const std::exception &e) {
            qCCritical(lmtLocal).noquote()
                << Tag << "LmtUninstaller::stop() failed in destructor:" << e.what();
        }
    }
    m_worker.reset();
}

void LmtUninstaller::start(const QList<std::shared_ptr<LmtLocalToolVersion>> &versions)
{
    if (m_running)
        throw std::runtime_error(trLog("Uninstaller is already running.").toStdString());
    qCDebug(lmtLocal).noquote() << Tag << ">> start()";
    if (!versions.isEmpty()) {
        auto worker = std::make_shared<LmtUninstallerWorker>(versions);
        connect(worker.get(), &ILmtUninstallerWorker::uninstallWorkerStatus, this,
            &LmtUninstaller::onUninstallStatusChange);
        connect(
            worker.get(), &ILmtUninstallerWorker::appendUILog, this, &ILmtUninstaller::appendUILog);
        connect(this, &LmtUninstaller::cancelUninstall, worker.get(),
            &LmtUninstallerWorker::onCancelUninstall);
        std::shared_ptr<LmtUninstallerWorker> previous = std::exchange(m_worker, worker);
        if (previous) {
            // A later stop() concerns the new run only; the old worker may still report the end
            // of its last uninstallation.
            disconnect(this, nullptr, previous.get(), nullptr);
            m_retiredWorkers.retire(this, std::move(previous));
        }
        m_running = true;
        Q_EMIT worker->uninstallPackage();
    }
    qCDebug(lmtLocal).noquote() << Tag << "<< start()";
}

void LmtUninstaller::stop()
{
    if (!m_running)
        return;
    qCDebug(lmtLocal).noquote() << Tag << ">> stop()";
    m_running = false;
    Q_EMIT cancelUninstall();
    qCDebug(lmtLocal).noquote() << Tag << "<< stop()";
}

void LmtUninstaller::onUninstallStatusChange(
    LmtOperationStatus status, QString featureId, QString version, QString errorStr)
{
    Q_EMIT uninstallStatus(status, featureId, version);
    switch (status) {
    case InProgress:
        Q_EMIT appendUILog(
            trLog("Started an uninstallation of '%1' - '%2' package").arg(featureId, version));
        break;
    case Succeeded:
        Q_EMIT appendUILog(
            trLog("Successfully uninstalled package '%1' - '%2'").arg(featureId, version));
        break;
    case Failed:
        Q_EMIT error(GeneralError,
            trLog("Failed to uninstall '%1' - '%2' package: %3").arg(featureId, version, errorStr));
        break;
    default:
        break;
    }
}

} // namespace zendrel::lmt::setup
