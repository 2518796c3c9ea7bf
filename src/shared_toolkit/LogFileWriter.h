#pragma once

#include <QtGlobal>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

class QFile;

namespace zendrel::lmt::shared_toolkit {

// The write buffer in front of the log file: lines collect in memory and reach the disk in
// large writes - at once when the caller asks for it (the log does so for warnings and above),
// when the buffer is full, when the file is changed or closed, at exit, and otherwise at the
// latest FlushDelayMs after the first line that is not yet written, from a background thread.
//
// What reaches the disk when the program fails: every warning, critical and fatal line is
// written before its logging call returns, together with everything buffered before it, so
// the lines leading to a qFatal() or a failed assertion are on disk; an exception that escapes
// to std::terminate() and the end of the program (return from main() or exit()) write out the
// rest. Only an end that bypasses the program's own paths (a signal, a kill) can lose the info
// and debug lines of the last FlushDelayMs.
class LogFileWriter
{
public:
    static constexpr int FlushDelayMs = 100;
    static constexpr qsizetype Capacity = 64 * 1024;

    LogFileWriter();
    ~LogFileWriter();
    LogFileWriter(const LogFileWriter &) = delete;
    LogFileWriter &operator=(const LogFileWriter &) = delete;

    // The open file the bytes go to (not owned), or null; what the previous one still had
    // waiting is written to it first.
    void setFile(QFile *file);
    // Bytes written while no file is set are dropped.
    void write(const char *bytes, qsizetype length, bool flushNow);
    void flush();

private:
    void flushLocked();
    void runFlusher();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    QFile *m_file = nullptr;
    std::unique_ptr<char[]> m_buffer;
    qsizetype m_pending = 0;
    bool m_stopping = false;
    std::thread m_flusher;
};

// The writer of the process-wide log.
LogFileWriter &logFileWriter();

} // namespace zendrel::lmt::shared_toolkit
