#include "base/LmtSettings.h"
#include "common/LmtFakeServices.h"
#include "common/LmtMessageBoxWatcher.h"
#include "common/LmtModelFixtures.h"
#include "common/LmtTestSupport.h"
#include "model/LmtToolPackage.h"
#include "platform/LmtPlatform.h"
#include "services/LmtSetupSelfUpdater.h"
#include "shared_toolkit/StatusConsole.h"
#include "ui/LmtAbout.h"
#include "ui/LmtElevatePrivilegesDialog.h"
#include "ui/LmtMainWindow.h"
#include "ui/LmtPrefsDialog.h"
#include "ui/LmtToolLaunchView.h"
#include "ui/LmtToolLoadView.h"
#include "views/LmtToolConfigView.h"
#include "views/LmtToolInstallModel.h"
#include "views/LmtToolInstallView.h"
#include "views/LmtToolSelectModel.h"
#include "views/LmtToolSelectView.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSemaphore>
#include <QSettings>
#include <QStackedWidget>
#include <QToolBar>
#include <QWidgetAction>
#include <QtTest>

#include <atomic>
#include <functional>
#include <stdexcept>

using namespace zendrel::lmt::setup;
using namespace lmttest;

namespace {

const QString kToolA = QStringLiteral("com.zdr.tool.alpha");
const QString kToolB = QStringLiteral("com.zdr.tool.beta");

// An offered version with a package for this platform, as the select page lists only those.
void offered(const std::shared_ptr<LmtTool> &tool, const QString &version, quint64 numeric)
{
    addOnline(tool, version, numeric)
        ->addPackage(std::make_shared<LmtToolPackage>(zendrel::lmt::platform::osName(),
            QUrl("https://downloads.example/" + version), "installer", "exe", 1024));
}

// The real controller on its own thread, with fake services that serve a small catalogue:
// Alpha (no sign-in needed) offers 2.0.0 and has 1.0.0 installed; Beta (sign-in needed)
// offers 1.0.0. After installed is set, Alpha 2.0.0 is installed too, with a program to run.
struct WindowRig : FakeServices {
    std::shared_ptr<LmtSetupController> controller;
    std::unique_ptr<LmtMainWindow> window;

    std::atomic_bool installed { false };
    std::atomic_bool onlineFails { false };
    QString program;

    explicit WindowRig(const QString &programPath)
        : program(programPath)
    {
        online->onParse = [this] {
            if (onlineFails)
                throw std::runtime_error("Invalid JSON");
            auto alpha = LmtTool::create(kToolA, LmtToolType::Other, "Alpha", false);
            offered(alpha, "2.0.0", 2);
            model->addTool(alpha);
            auto beta = LmtTool::create(kToolB, LmtToolType::Other, "Beta", true);
            offered(beta, "1.0.0", 1);
            model->addTool(beta);
        };
        local->onParse = [this] {
            // Without the online list the installed tool is listed on its own.
            auto alpha = model->findTool(kToolA);
            if (!alpha) {
                alpha = LmtTool::create(kToolA, LmtToolType::Other, "Alpha", false);
                model->addTool(alpha);
            }
            addLocal(alpha, "1.0.0", LmtToolInstallScope::CurrentUser, 1);
            if (installed) {
                auto fresh = addLocal(alpha, "2.0.0", LmtToolInstallScope::CurrentUser, 2);
                fresh->setPath(program);
            }
        };
        controller = makeController();
    }
    ~WindowRig()
    {
        // The window goes first, as in the program.
        window.reset();
        controller.reset();
    }

    LmtMainWindow *open()
    {
        window = std::make_unique<LmtMainWindow>(controller);
        window->init();
        window->show();
        return window.get();
    }

    template<typename T>
    T *child(const char *name) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }
    QPushButton *button(const char *name) const { return child<QPushButton>(name); }
    QAction *action(const char *name) const { return child<QAction>(name); }
    QCheckBox *licenceBox() const { return child<QCheckBox>("m_chkAgreeLicense"); }
    QLabel *loginLabel() const { return child<QLabel>("m_lblLogin"); }
    QString panelText() const
    {
        return child<zendrel::lmt::shared_toolkit::StatusConsole>("m_logPanel")->toPlainText();
    }
    int page() const { return child<QStackedWidget>("m_toolViewStack")->currentIndex(); }

