#include "services/LmtProcessHandle.h"

#include "shared_toolkit/Log.h"
#include "shared_toolkit/UrlRedaction.h"

#include <stdexcept>

namespace zendrel::lmt::setup {

namespace {

constexpr int StartTimeoutMs = 30000;
constexpr int FinishTimeoutMs = 30000;

} // namespace

LmtProcessHandle::LmtProcessHandle()
    : m_outputDecoder(QStringDecoder::Utf8)
    , m_errorDecoder(QStringDecoder::Utf8)
{
}

std::shared_ptr<LmtProcessHandle> LmtProcessHandle::start(
    const QString &program, const QStringList &arguments)
{
    std::shared_ptr<LmtProcessHandle> handle(new LmtProcessHandle);
    // No parent: the process is released by wait() (or the destructor) with deleteLater, so a
    // signal that is being delivered never finds it gone.
    auto *process = new QProcess;
    handle->m_process = process;

    // The connections hold weak references: a handle that nobody keeps is destroyed (and waits
    // for its child) instead of being kept alive by its own process for ever.
    const std::weak_ptr<LmtProcessHandle> weak = handle;
    connect(process, &QProcess::readyReadStandardOutput, process, [weak] {
        if (const auto self = weak.lock())
            self->readStandardOutput();
    });
    connect(process, &QProcess::readyReadStandardError, process, [weak] {
        if (const auto self = weak.lock())
            self->readStandardError();
    });
    connect(process, &QProcess::finished, process,
        [weak](int exitCode, QProcess::ExitStatus exitStatus) {
            if (const auto self = weak.lock())
                self->onProcessFinished(exitCode, exitStatus);
        });

    process->start(program, arguments, QIODevice::ReadWrite);
    if (!process->waitForStarted(StartTimeoutMs)) {
        qCCritical(lmtLocal).noquote()
            << "[LmtProcessHandle]"
            << "start(): cannot start" << program << process->errorString();
        handle->m_process = nullptr;
        handle->m_finished = true;
        delete process;
        throw std::runtime_error(trLog("process failed to start").toStdString());
    }
    return handle;
}

LmtProcessHandle::~LmtProcessHandle()
{
    if (!m_finished) {
        qCDebug(lmtLocal).noquote() << "[LmtProcessHandle]"
                                    << "Called ~LmtProcessHandle while process is running";
        wait();
    }
}

void LmtProcessHandle::wait()
{
    if (QProcess *const process = m_process) {
        // The wait delivers finished(), whose receivers may call wait() again: only the
        // innermost call releases the process, and stays the only one to do so.
        process->waitForFinished(FinishTimeoutMs);
        if (m_process == process) {
            m_process = nullptr;
            process->deleteLater();
        }
    }
    m_finished = true;
}

void LmtProcessHandle::kill()
{
    if (m_process)
        m_process->kill();
}

void LmtProcessHandle::abandon()
{
    QProcess *const process = m_process;
    m_process = nullptr;
    m_finished = true;
    if (!process)
        return;
    // The forwarding lambdas go: whatever the child still prints or reports reaches nobody.
    process->disconnect();
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    // Deleting a QProcess whose child still runs would wait for the child. The process object
    // stays until the child has ended (and is reaped), then goes. A child that cannot be
    // signalled, such as sudo running as root, ends on its own once its input is closed.
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->closeWriteChannel();
    process->terminate();
}

void LmtProcessHandle::write(const QByteArray &data)
{
    if (m_process)
        m_process->write(data);
}

bool LmtProcessHandle::waitForBytesWritten(int timeoutMs)
{
    if (!m_process)
        return false;
    // Nothing pending counts as written: QProcess reports false when there is nothing to wait for.
    return m_process->bytesToWrite() == 0 || m_process->waitForBytesWritten(timeoutMs);
}

void LmtProcessHandle::closeWriteChannel()
{
    if (m_process)
        m_process->closeWriteChannel();
}

void LmtProcessHandle::readStandardOutput()
{
    if (!m_process)
        return;
    const QString text
        = shared_toolkit::withoutUrlPasswords(m_outputDecoder(m_process->readAllStandardOutput()));
    qCDebug(lmtLocal).noquote() << "[LmtProcessHandle]"
                                << "STDOUT:" << text;
    Q_EMIT stdOutReady(text);
}

void LmtProcessHandle::readStandardError()
{
    if (!m_process)
        return;
    const QString text
        = shared_toolkit::withoutUrlPasswords(m_errorDecoder(m_process->readAllStandardError()));
    qCCritical(lmtLocal).noquote() << "[LmtProcessHandle]"
                                   << "STDERR:" << text;
    // Kept without its line breaks: it ends up inside a one-line failure text. A program that
    // writes its message in pieces (sudo does) ends with a bare line break, which would leave
    // the failure text without its reason.
    const QString trimmed = text.trimmed();
    if (!trimmed.isEmpty())
        m_lastError = trimmed;
    Q_EMIT stdErrorReady(text);
}

void LmtProcessHandle::onProcessFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    QString errorStr;
    if (exitStatus == QProcess::CrashExit)
        errorStr = trLog("process crashed %1").arg(m_lastError);
    else if (exitCode != 0)
        errorStr
            = trLog("child process exited with error code %1: %2").arg(exitCode).arg(m_lastError);
    if (!errorStr.isEmpty())
        m_lastError = errorStr;
    // A crash is a failure whatever exit code the platform reports for it.
    Q_EMIT finished(errorStr.isEmpty(), errorStr);
}

void LmtProcessHandle::logOutput(const char *tag)
{
    connect(
        this, &LmtProcessHandle::stdErrorReady, this,
        [tag](const QString &text) { qCCritical(lmtLocal).noquote() << tag << text; },
        Qt::DirectConnection);
    connect(
        this, &LmtProcessHandle::stdOutReady, this,
        [tag](const QString &text) { qCDebug(lmtLocal).noquote() << tag << text; },
        Qt::DirectConnection);
}

} // namespace zendrel::lmt::setup
