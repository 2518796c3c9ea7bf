#include "common/LmtFakeConnector.h"

#include "services/LmtProcessHandle.h"

#include <stdexcept>

using namespace zendrel::lmt::setup;

namespace lmttest {

QList<FakeConnector::Call> FakeConnector::calls(const QString &operation) const
{
    QList<Call> result = calls();
    result.removeIf([&](const Call &call) { return call.operation != operation; });
    return result;
}

LmtCommandLine FakeConnector::command(const QString &verb, const QString &featureId,
    const QString &version, const QStringList &extraArguments) const
{
    const QByteArray body = locked([&] {
        return verb == QLatin1String("downloadOnly") ? m_downloadScript : m_installScript;
    })(featureId, version);
    if (body.isNull())
        return {};
    return { "/bin/sh",
        QStringList { "-c", QString::fromUtf8(body), "kor-launcher-service", "-kor.service",
            QStringLiteral("%1 %2:%3 https://registry.invalid/api/v1/tools/")
                .arg(verb, featureId, version) }
            + extraArguments };
}

std::shared_ptr<LmtProcessHandle> FakeConnector::run(
    const QString &operation, const LmtCommandLine &command)
{
    if (command.program.isEmpty())
        throw std::runtime_error("process failed to start");
    const auto handle = LmtProcessHandle::start(command.program, command.arguments);
    locked([&] {
        const int running = ++m_running[operation];
        m_maxRunning[operation] = qMax(m_maxRunning.value(operation), running);
    });
    // Direct: counted on the thread the process reports to, before anybody else hears of it.
    QObject::connect(
        handle.get(), &LmtProcessHandle::finished, handle.get(),
        [this, operation] { locked([&] { --m_running[operation]; }); }, Qt::DirectConnection);
    return handle;
}

void FakeConnector::start()
{
    record(QStringLiteral("start"));
    if (const auto behaviour = locked([this] { return m_startBehaviour; }))
        behaviour();
    m_started = true;
}

bool FakeConnector::verifyTokenValue(const QByteArray &)
{
    record(QStringLiteral("verifyTokenValue"));
    const auto check = locked([this] { return m_tokenCheck; });
    return check ? check() : false;
}

std::shared_ptr<LmtProcessHandle> FakeConnector::downloadTool(
    const QString &featureId, const QString &version)
{
    record(QStringLiteral("download"), featureId, version);
    return run(QStringLiteral("download"), command("downloadOnly", featureId, version));
}

std::shared_ptr<LmtProcessHandle> FakeConnector::installTool(
    const QString &featureId, const QString &version, const QStringList &installerArgs)
{
    record(QStringLiteral("install"), featureId, version, installerArgs);
    return run(QStringLiteral("install"), installCommand(featureId, version, installerArgs));
}

bool FakeConnector::checkForUpdate(const QString &featureId, QString &newVersion)
{
    record(QStringLiteral("checkForUpdate"), featureId);
    QMutexLocker lock(&m_mutex);
    if (!m_updateFailure.isEmpty())
        throw std::runtime_error(m_updateFailure.toStdString());
    newVersion = m_updateAvailable ? m_newVersion : newVersion;
    return m_updateAvailable;
}

} // namespace lmttest