    std::shared_ptr<LmtToolVersion> onlineVersion(const QString &featureId) const
    {
        return model->findTool(featureId)->onlineVersions().value(0);
    }
    std::shared_ptr<LmtToolVersion> localVersion(const QString &featureId) const
    {
        return model->findTool(featureId)->localVersions().value(0);
    }
    // The user ticks or unticks a version on the select page.
    void select(const std::shared_ptr<LmtToolVersion> &version, bool selected)
    {
        version->setSelected(selected);
        Q_EMIT child<LmtToolSelectView>("m_toolSelectView")->toolSelectionChanged();
    }
    bool waitForView(LmtMainWindow::LmtToolView view)
    {
        return QTest::qWaitFor([&] { return window->currentView() == view; }, 5000);
    }
    // The buttons of the action bar that are shown.
    QStringList shownButtons() const
    {
        QStringList shown;
        for (const char *name : { "m_btnRetry", "m_btnBack", "m_btnNext", "m_btnStart",
                 "m_btnCancel", "m_btnFinish" }) {
            if (button(name)->isVisible())
                shown << name;
        }
        return shown;
    }
    // Opens the window, picks Alpha 2.0.0 and agrees to its licence on the config page.
    LmtMainWindow *openAtConfig()
    {
        open();
        if (!waitForView(LmtMainWindow::TOOL_VIEW_SELECT))
            return nullptr;
        select(onlineVersion(kToolA), true);
        QTest::mouseClick(button("m_btnNext"), Qt::LeftButton);
        licenceBox()->click();
        return window.get();
    }
    // The tool-bar entry of the login label.
    bool loginLabelShown() const
    {
        for (QAction *entry : child<QToolBar>("m_toolBar")->actions()) {
            auto *widgetAction = qobject_cast<QWidgetAction *>(entry);
            if (widgetAction && widgetAction->defaultWidget() == loginLabel())
                return entry->isVisible();
        }
        return false;
    }
};

// Acts once on the first modal dialog of type D that comes up while it is alive.
template<typename D>
class DialogDriver
{
public:
    explicit DialogDriver(std::function<void(D *)> action)
        : m_action(std::move(action))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto *dialog = qobject_cast<D *>(QApplication::activeModalWidget());
            if (!dialog || m_done)
                return;
            m_done = true;
            m_action(dialog);
        });
        m_timer.start(10);
    }
    bool done() const { return m_done; }

private:
    std::function<void(D *)> m_action;
    QTimer m_timer;
    bool m_done = false;
};

void clickButton(QDialog *dialog, const char *buttonBox, QDialogButtonBox::StandardButton which)
{
    dialog->findChild<QDialogButtonBox *>(QString::fromLatin1(buttonBox))->button(which)->click();
}

} // namespace

class tst_LmtMainWindow : public QObject
{
    Q_OBJECT

    Sandbox m_sandbox;

    QString program()
    {
        const QString path = m_sandbox.filePath("programs/alpha");
        // Leaves a mark when the launch page starts it.
        writeFile(path, "#!/bin/sh\ntouch \"$(dirname \"$0\")/launched\"\n", true);
        QFile::remove(m_sandbox.filePath("programs/launched"));
        return path;
    }

private Q_SLOTS:
    void initTestCase()
    {
        registerMetaTypes();
        // No self-update question at start unless a test asks for it.
        LmtSetupSelfUpdater::setCheckForUpdatesEnabled(false);
        // The password dialog runs "sudo" through PATH; this one, accepting "correct horse", first.
        QVERIFY(writeFile(m_sandbox.filePath("sudo-bin/sudo"), fixture("ui/sudo"), true));
        qputenv("PATH", QFile::encodeName(m_sandbox.filePath("sudo-bin")) + ":" + qgetenv("PATH"));
    }

    void init() { applicationSettings().remove("LmtMainWindow"); }

