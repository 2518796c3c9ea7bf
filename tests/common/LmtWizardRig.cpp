#include "common/LmtWizardRig.h"

#include "app/LmtEntry.h"
#include "base/LmtSettings.h"
#include "controller/LmtSetupController.h"
#include "views/LmtToolSelectModel.h"
#include "views/LmtToolSelectView.h"

#include <QCheckBox>
#include <QPushButton>
#include <QtTest>

#include <signal.h>

using namespace zendrel::lmt::setup;

namespace lmttest {

namespace {

// Downloads and installers of a busy machine (several builds at once) may take their time.
constexpr int JobTimeoutMs = 120000;

QString launcherService()
{
    return launcherServiceDirectory() + QStringLiteral("/kor-launcher-service");
}

} // namespace

WizardRig::~WizardRig()
{
    shutDown();
}

bool WizardRig::startStandIns(QString *error)
{
    if (!m_vendor.start({}, error))
        return false;
    if (installLauncherService().isEmpty() || !writeLauncherConfig(m_vendor.url())) {
        *error = QStringLiteral("kor-launcher-service could not be set up in the sandbox");
        return false;
    }
    applicationSettings().setValue(
        QStringLiteral("LmtDownloadSettings/korOnlineUrl"), m_vendor.registryUrl());
    return true;
}

bool WizardRig::openWindow()
{
    m_window.reset();
    m_controller = createSetupController();
    m_window = std::make_unique<LmtMainWindow>(m_controller);
    m_window->init();
    m_window->show();
    return waitForView(View::TOOL_VIEW_SELECT);
}

void WizardRig::shutDown()
{
    m_window.reset();
    m_controller.reset();
    if (QFileInfo::exists(launcherService()))
        runLauncherService(launcherService(), { QStringLiteral("-stop") });
    m_vendor.stop();
}

bool WizardRig::waitForView(View view, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return m_window->currentView() == view; }, timeoutMs);
}

LmtToolSelectModel *WizardRig::baseModel() const
{
    return child<LmtToolSelectView>("m_toolSelectView")->baseModel();
}

LmtToolSelectModel *WizardRig::additionalModel() const
{
    return child<LmtToolSelectView>("m_toolSelectView")->additionalModel();
}

bool WizardRig::runSelectedJobs() const
{
    QTest::mouseClick(child<QPushButton>("m_btnNext"), Qt::LeftButton);
    if (!waitForView(View::TOOL_VIEW_CONFIG))
        return false;
    auto *agree = child<QCheckBox>("m_chkAgreeLicense");
    if (agree->isVisible() && !agree->isChecked())
        agree->click();
    QTest::mouseClick(child<QPushButton>("m_btnStart"), Qt::LeftButton);
    return waitForView(View::TOOL_VIEW_LAUNCH, JobTimeoutMs);
}

bool WizardRig::finish() const
{
    QTest::mouseClick(child<QPushButton>("m_btnFinish"), Qt::LeftButton);
    return waitForView(View::TOOL_VIEW_SELECT);
}

int rowNamed(const LmtToolSelectModel *model, const QString &name)
{
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, LmtToolSelectModel::ColumnName).data().toString() == name)
            return row;
    }
    return -1;
}

QString userRegistryDirectory()
{
    return qEnvironmentVariable("LOCALAPPDATA")
        + QStringLiteral("/Zendrel_Technologies_AG/Zendrel-Toolbox");
}

QList<qint64> processesRunningFrom(const QString &folder)
{
    // Without an existing folder there is nothing below it; an empty prefix would take in
    // every process of the machine.
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || canonical == QStringLiteral("/"))
        return {};
    // The program of another user's process, or of one that has ended, cannot be read.
    return processesWhere([prefix = canonical + QLatin1Char('/')](const QString &proc) {
        return QFileInfo(proc + QStringLiteral("exe")).symLinkTarget().startsWith(prefix);
    });
}

bool endProcessesRunningFrom(const QString &folder)
{
    for (const qint64 pid : processesRunningFrom(folder))
        ::kill(pid_t(pid), SIGTERM);
    return QTest::qWaitFor([&] { return processesRunningFrom(folder).isEmpty(); }, 10000);
}

} // namespace lmttest
