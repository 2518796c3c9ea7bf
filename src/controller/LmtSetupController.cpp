#include "controller/LmtSetupController.h"

#include "base/LmtFolders.h"
#include "model/LmtCoreToolModel.h"
#include "model/LmtLocalToolVersion.h"
#include "model/LmtOnlineToolVersion.h"
#include "registry/ILmtOnlineRegistryParser.h"
#include "services/ILmtDownloadManager.h"
#include "services/ILmtDownloader.h"
#include "services/ILmtInstaller.h"
#include "services/ILmtLauncherServiceConnector.h"
#include "services/ILmtLoginManager.h"
#include "services/ILmtSetupSelfUpdater.h"
#include "services/ILmtUninstaller.h"
#include "services/LmtAccessToken.h"
#include "services/LmtVendorSite.h"
#include "services/NetworkException.h"
#include "shared_toolkit/Log.h"
#include "shared_toolkit/UrlRedaction.h"

#include <QNetworkReply>
#include <QUrl>

#include <stdexcept>

namespace zendrel::lmt::setup {

namespace {

constexpr auto Tag = "[LmtSetupController]";
constexpr int DocumentTimeoutMs = 15000;

QString describe(const std::exception &e)
{
    return QString::fromUtf8(e.what());
}

// The description of the exception being handled. Services throw std::exception, but whatever
// they throw must not escape a slot: that would end the controller's thread and the program.
QString currentFailure()
{
    try {
        throw;
    } catch (const std::exception &e) {
        return describe(e);
    } catch (...) {
        return QStringLiteral("unknown exception");
    }
}

} // namespace

LmtSetupController::LmtSetupController(std::shared_ptr<LmtCoreToolModel> coreToolModel,
    std::shared_ptr<ILmtDownloadManager> downloadManager,
    std::shared_ptr<ILmtLauncherServiceConnector> connector,
    std::shared_ptr<ILmtLoginManager> loginManager, std::shared_ptr<ILmtRegistryParser> localParser,
    std::shared_ptr<ILmtOnlineRegistryParser> onlineParser,
    std::shared_ptr<ILmtRegistryParser> thirdPartyParser,
    std::shared_ptr<ILmtDownloader> downloader, std::shared_ptr<ILmtInstaller> installer,
    std::shared_ptr<ILmtUninstaller> uninstaller, std::shared_ptr<ILmtSetupSelfUpdater> selfUpdater,
    QObject *parent)
    : QObject(parent)
    , m_coreToolModel(std::move(coreToolModel))
    , m_downloadManager(std::move(downloadManager))
    , m_loginManager(std::move(loginManager))
    , m_localParser(std::move(localParser))
    , m_thirdPartyParser(std::move(thirdPartyParser))
    , m_downloader(std::move(downloader))
    , m_installer(std::move(installer))
    , m_uninstaller(std::move(uninstaller))
    , m_onlineParser(std::move(onlineParser))
    , m_connector(std::move(connector))
    , m_selfUpdater(std::move(selfUpdater))
{
    moveToThread(&m_thread);
    connectRequests();
    forwardServiceSignals();
    m_thread.start();
    qCDebug(lmtLocal).noquote() << Tag << "LmtSetupController object created";
}

LmtSetupController::~LmtSetupController()
{
    m_thread.quit();
    m_thread.wait();
    qCDebug(lmtLocal).noquote() << Tag << "LmtSetupController object destroyed";
}

void LmtSetupController::connectRequests()
{
    using Self = LmtSetupController;
    // The controller lives on its own thread, so these are queued: each request runs there,
    // one after another, in the order the window made them.
    connect(this, &Self::updateToolsRequested, this,
        [this](bool restoreSelection) { serve([=] { updateToolsImpl(restoreSelection); }); });
    connect(this, &Self::startLauncherServiceRequested, this,
        [this] { serve([this] { startLauncherServiceImpl(); }); });
    connect(
        this, &Self::startLoginRequested, this, [this] { serve([this] { startLoginImpl(); }); });
    // Queued even when asked from this thread: a refresh that finds the token rejected asks
    // for a logout, which must follow the refresh instead of running inside it.
    connect(
        this, &Self::startLogoutRequested, this, [this] { serve([this] { startLogoutImpl(); }); },
        Qt::QueuedConnection);
    connect(this, &Self::startInstallRequested, this,
        [this] { serve([this] { startInstallImpl(); }); });
    connect(
        this, &Self::stopInstallRequested, this, [this] { serve([this] { stopInstallImpl(); }); });
    connect(this, &Self::checkIfUpdateAvailableRequested, this,
        [this] { serve([this] { checkIfUpdateAvailableImpl(); }); });
    connect(this, &Self::startSelfUpdateRequested, this,
        [this] { serve([this] { onStartSelfUpdateImpl(); }); });
    connect(this, &Self::startDownloadSelfUpdateRequested, this,
        [this] { serve([this] { onStartDownloadSelfUpdateImpl(); }); });
}

void LmtSetupController::serve(std::function<void()> request)
{
    // Some services wait for child programs in a local event loop, which would deliver the
    // next queued request in the middle of the current one. Such a request waits here instead
    // and runs once the current one has ended, so requests never overlap.
    m_pendingRequests.push_back(std::move(request));
    if (m_servingRequest)
        return;
    m_servingRequest = true;
    while (!m_pendingRequests.empty()) {
        const std::function<void()> next = std::move(m_pendingRequests.front());
        m_pendingRequests.pop_front();
        try {
            next();
        } catch (...) {
            // The ...Impl slots report their own failures; whatever still escapes must not
            // stop the requests behind it.
            qCCritical(lmtLocal).noquote() << Tag << "Request failed: " + currentFailure();
        }
    }
    m_servingRequest = false;
}

void LmtSetupController::forwardServiceSignals()
{
    using Self = LmtSetupController;
    connect(m_loginManager.get(), &ILmtLoginManager::appendUILog, this, &Self::appendUILog);
    connect(m_loginManager.get(), &ILmtLoginManager::loginStateChanged, this,
        &Self::onLoginStateChanged);

    connect(m_downloader.get(), &ILmtDownloader::downloadStatus, this, &Self::downloadStatus);
    connect(m_downloader.get(), &ILmtDownloader::downloadProgress, this, &Self::downloadProgress);
    connect(m_downloader.get(), &ILmtDownloader::appendUILog, this, &Self::appendUILog);
    connect(m_downloader.get(), &ILmtDownloader::error, this, &Self::error);

    connect(m_onlineParser.get(), &ILmtRegistryParser::appendUILog, this, &Self::appendUILog);
    connect(m_localParser.get(), &ILmtRegistryParser::appendUILog, this, &Self::appendUILog);
    connect(m_thirdPartyParser.get(), &ILmtRegistryParser::appendUILog, this, &Self::appendUILog);

    connect(m_installer.get(), &ILmtInstaller::installStatus, this, &Self::installStatus);
    connect(m_installer.get(), &ILmtInstaller::appendUILog, this, &Self::appendUILog);
    connect(m_installer.get(), &ILmtInstaller::error, this, &Self::error);

    connect(m_uninstaller.get(), &ILmtUninstaller::uninstallStatus, this, &Self::uninstallStatus);
    connect(m_uninstaller.get(), &ILmtUninstaller::appendUILog, this, &Self::appendUILog);
    connect(m_uninstaller.get(), &ILmtUninstaller::error, this, &Self::error);

    connect(
        m_selfUpdater.get(), &ILmtSetupSelfUpdater::updateAvailable, this, &Self::updateAvailable);
    connect(m_selfUpdater.get(), &ILmtSetupSelfUpdater::error, this, &Self::error);
    connect(m_selfUpdater.get(), &ILmtSetupSelfUpdater::appendUILog, this, &Self::appendUILog);

    // A finished download hands its package to the installer.
    connect(m_downloader.get(), &ILmtDownloader::installToolRequest, m_installer.get(),
        &ILmtInstaller::onDownloadFinished);
}

void LmtSetupController::updateTools(bool restoreSelection)
{
    qCDebug(lmtLocal).noquote() << Tag << "updateTools() requested";
    Q_EMIT updateToolsRequested(restoreSelection);
}

void LmtSetupController::startLauncherService()
{
    qCInfo(lmtLocal).noquote() << Tag << "startLauncherService() requested";
    Q_EMIT appendUILog(trLog("Start Launcher Service"), ConsoleMessageType::Auto);
    Q_EMIT startLauncherServiceRequested();
}

void LmtSetupController::startLogin()
{
    qCInfo(lmtLocal).noquote() << Tag << "startLogin() requested";
    Q_EMIT startLoginRequested();
}

void LmtSetupController::startLogout()
{
    qCInfo(lmtLocal).noquote() << Tag << "startLogout() requested";
    Q_EMIT startLogoutRequested();
}

void LmtSetupController::checkIfUpdateAvailable()
{
    qCInfo(lmtLocal).noquote() << Tag << "checkIfUpdateAvailable() requested";
    Q_EMIT checkIfUpdateAvailableRequested();
}

void LmtSetupController::startDownloadSelfUpdate()
{
    qCInfo(lmtLocal).noquote() << Tag << "Download self update requested";
    Q_EMIT startDownloadSelfUpdateRequested();
}

void LmtSetupController::startSelfUpdate()
{
    qCInfo(lmtLocal).noquote() << Tag << "Self update requested";
    Q_EMIT startSelfUpdateRequested();
}

void LmtSetupController::stopInstall()
{
    Q_EMIT stopInstallRequested();
}

void LmtSetupController::startInstall()
{
    // Updates and patches go where the installation they replace is, whatever scope they were
    // offered in: whether sudo is needed depends on the scopes they will really use. The
    // controller thread leaves the model alone outside a refresh, and no refresh runs while
    // the user can press Start, so the GUI thread may settle the scopes here.
    m_coreToolModel->inheritInstallScopes();
    if (m_installer->needsElevatedPrivileges())
        Q_EMIT askForElevatedPrivileges();
    else
        Q_EMIT startInstallRequested();
}

void LmtSetupController::restoreSettings()
{
    qCInfo(lmtLocal).noquote() << Tag << "restoreSettings() requested";
    m_loginManager->restoreSettings();
}

std::shared_ptr<LmtCoreToolModel> LmtSetupController::toolModel() const
{
    return m_coreToolModel;
}

void LmtSetupController::setAdminPassword(const QString &password)
{
    m_installer->setAdminPassword(password);
}

bool LmtSetupController::isSelfUpdateDownloading() const
{
    return m_selfUpdater->isUpdateStarted() && !m_selfUpdater->isUpdateDownloaded();
}

bool LmtSetupController::isSelfUpdateReady() const
{
    return m_selfUpdater->isUpdateStarted() && m_selfUpdater->isUpdateDownloaded();
}

std::shared_ptr<ILmtDownloadManager> LmtSetupController::downloadManager() const
{
    return m_downloadManager;
}

void LmtSetupController::updateToolsImpl(bool restoreSelection)
{
    qCDebug(lmtLocal).noquote() << Tag << ">> updateToolsImpl()";
    bool success = true;

    // The previous tools keep the user's choices so that they can be carried over.
    const LmtToolList previousTools = m_coreToolModel->tools();
    m_coreToolModel->clear();

    // All three registries are read whatever failed before: installed tools are worth
    // listing even when the update site cannot be reached.
    parseOnlineRegistry(success);
    try {
        m_localParser->parse();
    } catch (...) {
        const QString reason = currentFailure();
        success = false;
        qCCritical(lmtLocal).noquote()
            << Tag << QStringLiteral("Failed to parse KOR Registry: ") + reason;
        Q_EMIT error(GeneralError,
            trLog("Failed to update tool list. Parsing of the Local Tools Registry failed: %1")
                .arg(reason));
    }
    try {
        m_thirdPartyParser->parse();
    } catch (...) {
        const QString reason = currentFailure();
        qCCritical(lmtLocal).noquote()
            << Tag << QStringLiteral("Failed to parse 3rd Party Tool Registry: ") + reason;
        Q_EMIT error(GeneralError,
            trLog("Failed to get tool information. Parsing of the thirdparty Tool Registry failed: "
                  "%1")
                .arg(reason));
    }

    if (success) {
        if (restoreSelection)
            m_coreToolModel->restoreSelection(previousTools);
        Q_EMIT appendUILog(trLog("Updated the tool list"), ConsoleMessageType::Auto);
    }
    Q_EMIT toolDataChanged(success);
    qCDebug(lmtLocal).noquote() << Tag << "<< updateToolsImpl()";
}

void LmtSetupController::parseOnlineRegistry(bool &success)
{
    try {
        m_onlineParser->parse();
    } catch (const NetworkException &e) {
        qCCritical(lmtLocal).noquote()
            << Tag << QStringLiteral("Failed to parse KOR Registry: ") + describe(e);
        if (e.code() == QNetworkReply::AuthenticationRequiredError) {
            qCCritical(lmtLocal).noquote()
                << Tag << "Failed to update tool list. Access Token is not valid";
            Q_EMIT appendUILog(
                trLog("Access Token is not valid - Logging out ..."), ConsoleMessageType::Auto);
            startLogout();
            Q_EMIT error(AccessTokenError, QString());
            return;
        }
        qCCritical(lmtLocal).noquote()
            << Tag
            << QStringLiteral("Failed to update tool list. Network error when parsing online tool "
                              "registry: '%1'")
                   .arg(describe(e));
        const QString downloads = downloadsDirectory().absolutePath();
        Q_EMIT error(NetworkError,
            trLog("Failed to fetch tools information. Please restore network connection. In order "
                  "to access already downloaded packages please go to your downloads directory (<a "
                  "href=\"%1%2\">%2</a>). You can also download and install Lumetra Tools Package "
                  "and other software by downloading them directly from <a href=\"%3\">Lumetra "
                  "Offline Installation webpage</a>.")
                .arg(fileUrlPrefix(), downloads, offlineInstallationPageUrl()));
    } catch (...) {
        const QString reason = currentFailure();
        success = false;
        qCCritical(lmtLocal).noquote()
            << Tag << QStringLiteral("Failed to parse KOR Registry: ") + reason;
        Q_EMIT error(GeneralError,
            trLog("Failed to update tool list. Parsing of the Online Tools Registry failed: %1")
                .arg(reason));
    }
}

void LmtSetupController::startLauncherServiceImpl()
{
    qCDebug(lmtLocal).noquote() << Tag << ">> startLauncherServiceImpl()";
    try {
        m_connector->start();
    } catch (...) {
        const QString reason = currentFailure();
        qCCritical(lmtLocal).noquote() << Tag << "Failed to start Launcher Service";
        qCCritical(lmtLocal).noquote() << Tag << reason;
        Q_EMIT error(GeneralError, trLog("Failed to start Launcher Service: '%1'").arg(reason));
    }
    verifyStoredToken();
    qCDebug(lmtLocal).noquote() << Tag << "<< startLauncherServiceImpl()";
}

void LmtSetupController::verifyStoredToken()
{
    const auto token = m_loginManager->accessToken();
    if (!token || !token->isValid())
        return;
    try {
        if (m_connector->verifyTokenValue(token->accessToken())) {
            qCInfo(lmtLocal).noquote() << Tag << "Token is verified and valid";
            return;
        }
    } catch (...) {
        const QString reason = currentFailure();
        qCWarning(lmtLocal).noquote()
            << Tag << QStringLiteral("Verification of the stored token failed: ") + reason;
        return;
    }
    qCWarning(lmtLocal).noquote() << Tag
                                  << "Stored token does not match the one received from KOR "
                                     "launcher service - discarding stored token";
    m_loginManager->discardAccessToken();
    Q_EMIT appendUILog(
        trLog("Access Token is not valid - Logging out ..."), ConsoleMessageType::Auto);
    // Through the login handler, not straight to the window: the online parser still holds the
    // discarded record (restoreSettings() handed it over) and would send it with the next
    // refresh.
    onLoginStateChanged(false, false, m_loginManager->accessToken()->userEmail());
}

void LmtSetupController::startLoginImpl()
{
    try {
        m_loginManager->startLogin();
    } catch (...) {
        const QString reason = currentFailure();
        Q_EMIT error(GeneralError, trLog("Failed to Login: '%1'").arg(reason));
    }
}

void LmtSetupController::startLogoutImpl()
{
    try {
        m_loginManager->startLogout();
    } catch (...) {
        // The token is gone locally either way; an unreachable service is no news to the user.
    }
}

void LmtSetupController::onLoginStateChanged(bool loggedIn, bool doUpdate, QString userEmail)
{
    qCInfo(lmtLocal).noquote() << Tag
                               << QStringLiteral(
                                      "onLoginStateChanged(), loggedIn: %1, doUpdate: %2")
                                      .arg(int(loggedIn))
                                      .arg(int(doUpdate));
    m_onlineParser->setAccessToken(m_loginManager->accessToken());
    Q_EMIT loginStateChanged(loggedIn, doUpdate, userEmail);
}

void LmtSetupController::startInstallImpl()
{
    try {
        m_coreToolModel->inheritInstallScopes();
        if (!m_coreToolModel->versionsToUninstall().isEmpty())
            m_uninstaller->start(m_coreToolModel->uninstallList());
        QList<std::shared_ptr<LmtToolVersion>> installList;
        for (const auto &version : m_coreToolModel->installList())
            installList.append(version);
        m_downloader->start(installList);
        m_installer->start();
    } catch (...) {
        const QString reason = currentFailure();
        Q_EMIT error(GeneralError, trLog("Failed to start downloader : '%1'").arg(reason));
    }
}

void LmtSetupController::stopInstallImpl()
{
    try {
        m_downloader->stop();
        m_installer->stop();
        m_uninstaller->stop();
    } catch (...) {
        const QString reason = currentFailure();
        Q_EMIT error(GeneralError, trLog("Failed to stop downloader: '%1'").arg(reason));
    }
}

void LmtSetupController::checkIfUpdateAvailableImpl()
{
    Q_EMIT appendUILog(
        trLog("Checking for the Lumetra™ Setup update..."), ConsoleMessageType::Auto);
    try {
        m_selfUpdater->checkForUpdate();
    } catch (...) {
        const QString reason = currentFailure();
        const QString message
            = trLog("Failed to check for the Lumetra™ Setup update: '%1'").arg(reason);
        qCCritical(lmtLocal).noquote() << Tag << message << ":" << reason;
        Q_EMIT error(GeneralError, message);
    }
}

void LmtSetupController::onStartDownloadSelfUpdateImpl()
{
    try {
        m_selfUpdater->startDownloadUpdate();
    } catch (...) {
        const QString reason = currentFailure();
        Q_EMIT error(
            GeneralError, trLog("Failed to download Lumetra™ Setup update: '%1'").arg(reason));
    }
}

void LmtSetupController::onStartSelfUpdateImpl()
{
    try {
        m_selfUpdater->startToInstallUpdate();
    } catch (...) {
        const QString reason = currentFailure();
        Q_EMIT error(GeneralError, trLog("Failed to update Lumetra™ Setup: '%1'").arg(reason));
    }
}

void LmtSetupController::getReleaseNotesOrLicenseData(QString url)
{
    serve([this, url] { fetchDocument(url); });
}

void LmtSetupController::fetchDocument(const QString &url)
{
    qCDebug(lmtLocal).noquote() << Tag << "getReleaseNotesOrLicenseData(),"
                                << shared_toolkit::withoutUrlPasswords(url);
    QString failure;
    try {
        const QByteArray reply = m_downloadManager->getData(
            QUrl(url), m_loginManager->accessToken(), DocumentTimeoutMs);
        Q_EMIT releaseNotesOrLicenseDataReady(QString::fromUtf8(reply), url);
        return;
    } catch (const NetworkException &e) {
        const QString hint = e.code() == QNetworkReply::ContentNotFoundError
            ? trLog("Please make sure you are logged in.")
            : QString();
        failure = trLog("Failed to get 'Release Notes' or 'License' data,\n%1.\n%2")
                      .arg(describe(e), hint);
    } catch (...) {
        const QString reason = currentFailure();
        // For instance another request still in flight: the dialog waits for an answer, so it
        // gets the failure text rather than nothing.
        failure = trLog("Failed to get 'Release Notes' or 'License' data,\n%1.\n%2")
                      .arg(reason, QString());
    }
    Q_EMIT error(GeneralError, failure);
    Q_EMIT releaseNotesOrLicenseDataReady(failure, url);
}

} // namespace zendrel::lmt::setup
