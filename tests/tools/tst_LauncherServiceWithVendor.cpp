// The two stand-ins together, as the application meets them: kor-launcher-service signs in at
// lumetra-vendor-service serving the demo catalogue, downloads a demo package, installs it into
// the sandbox and checks for updates.

#include "common/LmtStandIns.h"
#include "common/LmtTestSupport.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

using lmttest::askService;
using lmttest::korService;
using lmttest::runLauncher;
using lmttest::RunResult;

namespace {

const int kTimeoutMs = 60000;
const char *const kToolsPackage = "com.zdr.tb.tool.lumetra";

} // namespace

class tst_LauncherServiceWithVendor : public QObject
{
    Q_OBJECT

private:
    QString demoDirectory() const { return lmttest::demoCatalogue(); }
    QString registryUrl() const { return m_vendor.registryUrl(); }
    QString toolsDirectory() const
    {
        return m_sandbox.filePath("localappdata/Zendrel_Technologies_AG/Zendrel-Toolbox/Tools");
    }

    lmttest::Sandbox m_sandbox;
    lmttest::VendorStandIn m_vendor;
    quint16 m_port = 0;

private Q_SLOTS:
    void initTestCase();
    void signInDownloadInstallAndUpdateCheck();
    void cleanupTestCase();
};

void tst_LauncherServiceWithVendor::initTestCase()
{
    QString error;
    QVERIFY2(m_vendor.start({}, &error), qPrintable(error));
    QVERIFY(lmttest::writeLauncherConfig(m_vendor.url()));
    QCOMPARE(runLauncher({}).exitCode, 0);
    const RunResult port = runLauncher({ "-port" });
    QCOMPARE(port.exitCode, 0);
    m_port = port.outLines().value(0).toUShort();
    QVERIFY(m_port > 0);
}

void tst_LauncherServiceWithVendor::signInDownloadInstallAndUpdateCheck()
{
    const QString tool = QStringLiteral("%1:3.1.2.1100 %2").arg(kToolsPackage, registryUrl());
    const QString package = toolsDirectory() + "/lumetra-tools-3.1.2.1100-linux.sh";
    const QString checkUpdate
        = QStringLiteral("checkUpdate %1 %2 -silent").arg(kToolsPackage, registryUrl());

    // Signed out, the vendor refuses the login-required package.
    RunResult refused = korService("downloadOnly " + tool);
    QVERIFY(refused.exitCode != 0);
    QVERIFY2(refused.err.contains("HTTP 401"), refused.err.constData());
    QVERIFY(!QFile::exists(package));

    const QJsonObject signIn = askService(m_port, "/kor-service/requestAccessToken");
    const QString token = signIn.value("accessToken").toString();
    QCOMPARE(token.split('.').size(), 3);
    QVERIFY(QRegularExpression("^\\d+$").match(signIn.value("expires_in").toString()).hasMatch());
    QCOMPARE(askService(m_port, "/getAccessToken").value("accessToken").toString(), token);

    // Nothing installed yet: nothing to update.
    QCOMPARE(korService(checkUpdate).outLines(), QStringList { "update is not available" });

    const RunResult download = korService("downloadOnly " + tool);
    QCOMPARE(download.exitCode, 0);
    QCOMPARE(download.outLines().last(), QString("100.0% completed"));
    QCOMPARE(lmttest::readFile(package),
        lmttest::readFile(demoDirectory() + "/packages/lumetra-tools-3.1.2.1100-linux.sh"));

    const QString installDir = m_sandbox.filePath("home/Lumetra Tools 3.1");
    const RunResult install = korService("installOnly " + tool,
        { "--", "/verysilent", "/suppressmsgboxes", "/norestart", "/currentuser",
            "/dir=" + installDir });
    QCOMPARE(install.exitCode, 0);
    const QJsonObject entry = QJsonDocument::fromJson(
        lmttest::readFile(m_sandbox.filePath("localappdata/Zendrel_Technologies_AG/Zendrel-Toolbox/"
                                             "com.zdr.tb.tool.lumetra-3.1.2.1100.json")))
                                  .object();
    QCOMPARE(entry.value("version").toString(), QString("3.1.2.1100"));
    // The tools package records its dashboard.
    QCOMPARE(QFileInfo(entry.value("path").toString()).canonicalFilePath(),
        QDir(installDir).canonicalPath() + "/bin/dashboard");
    QVERIFY(QFile::exists(entry.value("uninstallPath").toString()));

    // 3.2.1.1250 is the newest Linux version offered (3.3.0.1300 is marked ignored).
    QCOMPARE(korService(checkUpdate).outLines(),
        QStringList { "Update is available com.zdr.tb.tool.lumetra:3.2.1.1250" });

    // Revoked at the vendor: the token no longer opens login-required packages.
    askService(m_port, "/kor-service/revokeAccessToken", true);
    QCOMPARE(askService(m_port, "/getAccessToken").value("accessToken").toString(), QString());
    refused = korService(
        QStringLiteral("downloadOnly %1:3.2.1.1250 %2").arg(kToolsPackage, registryUrl()));
    QVERIFY(refused.exitCode != 0);
    // A tool that needs no sign-in still downloads.
    QCOMPARE(korService(QStringLiteral("downloadOnly com.zdr.tb.tool.flashprobe:2.1.1.60 %1")
                            .arg(registryUrl()))
                 .exitCode,
        0);
    QVERIFY(QFile::exists(toolsDirectory() + "/flashprobe-2.1.1.60-linux.sh"));
}

void tst_LauncherServiceWithVendor::cleanupTestCase()
{
    runLauncher({ "-stop" });
    m_vendor.stop();
}

QTEST_MAIN(tst_LauncherServiceWithVendor)
#include "tst_LauncherServiceWithVendor.moc"
