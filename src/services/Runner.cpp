#include "services/Runner.h"

#include "platform/LmtPlatform.h"
#include "services/LmtRunnerProcess.h"
#include "shared_toolkit/Log.h"
#include "shared_toolkit/UrlRedaction.h"

#include <QDir>
#include <QEventLoop>
#include <QTimer>

namespace zendrel::lmt::lmtqueryapi {

namespace {

constexpr int StartTimeoutMs = 30000;
constexpr int KillWaitMs = 3000;

qint64 steadyNowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Lines of a finished run. Empty parts stay (they are blank lines of the child), but an
// empty output is no lines at all rather than one empty line.
QStringList splitLines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() == 1 && lines.first().isEmpty())
        lines.clear();
    return lines;
}

constexpr auto Queued = Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection);

} // namespace

Runner::Runner(QObject *parent)
    : QObject(parent)
    , m_outputDecoder(QStringDecoder::Utf8)
    , m_errorDecoder(QStringDecoder::Utf8)
    , m_timeoutTimer(new QTimer(this))
    , m_eventLoop(new QEventLoop(this))
{
    m_timeoutTimer->setSingleShot(true);
    connect(m_timeoutTimer, &QTimer::timeout, this, &Runner::onTimeout);
}

Runner::~Runner()
{
    if (m_process && m_running) {
        m_process->kill();
        m_process->waitForFinished(KillWaitMs);
    }
    delete m_process;
}

void Runner::setWorkingDirectory(const QString &dir)
{
    m_workingDirectory = dir;
    process()->setWorkingDirectory(dir);
}

void Runner::setForwardInput(bool forward)
{
    m_forwardInput = forward;
}

void Runner::setForwardOutput(bool forward, bool mergeChannels)
{
    m_forwardOutput = forward;
    m_mergeChannels = mergeChannels;
}

void Runner::setNewProcessGroup(bool on)
{
    m_newProcessGroup = on;
}

void Runner::setDetached(bool detached)
{
    m_detached = detached;
}

void Runner::setTimeout(std::chrono::milliseconds timeout)
{
    m_timeout = timeout;
}

LmtRunnerProcess *Runner::process()
{
    if (!m_process) {
        // Parented so that the process never outlives the runner, whatever happens.
        m_process = new LmtRunnerProcess(this);
        m_process->setWorkingDirectory(m_workingDirectory);
    }
    return m_process;
}

void Runner::connectProcess()
{
    connect(m_process, &QProcess::finished, this, &Runner::onFinished, Queued);
    connect(m_process, &QProcess::errorOccurred, this, &Runner::onErrorOccurred, Queued);
    connect(m_process, &QProcess::started, this, &Runner::onStarted, Queued);
}

void Runner::configureChannels()
{
    if (m_forwardInput)
        m_process->setInputChannelMode(QProcess::ForwardedInputChannel);
    else
        m_process->setStandardInputFile(QProcess::nullDevice());

    if (m_mergeChannels) {
        m_process->setProcessChannelMode(QProcess::MergedChannels);
        m_process->setReadChannel(QProcess::StandardOutput);
        connect(m_process, &QIODevice::readyRead, this, &Runner::onReadyReadStandardOutput, Queued);
    } else {
        connect(m_process, &QProcess::readyReadStandardOutput, this,
            &Runner::onReadyReadStandardOutput, Queued);
        connect(m_process, &QProcess::readyReadStandardError, this,
            &Runner::onReadyReadStandardError, Queued);
        m_process->setProcessChannelMode(QProcess::SeparateChannels);
    }
}

QString Runner::commandText() const
{
    // Only ever logged or shown: an update-site URL among the arguments keeps its password to
    // itself.
    return shared_toolkit::withoutUrlPasswords(
        (QStringList { m_program } + m_arguments).join(QLatin1Char(' ')));
}

QString Runner::directoryText() const
{
    return m_workingDirectory.isEmpty() ? QDir::currentPath() : m_workingDirectory;
}

void Runner::run(const QString &program, const QStringList &arguments, bool wait)
{
    m_startTimeNs = steadyNowNs();
    m_errorMessage.clear();
    m_success = false;
    m_timedOut = false;
    m_exitCode = 0;
    m_elapsedMs = 0;
    m_standardOutput.clear();
    m_standardOutputLines.clear();
    m_standardError.clear();
    m_standardErrorLines.clear();
    m_outputDecoder.resetState();
    m_errorDecoder.resetState();
    process()->setNewProcessGroup(m_newProcessGroup && !m_detached);
    m_running = true;
    m_started = false;

    connectProcess();
    configureChannels();

    m_program = program;
    m_arguments = arguments;
    m_process->setProgram(program);
    m_process->setArguments(arguments);
    qCDebug(lmtLocal).noquote() << "[Runner]"
                                << "run():" << commandText() << "in" << directoryText()
                                << (m_detached ? "detached" : "");

    if (m_detached) {
        if (!m_process->startDetached())
            m_errorMessage = trLog("command '%1', directory '%2' - failed to start")
                                 .arg(commandText(), directoryText());
        return;
    }

    m_process->start(QIODevice::ReadWrite);
    if (wait) {
        if (m_timeout.count() > 0)
            m_timeoutTimer->start(m_timeout);
        if (m_running)
            m_eventLoop->exec();
        m_timeoutTimer->stop();
    } else if (!m_process->waitForStarted(StartTimeoutMs)) {
        m_errorMessage = trLog("command '%1', directory '%2' - failed to start")
                             .arg(commandText(), directoryText());
    }
}

