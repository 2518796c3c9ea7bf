// The whole wizard for real (see lmttest::WizardRig): signing in, installing the demo packages
// through the launcher service and their own installers, starting an installed tool from the
// launch page, and updating, downgrading and uninstalling one tool in place.
#include "base/LmtFolders.h"
#include "common/LmtMessageBoxWatcher.h"
#include "common/LmtWizardRig.h"
#include "controller/LmtSetupController.h"
#include "model/LmtCoreToolModel.h"
#include "model/LmtLocalToolVersion.h"
#include "model/LmtOnlineToolVersion.h"
#include "model/LmtTool.h"
#include "services/LmtServiceTypes.h"
#include "ui/LmtToolLaunchView.h"
#include "views/LmtToolSelectModel.h"
#include "views/LmtViewTypes.h"

#include <QAction>
#include <QCheckBox>
#include <QtTest>

using namespace zendrel::lmt::setup;
using View = LmtMainWindow::LmtToolView;

namespace {

const QString kToolsPackage = QStringLiteral("com.zdr.tb.tool.lumetra");
const QString kToolsPackageName = QStringLiteral("Lumetra Tools Package");
const QString kArmPack = QStringLiteral("com.zdr.tb.pack.devices-arm");
const QString kArmPackName = QStringLiteral("Lumetra Device Pack ARM Cortex-M");

// The rows of a select table that hold versions of the tools package's 3.2 line.
QList<int> rowsOfLine32(const LmtToolSelectModel *model)
{
    QList<int> rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        for (const auto &version : model->rowAt(row)->versions()) {
            if (version->featureId() == kToolsPackage && version->major() == 3
                && version->minor() == 2) {
                rows << row;
                break;
            }
        }
    }
    return rows;
}

// What an installation of the tools package leaves in its folder.
QStringList toolsPackageFiles(const QString &version)
{
    return { QStringLiteral("bin/dashboard"), QStringLiteral("lib/lumetra/lumetra-demo-window"),
        QStringLiteral("share/doc/lumetra/RELEASE-NOTES-%1.txt").arg(version),
        QStringLiteral("uninstall-com.zdr.tb.tool.lumetra.sh") };
}

} // namespace

class tst_WizardEndToEnd : public QObject
{
    Q_OBJECT

    lmttest::WizardRig m_rig;
    // The folder the first installation of the tools package chose; updates and downgrades
    // replace the installation there.
    QString m_toolsFolder;

private Q_SLOTS:
    void initTestCase()
    {
        registerMetaTypes();
        registerViewMetaTypes();
        QString failure;
        QVERIFY2(m_rig.startStandIns(&failure), qPrintable(failure));
    }

    void cleanupTestCase()
    {
        if (!m_toolsFolder.isEmpty())
            lmttest::endProcessesRunningFrom(m_toolsFolder);
        m_rig.shutDown();
    }

    void signInSelectInstallAndLaunch()
    {
        QVERIFY(m_rig.openWindow());

        // The packages need a signed-in user: the launcher service signs in at the vendor.
        m_rig.child<QAction>("m_actLogin")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(m_rig.child<QAction>("m_actLogout")->isVisible(), 30000);
        QVERIFY(m_rig.waitForView(View::TOOL_VIEW_SELECT));

        // Ticking the device pack selects the tools package it depends on.
        LmtToolSelectModel *additional = m_rig.additionalModel();
        const int packRow = lmttest::rowNamed(additional, kArmPackName);
        QVERIFY(packRow >= 0);
        QVERIFY(additional->setData(additional->index(packRow, LmtToolSelectModel::ColumnCheck),
            Qt::Checked, Qt::CheckStateRole));
        const auto model = m_rig.controller()->toolModel();
        QTRY_COMPARE(model->installList().size(), 2);
        QCOMPARE(model->installList().at(0)->featureId(), kToolsPackage);
        QCOMPARE(model->installList().at(1)->featureId(), kArmPack);
        QVERIFY(m_rig.runSelectedJobs());

        // Both installers left their registry files, and the refreshed list knows them.
        QCOMPARE(QDir(lmttest::userRegistryDirectory())
                     .entryList({ QStringLiteral("*.json") }, QDir::Files)
                     .size(),
            2);
        const auto refreshed = m_rig.controller()->toolModel();
        for (const QString &featureId : { kToolsPackage, kArmPack }) {
            const auto tool = refreshed->findTool(featureId);
            QVERIFY2(tool, qPrintable(featureId));
            QCOMPARE(tool->localVersions().size(), 1);
        }
        const auto installed = std::dynamic_pointer_cast<LmtLocalToolVersion>(
            refreshed->findTool(kToolsPackage)->localVersions().constFirst());
        QVERIFY(installed);
        QCOMPARE(installed->version(), QStringLiteral("3.2.1.1250"));
        m_toolsFolder = installed->installLocation();
        QCOMPARE(lmttest::filesBelow(m_toolsFolder), toolsPackageFiles("3.2.1.1250"));
        // Packages lie in the downloads folder under their own names only.
        const QStringList packages = downloadsDirectory().entryList(QDir::Files);
        QCOMPARE(packages.size(), 2);
        for (const QString &name : packages)
            QVERIFY2(name.endsWith("-linux.sh"), qPrintable(name));

        // The launch page offers the installed tool's program (the device pack has none), and
        // starting it runs the tool's window until it is closed.
        auto *launchView = m_rig.window()->findChild<LmtToolLaunchView *>();
        QVERIFY(launchView);
        QCOMPARE(launchView->checkBoxes().size(), 1);
        QCheckBox *run = launchView->checkBoxes().constFirst();
        QCOMPARE(run->text(), QStringLiteral("Run ") + kToolsPackageName);
        QVERIFY(run->isChecked());
        QVERIFY(lmttest::processesRunningFrom(m_toolsFolder).isEmpty());
        launchView->launchSelectedTools();
        QTRY_COMPARE_WITH_TIMEOUT(lmttest::processesRunningFrom(m_toolsFolder).size(), 1, 30000);
        const qint64 pid = lmttest::processesRunningFrom(m_toolsFolder).constFirst();
        const QByteArray commandLine
            = lmttest::readFile(QStringLiteral("/proc/%1/cmdline").arg(pid));
        QCOMPARE(commandLine.split('\0').mid(1, 2),
            QList<QByteArray>({ kToolsPackageName.toUtf8(), "3.2.1.1250" }));
        // A window stays until it is closed; a program that only printed would be gone.
        QTest::qWait(500);
        QCOMPARE(lmttest::processesRunningFrom(m_toolsFolder), QList<qint64> { pid });
        QVERIFY(lmttest::endProcessesRunningFrom(m_toolsFolder));

        QVERIFY(m_rig.finish());
    }

