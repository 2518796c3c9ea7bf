#pragma once

#include "services/LmtServiceTypes.h"
#include "shared_toolkit/LmtTr.h"

#include <QIcon>
#include <QMainWindow>
#include <QMap>

#include <memory>

class QAction;
class QCheckBox;
class QHBoxLayout;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QStackedWidget;
class QToolBar;
class QVBoxLayout;

namespace zendrel::lmt::shared_toolkit {
class StatusConsole;
class StatusConsoleFeed;
} // namespace zendrel::lmt::shared_toolkit

namespace zendrel::lmt::setup {

class LmtCoreToolModel;
class LmtSetupController;
class LmtToolConfigView;
class LmtToolInstallView;
class LmtToolLaunchView;
class LmtToolLoadView;
class LmtToolSelectView;

// The single window of the program: the wizard pages in a stack, the log panel under them, the
// wizard buttons, the menus and the tool bar. It decides which page is shown and what the user
// may do there; all work is asked of the setup controller, whose answers arrive as queued
// signals.
class LmtMainWindow : public QMainWindow
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtMainWindow)

public:
    // The value is also the page index in the stack.
    enum LmtToolView {
        TOOL_VIEW_INVALID = -1,
        TOOL_VIEW_LOAD = 0,
        TOOL_VIEW_SELECT = 1,
        TOOL_VIEW_CONFIG = 2,
        TOOL_VIEW_INSTALL = 3,
        TOOL_VIEW_LAUNCH = 4,
    };
    Q_ENUM(LmtToolView)

    explicit LmtMainWindow(
        std::shared_ptr<LmtSetupController> controller, QWidget *parent = nullptr);
    ~LmtMainWindow() override;

    // Restores the window and the sign-in from the settings and sets up the buttons.
    void init();

    LmtToolView currentView() const { return m_currentView; }

Q_SIGNALS:
    void appendUILog(QString text, ConsoleMessageType type = ConsoleMessageType::Auto);

public Q_SLOTS:
    void onCheckForUpdatesTriggered();
    void onLoginTriggered();
    void onLogoutTriggered();
    void onRefreshTriggered();
    void onPreferencesTriggered();
    void onRetryTriggered();
    void onNextTriggered();
    void onBackTriggered();
    void onStartTriggered();
    void onCancelTriggered();
    void onFinishTriggered();
    void onLicenseCheckboxClicked(bool checked);
    void onAppendLog(QString text, ConsoleMessageType type);
    void onControllerError(LmtErrorCode errorCode, QString message);
    void onUpdateToolsRequested(bool restoreSelection);
    void onToolDataChanged(bool success);
    // The select page shows the new catalogue: the other pages follow, and the page is shown.
    void onSelectPageUpdated();
    void onToolSelectionChanged();
    void onLoginStateChanged(bool loggedIn, bool doUpdate, QString userEmail);
    void onInstallRequested();
    void onInstallComplete(bool success);
    void onUpdateAvailable(QString version);
    void onAskedForElevatedPrivileges();
    void showHelp();
    void about();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setupUi();
    void retranslateUi();
    void connectActions();
    void connectController();
    void connectViews();
    void startUp();

    void restoreWindowSettings();
    void saveWindowSettings();
    void activateView(LmtToolView view);
    void updateButtons();
    void checkLoginRequired();
    // From Start until the jobs have ended, the password dialog included: no refresh may
    // rebuild the catalogue under the installation and the window stays open.
    bool isInstallUnderWay() const;
    // The refresh a successful sign-in asks for: shows the load page and reads the list anew.
    void refreshAfterSignIn();
    // From a refresh request until its toolDataChanged the controller rebuilds the catalogue
    // on its thread, and the catalogue has no lock: the window must not look into it then.
    bool isModelReadable() const;
    // The catalogue, or null while a refresh is rebuilding it.
    std::shared_ptr<LmtCoreToolModel> readableModel() const;

    bool isLightPalette() const;
    void updateActionIcons();
    QIcon cachedIcon(const QString &resource);

    std::shared_ptr<LmtSetupController> m_controller;

    QAction *m_actCheckUpdate = nullptr;
    QAction *m_actLogin = nullptr;
    QAction *m_actLogout = nullptr;
    QAction *m_actPreferences = nullptr;
    QAction *m_actExit = nullptr;
    QAction *m_actHelp = nullptr;
    QAction *m_actAbout = nullptr;
    QAction *m_actRefresh = nullptr;
    QWidget *m_centralWidget = nullptr;
    QVBoxLayout *m_verticalLayout = nullptr;
    QStackedWidget *m_toolViewStack = nullptr;
    LmtToolLoadView *m_toolLoadView = nullptr;
    LmtToolSelectView *m_toolSelectView = nullptr;
    LmtToolConfigView *m_toolConfigView = nullptr;
    LmtToolInstallView *m_toolInstallView = nullptr;
    LmtToolLaunchView *m_toolLaunchView = nullptr;
    shared_toolkit::StatusConsole *m_logPanel = nullptr;
    // Every line for the panel goes through it, so that the lines keep their order.
    shared_toolkit::StatusConsoleFeed *m_logFeed = nullptr;
    QWidget *m_actionsBar = nullptr;
    QHBoxLayout *m_horizontalLayout = nullptr;
    QPushButton *m_btnRetry = nullptr;
    QPushButton *m_btnNext = nullptr;
    QCheckBox *m_chkAgreeLicense = nullptr;
    QPushButton *m_btnBack = nullptr;
    QPushButton *m_btnStart = nullptr;
    QPushButton *m_btnCancel = nullptr;
    QPushButton *m_btnFinish = nullptr;
    QMenuBar *m_menubar = nullptr;
    QMenu *m_menuFile = nullptr;
    QMenu *m_menuHelp = nullptr;
    QToolBar *m_toolBar = nullptr;
    QLabel *m_lblLogin = nullptr;
    QAction *m_lblLoginAction = nullptr;

    bool m_loggedIn = false;
    bool m_loginRequired = false;
    bool m_jobsComplete = false;
    bool m_uninstallOnly = false;
    bool m_loginPromptShown = false;
    // Start was pressed and the installation has not begun yet (the password dialog may be
    // open).
    bool m_installStarting = false;
    // A sign-in ended while an installation was under way and its refresh has not run yet;
    // any refresh that starts pays it.
    bool m_signInRefreshOwed = false;
    LmtToolView m_currentView = TOOL_VIEW_INVALID;
    int m_nextViewAfterRefresh = TOOL_VIEW_INVALID;
    // Refreshes requested whose toolDataChanged has not arrived yet.
    int m_refreshesRunning = 0;

    QMap<QString, QIcon> m_icons;
};

} // namespace zendrel::lmt::setup
