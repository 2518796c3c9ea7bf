#pragma once

#include "services/ILmtUninstaller.h"
#include "services/LmtWorkerThread.h"
#include "shared_toolkit/LmtTr.h"

#include <atomic>
#include <memory>

namespace zendrel::lmt::setup {

class LmtCoreToolModel;
class LmtUninstallerWorker;

// Hands the versions to remove to one worker that runs their uninstall programs one after
// another. The launcher service is not involved.
class LmtUninstaller : public ILmtUninstaller
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtUninstaller)

public:
    explicit LmtUninstaller(std::shared_ptr<LmtCoreToolModel> model, QObject *parent = nullptr);
    ~LmtUninstaller() override;

    void start(const QList<std::shared_ptr<LmtLocalToolVersion>> &versions) override;
    void stop() override;

Q_SIGNALS:
    void cancelUninstall();

private Q_SLOTS:
    void onUninstallStatusChange(zendrel::lmt::setup::LmtOperationStatus status, QString featureId,
        QString version, QString errorStr);

private:
    std::shared_ptr<LmtCoreToolModel> m_model;
    // start() and stop() come from the controller's thread, the destructor from the GUI thread.
    std::atomic<bool> m_running { false };
    std::shared_ptr<LmtUninstallerWorker> m_worker;
    LmtRetiredWorkers<LmtUninstallerWorker> m_retiredWorkers;
};

} // namespace zendrel::lmt::setup