    void widgetsAndFirstRefresh()
    {
        LogCapture log;
        WindowRig rig(program());
        rig.onlineFails = true;
        LmtMainWindow *window = rig.open();
        QCOMPARE(rig.action("m_actRefresh")->text(), QString("Refresh "));
        QCOMPARE(rig.action("m_actLogin")->toolTip(),
            QString("Login to Zendrel Developer Center services"));
        QCOMPARE(rig.action("m_actExit")->shortcut(), QKeySequence("Alt+F4"));
        QCOMPARE(rig.action("m_actHelp")->shortcut(), QKeySequence("F1"));
        QCOMPARE(rig.licenceBox()->text(),
            QString("I agree to the licenses of packages I have selected"));
        QVERIFY(rig.action("m_actLogin")->isVisible());
        QVERIFY(!rig.action("m_actLogout")->isVisible());

        // A registry that cannot be read leaves the load page with Retry and Preferences.
        QTRY_VERIFY(rig.button("m_btnRetry")->isVisible());
        QCOMPARE(window->currentView(), LmtMainWindow::TOOL_VIEW_LOAD);
        QCOMPARE(rig.shownButtons(), QStringList { "m_btnRetry" });
        QVERIFY(rig.button("m_btnRetry")->isEnabled());
        QVERIFY(rig.action("m_actPreferences")->isEnabled());
        QVERIFY(!rig.action("m_actRefresh")->isEnabled());
        QVERIFY(rig.child<LmtToolLoadView>("m_toolLoadView")->errorLabel()->isVisible());
        QVERIFY(rig.panelText().contains("Error: Failed to update tool list. Parsing of the "
                                         "Online Tools Registry failed: Invalid JSON"));
        QVERIFY(log.contains("CRITICAL] [LmtMainWindow] Failed to update tool list. Parsing of the "
                             "Online Tools Registry failed: Invalid JSON , error code: 1"));
        QCOMPARE(rig.journal.entries().mid(0, 3),
            (QStringList { "login.restoreSettings", "online.parse", "local.parse" }));
        QCOMPARE(rig.connector->calls("start").size(), 1);
        QVERIFY(!rig.journal.entries().contains("selfUpdater.checkForUpdate"));

        // Retry reads again; this time the select page follows with nothing to do yet.
        rig.onlineFails = false;
        QTest::mouseClick(rig.button("m_btnRetry"), Qt::LeftButton);
        QVERIFY(rig.waitForView(LmtMainWindow::TOOL_VIEW_SELECT));
        QCOMPARE(rig.page(), 1);
        // The select page lists the new catalogue: two lines of Alpha and one of Beta.
        const auto *selectView = rig.child<LmtToolSelectView>("m_toolSelectView");
        QCOMPARE(
            selectView->baseModel()->rowCount() + selectView->additionalModel()->rowCount(), 3);
        QCOMPARE(rig.shownButtons(), QStringList { "m_btnNext" });
        QVERIFY(!rig.button("m_btnNext")->isEnabled());
        QVERIFY(rig.action("m_actRefresh")->isEnabled());
        QVERIFY(!rig.loginLabelShown());
        // The first refresh also hands the catalogue to the launch page.
        QCOMPARE(rig.child<LmtToolLaunchView>("m_toolLaunchView")->infoLabel()->text(),
            QString("Setup has finished installing the requested packages."));
    }

