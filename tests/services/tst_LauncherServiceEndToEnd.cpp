// The connector and the login manager against the real launcher service program and the vendor
// web service stand-in: sign-in, token check, download, installation into the sandbox and an
// update check, all through the application's own classes.

#include "app/LmtApplication.h"
#include "common/LmtTestSupport.h"
#include "services/LmtAccessToken.h"
#include "services/LmtDownloadManager.h"
#include "services/LmtDownloadSettings.h"
#include "services/LmtLauncherServiceConnector.h"
#include "services/LmtLoginManager.h"
#include "services/LmtProcessHandle.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

using namespace zendrel::lmt::setup;

namespace {

const int TimeoutMs = 60000;
const QString Tool = QStringLiteral("com.zdr.tb.tool.lumetra");

QString demoCatalogue()
{
    return QDir(lmttest::binDir()).absoluteFilePath(QStringLiteral("../demo"));
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Waits for a job of the launcher service and gathers what it printed.
struct JobResult {
    bool ended = false;
    bool success = false;
    QString output;
};

JobResult waitFor(const std::shared_ptr<LmtProcessHandle> &handle)
{
    JobResult result;
    QObject::connect(handle.get(), &LmtProcessHandle::stdOutReady, handle.get(),
        [&result](const QString &text) { result.output += text; });
    QSignalSpy finished(handle.get(), &LmtProcessHandle::finished);
    result.ended = finished.wait(TimeoutMs);
    result.success = result.ended && finished.first().first().toBool();
    return result;
}

} // namespace

class TestLauncherServiceEndToEnd : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    QProcess m_vendor;
    QString m_vendorUrl;
    QString m_launcher;

    // Only this test's own service (sandboxed HOME) is stopped.
    void stopLauncherService()
    {
        if (!QFileInfo::exists(m_launcher))
            return;
        QProcess stop;
        stop.start(m_launcher, { QStringLiteral("-stop") });
        stop.waitForFinished(TimeoutMs);
    }

private slots:
    void initTestCase()
    {
        registerMetaTypes();
        QVERIFY2(QFileInfo::exists(demoCatalogue() + "/registry.json"),
            "the demo catalogue has not been generated");
        const QString built = lmttest::binDir() + "/kor-launcher-service";
        QVERIFY2(QFileInfo::exists(built), "kor-launcher-service has not been built");

        m_vendor.start(lmttest::binDir() + "/lumetra-vendor-service",
            { "--catalogue", demoCatalogue(), "--port", "0" });
        QVERIFY(m_vendor.waitForStarted(TimeoutMs));
        QTRY_VERIFY_WITH_TIMEOUT(m_vendor.canReadLine(), TimeoutMs);
        const QRegularExpressionMatch listening
            = QRegularExpression("^Listening on (http://127\\.0\\.0\\.1:\\d+)")
                  .match(QString::fromUtf8(m_vendor.readLine()));
        QVERIFY(listening.hasMatch());
        m_vendorUrl = listening.captured(1);

        // Installed where the application looks for it, with the demo account to sign in with.
        const QString serviceDir = QDir::homePath() + "/Zendrel/LauncherService";
        QVERIFY(QDir().mkpath(serviceDir));
        m_launcher = serviceDir + "/kor-launcher-service";
        QVERIFY(QFile::copy(built, m_launcher));
        const QJsonObject config { { "vendorUrl", m_vendorUrl },
            { "email", "demo.user@lumetra-demo.example" }, { "password", "lumetra-demo" } };
        QVERIFY(lmttest::writeFile(
            serviceDir + "/launcher-config.json", QJsonDocument(config).toJson()));
        setKorOnlineUrl(m_vendorUrl + "/api/v1/tools/");

        // The application gives a freshly started service two seconds before asking for its
        // port; on a busy machine it may need longer, so it is started (and waited for) here.
        QProcess starter;
        starter.start(m_launcher, {});
        QVERIFY(starter.waitForFinished(TimeoutMs));
        QCOMPARE(starter.exitCode(), 0);
    }

