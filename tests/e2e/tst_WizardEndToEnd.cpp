// The whole wizard for real: the program's own services and controller behind the main window,
// against the vendor stand-in serving the demo catalogue and the launcher service stand-in,
// which downloads the packages and runs their (real, self-extracting) installers. Everything
// the run writes stays in a sandbox.
#include "app/LmtApplication.h"
#include "app/LmtEntry.h"
#include "common/LmtStandIns.h"
#include "common/LmtTestSupport.h"
#include "controller/LmtSetupController.h"
#include "model/LmtCoreToolModel.h"
#include "model/LmtOnlineToolVersion.h"
#include "model/LmtTool.h"
#include "services/LmtServiceTypes.h"
#include "ui/LmtMainWindow.h"
#include "ui/LmtToolLaunchView.h"
#include "views/LmtToolSelectModel.h"
#include "views/LmtToolSelectView.h"
#include "views/LmtViewTypes.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QtTest>

using namespace zendrel::lmt::setup;

namespace {

constexpr int JobTimeoutMs = 120000;
const QString kToolsPackage = QStringLiteral("com.zdr.tb.tool.lumetra");
const QString kArmPack = QStringLiteral("com.zdr.tb.pack.devices-arm");

int rowNamed(const LmtToolSelectModel *model, const QString &name)
{
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->index(row, LmtToolSelectModel::ColumnName).data().toString() == name)
            return row;
    return -1;
}

} // namespace

class tst_WizardEndToEnd : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    lmttest::VendorStandIn m_vendor;
    std::shared_ptr<LmtSetupController> m_controller;
    std::unique_ptr<LmtMainWindow> m_window;

    template<typename T>
    T *child(const char *name) const
    {
        return m_window->findChild<T *>(QString::fromLatin1(name));
    }
    bool waitForView(LmtMainWindow::LmtToolView view, int timeoutMs = 30000)
    {
        return QTest::qWaitFor([&] { return m_window->currentView() == view; }, timeoutMs);
    }
    QString launcherService() const
    {
        return lmttest::launcherServiceDirectory() + "/kor-launcher-service";
    }

private slots:
    void initTestCase()
    {
        registerMetaTypes();
        registerViewMetaTypes();
        QString failure;
        QVERIFY2(m_vendor.start({}, &failure), qPrintable(failure));
        QVERIFY(!lmttest::installLauncherService().isEmpty());
        QVERIFY(lmttest::writeLauncherConfig(m_vendor.url()));
        applicationSettings().setValue("LmtDownloadSettings/korOnlineUrl", m_vendor.registryUrl());
    }

    void cleanupTestCase()
    {
        m_window.reset();
        m_controller.reset();
        lmttest::runLauncherService(launcherService(), { "-stop" });
        m_vendor.stop();
    }

    void signInSelectInstallAndLaunch()
    {
        m_controller = createSetupController();
        m_window = std::make_unique<LmtMainWindow>(m_controller);
        m_window->init();
        m_window->show();
        QVERIFY(waitForView(LmtMainWindow::TOOL_VIEW_SELECT));

        // The packages need a signed-in user: the launcher service signs in at the vendor.
        child<QAction>("m_actLogin")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(child<QAction>("m_actLogout")->isVisible(), 30000);
        QVERIFY(waitForView(LmtMainWindow::TOOL_VIEW_SELECT));

        // Ticking the device pack selects the tools package it depends on.
        auto *selectView = child<LmtToolSelectView>("m_toolSelectView");
        LmtToolSelectModel *additional = selectView->additionalModel();
        const int packRow = rowNamed(additional, "Lumetra Device Pack ARM Cortex-M");
        QVERIFY(packRow >= 0);
        QVERIFY(additional->setData(additional->index(packRow, LmtToolSelectModel::ColumnCheck),
            Qt::Checked, Qt::CheckStateRole));
        const auto model = m_controller->toolModel();
        QTRY_COMPARE(model->installList().size(), 2);
        QCOMPARE(model->installList().at(0)->featureId(), kToolsPackage);
        QCOMPARE(model->installList().at(1)->featureId(), kArmPack);

        QTest::mouseClick(child<QPushButton>("m_btnNext"), Qt::LeftButton);
        QVERIFY(waitForView(LmtMainWindow::TOOL_VIEW_CONFIG));
        child<QCheckBox>("m_chkAgreeLicense")->click();
        QTest::mouseClick(child<QPushButton>("m_btnStart"), Qt::LeftButton);
        QVERIFY(waitForView(LmtMainWindow::TOOL_VIEW_INSTALL));
        QVERIFY2(waitForView(LmtMainWindow::TOOL_VIEW_LAUNCH, JobTimeoutMs),
            qPrintable(QString::number(int(m_window->currentView()))));

        // Both installers left their registry files, and the refreshed list knows them.
        const QDir registry(
            qEnvironmentVariable("LOCALAPPDATA") + "/Zendrel_Technologies_AG/Zendrel-Toolbox");
        QCOMPARE(registry.entryList({ "*.json" }, QDir::Files).size(), 2);
        const auto refreshed = m_controller->toolModel();
        for (const QString &featureId : { kToolsPackage, kArmPack }) {
            const auto tool = refreshed->findTool(featureId);
            QVERIFY2(tool, qPrintable(featureId));
            QCOMPARE(tool->localVersions().size(), 1);
        }
        // Packages lie in the downloads folder under their own names only.
        const QStringList packages = downloadsDirectory().entryList(QDir::Files);
        QCOMPARE(packages.size(), 2);
        for (const QString &name : packages)
            QVERIFY2(name.endsWith("-linux.sh"), qPrintable(name));

        QTest::mouseClick(child<QPushButton>("m_btnFinish"), Qt::LeftButton);
        QVERIFY(waitForView(LmtMainWindow::TOOL_VIEW_SELECT));
    }
};

QTEST_MAIN(tst_WizardEndToEnd)
#include "tst_WizardEndToEnd.moc"
