// The whole wizard for real: the program's own services and controller behind the main window,
// against the vendor stand-in serving the demo catalogue and the launcher-service stand-in, which
// downloads the packages and runs their (real, self-extracting) installers. Signing in,
// installing the demo packages, starting an installed tool from the launch page, and updating,
// downgrading and uninstalling one tool in place; everything stays in the test's sandbox.
#include "app/LmtEntry.h"
#include "base/LmtFolders.h"
#include "common/LmtMessageBoxWatcher.h"
#include "common/LmtTableRows.h"
#include "controller/LmtSetupController.h"
#include "e2e/LmtStandInPair.h"
#include "model/LmtCoreToolModel.h"
#include "model/LmtLocalToolVersion.h"
#include "model/LmtOnlineToolVersion.h"
#include "model/LmtTool.h"
#include "ui/LmtMainWindow.h"
#include "ui/LmtToolLaunchView.h"
#include "views/LmtToolSelectModel.h"
#include "views/LmtToolSelectView.h"
#include "views/LmtViewTypes.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QtTest>

#include <signal.h>

using namespace zendrel::lmt::setup;
using View = LmtMainWindow::LmtToolView;

namespace {

const QString kToolsPackage = QStringLiteral("com.zdr.tb.tool.lumetra");
const QString kToolsPackageName = QStringLiteral("Lumetra Tools Package");
const QString kArmPack = QStringLiteral("com.zdr.tb.pack.devices-arm");
const QString kArmPackName = QStringLiteral("Lumetra Device Pack ARM Cortex-M");
// Downloads and installers of a busy machine (several builds at once) may take their time.
constexpr int kJobTimeoutMs = 120000;

// The rows of a select table that hold versions of the tools package's 3.2 line.
QList<int> rowsOfLine32(const LmtToolSelectModel *model)
{
    QList<int> rows;
    for (int row = 0; row < model->rowCount(); ++row)
        for (const auto &version : model->rowAt(row)->versions())
            if (version->featureId() == kToolsPackage && version->version().startsWith("3.2.")
                && !rows.contains(row))
                rows << row;
    return rows;
}

int rowNamed(const LmtToolSelectModel *model, const QString &name)
{
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->index(row, LmtToolSelectModel::ColumnName).data().toString() == name)
            return row;
    return -1;
}

bool tick(LmtToolSelectModel *model, int row, Qt::CheckState state)
{
    return model->setData(
        model->index(row, LmtToolSelectModel::ColumnCheck), state, Qt::CheckStateRole);
}

// What an installation of the tools package leaves in its folder.
QStringList toolsPackageFiles(const QString &version)
{
    return QString::fromUtf8(lmttest::fixture("e2e/tools-package-files.txt"))
        .replace("{version}", version)
        .split('\n', Qt::SkipEmptyParts);
}

QStringList registryFiles(const QString &pattern)
{
    return QDir(qEnvironmentVariable("LOCALAPPDATA") + "/Zendrel_Technologies_AG/Zendrel-Toolbox")
        .entryList({ pattern }, QDir::Files);
}

// The processes whose program lies below folder; none when the folder is gone (an empty
// prefix would take in every process of the machine).
QList<qint64> processesRunningFrom(const QString &folder)
{
    const QString prefix = QFileInfo(folder).canonicalFilePath() + '/';
    if (prefix.size() < 3)
        return {};
    return lmttest::processesWhere([&](const QString &proc) {
        return QFileInfo(proc + "exe").symLinkTarget().startsWith(prefix);
    });
}

bool endProcessesRunningFrom(const QString &folder)
{
    for (const qint64 pid : processesRunningFrom(folder))
        ::kill(pid_t(pid), SIGTERM);
    return QTest::qWaitFor([&] { return processesRunningFrom(folder).isEmpty(); }, 10000);
}

} // namespace