    void cleanupTestCase()
    {
        stopLauncherService();
        m_vendor.kill();
        m_vendor.waitForFinished(TimeoutMs);
    }

    void signInDownloadInstallAndCheckForUpdate()
    {
        auto http = std::make_shared<LmtDownloadManager>();
        auto connector = std::make_shared<LmtLauncherServiceConnector>(http);
        LmtLoginManager login(connector);
        QSignalSpy state(&login, &ILmtLoginManager::loginStateChanged);

        connector->start();
        QVERIFY(connector->isStarted());
        QCOMPARE(connector->launcherCli(), m_launcher);

        login.startLogin();
        QCOMPARE(state.last(), (QVariantList { true, true, "de********lumetra-demo.example" }));
        const QByteArray token = login.accessToken()->accessToken();
        QVERIFY(connector->verifyTokenValue(token));
        QVERIFY(!connector->verifyTokenValue(token + "x"));

        // The package needs the sign-in; it lands complete in the "Tools" folder.
        const JobResult download = waitFor(connector->downloadTool(Tool, "3.2.0.1200"));
        QVERIFY2(download.success, qPrintable(download.output));
        QVERIFY2(download.output.contains(QRegularExpression("\\b100(\\.0+)?% completed")),
            qPrintable(download.output));
        const QString registryDir
            = m_sandbox.filePath("localappdata/Zendrel_Technologies_AG/Zendrel-Toolbox");
        const QString package = registryDir + "/Tools/lumetra-tools-3.2.0.1200-linux.sh";
        QCOMPARE(readFile(package),
            readFile(demoCatalogue() + "/packages/lumetra-tools-3.2.0.1200-linux.sh"));

        const QString installDir = m_sandbox.filePath("installed/lumetra 3.2");
        const JobResult install = waitFor(connector->installTool(
            Tool, "3.2.0.1200", { "--", "/verysilent", "/currentuser", "/dir=" + installDir }));
        QVERIFY2(install.success, qPrintable(install.output));
        const QJsonObject record = QJsonDocument::fromJson(
            readFile(registryDir + "/com.zdr.tb.tool.lumetra-3.2.0.1200.json"))
                                       .object();
        QCOMPARE(record.value("version").toString(), "3.2.0.1200");
        QCOMPARE(QDir(record.value("path").toString()).canonicalPath(),
            QDir(installDir).canonicalPath());
        QVERIFY(QFileInfo::exists(record.value("uninstallPath").toString()));

        // 3.3.0.1300 is withdrawn, so 3.2.1.1250 is the newest offer.
        QString newVersion;
        QVERIFY(connector->checkForUpdate(Tool, newVersion));
        QCOMPARE(newVersion, "3.2.1.1250");

        // Signed out, the service no longer holds the token and refuses guarded packages.
        login.startLogout();
        QCOMPARE(state.last(), (QVariantList { false, true, QString() }));
        QVERIFY(!connector->verifyTokenValue(token));
        const JobResult refused = waitFor(connector->downloadTool(Tool, "3.2.1.1250"));
        QVERIFY(refused.ended);
        QVERIFY(!refused.success);
        QVERIFY(!QFileInfo::exists(registryDir + "/Tools/lumetra-tools-3.2.1.1250-linux.sh"));
    }

    void revokeAtAnUnreachableServiceIsOnlyLogged()
    {
        lmttest::LogCapture capture;
        // Never started: port 0, which nothing listens on.
        LmtLauncherServiceConnector connector(std::make_shared<LmtDownloadManager>());
        connector.revokeAccessToken();
        QVERIFY(capture.contains(
            "Failed to revoke the access token in the KOR launcher service, error: "));
    }
};

QTEST_GUILESS_MAIN(TestLauncherServiceEndToEnd)
#include "tst_LauncherServiceEndToEnd.moc"