void Runner::onStarted()
{
    m_started = true;
}

void Runner::onReadyReadStandardOutput()
{
    // A queued notice may arrive after the run's process was already deleted.
    if (!m_process)
        return;
    const QString text = m_outputDecoder(m_process->readAllStandardOutput());
    if (!m_forwardOutput)
        m_standardOutput += text;
    else if (!text.isEmpty())
        Q_EMIT standardOutReady(text);
}

void Runner::onReadyReadStandardError()
{
    if (!m_process)
        return;
    const QString text = m_errorDecoder(m_process->readAllStandardError());
    if (!m_forwardOutput)
        m_standardError += text;
    else if (!text.isEmpty())
        Q_EMIT standardErrorReady(text);
}

void Runner::onFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    // A late notice of an earlier run's process (the run already ended) changes nothing.
    if (!m_running || !m_process)
        return;
    m_exitCode = exitCode;
    m_success = false;
    m_eventLoop->quit();
    m_timeoutTimer->stop();

    if (m_timedOut) {
        m_errorMessage = trLog("command '%1', directory '%2' - %3")
                             .arg(commandText(), directoryText(), trLog("child program timed out"));
    } else if (exitStatus == QProcess::CrashExit) {
        m_errorMessage = trLog("command '%1', directory '%2' - process crashed")
                             .arg(commandText(), directoryText());
    } else if (exitCode != 0) {
        m_errorMessage
            = trLog("command '%1'\n  directory '%2'\n  child process exited with error code %3")
                  .arg(commandText(), directoryText())
                  .arg(exitCode);
    } else if (m_errorMessage.isEmpty()) {
        m_success = true;
    } else {
        m_errorMessage = trLog("command '%1', directory '%2' - %3")
                             .arg(commandText(), directoryText(), m_errorMessage);
    }

    onReadyReadStandardOutput();
    if (!m_mergeChannels) // merged, standard error arrives as output
        onReadyReadStandardError();
    m_standardErrorLines = splitLines(m_standardError);
    m_standardOutputLines = splitLines(m_standardOutput);

    delete m_process;
    m_process = nullptr;
    finishRun();
    Q_EMIT finished(m_success);
}

void Runner::onErrorOccurred(QProcess::ProcessError error)
{
    if (!m_running)
        return;
    switch (error) {
    case QProcess::FailedToStart:
        m_errorMessage = trLog("the command '%1', directory '%2' - child program failed to start")
                             .arg(commandText(), directoryText());
        // No finished() follows a failed start: this ends the run.
        m_success = false;
        m_eventLoop->quit();
        m_timeoutTimer->stop();
        finishRun();
        Q_EMIT finished(false);
        return;
    case QProcess::Crashed:
        m_errorMessage = trLog("child program crashed");
        break;
    case QProcess::Timedout:
        m_errorMessage = trLog("child program timed out");
        break;
    case QProcess::ReadError:
        m_errorMessage = trLog("child program read error from stdout/stderr");
        break;
    case QProcess::WriteError:
        m_errorMessage = trLog("child program write to stdin error");
        break;
    case QProcess::UnknownError:
        m_errorMessage = trLog("child program unknown error");
        break;
    }
    // The child may still be running (read and write errors) and always reports its end
    // through finished(); only that ends the run, so the results are complete when a waiting
    // run() returns.
}

void Runner::finishRun()
{
    m_running = false;
    m_elapsedMs = (steadyNowNs() - m_startTimeNs) / 1000000;
}

void Runner::onTimeout()
{
    if (!m_running || !m_process || m_process->state() == QProcess::NotRunning)
        return;
    qCWarning(lmtLocal).noquote() << "[Runner]"
                                  << "command" << commandText() << "still running after"
                                  << m_timeout.count() << "ms - killing it";
    m_timedOut = true;
    if (m_process->newProcessGroup())
        platform::killProcessGroup(m_process->processId());
    m_process->kill();
}

void Runner::sendQuitSignal()
{
    if (m_running && m_process && m_process->state() == QProcess::Running
        && m_process->newProcessGroup())
        platform::sendQuitSignal(m_process->processId());
}

} // namespace zendrel::lmt::lmtqueryapi