class tst_WizardEndToEnd : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    lmttest::StandInPair m_standIns;
    std::shared_ptr<LmtSetupController> m_controller;
    std::unique_ptr<LmtMainWindow> m_window;
    // The folder the first installation of the tools package chose; updates and downgrades
    // replace the installation there.
    QString m_toolsFolder;

    template<typename T>
    T *child(const char *name) const
    {
        return m_window->findChild<T *>(QString::fromLatin1(name));
    }
    bool waitForView(View view, int timeoutMs = 30000) const
    {
        return QTest::qWaitFor([&] { return m_window->currentView() == view; }, timeoutMs);
    }
    LmtToolSelectModel *model(bool additional) const
    {
        auto *view = child<LmtToolSelectView>("m_toolSelectView");
        return additional ? view->additionalModel() : view->baseModel();
    }
    // Next, the licence agreement when it is asked for, Start, and Finish once the jobs ended.
    bool runSelectedJobs(bool andFinish = true)
    {
        QTest::mouseClick(child<QPushButton>("m_btnNext"), Qt::LeftButton);
        if (!waitForView(View::TOOL_VIEW_CONFIG))
            return false;
        auto *agree = child<QCheckBox>("m_chkAgreeLicense");
        if (agree->isVisible() && !agree->isChecked())
            agree->click();
        QTest::mouseClick(child<QPushButton>("m_btnStart"), Qt::LeftButton);
        if (!waitForView(View::TOOL_VIEW_LAUNCH, kJobTimeoutMs))
            return false;
        if (andFinish)
            QTest::mouseClick(child<QPushButton>("m_btnFinish"), Qt::LeftButton);
        return !andFinish || waitForView(View::TOOL_VIEW_SELECT);
    }

