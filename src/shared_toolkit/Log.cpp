#include "shared_toolkit/Log.h"

#include "platform/LmtPlatform.h"
#include "shared_toolkit/LogFileWriter.h"
#include "shared_toolkit/LogTimeStamp.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>

#include <algorithm>
#include <cstring>

// Both categories bring the log into being, so the very first program line already goes
// through its message handler. Debug lines stay off unless logging rules enable them.
const QLoggingCategory &lmtLocal()
{
    zendrel::lmt::shared_toolkit::Log::instance();
    static const QLoggingCategory category("LOCAL", QtInfoMsg);
    return category;
}

const QLoggingCategory &lmtPerformance()
{
    zendrel::lmt::shared_toolkit::Log::instance();
    static const QLoggingCategory category("performance", QtInfoMsg);
    return category;
}

namespace zendrel::lmt::shared_toolkit {

namespace {

void forwardToLog(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    Log::instance().messageHandler(type, context, message);
}

const char *levelText(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return "DEBUG";
    case QtWarningMsg:
        return "WARNING";
    case QtCriticalMsg:
        return "CRITICAL";
    case QtFatalMsg:
        return "ERROR";
    case QtInfoMsg:
        return "INFO";
    }
    return "";
}

// Lines that explain a failure must be on disk before anything else can go wrong.
bool isFlushedAtOnce(QtMsgType type)
{
    return type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg;
}

// The time stamp of the file lines; used under the log's lock only.
LogTimeStamp &lineTimeStamp()
{
    static LogTimeStamp stamp;
    return stamp;
}

} // namespace

Log &Log::instance()
{
    static Log log;
    return log;
}

Log::Log()
{
    // Created first, so that it outlives the log and takes the last lines at exit.
    logFileWriter();
    qInstallMessageHandler(forwardToLog);
}

Log::~Log()
{
    // Later messages (static destructors) must not reach a destroyed log.
    qInstallMessageHandler(nullptr);
    QMutexLocker lock(&m_mutex);
    close();
    m_listeners.clear();
}

bool Log::open(const QString &path)
{
    QMutexLocker lock(&m_mutex);
    close();
    auto file = std::make_unique<QFile>(path);
    // Unbuffered: the log's writer already gathers the lines into large writes.
    if (!file->open(
            QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text | QIODevice::Unbuffered))
        return false;
    m_file = std::move(file);
    logFileWriter().setFile(m_file.get());
    return true;
}

void Log::close()
{
    QMutexLocker lock(&m_mutex);
    if (m_file) {
        logFileWriter().setFile(nullptr);
        m_file->close();
        m_file.reset();
    }
}

void Log::flush()
{
    logFileWriter().flush();
}

QString Log::fileName() const
{
    QMutexLocker lock(&m_mutex);
    return m_file ? m_file->fileName() : QString();
}

void Log::write(QStringView text)
{
    write(text.toUtf8());
}

void Log::write(const QString &text)
{
    write(text.toUtf8());
}

void Log::write(QLatin1String text)
{
    write(QString(text));
}

void Log::write(const QByteArray &bytes)
{
    write(bytes.constData(), bytes.size());
}

void Log::write(const std::wstring &text)
{
    write(QString::fromStdWString(text));
}

void Log::write(const std::string &text)
{
    write(text.data(), static_cast<qsizetype>(text.size()));
}

void Log::write(const char *bytes, qsizetype length)
{
    std::vector<LogListener *> listeners;
    {
        QMutexLocker lock(&m_mutex);
        listeners = m_listeners;
        logFileWriter().write(bytes, length, false);
    }
    // Outside the lock, so that a listener may log itself.
    for (LogListener *listener : listeners) {
        if (listener && listener->onWrite)
            listener->onWrite(bytes, length);
    }
}

void Log::write(const char *text)
{
    write(text, static_cast<qsizetype>(std::strlen(text)));
}

void Log::addListener(LogListener *listener)
{
    QMutexLocker lock(&m_mutex);
    m_listeners.push_back(listener);
}