    void installThenLaunchThenSelect()
    {
        WindowRig rig(program());
        LmtMainWindow *window = rig.open();
        QVERIFY(rig.waitForView(LmtMainWindow::TOOL_VIEW_SELECT));

        rig.select(rig.onlineVersion(kToolA), true);
        QVERIFY(rig.button("m_btnNext")->isEnabled());
        // Something to install but no sign-in needed: the label is there, without a hint.
        QVERIFY(rig.loginLabelShown());
        QCOMPARE(rig.loginLabel()->text(), QString());
        QTest::mouseClick(rig.button("m_btnNext"), Qt::LeftButton);
        QCOMPARE(window->currentView(), LmtMainWindow::TOOL_VIEW_CONFIG);
        QVERIFY(rig.licenceBox()->isVisible());
        QCOMPARE(rig.shownButtons(), QStringList({ "m_btnBack", "m_btnStart" }));
        QVERIFY(!rig.button("m_btnStart")->isEnabled());
        QVERIFY(!rig.action("m_actLogin")->isEnabled());
        rig.licenceBox()->click();
        QVERIFY(rig.button("m_btnStart")->isEnabled());
        // Back to the selection keeps the list; the agreement must be given again.
        rig.journal.clear();
        QTest::mouseClick(rig.button("m_btnBack"), Qt::LeftButton);
        QCOMPARE(window->currentView(), LmtMainWindow::TOOL_VIEW_SELECT);
        rig.select(rig.onlineVersion(kToolA), true);
        QVERIFY(!rig.licenceBox()->isChecked());
        QTest::mouseClick(rig.button("m_btnNext"), Qt::LeftButton);
        QVERIFY(!rig.button("m_btnStart")->isEnabled());
        rig.licenceBox()->click();
        QVERIFY(!rig.journal.entries().contains("online.parse"));

        QTest::mouseClick(rig.button("m_btnStart"), Qt::LeftButton);
        QVERIFY(rig.waitForView(LmtMainWindow::TOOL_VIEW_INSTALL));
        QTRY_VERIFY(rig.journal.entries().contains("installer.start"));
        QVERIFY(rig.journal.entries().contains("downloader.start 2.0.0"));
        QCOMPARE(rig.shownButtons(), QStringList { "m_btnCancel" });
        QVERIFY(!rig.action("m_actExit")->isEnabled());
        QVERIFY(!rig.action("m_actCheckUpdate")->isEnabled());

        // Closing while the jobs run is refused.
        {
            MessageBoxWatcher answerer(QMessageBox::Ok);
            QVERIFY(!window->close());
            QCOMPARE(answerer.texts(),
                QStringList { "Installation is in progress. The application cannot be closed." });
            QVERIFY(window->isVisible());
        }
        // Cancel names the installation; No keeps the jobs going.
        {
            MessageBoxWatcher answerer(QMessageBox::No);
            rig.journal.clear();
            QTest::mouseClick(rig.button("m_btnCancel"), Qt::LeftButton);
            QCOMPARE(answerer.texts(),
                QStringList { "Do you really want to cancel the installation?\nNote that tasks "
                              "which have started will be completed." });
            QTest::qWait(50);
            QVERIFY(!rig.journal.entries().contains("downloader.stop"));
        }

        // A sign-in that ends while the jobs run does not rebuild the list under them.
        rig.journal.clear();
        Q_EMIT rig.login->loginStateChanged(true, true, "jo***@example.com");
        QTest::qWait(50);
        QCOMPARE(window->currentView(), LmtMainWindow::TOOL_VIEW_INSTALL);
        QVERIFY(!rig.journal.entries().contains("online.parse"));
        QCOMPARE(rig.loginLabel()->text(), QString("Logged in as jo***@example.com"));

        // The install page shows the progress the jobs report through the controller.
        auto *installView = rig.child<LmtToolInstallView>("m_toolInstallView");
        QCOMPARE(installView->model()->rowCount(), 1);
        // Success: the jobs are stopped, the list refreshed and the launch page offers Alpha.
        rig.installed = true;
        Q_EMIT rig.downloader->downloadStatus(Succeeded, kToolA, "2.0.0");
        Q_EMIT rig.installer->installStatus(Succeeded, kToolA, "2.0.0");
        QVERIFY(rig.waitForView(LmtMainWindow::TOOL_VIEW_LAUNCH));
        QVERIFY(rig.panelText().contains("All tasks were completed successfully"));
        QVERIFY(rig.journal.entries().contains("downloader.stop"));
        QCOMPARE(rig.page(), 4);
        const auto *launchView = rig.child<LmtToolLaunchView>("m_toolLaunchView");
        QCOMPARE(launchView->checkBoxes().size(), 1);
        QCOMPARE(launchView->checkBoxes().constFirst()->text(), QString("Run Alpha"));
        QCOMPARE(rig.shownButtons(), QStringList { "m_btnFinish" });
        // The refresh after the install does not bring the old selection back.
        QVERIFY(!rig.onlineVersion(kToolA)->selected());
        // Closing on the launch page starts the ticked tools.
        QVERIFY(window->close());
        QTRY_VERIFY(QFile::exists(m_sandbox.filePath("programs/launched")));
        window->show();

        QTest::mouseClick(rig.button("m_btnFinish"), Qt::LeftButton);
        QVERIFY(rig.waitForView(LmtMainWindow::TOOL_VIEW_SELECT));
        rig.action("m_actRefresh")->trigger();
        QCOMPARE(window->currentView(), LmtMainWindow::TOOL_VIEW_LOAD);
        QVERIFY(rig.waitForView(LmtMainWindow::TOOL_VIEW_SELECT));
    }

