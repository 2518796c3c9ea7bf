#include "ui/LmtMainWindow.h"

#include "base/LmtIdentity.h"
#include "base/LmtSettings.h"
#include "controller/LmtSetupController.h"
#include "model/LmtCoreToolModel.h"
#include "services/LmtSetupSelfUpdater.h"
#include "shared_toolkit/Log.h"
#include "shared_toolkit/StatusConsole.h"
#include "shared_toolkit/StatusConsoleFeed.h"
#include "ui/LmtAbout.h"
#include "ui/LmtElevatePrivilegesDialog.h"
#include "ui/LmtPrefsDialog.h"
#include "ui/LmtToolLaunchView.h"
#include "ui/LmtToolLoadView.h"
#include "views/LmtToolConfigView.h"
#include "views/LmtToolInstallView.h"
#include "views/LmtToolSelectView.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDataStream>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStackedWidget>
#include <QTimer>
#include <QUrl>

#include <optional>

namespace zendrel::lmt::setup {

namespace {

constexpr auto Tag = "[LmtMainWindow]";

const QString kSettingsGroup = QStringLiteral("LmtMainWindow");
const QString kGeometryKey = QStringLiteral("geometry");
const QString kWindowStateKey = QStringLiteral("windowState");
const QString kHelpFolder = QStringLiteral("docs");
const QString kHelpFile = QStringLiteral("LumetraSetup.pdf");

QString displayName()
{
    return QGuiApplication::applicationDisplayName();
}

// The frame rectangle recorded by QWidget::saveGeometry(): the blob starts with a magic
// number and a format version, followed by that rectangle in every format version.
std::optional<QRect> storedFrameGeometry(const QByteArray &geometry)
{
    if (geometry.isEmpty())
        return std::nullopt;
    QDataStream stream(geometry);
    stream.setVersion(QDataStream::Qt_4_0);
    quint32 magic = 0;
    quint16 majorVersion = 0;
    quint16 minorVersion = 0;
    QRect frame;
    stream >> magic >> majorVersion >> minorVersion >> frame;
    if (stream.status() != QDataStream::Ok || magic != 0x1D9D0CB)
        return std::nullopt;
    return frame;
}

} // namespace

LmtMainWindow::LmtMainWindow(std::shared_ptr<LmtSetupController> controller, QWidget *parent)
    : QMainWindow(parent)
    , m_controller(std::move(controller))
{
    setupUi();
    connectActions();
    connectViews();
    connectController();
    updateActionIcons();

    // The first requests wait until the window is up, so that the user sees the load page
    // while the launcher service starts and the tool list is read.
    QTimer::singleShot(0, this, &LmtMainWindow::startUp);
}

LmtMainWindow::~LmtMainWindow() = default;

void LmtMainWindow::connectActions()
{
    connect(m_actLogin, &QAction::triggered, this, &LmtMainWindow::onLoginTriggered);
    connect(m_actLogout, &QAction::triggered, this, &LmtMainWindow::onLogoutTriggered);
    connect(m_actRefresh, &QAction::triggered, this, &LmtMainWindow::onRefreshTriggered);
    connect(m_actPreferences, &QAction::triggered, this, &LmtMainWindow::onPreferencesTriggered);
    connect(
        m_actCheckUpdate, &QAction::triggered, this, &LmtMainWindow::onCheckForUpdatesTriggered);
    connect(m_actExit, &QAction::triggered, this, &QWidget::close);
    connect(m_actHelp, &QAction::triggered, this, &LmtMainWindow::showHelp);
    connect(m_actAbout, &QAction::triggered, this, &LmtMainWindow::about);

    connect(m_btnRetry, &QPushButton::clicked, this, &LmtMainWindow::onRetryTriggered);
    connect(m_btnNext, &QPushButton::clicked, this, &LmtMainWindow::onNextTriggered);
    connect(m_chkAgreeLicense, &QCheckBox::clicked, this, &LmtMainWindow::onLicenseCheckboxClicked);
    connect(m_btnBack, &QPushButton::clicked, this, &LmtMainWindow::onBackTriggered);
    connect(m_btnStart, &QPushButton::clicked, this, &LmtMainWindow::onStartTriggered);
    connect(m_btnCancel, &QPushButton::clicked, this, &LmtMainWindow::onCancelTriggered);
    connect(m_btnFinish, &QPushButton::clicked, this, &LmtMainWindow::onFinishTriggered);

    connect(this, &LmtMainWindow::appendUILog, this, &LmtMainWindow::onAppendLog);
    connect(m_logPanel, &shared_toolkit::StatusConsole::anchorClicked, this,
        [](const QUrl &url) { QDesktopServices::openUrl(QUrl(url.toString())); });
}

void LmtMainWindow::connectViews()
{
    connect(m_toolLoadView, &LmtToolLoadView::appendUILog, this, &LmtMainWindow::appendUILog);
    connect(m_toolSelectView, &LmtToolSelectView::appendUILog, this, &LmtMainWindow::appendUILog);
    connect(m_toolSelectView, &LmtToolSelectView::toolsDataUpdated, this,
        &LmtMainWindow::onSelectPageUpdated);
    connect(m_toolSelectView, &LmtToolSelectView::toolSelectionChanged, this,
        &LmtMainWindow::onToolSelectionChanged);
    connect(m_toolInstallView, &LmtToolInstallView::appendUILog, this, &LmtMainWindow::appendUILog);
    connect(m_toolConfigView, &LmtToolConfigView::appendUILog, this, &LmtMainWindow::appendUILog);
    connect(m_toolInstallView, &LmtToolInstallView::allJobsComplete, this,
        &LmtMainWindow::onInstallComplete);
}

void LmtMainWindow::connectController()
{
    LmtSetupController *controller = m_controller.get();
    connect(controller, &LmtSetupController::appendUILog, this, &LmtMainWindow::onAppendLog);
    connect(controller, &LmtSetupController::loginStateChanged, this,
        &LmtMainWindow::onLoginStateChanged);
    connect(controller, &LmtSetupController::updateToolsRequested, this,
        &LmtMainWindow::onUpdateToolsRequested);
    connect(
        controller, &LmtSetupController::toolDataChanged, this, &LmtMainWindow::onToolDataChanged);
    connect(controller, &LmtSetupController::error, this, &LmtMainWindow::onControllerError);
    connect(
        controller, &LmtSetupController::updateAvailable, this, &LmtMainWindow::onUpdateAvailable);
    connect(controller, &LmtSetupController::askForElevatedPrivileges, this,
        &LmtMainWindow::onAskedForElevatedPrivileges);
    connect(controller, &LmtSetupController::startInstallRequested, this,
        &LmtMainWindow::onInstallRequested);
    connect(controller, &LmtSetupController::downloadStatus, m_toolInstallView,
        &LmtToolInstallView::onDownloadStatusChanged);
    connect(controller, &LmtSetupController::downloadProgress, m_toolInstallView,
        &LmtToolInstallView::onDownloadProgressChanged);
    connect(controller, &LmtSetupController::installStatus, m_toolInstallView,
        &LmtToolInstallView::onInstallStatusChanged);
    connect(controller, &LmtSetupController::uninstallStatus, m_toolInstallView,
        &LmtToolInstallView::onUninstallStatusChanged);
    connect(controller, &LmtSetupController::releaseNotesOrLicenseDataReady, m_toolConfigView,
        &LmtToolConfigView::onReleaseNotesOrLicenseDataReady);
    connect(m_toolConfigView, &LmtToolConfigView::getReleaseNotesOrLicenseData, controller,
        &LmtSetupController::getReleaseNotesOrLicenseData);
}

void LmtMainWindow::startUp()
{
    QCoreApplication::processEvents();
    m_controller->startLauncherService();
    m_controller->updateTools(true);
    if (LmtSetupSelfUpdater::checkForUpdatesEnabled())
        m_controller->checkIfUpdateAvailable();
}

void LmtMainWindow::init()
{
    qCDebug(lmtLocal).noquote() << Tag << ">> init()";
    restoreWindowSettings();
    m_controller->restoreSettings();
    updateButtons();
    m_btnRetry->hide();
    qCDebug(lmtLocal).noquote() << Tag << "<< init()";
}

void LmtMainWindow::restoreWindowSettings()
{
    QSettings &settings = applicationSettings();
    qCInfo(lmtLocal).noquote() << Tag
                               << "settingsFileName="
            + QDir::fromNativeSeparators(settings.fileName());
    settings.beginGroup(kSettingsGroup);
    const QByteArray geometry = settings.value(kGeometryKey).toByteArray();
    const QByteArray state = settings.value(kWindowStateKey).toByteArray();
    settings.endGroup();

    // Unreadable geometry counts as none. The stored rectangle is judged as it was saved:
    // restoreGeometry() itself already drags a lost window onto some screen, at its old size.
    const std::optional<QRect> stored = storedFrameGeometry(geometry);
    const bool restored = stored && restoreGeometry(geometry);
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen && (!restored || !stored->intersects(screen->geometry()))) {
        const QRect available = screen->availableGeometry();
        resize(qRound(available.width() / 2.0), qRound(available.height() / 2.0));
        move((available.width() - width()) / 2, (available.height() - height()) / 2);
    }
    if (!state.isEmpty())
        restoreState(state);
}

