// The connector and the login manager against the real launcher service program and the vendor
// web service stand-in: sign-in, token check, installation and update check, and a restarted
// service, all through the application's own classes.

#include "app/LmtEntry.h"
#include "common/LmtControllerEvents.h"
#include "e2e/LmtStandInPair.h"
#include "services/LmtAccessToken.h"
#include "services/LmtDownloadManager.h"
#include "services/LmtLauncherServiceConnector.h"
#include "services/LmtLoginManager.h"
#include "services/LmtProcessHandle.h"

#include <QtTest>

using namespace zendrel::lmt::setup;

namespace {

const int TimeoutMs = 60000;
const QString Tool = QStringLiteral("com.zdr.tb.tool.lumetra");

// Whether a job of the launcher service ended in time and well.
bool succeeds(const std::shared_ptr<LmtProcessHandle> &job)
{
    QSignalSpy finished(job.get(), &LmtProcessHandle::finished);
    return finished.wait(TimeoutMs) && finished.first().first().toBool();
}

} // namespace

class TestLauncherServiceEndToEnd : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    lmttest::StandInPair m_standIns;

private Q_SLOTS:
    // The application gives a freshly started service two seconds before asking for its port;
    // on a busy machine it may need longer, so it is started (and waited for) here.
    void initTestCase()
    {
        registerMetaTypes();
        QCOMPARE(m_standIns.start(), QString());
    }

    void signInInstallAndCheckForUpdate()
    {
        auto connector
            = std::make_shared<LmtLauncherServiceConnector>(std::make_shared<LmtDownloadManager>());
        LmtLoginManager login(connector);
        QSignalSpy state(&login, &ILmtLoginManager::loginStateChanged);

        connector->start();
        QCOMPARE(connector->launcherCli(), m_standIns.launcher);

        login.startLogin();
        QCOMPARE(state.last(), (QVariantList { true, true, "de********lumetra-demo.example" }));
        const QByteArray token = login.accessToken()->accessToken();
        QVERIFY(connector->verifyTokenValue(token));
        QVERIFY(!connector->verifyTokenValue(token + "x"));

        // Installed through the service (which then needs the sign-in for the package), 3.2.0
        // has an update: 3.3.0.1300 is withdrawn, so 3.2.1.1250 is the newest offer. What the
        // installation leaves is the wizard test's concern.
        const QString folder = m_sandbox.filePath("installed/lumetra 3.2");
        QVERIFY(succeeds(connector->downloadTool(Tool, "3.2.0.1200")));
        QVERIFY(succeeds(connector->installTool(
            Tool, "3.2.0.1200", { "--", "/verysilent", "/currentuser", "/dir=" + folder })));
        QString newVersion;
        QVERIFY(connector->checkForUpdate(Tool, newVersion));
        QCOMPARE(newVersion, "3.2.1.1250");

        // Signed out, the service no longer holds the token (packages refused without one are
        // the launcher stand-in's own test).
        login.startLogout();
        QCOMPARE(state.last(), (QVariantList { false, true, QString() }));
        QVERIFY(!connector->verifyTokenValue(token));
    }

    // The service keeps its token in memory only. After it restarted, the program that starts
    // with the stored token drops it, and the vendor never sees that token again.
    void aRestartedServiceEndsTheStoredSignIn()
    {
        {
            auto controller = createSetupController();
            lmttest::ControllerEvents events(controller.get());
            controller->startLauncherService();
            controller->startLogin();
            QVERIFY(events.waitFor("loginStateChanged 1", TimeoutMs));
        }
        QVERIFY(LmtAccessToken().restore());

        QCOMPARE(lmttest::runLauncherService(m_standIns.launcher, { "-stop" }), 0);
        QCOMPARE(lmttest::runLauncherService(m_standIns.launcher), 0);
        const qsizetype seenBefore = m_standIns.vendor.requestLog().size();

        // The program starts again, as its window starts it.
        auto controller = createSetupController();
        lmttest::ControllerEvents events(controller.get());
        controller->restoreSettings();
        controller->startLauncherService();
        controller->updateTools(true);
        QVERIFY(events.waitFor("toolDataChanged 1", TimeoutMs));
        const QStringList logins = events.matching("loginStateChanged");
        QVERIFY(!logins.isEmpty() && logins.last().startsWith("loginStateChanged 0"));
        QVERIFY(!LmtAccessToken().restore());

        const QStringList registryRequests
            = m_standIns.vendor.requestLog().mid(seenBefore).filter("GET /api/v1/tools/ ");
        QVERIFY2(registryRequests.size() == 1 && registryRequests.first().endsWith(", token: none"),
            qPrintable(registryRequests.join('\n')));
    }

    void revokeAtAnUnreachableServiceIsOnlyLogged()
    {
        lmttest::LogCapture capture;
        // Never started: port 0, which nothing listens on.
        LmtLauncherServiceConnector(std::make_shared<LmtDownloadManager>()).revokeAccessToken();
        QVERIFY(capture.contains(
            "Failed to revoke the access token in the KOR launcher service, error: "));
    }
};

QTEST_GUILESS_MAIN(TestLauncherServiceEndToEnd)
#include "tst_LauncherServiceEndToEnd.moc"