    // A failed installation leaves Back and Exit usable; Back reads the catalogue again, and
    // there only a changed update site in the preferences reloads it.
    void failedInstallAllowsBackAndPreferences()
    {
        WindowRig rig(program());
        LmtMainWindow *window = rig.openAtConfig();
        QVERIFY(window);
        QTest::mouseClick(rig.button("m_btnStart"), Qt::LeftButton);
        QVERIFY(rig.waitForView(LmtMainWindow::TOOL_VIEW_INSTALL));

        Q_EMIT rig.downloader->downloadStatus(Failed, kToolA, "2.0.0");
        QTRY_VERIFY(rig.button("m_btnBack")->isVisible());
        QCOMPARE(window->currentView(), LmtMainWindow::TOOL_VIEW_INSTALL);
        QCOMPARE(rig.shownButtons(), QStringList { "m_btnBack" });
        QVERIFY(rig.action("m_actExit")->isEnabled());
        {
            MessageBoxWatcher answerer;
            QVERIFY(window->close());
            QCOMPARE(answerer.count(), 0);
            QVERIFY(!applicationSettings().value("LmtMainWindow/geometry").toByteArray().isEmpty());
            QVERIFY(
                !applicationSettings().value("LmtMainWindow/windowState").toByteArray().isEmpty());
            window->show();
        }

        rig.journal.clear();
        QTest::mouseClick(rig.button("m_btnBack"), Qt::LeftButton);
        QTRY_VERIFY(rig.journal.entries().contains("online.parse"));
        QVERIFY(rig.waitForView(LmtMainWindow::TOOL_VIEW_SELECT));
        rig.journal.clear();
        {
            DialogDriver<LmtPrefsDialog> driver([](LmtPrefsDialog *d) {
                clickButton(d, "m_btnsOkCancelReset", QDialogButtonBox::Ok);
            });
            rig.action("m_actPreferences")->trigger();
            QVERIFY(driver.done());
            QCOMPARE(window->currentView(), LmtMainWindow::TOOL_VIEW_SELECT);
            QVERIFY(!rig.journal.entries().contains("online.parse"));
        }
        {
            DialogDriver<LmtPrefsDialog> driver([](LmtPrefsDialog *d) {
                d->findChild<QLineEdit *>("m_editKorOnlineUrl")
                    ->setText("http://127.0.0.1:1/api/v1/tools/");
                clickButton(d, "m_btnsOkCancelReset", QDialogButtonBox::Ok);
            });
            rig.action("m_actPreferences")->trigger();
            QVERIFY(driver.done());
            // Checked through the controller's download manager.
            QCOMPARE(rig.downloadManager->calls().size(), 1);
            QCOMPARE(rig.downloadManager->calls()[0].url, QUrl("http://127.0.0.1:1/api/v1/tools/"));
            QCOMPARE(window->currentView(), LmtMainWindow::TOOL_VIEW_LOAD);
            QVERIFY(rig.waitForView(LmtMainWindow::TOOL_VIEW_SELECT));
        }
    }

    void documentsTravelBetweenConfigPageAndController()
    {
        WindowRig rig(program());
        rig.downloadManager->replyWith("licence text");
        rig.open();
        QVERIFY(rig.waitForView(LmtMainWindow::TOOL_VIEW_SELECT));
        auto *configView = rig.child<LmtToolConfigView>("m_toolConfigView");
        QSignalSpy answers(configView, &LmtToolConfigView::releaseNotesOrLicenseDataReadyIntnl);
        Q_EMIT configView->getReleaseNotesOrLicenseData("https://tools.example/license/");
        QTRY_COMPARE(answers.size(), 1);
        QCOMPARE(answers[0], (QVariantList { "licence text", "https://tools.example/license/" }));
        QCOMPARE(rig.downloadManager->calls().size(), 1);
    }

    void removalsOnly()
    {
        WindowRig rig(program());
        LmtMainWindow *window = rig.open();
        QVERIFY(rig.waitForView(LmtMainWindow::TOOL_VIEW_SELECT));

        // Removing needs neither a sign-in nor the licence agreement.
        rig.select(rig.localVersion(kToolA), false);
        QVERIFY(rig.button("m_btnNext")->isEnabled());
        QVERIFY(!rig.loginLabelShown());
        QTest::mouseClick(rig.button("m_btnNext"), Qt::LeftButton);
        QCOMPARE(window->currentView(), LmtMainWindow::TOOL_VIEW_CONFIG);
        QVERIFY(!rig.licenceBox()->isVisible());
        QVERIFY(rig.button("m_btnStart")->isEnabled());

        QTest::mouseClick(rig.button("m_btnStart"), Qt::LeftButton);
        QVERIFY(rig.waitForView(LmtMainWindow::TOOL_VIEW_INSTALL));
        QTRY_VERIFY(rig.journal.entries().contains("uninstaller.start 1"));

        MessageBoxWatcher answerer(QMessageBox::Yes);
        QTest::mouseClick(rig.button("m_btnCancel"), Qt::LeftButton);
        QCOMPARE(answerer.texts(),
            QStringList { "Do you really want to cancel the uninstallation?\nNote that tasks "
                          "which have started will be completed." });
        QTRY_VERIFY(rig.journal.entries().contains("downloader.stop"));
        QVERIFY(rig.journal.entries().contains("uninstaller.stop"));
    }