void LmtMainWindow::saveWindowSettings()
{
    QSettings &settings = applicationSettings();
    settings.beginGroup(kSettingsGroup);
    settings.setValue(kGeometryKey, saveGeometry());
    settings.setValue(kWindowStateKey, saveState(0));
    settings.endGroup();
}

bool LmtMainWindow::isModelReadable() const
{
    return m_refreshesRunning == 0;
}

std::shared_ptr<LmtCoreToolModel> LmtMainWindow::readableModel() const
{
    return isModelReadable() ? m_controller->toolModel() : nullptr;
}

bool LmtMainWindow::isInstallUnderWay() const
{
    return m_installStarting || (m_currentView == TOOL_VIEW_INSTALL && !m_jobsComplete);
}

void LmtMainWindow::activateView(LmtToolView view)
{
    qCDebug(lmtLocal).noquote() << Tag << "Activate view" << view;
    m_currentView = view;
    m_jobsComplete = false;
    m_toolViewStack->setCurrentIndex(view);
    updateButtons();
}

void LmtMainWindow::updateButtons()
{
    const LmtToolView view = m_currentView;
    const bool isSelect = view == TOOL_VIEW_SELECT;
    const bool isConfig = view == TOOL_VIEW_CONFIG;
    const bool isLaunch = view == TOOL_VIEW_LAUNCH;
    const bool installRunning = view == TOOL_VIEW_INSTALL && !m_jobsComplete;
    const bool installDone = view == TOOL_VIEW_INSTALL && m_jobsComplete;

    const std::shared_ptr<LmtCoreToolModel> model = readableModel();
    const bool hasInstall = model && model->hasSelectedOnlineVersions();
    const bool hasChanges = model && model->hasPendingChanges();
    const bool removalsOnly = hasChanges && !hasInstall;
    const bool nextAllowed = removalsOnly || (hasInstall && (m_loggedIn || !m_loginRequired));
    const bool startAllowed = removalsOnly || m_chkAgreeLicense->isChecked();

    if (!m_loggedIn)
        m_lblLogin->setText(m_loginRequired ? tr("< Please login to proceed") : QString());
    m_lblLoginAction->setVisible(m_loggedIn || hasInstall);

    m_actCheckUpdate->setEnabled(view != TOOL_VIEW_INSTALL);
    const bool refreshAllowed = view != TOOL_VIEW_LOAD && view != TOOL_VIEW_INSTALL;
    m_actRefresh->setEnabled(refreshAllowed);
    m_actPreferences->setEnabled(refreshAllowed);
    const bool loginAllowed = view != TOOL_VIEW_CONFIG && view != TOOL_VIEW_INSTALL;
    m_actLogin->setEnabled(loginAllowed);
    m_actLogout->setEnabled(loginAllowed);
    m_actExit->setEnabled(!isInstallUnderWay());

    m_chkAgreeLicense->setVisible(isConfig && hasInstall);
    m_btnBack->setVisible(isConfig || installDone);
    m_btnBack->setEnabled((isConfig || installDone) && !m_installStarting);
    m_btnNext->setVisible(isSelect);
    m_btnNext->setEnabled(isSelect && nextAllowed);
    m_btnStart->setVisible(isConfig);
    m_btnStart->setEnabled(isConfig && startAllowed && !m_installStarting);
    m_btnCancel->setVisible(installRunning);
    m_btnCancel->setEnabled(installRunning);
    m_btnFinish->setVisible(isLaunch);
    m_btnFinish->setEnabled(isLaunch);
}

