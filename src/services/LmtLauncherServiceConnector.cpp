#include "services/LmtLauncherServiceConnector.h"

#include "base/LmtJsonFields.h"
#include "model/LmtToolVersion.h"
#include "platform/LmtPlatform.h"
#include "services/ILmtDownloadManager.h"
#include "services/LmtDownloadSettings.h"
#include "services/LmtProcessHandle.h"
#include "services/LmtVendorSite.h"
#include "services/NetworkException.h"
#include "services/Runner.h"
#include "shared_toolkit/Log.h"
#include "shared_toolkit/UrlRedaction.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <mutex>
#include <stdexcept>

namespace zendrel::lmt::setup {

namespace {

constexpr auto Tag = "[LmtLauncherServiceConnector]";
constexpr int TokenRequestTimeoutMs = 60000;
constexpr int RevokeTimeoutMs = 5000;

const QString ExecutableName = QStringLiteral("kor-launcher-service");
const QString ServiceFolder = QStringLiteral("Zendrel/LauncherService/");

[[noreturn]] void fail(const QString &message)
{
    throw std::runtime_error(message.toStdString());
}

// Parses a reply of the service's token API; throws the parser's text for broken JSON.
QJsonDocument parseReply(const QByteArray &reply, const QUrl &url)
{
    if (reply.isEmpty())
        fail(LmtLauncherServiceConnector::trLog("Received empty reply from KOR Launcher Service"));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(reply, &error);
    if (error.error != QJsonParseError::NoError || document.isNull()) {
        qCCritical(lmtLocal).noquote()
            << Tag << "Failed to obtain valid JSON object from reply to" << url.toDisplayString();
        fail(error.errorString());
    }
    return document;
}

// The registry operand of the "-kor.service" verbs: the update-site URL as configured, with
// its user name and password. The service downloads from that site on its own, and this
// operand is the only way its command-line interface learns the site and its credentials.
// (Elevated installations get a fresh environment from sudo and their standard input belongs
// to sudo, so neither could carry them instead.) A command line can be read by other local
// users, so no other argument carries a secret, and no log line or message shows this one:
// every text built from these arguments goes through withoutUrlPasswords().
QString registryOperand()
{
    return korOnlineUrl();
}

} // namespace

LmtLauncherServiceConnector::LmtLauncherServiceConnector(
    std::shared_ptr<ILmtDownloadManager> downloadManager, QObject *parent)
    : ILmtLauncherServiceConnector(parent)
    , m_launcherCli(ExecutableName)
    , m_downloadManager(std::move(downloadManager))
{
}

void LmtLauncherServiceConnector::start()
{
    QMutexLocker lock(&m_startMutex);
    startLocked();
}

void LmtLauncherServiceConnector::startLocked()
{
    qCDebug(lmtLocal).noquote() << Tag << ">> start()";
    try {
        discoverLauncherCli();
        startService();
        QThread::msleep(static_cast<unsigned long>(m_startupPause.count()));
        discoverServicePort();
    } catch (...) {
        m_lastStartFailure = std::current_exception();
        ++m_startsEnded;
        throw;
    }
    m_lastStartFailure = nullptr;
    ++m_startsEnded;
    qCDebug(lmtLocal).noquote() << Tag << "<< start()";
}

void LmtLauncherServiceConnector::startIfNeeded()
{
    const quint64 endedBefore = m_startsEnded;
    if (isStarted())
        return;
    std::unique_lock<QMutex> lock(m_startMutex, std::try_to_lock);
    if (!lock.owns_lock()) {
        qCInfo(lmtLocal).noquote()
            << Tag << "Launcher Service is being started, waiting for the start to end";
        lock.lock();
    }
    if (isStarted())
        return;
    // A start that ended while this caller waited had the same service to start: its failure
    // is this caller's too, rather than a second service started behind it.
    if (m_startsEnded != endedBefore && m_lastStartFailure)
        std::rethrow_exception(m_lastStartFailure);
    startLocked();
}

QString LmtLauncherServiceConnector::launcherCli() const
{
    QMutexLocker lock(&m_stateMutex);
    return m_launcherCli;
}

bool LmtLauncherServiceConnector::executableFound() const
{
    QMutexLocker lock(&m_stateMutex);
    return m_executableFound;
}

void LmtLauncherServiceConnector::discoverLauncherCli()
{
    qCDebug(lmtLocal).noquote() << Tag << ">> discoverLauncherCli()";
    QString launcher = ExecutableName;

    const QString relativePath = ServiceFolder + ExecutableName + platform::executableSuffix();
    const QString inHome = QStandardPaths::locate(QStandardPaths::HomeLocation, relativePath);
    const QString onSystemDrive = platform::systemDrive() + QLatin1Char('/') + relativePath;
    const QString serviceDirectory = QStandardPaths::locate(
        QStandardPaths::HomeLocation, ServiceFolder, QStandardPaths::LocateDirectory);

    bool found = true;
    if (!inHome.isEmpty())
        launcher = inHome;
    else if (QFileInfo(onSystemDrive).isFile())
        launcher = onSystemDrive;
    else
        found = false;
    {
        QMutexLocker lock(&m_stateMutex);
        m_launcherCli = launcher;
        m_executableFound = found;
        m_serviceDirectory = serviceDirectory;
    }
    qCInfo(lmtLocal).noquote() << Tag
                               << QStringLiteral("discoverLauncherCli(): launcherCli: '%1', "
                                                 "launcherCmd: '%2', launcherArgs: '%3'")
                                      .arg(launcher, launcher, QString());
    qCDebug(lmtLocal).noquote() << Tag << "<< discoverLauncherCli()";
}

void LmtLauncherServiceConnector::startService()
{
    qCInfo(lmtLocal).noquote() << Tag << "startService()";
    // Nothing is started when the executable is missing: the bare name would otherwise be
    // looked up on the search path, which is not where the service is installed.
    if (!m_executableFound) {
        const QString expectedAt = m_serviceDirectory.isEmpty()
            ? QDir::homePath() + QLatin1Char('/') + ServiceFolder
            : m_serviceDirectory;
        const QString message = trLog(
            "Cannot find kor-launcher-service executable expected at %1 - was it "
            "accidentally deleted? Please see on how to fix the corrupt installation and "
            "other issues in <a href=\"%2\">Lumetra Setup User Guide</a> and/or send log to "
            "the support team.")
                                    .arg(QDir::toNativeSeparators(expectedAt), setupUserGuideUrl());
        qCCritical(lmtLocal).noquote() << Tag << message;
        fail(message);
    }

    lmtqueryapi::Runner runner;
    runner.setDetached(true);
    runner.setWorkingDirectory(QStandardPaths::locate(
        QStandardPaths::HomeLocation, QString(), QStandardPaths::LocateDirectory));
    runner.run(m_launcherCli, {}, false);
    if (!runner.errorMessage().isEmpty()) {
        qCCritical(lmtLocal).noquote() << Tag << runner.errorMessage();
        fail(trLog("Failed to start Launcher Service process"));
    }
}

void LmtLauncherServiceConnector::discoverServicePort()
{
    qCDebug(lmtLocal).noquote() << Tag << ">> discoverServicePort()";
    const auto handle = LmtProcessHandle::start(m_launcherCli, { QStringLiteral("-port") });
    QStringList chunks;
    bool ended = false;
    bool succeeded = false;
    connect(
        handle.get(), &LmtProcessHandle::stdOutReady, handle.get(),
        [&chunks](const QString &text) { chunks << text; }, Qt::DirectConnection);
    connect(
        handle.get(), &LmtProcessHandle::finished, handle.get(),
        [&ended, &succeeded](bool success, const QString &) {
            ended = true;
            succeeded = success;
        },
        Qt::DirectConnection);
    handle->wait();
    qCInfo(lmtLocal).noquote() << Tag << "Call:" << QStringLiteral("%1 -port").arg(m_launcherCli)
                               << "returned:" << chunks.join(QLatin1Char(' '));

    // A "-port" that did not end, crashed or reported an error has no port to trust, whatever
    // it printed.
    const quint32 port = ended && succeeded ? portFromOutput(chunks.join(QString())) : 0;
    if (port == 0)
        fail(trLog("Failed to discover Launcher Service port"));
    m_port = port;
    qCInfo(lmtLocal).noquote() << Tag
                               << QStringLiteral("Discovered Launcher Service Port: %1").arg(port);
    qCDebug(lmtLocal).noquote() << Tag << "<< discoverServicePort()";
}

QUrl LmtLauncherServiceConnector::serviceUrl(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_port.load()).arg(path));
}