void Log::removeListener(LogListener *listener)
{
    QMutexLocker lock(&m_mutex);
    m_listeners.erase(
        std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
}

bool Log::directToFile() const
{
    QMutexLocker lock(&m_mutex);
    return m_directToFile;
}

void Log::setDirectToFile(bool direct)
{
    QMutexLocker lock(&m_mutex);
    m_directToFile = direct;
}

void Log::setEchoToConsole(bool echo)
{
    QMutexLocker lock(&m_mutex);
    m_echoToConsole = echo;
}

bool Log::echoToConsole() const
{
    QMutexLocker lock(&m_mutex);
    return m_echoToConsole;
}

QString Log::levelWord(QtMsgType type)
{
    return QString::fromLatin1(levelText(type));
}

QString Log::fileLine(QtMsgType type, const QString &message, const QDateTime &time)
{
    return QStringLiteral("[%1 %2] %3")
        .arg(time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")), levelWord(type),
            message.trimmed() + QLatin1Char('\n'));
}

QString Log::consoleLine(QtMsgType type, const QString &message)
{
    return QStringLiteral("[%1] %2").arg(levelWord(type), message.trimmed() + QLatin1Char('\n'));
}

bool Log::isEchoed(QtMsgType type, const char *category)
{
    if (type == QtDebugMsg || !category)
        return false;
    return std::strcmp(category, "default") != 0 && std::strcmp(category, "performance") != 0;
}

void Log::messageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    // The same bytes as fileLine(), built without QString::arg() and with the time stamp text
    // of the current millisecond reused: reading a large catalogue logs hundreds of thousands
    // of lines.
    const QByteArray text = message.trimmed().toUtf8();
    const char *level = levelText(type);
    const qsizetype levelLength = qsizetype(std::strlen(level));
    const bool flushNow = isFlushedAtOnce(type);
    QByteArray line;
    bool direct = false;
    {
        QMutexLocker lock(&m_mutex);
        // Stamped under the lock, so that the times in the file never go backwards.
        const QByteArrayView stamp = lineTimeStamp().text(QDateTime::currentMSecsSinceEpoch());
        line.reserve(stamp.size() + levelLength + text.size() + 5);
        line.append('[').append(stamp).append(' ').append(level, levelLength).append("] ");
        line.append(text).append('\n');
        direct = m_directToFile;
        if (direct)
            logFileWriter().write(line.constData(), line.size(), flushNow);
    }
    if (!direct) {
        write(line);
        if (flushNow)
            flush();
    }

    QMutexLocker lock(&m_mutex);
    if (m_echoToConsole && isEchoed(type, context.category))
        platform::writeConsoleEcho(consoleLine(type, message));
}

QString logFileName(const QString &baseName, const QDateTime &time, qint64 pid)
{
    return QStringLiteral("%1-%2-%3.log")
        .arg(baseName, time.toString(QStringLiteral("yyyyMMdd.HHmmss.zzz")), QString::number(pid));
}

void removeOldLogFiles(const QString &folder, int maxAgeDays)
{
    const QDateTime limit = QDateTime::currentDateTime().addDays(-maxAgeDays);
    const QFileInfoList files
        = QDir(folder).entryInfoList({ QStringLiteral("*.log") }, QDir::Files, QDir::NoSort);
    for (const QFileInfo &info : files) {
        if (info.lastModified() < limit)
            QFile::remove(info.absoluteFilePath());
    }
}

Log *initLog(const QString &directory, const QString &baseName, bool echo)
{
    Log &log = Log::instance();
    QDir(directory).mkdir(baseName);
    const QString folder = QDir(directory).filePath(baseName);
    removeOldLogFiles(folder);

    const QString path = QDir(folder).filePath(
        logFileName(baseName, QDateTime::currentDateTime(), QCoreApplication::applicationPid()));
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));

    if (!log.open(path)) {
        qCCritical(lmtLocal).noquote() << "Could not create log file:" << path;
        return nullptr;
    }
    log.setEchoToConsole(echo);
    qCInfo(lmtLocal).noquote() << "Log file=" + QDir::fromNativeSeparators(path);
    return &log;
}

} // namespace zendrel::lmt::shared_toolkit