void LmtMainWindow::onUpdateToolsRequested(bool /*restoreSelection*/)
{
    // From here until toolDataChanged the controller rewrites the catalogue on its thread.
    ++m_refreshesRunning;
    // The select page must not read on in the catalogue that the controller now rewrites.
    m_toolSelectView->stopUpdate();
    // It reads the list with the current sign-in.
    m_signInRefreshOwed = false;
    m_toolLoadView->setState(LmtToolLoadView::Loading);
    activateView(TOOL_VIEW_LOAD);
}

void LmtMainWindow::onToolDataChanged(bool success)
{
    if (m_refreshesRunning > 0)
        --m_refreshesRunning;
    if (m_refreshesRunning > 0) {
        // Another refresh is already queued and will rewrite the catalogue: its answer decides
        // what comes next.
        qCDebug(lmtLocal).noquote() << Tag << "Tool data changed, another refresh follows";
        return;
    }

    m_chkAgreeLicense->setChecked(false);
    if (!success) {
        m_btnRetry->setVisible(true);
        m_btnRetry->setEnabled(true);
        m_actPreferences->setEnabled(true);
        m_toolLoadView->setState(LmtToolLoadView::Error);
        return;
    }

    m_toolLoadView->setState(LmtToolLoadView::Idle);
    m_btnRetry->setVisible(false);
    m_btnRetry->setEnabled(false);

    const std::shared_ptr<LmtCoreToolModel> model = m_controller->toolModel();
    // A refresh may have brought back a selection that needs a signed-in user.
    m_loginRequired = !m_loggedIn && model->selectionRequiresLogin();

    // A long catalogue takes the select page several turns of the event loop; the load page
    // stays until it is done.
    m_toolSelectView->updateToolsDataInTurns(model);
}

