#pragma once

#include "shared_toolkit/LmtTr.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <chrono>

class QEventLoop;
class QTimer;

namespace zendrel::lmt::lmtqueryapi {

class LmtRunnerProcess;

// Runs one command line, either waiting for it in a private event loop or detached, and keeps
// what the child printed, its exit code, a failure text and the elapsed time for the caller.
// A runner never throws for a failing child: callers check success(), exitCode() and
// errorMessage() afterwards. Use it on one thread; its connections are queued so that the
// private event loop delivers them (and any other queued events of that thread) while waiting.
class Runner : public QObject
{
    Q_OBJECT
    LMT_TR_CONTEXT(Runner)

public:
    explicit Runner(QObject *parent = nullptr);
    ~Runner() override;

    void setWorkingDirectory(const QString &dir);
    // On: the child reads the caller's standard input; off: the null device.
    void setForwardInput(bool forward);
    // forward on: output chunks are emitted as signals instead of being collected;
    // mergeChannels on: standard error goes into standard output.
    void setForwardOutput(bool forward, bool mergeChannels);
    // Starts the child in its own process group so that sendQuitSignal() reaches it and the
    // programs it started.
    void setNewProcessGroup(bool on);
    // Starts the child with QProcess::startDetached() and does not wait for it.
    void setDetached(bool detached);
    // A waiting run that lasts longer is killed (with its process group when it has one) and
    // fails with timedOut() set. Zero, the default, waits as long as the child runs.
    void setTimeout(std::chrono::milliseconds timeout);

    void run(const QString &program, const QStringList &arguments, bool wait);

    bool success() const { return m_success; }
    int exitCode() const { return m_exitCode; }
    QString errorMessage() const { return m_errorMessage; }
    QString standardOutput() const { return m_standardOutput; }
    QStringList standardOutputLines() const { return m_standardOutputLines; }
    QString standardError() const { return m_standardError; }
    QStringList standardErrorLines() const { return m_standardErrorLines; }
    qint64 elapsedMs() const { return m_elapsedMs; }
    bool isRunning() const { return m_running; }
    bool isDetached() const { return m_detached; }
    bool timedOut() const { return m_timedOut; }

public Q_SLOTS:
    // Asks the child's process group to quit (CTRL_BREAK on Windows, SIGINT elsewhere). Does
    // nothing unless the child runs in a process group of its own.
    void sendQuitSignal();

Q_SIGNALS:
    void finished(bool success);
    void standardOutReady(const QString &text);
    void standardErrorReady(const QString &text);

private Q_SLOTS:
    void onFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void onErrorOccurred(QProcess::ProcessError error);
    void onStarted();
    void onReadyReadStandardOutput();
    void onReadyReadStandardError();
    void onTimeout();

private:
    LmtRunnerProcess *process();
    void connectProcess();
    void configureChannels();
    QString commandText() const;
    QString directoryText() const;
    void finishRun();

    int m_exitCode = 0;
    bool m_forwardOutput = false;
    bool m_mergeChannels = false;
    bool m_forwardInput = false;
    bool m_newProcessGroup = false;
    bool m_running = false;
    bool m_success = false;
    bool m_started = false;
    bool m_detached = false;
    bool m_timedOut = false;
    LmtRunnerProcess *m_process = nullptr;
    QString m_workingDirectory;
    QString m_errorMessage;
    QString m_standardOutput;
    QStringList m_standardOutputLines;
    QString m_standardError;
    QStringList m_standardErrorLines;
    QStringDecoder m_outputDecoder;
    QStringDecoder m_errorDecoder;
    QString m_program;
    QStringList m_arguments;
    qint64 m_startTimeNs = 0;
    qint64 m_elapsedMs = 0;
    std::chrono::milliseconds m_timeout { 0 };
    QTimer *m_timeoutTimer = nullptr;
    QEventLoop *m_eventLoop = nullptr;
};

} // namespace zendrel::lmt::lmtqueryapi
