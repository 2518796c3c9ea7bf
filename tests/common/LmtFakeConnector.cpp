#include "common/LmtFakeConnector.h"

#include "model/LmtToolVersion.h"
#include "services/LmtProcessHandle.h"

#include <QMutexLocker>

#include <stdexcept>

using namespace zendrel::lmt::setup;

namespace lmttest {

namespace {

const QString Shell = QStringLiteral("/bin/sh");
const QString FakeRegistryUrl = QStringLiteral("https://registry.invalid/api/v1/tools/");

FakeConnector::Script exitZero()
{
    return [](const QString &, const QString &) { return QByteArray("exit 0"); };
}

} // namespace

FakeConnector::FakeConnector()
    : m_downloadScript(exitZero())
    , m_installScript(exitZero())
{
}

void FakeConnector::setDownloadScript(Script script)
{
    QMutexLocker lock(&m_mutex);
    m_downloadScript = std::move(script);
}

void FakeConnector::setInstallScript(Script script)
{
    QMutexLocker lock(&m_mutex);
    m_installScript = std::move(script);
}

void FakeConnector::setUpdateCheck(
    bool available, const QString &newVersion, const QString &failure)
{
    QMutexLocker lock(&m_mutex);
    m_updateAvailable = available;
    m_newVersion = newVersion;
    m_updateFailure = failure;
}

QList<FakeConnector::Call> FakeConnector::calls() const
{
    QMutexLocker lock(&m_mutex);
    return m_calls;
}

QList<FakeConnector::Call> FakeConnector::calls(const QString &operation) const
{
    QList<Call> result;
    for (const Call &call : calls()) {
        if (call.operation == operation)
            result << call;
    }
    return result;
}

int FakeConnector::maxConcurrent(const QString &operation) const
{
    QMutexLocker lock(&m_mutex);
    return m_maxRunning.value(operation);
}

void FakeConnector::record(const QString &operation, const QString &featureId,
    const QString &version, const QStringList &arguments)
{
    QMutexLocker lock(&m_mutex);
    m_calls << Call { operation, featureId, version, arguments, QThread::currentThread() };
}

FakeConnector::Script FakeConnector::script(const QString &operation) const
{
    QMutexLocker lock(&m_mutex);
    return operation == QLatin1String("download") ? m_downloadScript : m_installScript;
}

std::shared_ptr<LmtProcessHandle> FakeConnector::run(
    const QString &operation, const LmtCommandLine &command)
{
    const auto handle = LmtProcessHandle::start(command.program, command.arguments);
    {
        QMutexLocker lock(&m_mutex);
        const int running = ++m_running[operation];
        m_maxRunning[operation] = qMax(m_maxRunning.value(operation), running);
    }
    // Direct: counted on the thread the process reports to, before anybody else hears of it.
    QObject::connect(
        handle.get(), &LmtProcessHandle::finished, handle.get(),
        [this, operation] {
            QMutexLocker lock(&m_mutex);
            --m_running[operation];
        },
        Qt::DirectConnection);
    return handle;
}

void FakeConnector::setStartBehaviour(std::function<void()> behaviour)
{
    QMutexLocker lock(&m_mutex);
    m_startBehaviour = std::move(behaviour);
}

void FakeConnector::setTokenCheck(std::function<bool()> check)
{
    QMutexLocker lock(&m_mutex);
    m_tokenCheck = std::move(check);
}

void FakeConnector::start()
{
    record(QStringLiteral("start"));
    std::function<void()> behaviour;
    {
        QMutexLocker lock(&m_mutex);
        behaviour = m_startBehaviour;
    }
    if (behaviour)
        behaviour();
    m_started = true;
}

void FakeConnector::requestAccessToken()
{
    record(QStringLiteral("requestAccessToken"));
}

void FakeConnector::revokeAccessToken()
{
    record(QStringLiteral("revokeAccessToken"));
}

bool FakeConnector::verifyTokenValue(const QByteArray &)
{
    record(QStringLiteral("verifyTokenValue"));
    std::function<bool()> check;
    {
        QMutexLocker lock(&m_mutex);
        check = m_tokenCheck;
    }
    return check ? check() : false;
}

std::shared_ptr<LmtProcessHandle> FakeConnector::downloadTool(
    const QString &featureId, const QString &version)
{
    record(QStringLiteral("download"), featureId, version);
    const QByteArray body = script(QStringLiteral("download"))(featureId, version);
    if (body.isNull())
        throw std::runtime_error("process failed to start");
    return run(QStringLiteral("download"),
        { Shell,
            { QStringLiteral("-c"), QString::fromUtf8(body), QStringLiteral("kor-launcher-service"),
                QStringLiteral("-kor.service"),
                QStringLiteral("downloadOnly %1:%2 %3")
                    .arg(featureId, version, FakeRegistryUrl) } });
}

std::shared_ptr<LmtProcessHandle> FakeConnector::downloadTool(
    std::shared_ptr<LmtToolVersion> version)
{
    return downloadTool(version->featureId(), version->version());
}

std::shared_ptr<LmtProcessHandle> FakeConnector::installTool(
    const QString &featureId, const QString &version, const QStringList &installerArgs)
{
    record(QStringLiteral("install"), featureId, version, installerArgs);
    const LmtCommandLine command = installCommand(featureId, version, installerArgs);
    if (command.program.isEmpty())
        throw std::runtime_error("process failed to start");
    return run(QStringLiteral("install"), command);
}

LmtCommandLine FakeConnector::installCommand(
    const QString &featureId, const QString &version, const QStringList &installerArgs) const
{
    const QByteArray body = script(QStringLiteral("install"))(featureId, version);
    if (body.isNull())
        return {};
    return { Shell,
        QStringList { QStringLiteral("-c"), QString::fromUtf8(body),
            QStringLiteral("kor-launcher-service"), QStringLiteral("-kor.service"),
            QStringLiteral("installOnly %1:%2 %3").arg(featureId, version, FakeRegistryUrl) }
            + installerArgs };
}

bool FakeConnector::checkForUpdate(const QString &featureId, QString &newVersion)
{
    record(QStringLiteral("checkForUpdate"), featureId);
    QMutexLocker lock(&m_mutex);
    if (!m_updateFailure.isEmpty())
        throw std::runtime_error(m_updateFailure.toStdString());
    if (m_updateAvailable)
        newVersion = m_newVersion;
    return m_updateAvailable;
}

void FakeConnector::updateToolDetached(
    const QString &featureId, const QString &version, const QStringList &extraArgs)
{
    record(QStringLiteral("updateDetached"), featureId, version, extraArgs);
}

} // namespace lmttest
