#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QFile;

// All program lines go through this category: qCInfo(lmtLocal).noquote() << "[Tag]" << text;
Q_DECLARE_LOGGING_CATEGORY(lmtLocal)
// Timing lines; written to the file but never echoed to the console.
Q_DECLARE_LOGGING_CATEGORY(lmtPerformance)

namespace zendrel::lmt::shared_toolkit {

// Receives every byte chunk written through the log's write() operations.
struct LogListener {
    std::function<void(const char *bytes, qsizetype length)> onWrite;
};

// The process-wide log: installed as the Qt message handler, one UTF-8 file per run and an
// optional echo of the program's warnings and errors to standard error. The file is written
// through a buffer; LogFileWriter says when its lines reach the disk.
class Log final
{
public:
    static Log &instance();

    bool open(const QString &path);
    void close();
    QString fileName() const;
    void write(QStringView text);
    void write(const QString &text);
    void write(QLatin1String text);
    void write(const QByteArray &bytes);
    void write(const std::wstring &text);
    void write(const std::string &text);
    void write(const char *bytes, qsizetype length);
    void write(const char *text);
    void addListener(LogListener *listener);
    void removeListener(LogListener *listener);
    bool directToFile() const;
    void setDirectToFile(bool direct);
    void messageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message);
    void setEchoToConsole(bool echo);
    ~Log();

    bool echoToConsole() const;
    // Writes out the lines still waiting in the file's buffer.
    void flush();

    // "[yyyy-MM-dd HH:mm:ss.zzz LEVEL] message\n" and "[LEVEL] message\n".
    static QString fileLine(QtMsgType type, const QString &message, const QDateTime &time);
    static QString consoleLine(QtMsgType type, const QString &message);
    static QString levelWord(QtMsgType type);
    // Whether a line of this type and category is echoed to standard error (given echo is on).
    static bool isEchoed(QtMsgType type, const char *category);

private:
    Log();
    Log(const Log &) = delete;
    Log &operator=(const Log &) = delete;

    // The standard lock rather than Qt's: its locking is visible to the thread checker, which
    // cannot see inside the system's Qt library.
    mutable std::recursive_mutex m_mutex;
    std::unique_ptr<QFile> m_file;
    std::vector<LogListener *> m_listeners;
    bool m_directToFile = true;
    bool m_echoToConsole = true;
};

// Opens "<directory>/<baseName>/<baseName>-<yyyyMMdd.HHmmss.zzz>-<pid>.log" after removing
// log files older than 14 days there. Returns null (and logs why) when the file cannot be
// created; logging then goes on to the console only.
Log *initLog(const QString &directory, const QString &baseName, bool echo);

// Deletes "*.log" files in folder whose last modification is older than maxAgeDays.
void removeOldLogFiles(const QString &folder, int maxAgeDays = 14);

// The log file name for a start at the given time by the given process.
QString logFileName(const QString &baseName, const QDateTime &time, qint64 pid);

} // namespace zendrel::lmt::shared_toolkit
