#pragma once

#include "services/ILmtSetupSelfUpdater.h"
#include "shared_toolkit/LmtTr.h"

#include <atomic>
#include <memory>

namespace zendrel::lmt::setup {

class ILmtLauncherServiceConnector;
class ILmtSetupInstallation;
class LmtProcessHandle;

// Updates the setup application through the launcher service: the check and the download run
// while the application is in use, the installation is started detached when it closes, so
// that it can replace the files of this very program once the process is gone.
class LmtSetupSelfUpdater : public ILmtSetupSelfUpdater
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtSetupSelfUpdater)

public:
    // The feature id under which the launcher service knows this application.
    static const QString SetupFeatureId;

    LmtSetupSelfUpdater(std::shared_ptr<ILmtLauncherServiceConnector> connector,
        std::shared_ptr<const ILmtSetupInstallation> installation, QObject *parent = nullptr);
    ~LmtSetupSelfUpdater() override;

    bool checkForUpdate() override;
    void startDownloadUpdate() override;
    void startToInstallUpdate() override;
    bool isUpdateStarted() const override;
    bool isUpdateDownloaded() const override;

    // The setting "LmtSetupSelfUpdater/CheckForUpdates": whether the check runs at start-up.
    // Never written, it reads as true.
    static bool checkForUpdatesEnabled();
    static void setCheckForUpdatesEnabled(bool enabled);

private:
    enum State { Idle = 0, Downloading = 1, Downloaded = 2 };

    void onDownloadFinished(bool success, const QString &errorStr);

    std::shared_ptr<ILmtLauncherServiceConnector> m_connector;
    QString m_newVersion;
    std::shared_ptr<LmtProcessHandle> m_downloadHandle;
    // Supplies the install scope of the running application.
    std::shared_ptr<const ILmtSetupInstallation> m_installation;
    // Written on the controller's thread, read by the window on the GUI thread.
    std::atomic<int> m_state { Idle };
};

} // namespace zendrel::lmt::setup