    void selectionNeedingLogin()
    {
        WindowRig rig(program());
        rig.open();
        QVERIFY(rig.waitForView(LmtMainWindow::TOOL_VIEW_SELECT));

        MessageBoxWatcher answerer(QMessageBox::Yes);
        rig.select(rig.onlineVersion(kToolB), true);
        QCOMPARE(answerer.texts(),
            QStringList { "The selected tool requires logging into myZendrel account. Do you "
                          "want to initiate a new login session?" });
        // Yes starts the sign-in.
        QTRY_VERIFY(rig.journal.entries().contains("login.startLogin"));
        QCOMPARE(rig.loginLabel()->text(), QString("Login session is in progress ..."));
        QVERIFY(!rig.action("m_actLogin")->isEnabled());

        // The sign-in failed: the hint comes back, Next stays off, and the question is not
        // asked again in this run.
        Q_EMIT rig.login->loginStateChanged(false, false, QString());
        QTRY_VERIFY(rig.action("m_actLogin")->isEnabled());
        rig.select(rig.onlineVersion(kToolA), true);
        QCOMPARE(rig.loginLabel()->text(), QString("< Please login to proceed"));
        QVERIFY(rig.loginLabelShown());
        QVERIFY(!rig.button("m_btnNext")->isEnabled());
        QCOMPARE(answerer.count(), 1);

        // Signed in (without a new list): Next is allowed and the label names the user.
        Q_EMIT rig.login->loginStateChanged(true, false, "jo***@example.com");
        QTRY_VERIFY(rig.action("m_actLogout")->isVisible());
        QVERIFY(!rig.action("m_actLogin")->isVisible());
        QCOMPARE(rig.loginLabel()->text(), QString("Logged in as jo***@example.com"));
        QVERIFY(rig.button("m_btnNext")->isEnabled());

        // A sign-in by the user brings a fresh list.
        rig.journal.clear();
        Q_EMIT rig.login->loginStateChanged(true, true, QString());
        QTRY_VERIFY(rig.journal.entries().contains("online.parse"));
        QVERIFY(rig.waitForView(LmtMainWindow::TOOL_VIEW_SELECT));
        QCOMPARE(rig.loginLabel()->text(), QString("Logged in"));
    }

    void selfUpdateQuestionsAndClose()
    {
        // With the setting on, start-up asks for an update check.
        LmtSetupSelfUpdater::setCheckForUpdatesEnabled(true);
        WindowRig rig(program());
        LmtMainWindow *window = rig.open();
        QVERIFY(rig.waitForView(LmtMainWindow::TOOL_VIEW_SELECT));
        LmtSetupSelfUpdater::setCheckForUpdatesEnabled(false);
        QTRY_VERIFY(rig.journal.entries().contains("selfUpdater.checkForUpdate"));
        {
            MessageBoxWatcher answerer(QMessageBox::No);
            Q_EMIT rig.selfUpdater->updateAvailable("1.3.0.1");
            QTRY_COMPARE(answerer.texts(),
                QStringList { "A new update of the Lumetra™ Setup is available: "
                              "'1.3.0.1'.\nDo you want to download this update and install it "
                              "after closing the application?" });
            QTRY_VERIFY(rig.panelText().contains("Skipped update of the Lumetra™ Setup"));
        }
        {
            MessageBoxWatcher answerer(QMessageBox::Yes);
            Q_EMIT rig.selfUpdater->updateAvailable("1.3.0.1");
            QTRY_VERIFY(rig.journal.entries().contains("selfUpdater.startDownloadUpdate"));
        }
        // While the update downloads, closing asks first.
        rig.selfUpdater->state = 1;
        {
            MessageBoxWatcher answerer(QMessageBox::No);
            QVERIFY(!window->close());
            QCOMPARE(answerer.texts(),
                QStringList { "Work is in progress. Do you really want to close the window?" });
        }
        // Once downloaded, closing starts the update.
        rig.selfUpdater->state = 2;
        QVERIFY(window->close());
        QTRY_VERIFY(rig.journal.entries().contains("selfUpdater.startToInstallUpdate"));
    }

    void thePasswordDialogGuardsInstalls_data()
    {
        QTest::addColumn<QString>("password"); // empty: the dialog is cancelled
        QTest::addColumn<bool>("signIn"); // a sign-in ends while the dialog is open
        QTest::newRow("installation starts") << "correct horse" << true;
        QTest::newRow("dialog cancelled") << "" << true;
        QTest::newRow("dialog cancelled, no sign-in") << "" << false;
        QTest::newRow("four wrong passwords") << "wrong" << false;
    }

