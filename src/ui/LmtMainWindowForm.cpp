#include "shared_toolkit/StatusConsole.h"
#include "shared_toolkit/StatusConsoleFeed.h"
#include "ui/LmtMainWindow.h"
#include "ui/LmtToolLaunchView.h"
#include "ui/LmtToolLoadView.h"
#include "views/LmtToolConfigView.h"
#include "views/LmtToolInstallView.h"
#include "views/LmtToolSelectView.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWidgetAction>

#include <initializer_list>

// The window's widgets, texts and palette-dependent icons; its behaviour is in LmtMainWindow.cpp.

namespace zendrel::lmt::setup {

namespace {

QPushButton *makeButton(QWidget *parent, const char *name)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QAction *makeAction(QObject *parent, const char *name, const QString &iconResource = QString())
{
    auto *action = new QAction(parent);
    action->setObjectName(QString::fromLatin1(name));
    if (!iconResource.isEmpty())
        action->setIcon(QIcon(iconResource));
    return action;
}

} // namespace

void LmtMainWindow::setupUi()
{
    setObjectName(QStringLiteral("LmtMainWindow"));
    resize(1200, 600);
    setWindowIcon(QIcon(QStringLiteral(":/images/setup")));

    m_actCheckUpdate = makeAction(this, "m_actCheckUpdate", QStringLiteral(":/images/reset"));
    m_actLogin = makeAction(this, "m_actLogin", QStringLiteral(":/images/bw-unlock"));
    m_actLogout = makeAction(this, "m_actLogout", QStringLiteral(":/images/bw-lock"));
    m_actPreferences = makeAction(this, "m_actPreferences", QStringLiteral(":/images/configure"));
    m_actExit = makeAction(this, "m_actExit");
    if (QIcon::hasThemeIcon(QStringLiteral("application-exit")))
        m_actExit->setIcon(QIcon::fromTheme(QStringLiteral("application-exit")));
    m_actHelp = makeAction(this, "m_actHelp");
    m_actAbout = makeAction(this, "m_actAbout");
    m_actRefresh = makeAction(this, "m_actRefresh", QStringLiteral(":/images/restore-light"));

    m_centralWidget = new QWidget(this);
    m_centralWidget->setObjectName(QStringLiteral("centralWidget"));
    m_verticalLayout = new QVBoxLayout(m_centralWidget);
    m_verticalLayout->setObjectName(QStringLiteral("verticalLayout"));

    m_toolViewStack = new QStackedWidget(m_centralWidget);
    m_toolViewStack->setObjectName(QStringLiteral("m_toolViewStack"));
    m_toolLoadView = new LmtToolLoadView(m_toolViewStack);
    m_toolLoadView->setObjectName(QStringLiteral("m_toolLoadView"));
    m_toolSelectView = new LmtToolSelectView(m_toolViewStack);
    m_toolSelectView->setObjectName(QStringLiteral("m_toolSelectView"));
    m_toolConfigView = new LmtToolConfigView(m_toolViewStack);
    m_toolConfigView->setObjectName(QStringLiteral("m_toolConfigView"));
    m_toolInstallView = new LmtToolInstallView(m_toolViewStack);
    m_toolInstallView->setObjectName(QStringLiteral("m_toolInstallView"));
    m_toolLaunchView = new LmtToolLaunchView(m_toolViewStack);
    m_toolLaunchView->setObjectName(QStringLiteral("m_toolLaunchView"));
    // The page order is the order of LmtToolView.
    for (QWidget *page : std::initializer_list<QWidget *> { m_toolLoadView, m_toolSelectView,
             m_toolConfigView, m_toolInstallView, m_toolLaunchView })
        m_toolViewStack->addWidget(page);
    m_verticalLayout->addWidget(m_toolViewStack);

    m_logPanel = new shared_toolkit::StatusConsole(m_centralWidget);
    m_logPanel->setObjectName(QStringLiteral("m_logPanel"));
    m_logPanel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
    m_logPanel->setMinimumHeight(70);
    // Links in the log (log files, download folders) go to the desktop, never into the panel.
    m_logPanel->setOpenLinks(false);
    m_logPanel->setOpenExternalLinks(false);
    m_logPanel->setLineSplitting(false);
    m_logFeed = new shared_toolkit::StatusConsoleFeed(m_logPanel);
    m_verticalLayout->addWidget(m_logPanel);

    m_actionsBar = new QWidget(m_centralWidget);
    m_actionsBar->setObjectName(QStringLiteral("m_actionsBar"));
    m_horizontalLayout = new QHBoxLayout(m_actionsBar);
    m_horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    m_horizontalLayout->addStretch(1);
    m_btnRetry = makeButton(m_actionsBar, "m_btnRetry");
    m_btnNext = makeButton(m_actionsBar, "m_btnNext");
    m_chkAgreeLicense = new QCheckBox(m_actionsBar);
    m_chkAgreeLicense->setObjectName(QStringLiteral("m_chkAgreeLicense"));
    m_btnBack = makeButton(m_actionsBar, "m_btnBack");
    m_btnStart = makeButton(m_actionsBar, "m_btnStart");
    m_btnCancel = makeButton(m_actionsBar, "m_btnCancel");
    m_btnFinish = makeButton(m_actionsBar, "m_btnFinish");
    for (QWidget *widget : { static_cast<QWidget *>(m_btnRetry), static_cast<QWidget *>(m_btnNext),
             static_cast<QWidget *>(m_chkAgreeLicense), static_cast<QWidget *>(m_btnBack),
             static_cast<QWidget *>(m_btnStart), static_cast<QWidget *>(m_btnCancel),
             static_cast<QWidget *>(m_btnFinish) })
        m_horizontalLayout->addWidget(widget);
    m_verticalLayout->addWidget(m_actionsBar);
    setCentralWidget(m_centralWidget);

    m_menubar = new QMenuBar(this);
    m_menubar->setObjectName(QStringLiteral("menubar"));
    m_menuFile = new QMenu(m_menubar);
    m_menuFile->setObjectName(QStringLiteral("menuFile"));
    m_menuHelp = new QMenu(m_menubar);
    m_menuHelp->setObjectName(QStringLiteral("menuHelp"));
    setMenuBar(m_menubar);
    m_menubar->addAction(m_menuFile->menuAction());
    m_menubar->addAction(m_menuHelp->menuAction());
    m_menuFile->addAction(m_actLogin);
    m_menuFile->addAction(m_actLogout);
    m_menuFile->addSeparator();
    m_menuFile->addAction(m_actRefresh);
    m_menuFile->addAction(m_actPreferences);
    m_menuFile->addSeparator();
    m_menuFile->addAction(m_actExit);
    m_menuHelp->addAction(m_actHelp);
    m_menuHelp->addAction(m_actCheckUpdate);
    m_menuHelp->addAction(m_actAbout);

    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("m_toolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setAllowedAreas(Qt::TopToolBarArea);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    m_toolBar->addAction(m_actLogin);
    m_toolBar->addAction(m_actLogout);
    m_toolBar->addSeparator();
    m_toolBar->addAction(m_actRefresh);
    m_toolBar->addAction(m_actPreferences);

    // The sign-in state sits after the login buttons; the spacer pushes Refresh and
    // Preferences to the right edge.
    m_lblLogin = new QLabel(m_toolBar);
    m_lblLogin->setObjectName(QStringLiteral("m_lblLogin"));
    m_lblLoginAction = m_toolBar->insertWidget(m_actRefresh, m_lblLogin);
    m_lblLoginAction->setVisible(false);
    auto *spacer = new QWidget(m_toolBar);
    spacer->setObjectName(QStringLiteral("m_toolBarSpacer"));
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_toolBar->insertWidget(m_actRefresh, spacer);

    // Nobody is signed in until the login manager says so.
    m_actLogout->setVisible(false);

    retranslateUi();
    m_toolViewStack->setCurrentIndex(0);
}

// As a form compiled from a designer file does, the form's texts keep the plain class name as
// their translation context.
void LmtMainWindow::retranslateUi()
{
    m_actCheckUpdate->setText(QCoreApplication::translate("LmtMainWindow", "Check for updates"));
    m_actLogin->setText(QCoreApplication::translate("LmtMainWindow", "Login"));
    m_actLogin->setToolTip(
        QCoreApplication::translate("LmtMainWindow", "Login to Zendrel Developer Center services"));
    m_actLogout->setText(QCoreApplication::translate("LmtMainWindow", "Logout"));
    m_actLogout->setToolTip(QCoreApplication::translate(
        "LmtMainWindow", "Logout from Zendrel Developer Center services"));
    m_actPreferences->setText(QCoreApplication::translate("LmtMainWindow", "Preferences"));
    m_actExit->setText(QCoreApplication::translate("LmtMainWindow", "Exit"));
    m_actExit->setToolTip(QCoreApplication::translate("LmtMainWindow", "Exit the application"));
    m_actExit->setShortcut(QKeySequence(QCoreApplication::translate("LmtMainWindow", "Alt+F4")));
    m_actHelp->setText(QCoreApplication::translate("LmtMainWindow", "View Help"));
    m_actHelp->setShortcut(QKeySequence(QCoreApplication::translate("LmtMainWindow", "F1")));
    m_actAbout->setText(QCoreApplication::translate("LmtMainWindow", "About"));
    m_actRefresh->setText(QCoreApplication::translate("LmtMainWindow", "Refresh "));
    m_btnRetry->setText(QCoreApplication::translate("LmtMainWindow", "Retry"));
    m_btnNext->setText(QCoreApplication::translate("LmtMainWindow", "Next >"));
    m_chkAgreeLicense->setText(QCoreApplication::translate(
        "LmtMainWindow", "I agree to the licenses of packages I have selected"));
    m_btnBack->setText(QCoreApplication::translate("LmtMainWindow", "< Back"));
    m_btnStart->setText(QCoreApplication::translate("LmtMainWindow", "Start"));
    m_btnCancel->setText(QCoreApplication::translate("LmtMainWindow", "Cancel"));
    m_btnFinish->setText(QCoreApplication::translate("LmtMainWindow", "Finish"));
    m_menuHelp->setTitle(QCoreApplication::translate("LmtMainWindow", "Help"));
    m_menuFile->setTitle(QCoreApplication::translate("LmtMainWindow", "File"));
}

void LmtMainWindow::changeEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
    case QEvent::StyleChange:
        updateActionIcons();
        break;
    default:
        break;
    }
    QMainWindow::changeEvent(event);
}

bool LmtMainWindow::isLightPalette() const
{
    const QPalette &colours = palette();
    return colours.color(QPalette::Window).value() > colours.color(QPalette::WindowText).value();
}

QIcon LmtMainWindow::cachedIcon(const QString &resource)
{
    auto found = m_icons.constFind(resource);
    if (found == m_icons.constEnd())
        found = m_icons.insert(resource, QIcon(resource));
    return *found;
}

void LmtMainWindow::updateActionIcons()
{
    // Refresh keeps the icon it was created with; the restore pair goes to Check for updates.
    const QString variant = isLightPalette() ? QStringLiteral("-light") : QStringLiteral("-dark");
    m_actLogin->setIcon(cachedIcon(QStringLiteral(":/images/user") + variant));
    m_actLogout->setIcon(cachedIcon(QStringLiteral(":/images/logout") + variant));
    m_actPreferences->setIcon(cachedIcon(QStringLiteral(":/images/cogwheel") + variant));
    m_actCheckUpdate->setIcon(cachedIcon(QStringLiteral(":/images/restore") + variant));
}

} // namespace zendrel::lmt::setup