void LmtMainWindow::onSelectPageUpdated()
{
    const std::shared_ptr<LmtCoreToolModel> model = m_controller->toolModel();
    m_toolConfigView->updateToolsData(model);
    m_toolInstallView->updateToolsData(model);

    const int next = m_nextViewAfterRefresh;
    m_nextViewAfterRefresh = TOOL_VIEW_LOAD;
    if (next == TOOL_VIEW_LAUNCH || next == TOOL_VIEW_INVALID)
        m_toolLaunchView->updateToolsData(model, m_uninstallOnly);
    activateView(next == TOOL_VIEW_LAUNCH ? TOOL_VIEW_LAUNCH : TOOL_VIEW_SELECT);
}

void LmtMainWindow::onToolSelectionChanged()
{
    m_chkAgreeLicense->setChecked(false);
    const std::shared_ptr<LmtCoreToolModel> model = readableModel();
    if (!model)
        return;
    m_toolConfigView->updateToolsData(model);
    m_toolInstallView->updateToolsData(model);
    m_uninstallOnly = !model->hasSelectedOnlineVersions();
    m_loginRequired = model->selectionRequiresLogin();
    updateButtons();
    if (m_loginRequired && !m_loggedIn)
        checkLoginRequired();
}

void LmtMainWindow::checkLoginRequired()
{
    if (m_loginPromptShown)
        return;
    const std::shared_ptr<LmtCoreToolModel> model = readableModel();
    if (!model || !model->hasSelectedOnlineVersions() || !model->selectionRequiresLogin())
        return;
    // Marked before asking: the question must not come up again while it is open.
    m_loginPromptShown = true;
    const auto answer = QMessageBox::question(this, displayName(),
        tr("The selected tool requires logging into myZendrel account. Do you want to initiate "
           "a new login session?"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer == QMessageBox::Yes)
        m_actLogin->trigger();
}

void LmtMainWindow::onNextTriggered()
{
    qCInfo(lmtLocal).noquote() << Tag << "Next button pressed";
    activateView(TOOL_VIEW_CONFIG);
}

void LmtMainWindow::onBackTriggered()
{
    qCInfo(lmtLocal).noquote() << Tag << "Back button pressed";
    const LmtToolView previous = m_currentView;
    activateView(TOOL_VIEW_SELECT);
    if (previous == TOOL_VIEW_INSTALL || previous == TOOL_VIEW_LAUNCH)
        m_controller->updateTools(false);
}

void LmtMainWindow::onStartTriggered()
{
    qCInfo(lmtLocal).noquote() << Tag << "Install button pressed";
    // Ends when the jobs start (onInstallRequested) or the password dialog is turned down.
    m_installStarting = true;
    updateButtons();
    m_controller->startInstall();
}

void LmtMainWindow::onInstallRequested()
{
    m_installStarting = false;
    activateView(TOOL_VIEW_INSTALL);
}

void LmtMainWindow::onCancelTriggered()
{
    qCInfo(lmtLocal).noquote() << Tag << "Cancel button pressed";
    const QString work = m_uninstallOnly ? tr("uninstallation") : tr("installation");
    const auto answer = QMessageBox::question(this, displayName(),
        tr("Do you really want to cancel the %1?\nNote that tasks which have started will be "
           "completed.")
            .arg(work),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer == QMessageBox::Yes)
        m_controller->stopInstall();
}

void LmtMainWindow::onInstallComplete(bool success)
{
    m_jobsComplete = true;
    m_controller->stopInstall();
    if (success) {
        m_nextViewAfterRefresh = TOOL_VIEW_LAUNCH;
        m_controller->updateTools(false);
    } else {
        updateButtons();
    }
    qCInfo(lmtLocal).noquote() << Tag << "All processes complete";
}

void LmtMainWindow::onFinishTriggered()
{
    qCInfo(lmtLocal).noquote() << Tag << "Finish button pressed";
    m_controller->updateTools(false);
}

void LmtMainWindow::onRetryTriggered()
{
    qCInfo(lmtLocal).noquote() << Tag << "Retry button pressed";
    m_btnRetry->setEnabled(false);
    m_controller->updateTools(true);
}

void LmtMainWindow::onRefreshTriggered()
{
    qCInfo(lmtLocal).noquote() << Tag << "Refresh button pressed";
    m_controller->updateTools(true);
}

void LmtMainWindow::onPreferencesTriggered()
{
    qCInfo(lmtLocal).noquote() << Tag << "Preferences button pressed";
    LmtPrefsDialog dialog(m_controller->downloadManager(), this);
    // Accepted only when the update site changed: then the tool list is stale.
    if (dialog.exec() == QDialog::Accepted)
        m_controller->updateTools(true);
}

void LmtMainWindow::onCheckForUpdatesTriggered()
{
    qCInfo(lmtLocal).noquote() << Tag << "Check for update button pressed";
    m_controller->checkIfUpdateAvailable();
}

void LmtMainWindow::onLoginTriggered()
{
    qCInfo(lmtLocal).noquote() << Tag << "Login button pressed";
    m_controller->startLogin();
    m_lblLogin->setText(tr("Login session is in progress ..."));
    m_lblLoginAction->setVisible(true);
    m_actLogin->setEnabled(false);
}

void LmtMainWindow::onLogoutTriggered()
{
    qCInfo(lmtLocal).noquote() << Tag << "Logout button pressed";
    m_controller->startLogout();
}

void LmtMainWindow::onLoginStateChanged(bool loggedIn, bool doUpdate, QString userEmail)
{
    m_loggedIn = loggedIn;
    m_actLogin->setVisible(!loggedIn);
    m_actLogout->setVisible(loggedIn);
    m_actLogin->setEnabled(true);
    const std::shared_ptr<LmtCoreToolModel> model = readableModel();
    m_loginRequired = !loggedIn && model && model->selectionRequiresLogin();
    if (loggedIn) {
        m_lblLogin->setText(
            userEmail.isEmpty() ? tr("Logged in") : tr("Logged in as %1").arg(userEmail));
    }
    if (doUpdate && isInstallUnderWay()) {
        // A sign-in started earlier ended while jobs run or are about to (the password dialog
        // is open): refreshing now would rebuild the catalogue under them, fail their
        // installations and leave the install page while they run. The refresh that follows
        // the jobs reads the catalogue with the new sign-in; without jobs, it follows the
        // password dialog.
        qCInfo(lmtLocal).noquote() << Tag << "Signed in during an installation, refresh deferred";
        m_signInRefreshOwed = true;
        updateButtons();
    } else if (doUpdate) {
        refreshAfterSignIn();
    } else {
        // Replaces "Login session is in progress ..." after a sign-in that failed.
        updateButtons();
    }
}

void LmtMainWindow::refreshAfterSignIn()
{
    activateView(TOOL_VIEW_LOAD);
    m_controller->updateTools(true);
}

void LmtMainWindow::onLicenseCheckboxClicked(bool /*checked*/)
{
    updateButtons();
}

void LmtMainWindow::onAppendLog(QString text, ConsoleMessageType type)
{
    switch (type) {
    case ConsoleMessageType::Warning:
    case ConsoleMessageType::ErrorOutput:
        qCWarning(lmtLocal).noquote() << Tag << text;
        break;
    case ConsoleMessageType::Error:
        qCCritical(lmtLocal).noquote() << Tag << text;
        break;
    default:
        qCInfo(lmtLocal).noquote() << Tag << text;
        break;
    }
    // Logged at once (in English), shown translated with the other lines of this turn of the
    // event loop.
    m_logFeed->append(shared_toolkit::shownText(text) + QLatin1Char('\n'), type);
}

void LmtMainWindow::onControllerError(LmtErrorCode errorCode, QString message)
{
    m_logFeed->append(
        tr("<span style=\"color:red;\">Error: %1</span>").arg(shared_toolkit::shownText(message)),
        ConsoleMessageType::Auto);
    qCCritical(lmtLocal).noquote() << Tag << message << ", error code:" << int(errorCode);
}

void LmtMainWindow::onUpdateAvailable(QString version)
{
    qCDebug(lmtLocal).noquote() << Tag << "onUpdateAvailable()";
    const auto answer = QMessageBox::question(this, displayName(),
        tr("A new update of the Lumetra™ Setup is available: '%1'.\nDo you want to download "
           "this update and install it after closing the application?")
            .arg(version),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer == QMessageBox::Yes)
        m_controller->startDownloadSelfUpdate();
    else
        Q_EMIT appendUILog(trLog("Skipped update of the Lumetra™ Setup"), ConsoleMessageType::Auto);
}

void LmtMainWindow::onAskedForElevatedPrivileges()
{
    qCDebug(lmtLocal).noquote() << Tag << "onAskedForElevatedPrivileges()";
    LmtElevatePrivilegesDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted) {
        qCInfo(lmtLocal).noquote()
            << Tag << "Correct Sudo password provided, starting installation...";
        m_controller->setAdminPassword(dialog.password());
        // The same request the controller makes when no password is needed: it starts the
        // jobs on the controller's thread and shows the install page here.
        Q_EMIT m_controller->startInstallRequested();
        return;
    }
    m_installStarting = false;
    Q_EMIT appendUILog(dialog.password().isEmpty()
            ? trLog("No \"sudo\" password provided, skipping the installation")
            : trLog("Incorrect \"sudo\" password provided, skipping the installation"),
        ConsoleMessageType::Warning);
    if (m_signInRefreshOwed)
        refreshAfterSignIn();
    else
        updateButtons();
}

