#include "services/LmtUninstallerWorker.h"

#include "model/LmtLocalToolVersion.h"
#include "services/LmtProcessHandle.h"
#include "shared_toolkit/Log.h"

#include <exception>

namespace zendrel::lmt::setup {

namespace {

constexpr auto Tag = "[LmtUninstallerWorker]";

} // namespace

LmtUninstallerWorker::LmtUninstallerWorker(
    const QList<std::shared_ptr<LmtLocalToolVersion>> &versions)
    : m_queue(versions)
{
    connect(this, &ILmtUninstallerWorker::uninstallPackage, this,
        &LmtUninstallerWorker::onUninstallRequested);
    qCDebug(lmtLocal).noquote() << Tag << "Created LmtUninstallerWorker object";
    m_thread.run(this, QStringLiteral("LmtUninstallerWorker"));
}

LmtUninstallerWorker::~LmtUninstallerWorker()
{
    qCDebug(lmtLocal).noquote() << Tag << "Destroying LmtUninstallerWorker object";
    m_thread.shutDown([this] {
        if (m_process)
            m_process->wait();
        m_process.reset();
    });
}

std::shared_ptr<LmtProcessHandle> LmtUninstallerWorker::startUninstaller()
{
    return LmtProcessHandle::start(m_uninstallerPath, QStringList());
}

void LmtUninstallerWorker::onUninstallRequested()
{
    if (m_busy || m_queue.isEmpty())
        return;
    m_busy = true;
    const std::shared_ptr<LmtLocalToolVersion> version = m_queue.takeFirst();
    m_featureId = version->featureId();
    m_version = version->version();
    m_uninstallerPath = version->uninstallPath();
    qCInfo(lmtLocal).noquote() << Tag << "Uninstall called for:" << m_featureId << m_version;

    try {
        m_process = startUninstaller();
        connect(m_process.get(), &LmtProcessHandle::finished, this,
            &LmtUninstallerWorker::onUninstallFinished);
        m_process->logOutput(Tag);
        Q_EMIT uninstallWorkerStatus(InProgress, m_featureId, m_version);
    } catch (const std::exception &e) {
        const QString reason = QString::fromUtf8(e.what());
        Q_EMIT error(GeneralError,
            trLog("Failed to uninstall '%1' - '%2' package: %3")
                .arg(m_featureId, m_version, reason));
        // The reason travels with the status: the uninstaller reports failures from there.
        Q_EMIT uninstallWorkerStatus(Failed, m_featureId, m_version, reason);
        m_busy = false;
        // One uninstaller that cannot be started must not hold up the others.
        if (!m_queue.isEmpty())
            Q_EMIT uninstallPackage();
    }
}

void LmtUninstallerWorker::onUninstallFinished(bool status, const QString &errorStr)
{
    m_busy = false;
    // Marks the handle finished: the process has ended, nobody needs to wait for it later.
    if (m_process)
        m_process->wait();
    const LmtOperationStatus result = !errorStr.isEmpty() || !status ? Failed : Succeeded;
    qCInfo(lmtLocal).noquote() << Tag
                               << (result == Failed ? "Failed to uninstall"
                                                    : "Successfully uninstalled")
                               << m_featureId << m_version;
    Q_EMIT uninstallWorkerStatus(result, m_featureId, m_version, errorStr);
    if (!m_queue.isEmpty())
        Q_EMIT uninstallPackage();
}

void LmtUninstallerWorker::onCancelUninstall()
{
    for (const std::shared_ptr<LmtLocalToolVersion> &version : std::as_const(m_queue)) {
        const QString featureId = version->featureId();
        const QString versionText = version->version();
        Q_EMIT appendUILog(
            trLog("Cancelled an uninstallation of the '%1' - '%2'").arg(featureId, versionText));
        Q_EMIT uninstallWorkerStatus(Cancelled, featureId, versionText);
    }
    m_queue.clear();
}

} // namespace zendrel::lmt::setup
