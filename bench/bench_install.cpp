// Watches the GUI thread while the real window installs every package of the demo catalogue's
// additional list (and the tools package they all depend on) through the real services and the
// two stand-ins: a 5 ms heartbeat timer records the longest gap between its ticks from Start
// until the launch page, which is how long the window would have been frozen. Everything the
// run writes stays in a temporary sandbox.
//
// Run: QT_QPA_PLATFORM=offscreen build/bench/bench_install

#include "app/LmtEntry.h"
#include "base/LmtSettings.h"
#include "common/LmtStandIns.h"
#include "common/LmtTestSupport.h"
#include "controller/LmtSetupController.h"
#include "model/LmtCoreToolModel.h"
#include "services/LmtServiceTypes.h"
#include "shared_toolkit/Log.h"
#include "ui/LmtMainWindow.h"
#include "views/LmtToolSelectModel.h"
#include "views/LmtToolSelectView.h"
#include "views/LmtViewTypes.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <cstdio>

using namespace zendrel::lmt::setup;

namespace {

constexpr int TimeoutMs = 120000;

// The longest pause between two ticks of a 5 ms timer on the GUI thread.
class Heartbeat
{
public:
    Heartbeat()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout,
            [this] { m_longestMs = qMax(m_longestMs, m_sinceTick.restart()); });
        m_sinceTick.start();
        m_timer.start();
    }
    qint64 longestMs() const { return m_longestMs; }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    qint64 m_longestMs = 0;
};

bool fail(const char *what)
{
    std::fprintf(stderr, "bench_install: %s\n", what);
    return false;
}

bool run()
{
    lmttest::VendorStandIn vendor;
    QString error;
    if (!vendor.start({}, &error))
        return fail(qPrintable(error));
    const QString launcher = lmttest::installLauncherService();
    if (launcher.isEmpty() || !lmttest::writeLauncherConfig(vendor.url()))
        return fail("kor-launcher-service could not be installed in the sandbox");
    applicationSettings().setValue("LmtDownloadSettings/korOnlineUrl", vendor.registryUrl());

    auto controller = createSetupController();
    auto window = std::make_unique<LmtMainWindow>(controller);
    window->init();
    window->show();
    const auto waitForView = [&window](LmtMainWindow::LmtToolView view) {
        return QTest::qWaitFor([&] { return window->currentView() == view; }, TimeoutMs);
    };
    const auto child = [&window](const char *name) {
        return window->findChild<QObject *>(QString::fromLatin1(name));
    };
    if (!waitForView(LmtMainWindow::TOOL_VIEW_SELECT))
        return fail("no tool list");
    qobject_cast<QAction *>(child("m_actLogin"))->trigger();
    if (!QTest::qWaitFor(
            [&] { return qobject_cast<QAction *>(child("m_actLogout"))->isVisible(); }, TimeoutMs)
        || !waitForView(LmtMainWindow::TOOL_VIEW_SELECT))
        return fail("no sign-in");

    // Every additional package; each selects the tools package it depends on.
    LmtToolSelectModel *additional
        = window->findChild<LmtToolSelectView *>("m_toolSelectView")->additionalModel();
    for (int row = 0; row < additional->rowCount(); ++row) {
        additional->setData(additional->index(row, LmtToolSelectModel::ColumnCheck), Qt::Checked,
            Qt::CheckStateRole);
    }
    const int packages = int(controller->toolModel()->installList().size());
    QTest::mouseClick(qobject_cast<QPushButton *>(child("m_btnNext")), Qt::LeftButton);
    if (!waitForView(LmtMainWindow::TOOL_VIEW_CONFIG))
        return fail("no configuration page");
    qobject_cast<QCheckBox *>(child("m_chkAgreeLicense"))->click();

    Heartbeat heartbeat;
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(qobject_cast<QPushButton *>(child("m_btnStart")), Qt::LeftButton);
    if (!waitForView(LmtMainWindow::TOOL_VIEW_LAUNCH))
        return fail("the installation did not reach the launch page");
    std::printf("installed %d packages, Start to launch page %lld ms, longest GUI pause %lld ms\n",
        packages, static_cast<long long>(clock.elapsed()),
        static_cast<long long>(heartbeat.longestMs()));

    window.reset();
    controller.reset();
    lmttest::runLauncherService(launcher, { "-stop" });
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    lmttest::Sandbox sandbox;
    QApplication app(argc, argv);
    zendrel::lmt::shared_toolkit::initLog(sandbox.path(), "bench_install", false);
    QLoggingCategory::setFilterRules(QStringLiteral("*.info=false"));
    registerMetaTypes();
    registerViewMetaTypes();
    return run() ? 0 : 1;
}
