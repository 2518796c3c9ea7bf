#pragma once

#include "services/LmtServiceTypes.h"
#include "shared_toolkit/LmtTr.h"

#include <QObject>
#include <QString>
#include <QThread>

#include <deque>
#include <functional>
#include <memory>

namespace zendrel::lmt::setup {

class ILmtDownloadManager;
class ILmtDownloader;
class ILmtInstaller;
class ILmtLauncherServiceConnector;
class ILmtLoginManager;
class ILmtOnlineRegistryParser;
class ILmtRegistryParser;
class ILmtSetupSelfUpdater;
class ILmtUninstaller;
class LmtCoreToolModel;

// The only object the user interface talks to. It owns the catalogue and every service and runs
// all long work on a thread of its own: each public request only emits a signal that a queued
// connection delivers to the matching ...Impl slot there, so requests are served one at a time in
// the order they were made. Failures come back through error(); no exception leaves a slot.
class LmtSetupController : public QObject
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtSetupController)

public:
    LmtSetupController(std::shared_ptr<LmtCoreToolModel> coreToolModel,
        std::shared_ptr<ILmtDownloadManager> downloadManager,
        std::shared_ptr<ILmtLauncherServiceConnector> connector,
        std::shared_ptr<ILmtLoginManager> loginManager,
        std::shared_ptr<ILmtRegistryParser> localParser,
        std::shared_ptr<ILmtOnlineRegistryParser> onlineParser,
        std::shared_ptr<ILmtRegistryParser> thirdPartyParser,
        std::shared_ptr<ILmtDownloader> downloader, std::shared_ptr<ILmtInstaller> installer,
        std::shared_ptr<ILmtUninstaller> uninstaller,
        std::shared_ptr<ILmtSetupSelfUpdater> selfUpdater, QObject *parent = nullptr);
    ~LmtSetupController() override;

    // Requests, called on the GUI thread; the work runs on the controller's thread.
    void updateTools(bool restoreSelection);
    void startLauncherService();
    void startLogin();
    void startLogout();
    void checkIfUpdateAvailable();
    void startDownloadSelfUpdate();
    void startSelfUpdate();
    void stopInstall();
    // Asks for the administrator password first when the installer needs it.
    void startInstall();

    // Run directly on the caller's thread.
    void restoreSettings();
    std::shared_ptr<LmtCoreToolModel> toolModel() const;
    void setAdminPassword(const QString &password);
    bool isSelfUpdateDownloading() const;
    bool isSelfUpdateReady() const;
    std::shared_ptr<ILmtDownloadManager> downloadManager() const;

public Q_SLOTS:
    // Answered with releaseNotesOrLicenseDataReady for the same URL, also when the fetch fails.
    void getReleaseNotesOrLicenseData(QString url);

Q_SIGNALS:
    void appendUILog(QString text, ConsoleMessageType type = ConsoleMessageType::Auto);
    void loginStateChanged(bool loggedIn, bool doUpdate, QString userEmail);
    void updateToolsRequested(bool restoreSelection);
    void toolDataChanged(bool success);
    void error(LmtErrorCode errorCode, QString message);
    void downloadStatus(LmtOperationStatus status, QString featureId, QString version);
    void downloadProgress(float progress, QString featureId, QString version);
    void installStatus(LmtOperationStatus status, QString featureId, QString version);
    void uninstallStatus(LmtOperationStatus status, QString featureId, QString version);
    void updateAvailable(QString version);
    void askForElevatedPrivileges();
    void startInstallRequested();
    void releaseNotesOrLicenseDataReady(QString data, QString url);
    void startLauncherServiceRequested();
    void startLoginRequested();
    void startLogoutRequested();
    void stopInstallRequested();
    void checkIfUpdateAvailableRequested();
    void startDownloadSelfUpdateRequested();
    void startSelfUpdateRequested();

private Q_SLOTS:
    void updateToolsImpl(bool restoreSelection);
    void startLauncherServiceImpl();
    void startLoginImpl();
    void startLogoutImpl();
    void startInstallImpl();
    void stopInstallImpl();
    void onLoginStateChanged(bool loggedIn, bool doUpdate, QString userEmail);
    void checkIfUpdateAvailableImpl();
    void onStartSelfUpdateImpl();
    void onStartDownloadSelfUpdateImpl();

private:
    void connectRequests();
    // Runs request on this thread after every request that came before it.
    void serve(std::function<void()> request);
    void fetchDocument(const QString &url);
    void forwardServiceSignals();
    void parseOnlineRegistry(bool &success);
    void verifyStoredToken();

    std::shared_ptr<LmtCoreToolModel> m_coreToolModel;
    std::shared_ptr<ILmtDownloadManager> m_downloadManager;
    std::shared_ptr<ILmtLoginManager> m_loginManager;
    std::shared_ptr<ILmtRegistryParser> m_localParser;
    std::shared_ptr<ILmtRegistryParser> m_thirdPartyParser;
    std::shared_ptr<ILmtDownloader> m_downloader;
    std::shared_ptr<ILmtInstaller> m_installer;
    std::shared_ptr<ILmtUninstaller> m_uninstaller;
    std::shared_ptr<ILmtOnlineRegistryParser> m_onlineParser;
    std::shared_ptr<ILmtLauncherServiceConnector> m_connector;
    std::shared_ptr<ILmtSetupSelfUpdater> m_selfUpdater;
    QThread m_thread;
    std::deque<std::function<void()>> m_pendingRequests;
    bool m_servingRequest = false;
};

} // namespace zendrel::lmt::setup
