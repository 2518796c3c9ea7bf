#include "shared_toolkit/LogFileWriter.h"

#include <QFile>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <exception>

namespace zendrel::lmt::shared_toolkit {

namespace {

std::terminate_handler previousTerminateHandler = nullptr;

// An exception that nobody catches ends the program without running the destructors that
// would write out the buffer.
[[noreturn]] void flushLogAndTerminate()
{
    logFileWriter().flush();
    if (previousTerminateHandler)
        previousTerminateHandler();
    std::abort();
}

} // namespace

LogFileWriter &logFileWriter()
{
    static LogFileWriter writer;
    static const bool terminateHandled = [] {
        previousTerminateHandler = std::set_terminate(flushLogAndTerminate);
        return true;
    }();
    Q_UNUSED(terminateHandled);
    return writer;
}

LogFileWriter::LogFileWriter()
    : m_buffer(new char[Capacity])
    , m_flusher([this] { runFlusher(); })
{
}

LogFileWriter::~LogFileWriter()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        flushLocked();
        m_file = nullptr;
        m_stopping = true;
    }
    m_wake.notify_all();
    m_flusher.join();
}

void LogFileWriter::setFile(QFile *file)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    flushLocked();
    m_file = file;
}

void LogFileWriter::write(const char *bytes, qsizetype length, bool flushNow)
{
    bool wakeFlusher = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_file)
            return;
        if (m_pending + length > Capacity)
            flushLocked();
        if (length > Capacity) {
            m_file->write(bytes, length);
        } else {
            wakeFlusher = m_pending == 0 && !flushNow;
            std::memcpy(m_buffer.get() + m_pending, bytes, size_t(length));
            m_pending += length;
        }
        if (flushNow)
            flushLocked();
    }
    if (wakeFlusher)
        m_wake.notify_one();
}

void LogFileWriter::flush()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    flushLocked();
}

void LogFileWriter::flushLocked()
{
    if (m_file && m_pending > 0)
        m_file->write(m_buffer.get(), m_pending);
    m_pending = 0;
}

void LogFileWriter::runFlusher()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping) {
        m_wake.wait(lock, [this] { return m_stopping || m_pending > 0; });
        // Lines that arrive meanwhile join the same write.
        m_wake.wait_for(
            lock, std::chrono::milliseconds(FlushDelayMs), [this] { return m_stopping; });
        flushLocked();
    }
}

} // namespace zendrel::lmt::shared_toolkit