// Chunk borders of the child's output depend on timing, so the number is looked for line by
// line.
quint32 LmtLauncherServiceConnector::portFromOutput(const QString &output)
{
    static const QRegularExpression lineBreak(QStringLiteral("[\r\n]"));
    for (const QString &line : output.split(lineBreak, Qt::SkipEmptyParts)) {
        bool ok = false;
        const uint port = line.trimmed().toUInt(&ok, 10);
        if (ok && port > 0 && port <= 65535)
            return port;
    }
    return 0;
}

LmtLauncherServiceConnector::TokenReply LmtLauncherServiceConnector::parseTokenReply(
    const QByteArray &reply, const QUrl &url)
{
    const QJsonDocument document = parseReply(reply, url);
    if (!document.isObject())
        fail(trLog("Launcher service reply does not have the expected format"));
    const QJsonObject object = document.object();
    // An empty token would be a sign-in that leaves the user signed out.
    const QJsonValue token = object.value(QLatin1String("accessToken"));
    if (token.isUndefined() || (token.isString() && token.toString().isEmpty())) {
        qCCritical(lmtLocal).noquote()
            << Tag << "error parsing JSON - missing required property 'accessToken'";
        fail(trLog("Invalid credentials provided or error occurred during Single sign-on "
                   "authentication"));
    }
    const QString accessToken = LmtJsonFields::getString(object, QStringLiteral("accessToken"));
    const QString expiresIn = LmtJsonFields::getString(object, QStringLiteral("expires_in"));
    const QString receivedAt = LmtJsonFields::getString(object, QStringLiteral("received_at"));
    return { accessToken, expiresIn, receivedAt };
}

