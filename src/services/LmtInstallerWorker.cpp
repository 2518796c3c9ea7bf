#include "services/LmtInstallerWorker.h"

#include "model/LmtLocalToolVersion.h"
#include "model/LmtOnlineToolVersion.h"
#include "services/ILmtLauncherServiceConnector.h"
#include "services/LmtProcessHandle.h"
#include "shared_toolkit/Log.h"
#include "shared_toolkit/UrlRedaction.h"

#include <QMutexLocker>

#include <exception>

namespace zendrel::lmt::setup {

namespace {

constexpr auto Tag = "[LmtInstallerWorker]";
const QString Sudo = QStringLiteral("sudo");
// Not a text any launcher or installer prints, so that it is recognised as sudo's question.
const QString SudoPrompt = QStringLiteral("[lmt-sudo] password:");

} // namespace

LmtInstallerWorker::LmtInstallerWorker(std::shared_ptr<ILmtLauncherServiceConnector> connector,
    QList<std::shared_ptr<LmtToolVersion>> *queue, QMutex *mutex)
    : m_connector(std::move(connector))
    , m_queue(queue)
    , m_mutex(mutex)
{
    connect(this, &ILmtInstallerWorker::installPackageRequested, this,
        &LmtInstallerWorker::onInstallRequested);
    qCDebug(lmtLocal).noquote() << Tag << "Created LmtInstallerWorker object";
    m_thread.run(this, QStringLiteral("LmtInstallerWorker"));
}

LmtInstallerWorker::~LmtInstallerWorker()
{
    qCDebug(lmtLocal).noquote() << Tag << "Destroying LmtInstallerWorker object";
    m_thread.shutDown([this] {
        if (m_process)
            m_process->wait();
        m_process.reset();
    });
}

QStringList LmtInstallerWorker::installerArguments(const LmtToolVersion &version)
{
    const auto *online = dynamic_cast<const LmtOnlineToolVersion *>(&version);
    if (!online || !online->silentInstall())
        return {};
    QStringList arguments { QStringLiteral("--"), QStringLiteral("/verysilent"),
        QStringLiteral("/suppressmsgboxes"), QStringLiteral("/norestart"),
        version.installScope() == LmtToolInstallScope::AllUsers ? QStringLiteral("/allusers")
                                                                : QStringLiteral("/currentuser") };
    // An upgrade goes where the installation it replaces is, whatever directory was chosen.
    QString directory = version.installDirectory();
    if (const auto replaced
        = std::dynamic_pointer_cast<LmtLocalToolVersion>(version.replacedLocalVersion()))
        directory = replaced->installLocation();
    if (!directory.isEmpty())
        arguments << QStringLiteral("/dir=%1").arg(directory);
    return arguments;
}

std::shared_ptr<LmtProcessHandle> LmtInstallerWorker::startWithSudo(
    const QStringList &installerArgs)
{
    const LmtCommandLine command
        = m_connector->installCommand(m_featureId, m_version, installerArgs);
    // "-S": the password comes from standard input; "-k": cached credentials are ignored, so
    // sudo always reads it itself; "-p": a prompt of ours on standard error tells when it does.
    const QStringList arguments = QStringList { QStringLiteral("-S"), QStringLiteral("-k"),
        QStringLiteral("-p"), SudoPrompt, QStringLiteral("--"), command.program }
        + command.arguments;
    qCInfo(lmtLocal).noquote() << Tag << "Installing with administrator rights:" << Sudo
                               << shared_toolkit::withoutUrlPasswords(
                                      arguments.join(QLatin1Char(' ')));
    auto process = LmtProcessHandle::start(Sudo, arguments);
    // The password is written only when sudo asks for it, and only once: when sudo asks for
    // none (a rule without password), nothing is written that the launcher or the package
    // installer could read; a second prompt (wrong password) reads end-of-file and sudo gives
    // up instead of waiting.
    struct PromptWatch {
        QString errorOutput;
        bool answered = false;
    };
    const auto watch = std::make_shared<PromptWatch>();
    LmtProcessHandle *const handle = process.get();
    const auto answerPrompt = [handle, watch, password = m_password](const QString &text) {
        if (watch->answered)
            return;
        // The prompt may come in pieces.
        watch->errorOutput.append(text);
        if (!watch->errorOutput.contains(SudoPrompt))
            return;
        watch->answered = true;
        watch->errorOutput.clear();
        QByteArray input = password.toUtf8();
        input.append('\n');
        handle->write(input);
        handle->closeWriteChannel();
        input.fill('\0');
    };
    connect(handle, &LmtProcessHandle::stdErrorReady, handle, answerPrompt, Qt::DirectConnection);
    // What sudo printed before the connection was made.
    answerPrompt(handle->lastError());
    return process;
}

void LmtInstallerWorker::onInstallRequested()
{
    if (m_busy || m_retired)
        return;
    std::shared_ptr<LmtToolVersion> version;
    {
        QMutexLocker lock(m_mutex);
        if (m_queue->isEmpty())
            return;
        version = m_queue->takeFirst();
    }
    m_busy = true;
    m_featureId = version->featureId();
    m_version = version->version();

    try {
        const QStringList arguments = installerArguments(*version);
        qCInfo(lmtLocal).noquote() << Tag << "Install called for:" << m_featureId << m_version;
        if (m_allUsersWithSudo && version->installScope() == LmtToolInstallScope::AllUsers)
            m_process = startWithSudo(arguments);
        else
            m_process = m_connector->installTool(m_featureId, m_version, arguments);
        connect(m_process.get(), &LmtProcessHandle::finished, this,
            &LmtInstallerWorker::onInstallFinished);
        m_process->logOutput(Tag);
        Q_EMIT installWorkerStatus(InProgress, m_featureId, m_version);
    } catch (const std::exception &e) {
        const QString reason = QString::fromUtf8(e.what());
        Q_EMIT error(GeneralError,
            trLog("Failed to install '%1' - '%2' package: %3").arg(m_featureId, m_version, reason));
        // The reason travels with the status: the installer reports failures from there.
        Q_EMIT installWorkerStatus(Failed, m_featureId, m_version, reason);
        m_busy = false;
    }
}

void LmtInstallerWorker::onInstallFinished(bool status, QString errorStr)
{
    m_busy = false;
    // The child has ended: mark the handle finished so that nobody waits for it again.
    if (m_process)
        m_process->wait();
    const LmtOperationStatus result = !errorStr.isEmpty() ? Failed : status ? Succeeded : Failed;
    Q_EMIT installWorkerStatus(result, m_featureId, m_version, errorStr);
}

} // namespace zendrel::lmt::setup
