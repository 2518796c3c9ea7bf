#pragma once

#include "services/ILmtInstaller.h"
#include "services/LmtWorkerThread.h"
#include "shared_toolkit/LmtTr.h"

#include <QList>
#include <QMutex>

#include <atomic>
#include <functional>
#include <memory>

namespace zendrel::lmt::setup {

class ILmtLauncherServiceConnector;
class LmtCoreToolModel;
class LmtInstallerWorker;
class LmtToolVersion;

// Installs the packages the downloader forwards, strictly one after another, through the
// launcher service on one worker thread.
class LmtInstaller : public ILmtInstaller
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtInstaller)

public:
    LmtInstaller(std::shared_ptr<ILmtLauncherServiceConnector> connector,
        std::shared_ptr<LmtCoreToolModel> model, QObject *parent = nullptr);
    ~LmtInstaller() override;

    void start() override;
    void stop() override;
    void setAdminPassword(const QString &password) override;
    bool needsElevatedPrivileges() override;

    // Whether this process has administrator rights; by default asked of the system. Tests
    // that run as root use it to take the path of an ordinary user.
    void setElevationCheck(std::function<bool()> runsElevated);

public Q_SLOTS:
    void onDownloadFinished(zendrel::lmt::setup::LmtOperationStatus status, QString featureId,
        QString version) override;

protected:
    // The catalogue's version of a downloaded package; null when the catalogue has none.
    // Virtual so that tests can hold a report right after it, where a Cancel may come in.
    virtual std::shared_ptr<LmtToolVersion> versionToInstall(
        const QString &featureId, const QString &version) const;

private Q_SLOTS:
    void onInstallStatusChange(zendrel::lmt::setup::LmtOperationStatus status, QString featureId,
        QString version, QString errorStr);

private:
    bool installsForAllUsersNeedSudo() const;

    std::shared_ptr<ILmtLauncherServiceConnector> m_connector;
    std::shared_ptr<LmtCoreToolModel> m_model;
    // Written under m_mutex: stop() clears it and the queue in one step, and a finished
    // download is queued only while it is set, so nothing is queued after a Cancel.
    std::atomic<bool> m_running { false };
    // Guards the queue, shared with the worker, and the worker pointer, which start() replaces
    // on the controller's thread while the GUI thread forwards downloads to it.
    QMutex m_mutex;
    QList<std::shared_ptr<LmtToolVersion>> m_queue;
    std::shared_ptr<LmtInstallerWorker> m_worker;
    QString m_adminPassword;
    std::function<bool()> m_runsElevated;
    LmtRetiredWorkers<LmtInstallerWorker> m_retiredWorkers;
};

} // namespace zendrel::lmt::setup
