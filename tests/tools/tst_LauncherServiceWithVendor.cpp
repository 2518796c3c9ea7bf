// The two stand-ins together, as the application meets them: kor-launcher-service signs in at
// lumetra-vendor-service serving the demo catalogue, downloads a demo package, installs it into
// the sandbox and checks for updates.

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

namespace {

const int kTimeoutMs = 60000;
const char *const kToolsPackage = "com.zdr.tb.tool.lumetra";

struct RunResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    QStringList outLines() const
    {
        return QString::fromUtf8(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
};

RunResult runLauncher(const QStringList &arguments)
{
    QProcess process;
    process.start(lmttest::binDir() + QStringLiteral("/kor-launcher-service"), arguments);
    RunResult result;
    // Nothing in this process serves the launcher, so blocking here is fine.
    if (process.waitForFinished(kTimeoutMs) && process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    else
        process.kill();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

RunResult korService(const QString &verbLine, const QStringList &installerArguments = {})
{
    return runLauncher(
        QStringList { QStringLiteral("-kor.service"), verbLine } + installerArguments);
}

QJsonObject askService(quint16 port, const QString &path, bool post = false)
{
    QNetworkAccessManager network;
    QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path)));
    QNetworkReply *reply = post ? network.post(request, QByteArray()) : network.get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kTimeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    const QJsonObject object = QJsonDocument::fromJson(reply->readAll()).object();
    delete reply;
    return object;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_LauncherServiceWithVendor : public QObject
{
    Q_OBJECT

private:
    QString demoDirectory() const { return QDir(lmttest::binDir()).absoluteFilePath("../demo"); }
    QString registryUrl() const { return m_vendorUrl + "/api/v1/tools/"; }
    QString toolsDirectory() const
    {
        return m_sandbox.filePath("localappdata/Zendrel_Technologies_AG/Zendrel-Toolbox/Tools");
    }

    lmttest::Sandbox m_sandbox;
    QProcess m_vendor;
    QString m_vendorUrl;
    quint16 m_port = 0;

private Q_SLOTS:
    void initTestCase();
    void signInDownloadInstallAndUpdateCheck();
    void cleanupTestCase();
};

void tst_LauncherServiceWithVendor::initTestCase()
{
    QVERIFY2(QFile::exists(demoDirectory() + "/registry.json"),
        "the demo catalogue has not been generated");
    m_vendor.setProcessChannelMode(QProcess::SeparateChannels);
    m_vendor.start(
        lmttest::binDir() + "/lumetra-vendor-service", { "--catalogue", demoDirectory() });
    static const QRegularExpression listening("Listening on (http://127\\.0\\.0\\.1:\\d+)");
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += m_vendor.readAllStandardOutput(),
                                 listening.match(QString::fromUtf8(output)).hasMatch()),
        kTimeoutMs);
    m_vendorUrl = listening.match(QString::fromUtf8(output)).captured(1);

    const QJsonObject config { { "vendorUrl", m_vendorUrl },
        { "email", "demo.user@lumetra-demo.example" }, { "password", "lumetra-demo" } };
    QVERIFY(
        lmttest::writeFile(m_sandbox.filePath("home/Zendrel/LauncherService/launcher-config.json"),
            QJsonDocument(config).toJson()));
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
    QCOMPARE(
        readAll(package), readAll(demoDirectory() + "/packages/lumetra-tools-3.1.2.1100-linux.sh"));

    const QString installDir = m_sandbox.filePath("home/Lumetra Tools 3.1");
    const RunResult install = korService("installOnly " + tool,
        { "--", "/verysilent", "/suppressmsgboxes", "/norestart", "/currentuser",
            "/dir=" + installDir });
    QCOMPARE(install.exitCode, 0);
    const QJsonObject entry = QJsonDocument::fromJson(
        readAll(m_sandbox.filePath("localappdata/Zendrel_Technologies_AG/Zendrel-Toolbox/"
                                   "com.zdr.tb.tool.lumetra-3.1.2.1100.json")))
                                  .object();
    QCOMPARE(entry.value("version").toString(), QString("3.1.2.1100"));
    QCOMPARE(
        QDir(entry.value("path").toString()).canonicalPath(), QDir(installDir).canonicalPath());
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
    m_vendor.kill();
    m_vendor.waitForFinished(kTimeoutMs);
}

QTEST_MAIN(tst_LauncherServiceWithVendor)
#include "tst_LauncherServiceWithVendor.moc"