    void thePasswordDialogGuardsInstalls()
    {
        QFETCH(QString, password);
        QFETCH(bool, signIn);
        const bool passwordGiven = password == "correct horse";
        LogCapture log;
        MessageBoxWatcher answerer(QMessageBox::Ok);
        WindowRig rig(program());
        rig.installer->needsElevation = true;
        // A sign-in started on the select page; it ends later.
        LmtMainWindow *window = rig.openAtConfig();
        QVERIFY(window);
        rig.action("m_actLogin")->trigger();

        // From here a refresh waits at the online registry until the test lets it go, so that
        // one asked for while the dialog is open ends only after the dialog has closed.
        QSemaphore refreshGate;
        const Behaviour parse = rig.online->onParse;
        rig.online->onParse = [&refreshGate, parse] {
            refreshGate.acquire();
            refreshGate.release();
            parse();
        };
        rig.journal.clear();

        LmtMainWindow::LmtToolView viewWhileAsked = LmtMainWindow::TOOL_VIEW_INVALID;
        bool signedInWhileAsked = false;
        DialogDriver<LmtElevatePrivilegesDialog> driver([&](LmtElevatePrivilegesDialog *d) {
            if (signIn) {
                Q_EMIT rig.login->loginStateChanged(true, true, "jo***@example.com");
                signedInWhileAsked = QTest::qWaitFor(
                    [&] { return rig.loginLabel()->text() == "Logged in as jo***@example.com"; });
            }
            viewWhileAsked = window->currentView();
            if (password.isEmpty())
                clickButton(d, "m_buttonBox", QDialogButtonBox::Cancel);
            while (!password.isEmpty() && d->isVisible()) {
                QSignalSpy checked(d, &LmtElevatePrivilegesDialog::validationFinished);
                d->findChild<QLineEdit *>("m_pwdLineEdit")->setText(password);
                clickButton(d, "m_buttonBox", QDialogButtonBox::Ok);
                QVERIFY(checked.wait(20000));
            }
        });
        QTest::mouseClick(rig.button("m_btnStart"), Qt::LeftButton);
        QVERIFY(driver.done());
        refreshGate.release();
        // The controller serves requests one after another: once this one has been served,
        // every refresh asked for before it has ended, and its answer is queued here.
        rig.controller->checkIfUpdateAvailable();
        QTRY_VERIFY(rig.journal.entries().contains("selfUpdater.checkForUpdate"));
        QCoreApplication::processEvents();

        QCOMPARE(signedInWhileAsked, signIn);
        QCOMPARE(viewWhileAsked, LmtMainWindow::TOOL_VIEW_CONFIG);
        if (!passwordGiven) {
            // No jobs; only a sign-in's refresh follows the dialog.
            const QString why = QString("%1 \"sudo\" password provided, skipping the installation")
                                    .arg(password.isEmpty() ? "No" : "Incorrect");
            QVERIFY(rig.panelText().contains(why));
            QVERIFY(log.contains("WARNING] [LmtMainWindow] " + why));
            QCOMPARE(answerer.count(), password.isEmpty() ? 0 : 3);
            QVERIFY(rig.waitForView(
                signIn ? LmtMainWindow::TOOL_VIEW_SELECT : LmtMainWindow::TOOL_VIEW_CONFIG));
            QCOMPARE(rig.journal.entries().contains("online.parse"), signIn);
            QVERIFY(!rig.journal.entries().contains("installer.start"));
            return;
        }
        // The jobs run on the install page, on the catalogue they were started with.
        QCOMPARE(window->currentView(), LmtMainWindow::TOOL_VIEW_INSTALL);
        QCOMPARE(rig.installer->adminPassword, QString("correct horse"));
        QVERIFY(rig.journal.entries().contains("installer.start"));
        QVERIFY(!rig.journal.entries().contains("online.parse"));
        QVERIFY(!rig.action("m_actExit")->isEnabled());
        QCOMPARE(rig.shownButtons(), QStringList { "m_btnCancel" });
        QVERIFY(!window->close());
        // The refresh follows the jobs.
        rig.installed = true;
        Q_EMIT rig.downloader->downloadStatus(Succeeded, kToolA, "2.0.0");
        Q_EMIT rig.installer->installStatus(Succeeded, kToolA, "2.0.0");
        QVERIFY(rig.waitForView(LmtMainWindow::TOOL_VIEW_LAUNCH));
        QCOMPARE(rig.journal.entries().count("online.parse"), 1);
    }