    // Each step replaces the tools package 3.2 in its folder (or removes it); afterwards the
    // select page shows exactly one installed version of the line, the right one, and the
    // folder and the registry hold exactly that version.
    void updateAndDowngradeInPlace_data()
    {
        QTest::addColumn<QString>("choose");
        QTest::addColumn<QString>("installed");
        QTest::newRow("downgrade") << "3.2.0"
                                   << "3.2.0.1200";
        QTest::newRow("update") << "3.2.1"
                                << "3.2.1.1250";
        QTest::newRow("downgrade again") << "3.2.0"
                                         << "3.2.0.1200";
        QTest::newRow("uninstall") << QString() << QString();
    }

    void updateAndDowngradeInPlace()
    {
        QFETCH(QString, choose);
        QFETCH(QString, installed);
        QVERIFY2(!m_toolsFolder.isEmpty(), "needs the installation of the first test");
        LmtToolSelectModel *base = m_rig.baseModel();
        const QList<int> lineRows = rowsOfLine32(base);
        QCOMPARE(lineRows.size(), 1);
        const int row = lineRows.constFirst();

        if (!choose.isEmpty()) {
            QVERIFY(base->setData(
                base->index(row, LmtToolSelectModel::ColumnVersion), choose, Qt::EditRole));
            QVERIFY(base->setData(base->index(row, LmtToolSelectModel::ColumnCheck), Qt::Checked,
                Qt::CheckStateRole));
        } else {
            // Unticking an installed tool asks first; the device pack needs the tools package,
            // so both go.
            lmttest::MessageBoxWatcher confirm;
            confirm.setAnswerCaption(QStringLiteral("Continue"));
            LmtToolSelectModel *additional = m_rig.additionalModel();
            const int packRow = lmttest::rowNamed(additional, kArmPackName);
            additional->setData(additional->index(packRow, LmtToolSelectModel::ColumnCheck),
                Qt::Unchecked, Qt::CheckStateRole);
            base->setData(base->index(row, LmtToolSelectModel::ColumnCheck), Qt::Unchecked,
                Qt::CheckStateRole);
            QCOMPARE(confirm.count(), 2);
        }
        QVERIFY(m_rig.runSelectedJobs());
        QVERIFY(m_rig.finish());

        // What the select page shows of the line.
        const QList<int> rowsAfter = rowsOfLine32(m_rig.baseModel());
        QCOMPARE(rowsAfter.size(), 1);
        const auto shown = m_rig.baseModel()->rowAt(rowsAfter.constFirst());
        QStringList installedShown;
        for (const auto &version : shown->versions()) {
            if (!version->isOnline())
                installedShown << version->version();
        }
        QCOMPARE(installedShown, installed.isEmpty() ? QStringList() : QStringList { installed });
        QCOMPARE(shown->currentVersion()->isOnline(), installed.isEmpty());
        QCOMPARE(shown->checkState(), installed.isEmpty() ? Qt::Unchecked : Qt::Checked);
        const auto tool = m_rig.controller()->toolModel()->findTool(kToolsPackage);
        QCOMPARE(tool->localVersions().size(), installed.isEmpty() ? 0 : 1);

        // What the folder and the registry hold.
        QCOMPARE(lmttest::filesBelow(m_toolsFolder),
            installed.isEmpty() ? QStringList() : toolsPackageFiles(installed));
        QCOMPARE(QDir(lmttest::userRegistryDirectory())
                     .entryList({ kToolsPackage + QStringLiteral("-*.json") }, QDir::Files),
            installed.isEmpty() ? QStringList()
                                : QStringList { kToolsPackage + "-" + installed + ".json" });
        if (installed.isEmpty())
            QVERIFY(!QFileInfo::exists(m_toolsFolder));
    }
};

QTEST_MAIN(tst_WizardEndToEnd)
#include "tst_WizardEndToEnd.moc"