private Q_SLOTS:
    void initTestCase()
    {
        registerMetaTypes();
        registerViewMetaTypes();
        QCOMPARE(m_standIns.start(), QString());
    }

    void cleanupTestCase()
    {
        endProcessesRunningFrom(m_toolsFolder);
        m_window.reset();
        m_controller.reset();
    }

    void signInSelectInstallAndLaunch()
    {
        m_controller = createSetupController();
        m_window = std::make_unique<LmtMainWindow>(m_controller);
        m_window->init();
        m_window->show();
        QVERIFY(waitForView(View::TOOL_VIEW_SELECT));

        // The packages need a signed-in user: the launcher service signs in at the vendor.
        child<QAction>("m_actLogin")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(child<QAction>("m_actLogout")->isVisible(), 30000);
        QVERIFY(waitForView(View::TOOL_VIEW_SELECT));

        // Ticking the device pack selects the tools package it depends on.
        QVERIFY(tick(model(true), rowNamed(model(true), kArmPackName), Qt::Checked));
        const auto list = [this] {
            QStringList ids;
            for (const auto &version : m_controller->toolModel()->installList())
                ids << version->featureId();
            return ids;
        };
        QTRY_COMPARE(list(), QStringList({ kToolsPackage, kArmPack }));
        QVERIFY(runSelectedJobs(false));

        // Both installers left their registry files, the packages lie in the downloads folder
        // under their own names only, and the refreshed list knows both installations.
        QCOMPARE(registryFiles("*.json"),
            QStringList({ kArmPack + "-3.2.0.20.json", kToolsPackage + "-3.2.1.1250.json" }));
        QCOMPARE(downloadsDirectory().entryList(QDir::Files),
            QStringList({ "devices-arm-3.2.0.20-linux.sh", "lumetra-tools-3.2.1.1250-linux.sh" }));
        const auto refreshed = m_controller->toolModel();
        QCOMPARE(refreshed->findTool(kArmPack)->localVersions().size(), 1);
        const auto installed = refreshed->findTool(kToolsPackage)->localVersions();
        QCOMPARE(installed.size() == 1 ? installed[0]->version() : QString(), "3.2.1.1250");
        m_toolsFolder
            = std::dynamic_pointer_cast<LmtLocalToolVersion>(installed[0])->installLocation();
        QCOMPARE(lmttest::filesBelow(m_toolsFolder), toolsPackageFiles("3.2.1.1250"));

        // The launch page offers the installed tool's program (the device pack has none), and
        // starting it runs the tool's window until it is closed.
        auto *launchView = m_window->findChild<LmtToolLaunchView *>();
        const auto boxes = launchView->checkBoxes();
        QCOMPARE(boxes.size() == 1 && boxes[0]->isChecked() ? boxes[0]->text() : QString(),
            "Run " + kToolsPackageName);
        QVERIFY(processesRunningFrom(m_toolsFolder).isEmpty());
        launchView->launchSelectedTools();
        QTRY_COMPARE_WITH_TIMEOUT(processesRunningFrom(m_toolsFolder).size(), 1, 30000);
        const qint64 pid = processesRunningFrom(m_toolsFolder).constFirst();
        QCOMPARE(
            lmttest::readFile(QStringLiteral("/proc/%1/cmdline").arg(pid)).split('\0').mid(1, 2),
            QList<QByteArray>({ kToolsPackageName.toUtf8(), "3.2.1.1250" }));
        // A window stays until it is closed; a program that only printed would be gone.
        QTest::qWait(500);
        QCOMPARE(processesRunningFrom(m_toolsFolder), QList<qint64> { pid });
        QVERIFY(endProcessesRunningFrom(m_toolsFolder));

        QTest::mouseClick(child<QPushButton>("m_btnFinish"), Qt::LeftButton);
        QVERIFY(waitForView(View::TOOL_VIEW_SELECT));
    }

    // Each step replaces the tools package 3.2 in its folder (or removes it); afterwards the
    // select page shows exactly one installed version of the line, the right one, and the
    // folder and the registry hold exactly that version.
    void updateAndDowngradeInPlace_data()
    {
        lmttest::rowsFrom("e2e/update-steps.txt", { "choose", "installed" });
    }

    void updateAndDowngradeInPlace()
    {
        QFETCH(QString, choose);
        QFETCH(QString, installed);
        QVERIFY2(!m_toolsFolder.isEmpty(), "needs the installation of the first test");
        QCOMPARE(rowsOfLine32(model(false)).size(), 1);
        const int row = rowsOfLine32(model(false)).constFirst();

        if (!choose.isEmpty()) {
            QVERIFY(model(false)->setData(
                model(false)->index(row, LmtToolSelectModel::ColumnVersion), choose, Qt::EditRole));
            QVERIFY(tick(model(false), row, Qt::Checked));
        } else {
            // Unticking an installed tool asks first; the device pack needs the tools package,
            // so both go.
            lmttest::MessageBoxWatcher confirm;
            confirm.setAnswerCaption(QStringLiteral("Continue"));
            tick(model(true), rowNamed(model(true), kArmPackName), Qt::Unchecked);
            tick(model(false), row, Qt::Unchecked);
            QCOMPARE(confirm.count(), 2);
        }
        QVERIFY(runSelectedJobs());

        // What the select page shows of the line: its installed versions, whether the shown
        // one is online and its tick; then what the model, the folder and the registry hold.
        QCOMPARE(rowsOfLine32(model(false)).size(), 1);
        const auto shown = model(false)->rowAt(rowsOfLine32(model(false)).constFirst());
        QStringList state;
        for (const auto &version : shown->versions())
            if (!version->isOnline())
                state << version->version();
        const bool none = installed.isEmpty();
        state << QString::number(shown->currentVersion()->isOnline())
              << QString::number(shown->checkState())
              << QString::number(
                     m_controller->toolModel()->findTool(kToolsPackage)->localVersions().size())
              << registryFiles(kToolsPackage + "-*.json") << lmttest::filesBelow(m_toolsFolder);
        QCOMPARE(state.join(' '),
            (none ? QStringList { "1", "0", "0" }
                  : QStringList { installed, "0", "2", "1",
                        kToolsPackage + "-" + installed + ".json" }
                        + toolsPackageFiles(installed))
                .join(' '));
        QCOMPARE(QFileInfo::exists(m_toolsFolder), !none);
    }
};

QTEST_MAIN(tst_WizardEndToEnd)
#include "tst_WizardEndToEnd.moc"
