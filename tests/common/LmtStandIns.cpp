#include "common/LmtStandIns.h"

#include "common/LmtTestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QTimer>

namespace lmttest {

// A busy machine (several builds at once) may take its time to start a program.
static const int kTimeoutMs = 60000;

QString demoCatalogue()
{
    return QDir(binDir()).absoluteFilePath(QStringLiteral("../demo"));
}

bool VendorStandIn::start(const QStringList &extraArguments, QString *error)
{
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (!QFileInfo::exists(m_catalogue + QStringLiteral("/registry.json")))
        return fail(QStringLiteral("the demo catalogue has not been generated"));
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    // Its request log goes to a file, so that it never fills a pipe nobody reads.
    m_process.setStandardErrorFile(m_logDir.filePath(QStringLiteral("requests.log")));
    m_process.start(binDir() + QStringLiteral("/lumetra-vendor-service"),
        QStringList { QStringLiteral("--catalogue"), m_catalogue, QStringLiteral("--port"),
            QStringLiteral("0") }
            + extraArguments);
    if (!m_process.waitForStarted(kTimeoutMs))
        return fail(QStringLiteral("lumetra-vendor-service did not start"));
    static const QRegularExpression listening(
        QStringLiteral("^Listening on (http://127\\.0\\.0\\.1:\\d+)"));
    const QDeadlineTimer deadline(kTimeoutMs);
    while (!m_process.canReadLine() && m_process.state() != QProcess::NotRunning
        && m_process.waitForReadyRead(int(deadline.remainingTime()))) { }
    const QString output = QString::fromUtf8(m_process.readLine());
    const QRegularExpressionMatch match = listening.match(output);
    m_url = match.captured(1);
    return match.hasMatch() || fail(QStringLiteral("unexpected output: ") + output);
}

void VendorStandIn::stop()
{
    m_process.kill();
    m_process.waitForFinished(kTimeoutMs);
}

bool writeLauncherConfig(const QString &vendorUrl, const QString &email, const QString &password)
{
    const QJsonObject config { { QStringLiteral("vendorUrl"), vendorUrl },
        { QStringLiteral("email"), email }, { QStringLiteral("password"), password } };
    return writeFile(launcherServiceDirectory() + QStringLiteral("/launcher-config.json"),
        QJsonDocument(config).toJson());
}

QString installLauncherService()
{
    const QString built = binDir() + QStringLiteral("/kor-launcher-service");
    const QString installed = launcherServiceDirectory() + QStringLiteral("/kor-launcher-service");
    QDir().mkpath(launcherServiceDirectory());
    QFile::remove(installed);
    return QFile::copy(built, installed) ? installed : QString();
}

// Waits in the event loop, so that servers of this process (a scripted vendor) keep answering.
static RunResult runProgram(const QString &program, const QStringList &arguments)
{
    QProcess process;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(kTimeoutMs, &loop, &QEventLoop::quit);
    process.start(program, arguments);
    loop.exec();
    const bool finished = process.state() == QProcess::NotRunning;
    process.kill();
    process.waitForFinished();
    return { finished, process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        process.readAllStandardOutput(), process.readAllStandardError() };
}

int runLauncherService(const QString &program, const QStringList &arguments)
{
    const RunResult result = runProgram(program, arguments);
    return result.finished ? result.exitCode : -1;
}

RunResult runLauncher(const QStringList &arguments)
{
    return runProgram(binDir() + QStringLiteral("/kor-launcher-service"), arguments);
}

QJsonObject askService(quint16 port, const QString &path, bool post, int *status)
{
    QNetworkAccessManager network;
    QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path)));
    QNetworkReply *reply = post ? network.post(request, QByteArray()) : network.get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kTimeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    if (status)
        *status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QJsonObject object = QJsonDocument::fromJson(reply->readAll()).object();
    delete reply;
    return object;
}

} // namespace lmttest