    void geometryFallsBackWhenOffScreen()
    {
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        const auto shown = [this] {
            WindowRig rig(program());
            LmtMainWindow *window = rig.open();
            return QRect(window->pos(), window->size());
        };
        const auto store = [](const QRect &rect) {
            QWidget probe;
            probe.setGeometry(rect);
            applicationSettings().setValue("LmtMainWindow/geometry", probe.saveGeometry());
        };
        // Centred for half the available size; shown at least as large as the pages need.
        const QSize requested(qRound(available.width() / 2.0), qRound(available.height() / 2.0));
        const QRect fallBack(QPoint((available.width() - requested.width()) / 2,
                                 (available.height() - requested.height()) / 2),
            requested.expandedTo(WindowRig(program()).open()->minimumSizeHint()));

        // Nothing stored, or a stored rectangle on a screen that is gone.
        applicationSettings().remove("LmtMainWindow");
        QCOMPARE(shown(), fallBack);
        store(QRect(available.right() + 4000, available.bottom() + 4000, 700, 700));
        QCOMPARE(shown(), fallBack);
        // A rectangle on the screen is kept; unreadable data counts as none.
        store(QRect(available.x() + 10, available.y() + 20, 600, 500));
        QCOMPARE(shown().size(), QSize(600, 500));
        applicationSettings().setValue("LmtMainWindow/geometry", QByteArray("garbage"));
        QCOMPARE(shown().size(), fallBack.size());
    }

    void iconsFollowThePalette()
    {
        WindowRig rig(program());
        LmtMainWindow *window = rig.open();
        QAction *login = rig.action("m_actLogin");
        const qint64 lightIcon = login->icon().cacheKey();
        const qint64 refreshIcon = rig.action("m_actRefresh")->icon().cacheKey();

        QPalette dark = window->palette();
        dark.setColor(QPalette::Window, Qt::black);
        dark.setColor(QPalette::WindowText, Qt::white);
        window->setPalette(dark);
        QVERIFY(login->icon().cacheKey() != lightIcon);

        QPalette light = dark;
        light.setColor(QPalette::Window, Qt::white);
        light.setColor(QPalette::WindowText, Qt::black);
        window->setPalette(light);
        // Loaded once and kept.
        QCOMPARE(login->icon().cacheKey(), lightIcon);
        QCOMPARE(rig.action("m_actRefresh")->icon().cacheKey(), refreshIcon);
    }

    void menusAndAbout()
    {
        WindowRig rig(program());
        LmtMainWindow *window = rig.open();
        // Widgets in the tool bar by their object name, separators as "-".
        auto names = [](const QList<QAction *> &actions) {
            QStringList result;
            for (QAction *entry : actions) {
                auto *widgetAction = qobject_cast<QWidgetAction *>(entry);
                result << (widgetAction        ? widgetAction->defaultWidget()->objectName()
                        : entry->isSeparator() ? QString("-")
                                               : entry->objectName());
            }
            return result;
        };
        QCOMPARE(names(rig.child<QMenu>("menuFile")->actions()),
            (QStringList { "m_actLogin", "m_actLogout", "-", "m_actRefresh", "m_actPreferences",
                "-", "m_actExit" }));
        QCOMPARE(names(rig.child<QMenu>("menuHelp")->actions()),
            (QStringList { "m_actHelp", "m_actCheckUpdate", "m_actAbout" }));
        // Refresh and Preferences sit at the right edge, behind the login label and a spacer.
        QCOMPARE(names(rig.child<QToolBar>("m_toolBar")->actions()),
            (QStringList { "m_actLogin", "m_actLogout", "-", "m_lblLogin", "m_toolBarSpacer",
                "m_actRefresh", "m_actPreferences" }));

        QString title;
        QString text;
        QWidget *boxParent = nullptr;
        DialogDriver<QMessageBox> driver([&](QMessageBox *box) {
            title = box->windowTitle();
            text = box->text();
            boxParent = box->parentWidget();
            box->accept();
        });
        rig.action("m_actAbout")->trigger();
        QCOMPARE(title, QStringLiteral("About"));
        QCOMPARE(boxParent, window);
        QCOMPARE(text, aboutText());
    }

    void helpWithoutFiles()
    {
        WindowRig rig(program());
        LmtMainWindow *window = rig.open();
        const QString appDir = QCoreApplication::applicationDirPath();
        QDir(appDir).rmdir("docs");
        MessageBoxWatcher answerer(QMessageBox::Ok);
        window->showHelp();
        QDir(appDir).mkdir("docs");
        window->showHelp();
        QDir(appDir).rmdir("docs");
        QCOMPARE(answerer.texts(),
            (QStringList { "Cannot find 'docs' folder in: " + appDir,
                "Cannot find help file: " + appDir + "/docs/LumetraSetup.pdf" }));
    }
};

QTEST_MAIN(tst_LmtMainWindow)
#include "tst_LmtMainWindow.moc"