void LmtMainWindow::showHelp()
{
    const QDir appDir(QCoreApplication::applicationDirPath());
    if (!appDir.exists(kHelpFolder)) {
        QMessageBox::critical(this, displayName(),
            tr("Cannot find 'docs' folder in: %1").arg(appDir.absolutePath()), QMessageBox::Ok);
        return;
    }
    const QFileInfo helpFile(appDir.filePath(kHelpFolder + QLatin1Char('/') + kHelpFile));
    if (!helpFile.exists()) {
        QMessageBox::critical(this, displayName(),
            tr("Cannot find help file: %1").arg(helpFile.absoluteFilePath()), QMessageBox::Ok);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile.absoluteFilePath()));
}

void LmtMainWindow::about()
{
    showAbout(this);
}

void LmtMainWindow::closeEvent(QCloseEvent *event)
{
    if (isInstallUnderWay()) {
        QMessageBox::warning(this, displayName(),
            tr("Installation is in progress. The application cannot be closed."), QMessageBox::Ok);
        event->ignore();
        return;
    }
    if (!m_controller->isSelfUpdateDownloading()) {
        if (m_currentView == TOOL_VIEW_LAUNCH)
            m_toolLaunchView->launchSelectedTools();
        if (m_controller->isSelfUpdateReady())
            m_controller->startSelfUpdate();
        saveWindowSettings();
        event->accept();
        return;
    }
    const auto answer = QMessageBox::question(this, displayName(),
        tr("Work is in progress. Do you really want to close the window?"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        event->ignore();
        return;
    }
    m_controller->stopInstall();
    saveWindowSettings();
    event->accept();
}

} // namespace zendrel::lmt::setup