void LmtLauncherServiceConnector::requestAccessToken()
{
    qCDebug(lmtLocal).noquote() << Tag << ">> requestAccessToken()";
    startIfNeeded();
    const QUrl url = serviceUrl(QStringLiteral("/kor-service/requestAccessToken"));
    const TokenReply reply
        = parseTokenReply(m_downloadManager->getData(url, TokenRequestTimeoutMs), url);
    qCDebug(lmtLocal).noquote() << Tag << "GOT ACCESS TOKEN: [REDACTED], size:"
                                << reply.accessToken.size();
    Q_EMIT accessTokenChanged(reply.accessToken.toUtf8(), reply.expiresIn, reply.receivedAt);
    qCDebug(lmtLocal).noquote() << Tag << "<< requestAccessToken()";
}

void LmtLauncherServiceConnector::revokeAccessToken()
{
    qCDebug(lmtLocal).noquote() << Tag << ">> revokeAccessToken()";
    try {
        m_downloadManager->postData(serviceUrl(QStringLiteral("/kor-service/revokeAccessToken")),
            QByteArray(), RevokeTimeoutMs);
        qCInfo(lmtLocal).noquote()
            << Tag
            << "Current access token has been revoked successfully in the KOR launcher service";
    } catch (const NetworkException &e) {
        // Signing out must work without the service; the token is forgotten locally anyway.
        qCCritical(lmtLocal).noquote()
            << Tag
            << QStringLiteral(
                   "Failed to revoke the access token in the KOR launcher service, error: '%1'")
                   .arg(QString::fromUtf8(e.what()));
    }
    qCDebug(lmtLocal).noquote() << Tag << "<< revokeAccessToken()";
}

bool LmtLauncherServiceConnector::verifyTokenValue(const QByteArray &accessToken)
{
    qCDebug(lmtLocal).noquote() << Tag << ">> verifyTokenValue()";
    const QUrl url = serviceUrl(QStringLiteral("/getAccessToken"));
    const QJsonDocument document = parseReply(m_downloadManager->getData(url), url);
    if (!document.isObject())
        fail(trLog("Launcher service reply does not have the expected JSON format"));
    const QString held = LmtJsonFields::getString(document.object(), QStringLiteral("accessToken"));
    const bool same = held.toUtf8() == accessToken;
    qCDebug(lmtLocal).noquote() << Tag << "<< verifyTokenValue()";
    return same;
}

std::shared_ptr<LmtProcessHandle> LmtLauncherServiceConnector::downloadTool(
    const QString &featureId, const QString &version)
{
    qCInfo(lmtLocal).noquote() << Tag << "downloadTool():" << featureId << version;
    startIfNeeded();
    const QStringList arguments { QStringLiteral("-kor.service"),
        QStringLiteral("downloadOnly %1:%2 %3").arg(featureId, version, registryOperand()) };
    return LmtProcessHandle::start(launcherCli(), arguments);
}

