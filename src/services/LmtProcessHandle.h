#pragma once

#include "shared_toolkit/LmtTr.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <memory>

namespace zendrel::lmt::setup {

// A shared handle on one asynchronously running child. It re-emits what the child prints (with
// the password taken out of any URL in it: the launcher service echoes the update-site URL it
// was given) and reports its end through finished(). The handle lives on the thread that started it
// and its signals reach receivers there. Dropping the last reference before wait() waits for the
// child (up to 30 s) so that no child is left behind unnoticed.
class LmtProcessHandle : public QObject
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtProcessHandle)

public:
    // Throws std::runtime_error ("process failed to start") when the child has not started
    // within 30 seconds.
    static std::shared_ptr<LmtProcessHandle> start(
        const QString &program, const QStringList &arguments);
    ~LmtProcessHandle() override;

    // Waits up to 30 seconds for the child to end, then releases the process.
    void wait();
    void kill();
    // Gives the child up without waiting for it: asks it to terminate, and lets the process
    // object release itself whenever the child really ends. The handle reports nothing more
    // and counts as finished, so dropping it afterwards does not wait either. For the GUI
    // thread, which must never block on a child.
    void abandon();
    void write(const QByteArray &data);
    // Waits up to timeoutMs until what write() queued has been handed to the child.
    bool waitForBytesWritten(int timeoutMs);
    // Ends the child's standard input: it reads end-of-file after the bytes already written.
    void closeWriteChannel();

    // The last chunk with text the child wrote to standard error, trimmed, or the final
    // failure text.
    QString lastError() const { return m_lastError; }
    // Set by wait() only.
    bool isFinished() const { return m_finished; }

    // Writes what the child prints to the log under tag: standard error at critical level,
    // standard output at debug level. Written directly from the thread that reads the child.
    void logOutput(const char *tag);

Q_SIGNALS:
    void finished(bool success, const QString &errorStr);
    void stdOutReady(const QString &text);
    void stdErrorReady(const QString &text);

private:
    LmtProcessHandle();
    void readStandardOutput();
    void readStandardError();
    void onProcessFinished(int exitCode, QProcess::ExitStatus exitStatus);

    QString m_lastError;
    bool m_finished = false;
    QProcess *m_process = nullptr;
    QStringDecoder m_outputDecoder;
    QStringDecoder m_errorDecoder;
};

} // namespace zendrel::lmt::setup
