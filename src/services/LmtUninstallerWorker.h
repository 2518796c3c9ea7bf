#pragma once

#include "services/ILmtUninstallerWorker.h"
#include "services/LmtWorkerThread.h"
#include "shared_toolkit/LmtTr.h"

#include <QList>

#include <memory>

namespace zendrel::lmt::setup {

class LmtLocalToolVersion;
class LmtProcessHandle;

// Runs the uninstall programs that installed versions registered, strictly one after another,
// on a thread of its own. The queue is only touched on that thread (construction aside), so it
// needs no lock.
class LmtUninstallerWorker : public ILmtUninstallerWorker
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtUninstallerWorker)

public:
    explicit LmtUninstallerWorker(const QList<std::shared_ptr<LmtLocalToolVersion>> &versions);
    ~LmtUninstallerWorker() override;

public Q_SLOTS:
    // Drops every queued uninstallation; a running uninstaller ends on its own.
    void onCancelUninstall();

protected:
    // Starts the uninstall program of the current job; throws std::runtime_error when it cannot
    // be started.
    virtual std::shared_ptr<LmtProcessHandle> startUninstaller();

    QString m_uninstallerPath;

private Q_SLOTS:
    void onUninstallRequested();
    void onUninstallFinished(bool status, const QString &errorStr);

private:
    bool m_busy = false;
    LmtWorkerThread m_thread;
    QString m_featureId;
    QString m_version;
    QList<std::shared_ptr<LmtLocalToolVersion>> m_queue;
    std::shared_ptr<LmtProcessHandle> m_process;
};

} // namespace zendrel::lmt::setup