std::shared_ptr<LmtProcessHandle> LmtLauncherServiceConnector::downloadTool(
    std::shared_ptr<LmtToolVersion> version)
{
    if (!version)
        fail(trLog("No tool version given to download"));
    return downloadTool(version->featureId(), version->version());
}

QStringList LmtLauncherServiceConnector::installArguments(
    const QString &featureId, const QString &version, const QStringList &tail) const
{
    return QStringList { QStringLiteral("-kor.service"),
        QStringLiteral("installOnly %1:%2 %3").arg(featureId, version, registryOperand()) }
    + tail;
}

std::shared_ptr<LmtProcessHandle> LmtLauncherServiceConnector::installTool(
    const QString &featureId, const QString &version, const QStringList &installerArgs)
{
    qCInfo(lmtLocal).noquote() << Tag << "installTool():" << featureId << version;
    const LmtCommandLine command = installCommand(featureId, version, installerArgs);
    qCInfo(lmtLocal).noquote() << Tag
                               << QStringLiteral(
                                      "installTool(), installerCli: %1, installerArgs: %2")
                                      .arg(command.program,
                                          shared_toolkit::withoutUrlPasswords(
                                              command.arguments.join(QLatin1Char(' '))));
    return LmtProcessHandle::start(command.program, command.arguments);
}

LmtCommandLine LmtLauncherServiceConnector::installCommand(
    const QString &featureId, const QString &version, const QStringList &installerArgs) const
{
    return { launcherCli(), installArguments(featureId, version, installerArgs) };
}

void LmtLauncherServiceConnector::updateToolDetached(
    const QString &featureId, const QString &version, const QStringList &extraArgs)
{
    qCInfo(lmtLocal).noquote() << Tag << "updateToolDetached():" << featureId << version;
    lmtqueryapi::Runner runner;
    runner.setDetached(true);
    runner.setForwardInput(false);
    runner.setForwardOutput(false, true);
    runner.run(launcherCli(), installArguments(featureId, version, extraArgs), false);
    // The caller is about to quit in favour of this installation: it must learn that none runs.
    if (!runner.errorMessage().isEmpty()) {
        qCCritical(lmtLocal).noquote() << Tag << runner.errorMessage();
        fail(runner.errorMessage());
    }
}

bool LmtLauncherServiceConnector::checkForUpdate(const QString &featureId, QString &newVersion)
{
    qCDebug(lmtLocal).noquote() << Tag << ">> checkForUpdate()" << featureId;
    const QStringList arguments { QStringLiteral("-kor.service"),
        QStringLiteral("checkUpdate %1 %2 -silent").arg(featureId, registryOperand()) };
    lmtqueryapi::Runner runner;
    runner.setForwardInput(true);
    runner.setForwardOutput(false, true);
    runner.run(launcherCli(), arguments, true);
    if (runner.isRunning())
        qCWarning(lmtLocal).noquote()
            << Tag << "checkUpdate process runner was stopped while process is still running";

    const QStringList lines = runner.standardOutputLines();
    if (lines.isEmpty())
        fail(trLog("-kor.service 'checkUpdate %1' command failed").arg(featureId));
    const QString output = lines.join(QLatin1Char(' '));
    qCInfo(lmtLocal).noquote() << Tag << "Call:"
                               << shared_toolkit::withoutUrlPasswords(
                                      arguments.join(QLatin1Char(' ')))
                               << "returned:" << shared_toolkit::withoutUrlPasswords(output);

    // The feature id is escaped: its dots are meant literally.
    const QRegularExpression available(
        QStringLiteral("update is available %1:(\\d+\\.\\d+\\.\\d+\\.\\d+)")
            .arg(QRegularExpression::escape(featureId)),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression notAvailable(
        QStringLiteral("update is not available"), QRegularExpression::CaseInsensitiveOption);

    bool result = false;
    if (const QRegularExpressionMatch match = available.match(output); match.hasMatch()) {
        newVersion = match.captured(1);
        result = true;
    } else if (!notAvailable.match(output).hasMatch()) {
        qCCritical(lmtLocal).noquote()
            << Tag << "checkForUpdate() Failed:" << shared_toolkit::withoutUrlPasswords(output);
        fail(trLog("-kor.service 'checkUpdate' command failed"));
    }
    qCDebug(lmtLocal).noquote() << Tag << "<< checkForUpdate()" << featureId;
    return result;
}

} // namespace zendrel::lmt::setup
