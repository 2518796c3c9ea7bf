#pragma once

#include "services/ILmtInstallerWorker.h"
#include "services/LmtWorkerThread.h"
#include "shared_toolkit/LmtTr.h"

#include <QList>
#include <QMutex>
#include <QStringList>

#include <atomic>
#include <memory>

namespace zendrel::lmt::setup {

class ILmtLauncherServiceConnector;
class LmtProcessHandle;
class LmtToolVersion;

// Installs downloaded packages through the launcher service, one at a time, on a thread of its
// own. The queue and its mutex belong to the installer, which appends to it on other threads.
class LmtInstallerWorker : public ILmtInstallerWorker
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtInstallerWorker)

public:
    LmtInstallerWorker(std::shared_ptr<ILmtLauncherServiceConnector> connector,
        QList<std::shared_ptr<LmtToolVersion>> *queue, QMutex *mutex);
    ~LmtInstallerWorker() override;

    // The password sudo reads from standard input; it never appears on a command line or in
    // the log.
    void setAdminPassword(const QString &password) { m_password = password; }
    // Whether installations for all users have to go through sudo (no administrator rights).
    void setInstallAllUsersWithSudo(bool withSudo) { m_allUsersWithSudo = withSudo; }
    // A replaced worker finishes what it runs but takes nothing more from the shared queue.
    void retire() { m_retired = true; }

    // The package installer's switches for a version, empty when it cannot install silently.
    static QStringList installerArguments(const LmtToolVersion &version);

private Q_SLOTS:
    void onInstallRequested();
    void onInstallFinished(bool status, QString errorStr);

private:
    std::shared_ptr<LmtProcessHandle> startWithSudo(const QStringList &installerArgs);

    bool m_busy = false;
    LmtWorkerThread m_thread;
    QString m_featureId;
    QString m_version;
    std::shared_ptr<ILmtLauncherServiceConnector> m_connector;
    QList<std::shared_ptr<LmtToolVersion>> *m_queue;
    QMutex *m_mutex;
    std::shared_ptr<LmtProcessHandle> m_process;
    QString m_password;
    bool m_allUsersWithSudo = false;
    std::atomic<bool> m_retired { false };
};

} // namespace zendrel::lmt::setup
