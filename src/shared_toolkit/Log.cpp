#include "shared_toolkit/Log.h"

#include "platform/LmtPlatform.h"

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

} // namespace

Log &Log::instance()
{
    static Log log;
    return log;
}

Log::Log()
{
    qInstallMessageHandler(forwardToLog);
}

Log::~Log()
{
    // Later messages (static destructors) must not reach a destroyed log.
    qInstallMessageHandler(nullptr);
    QMutexLocker lock(&m_mutex);
    if (m_file)
        m_file->close();
    m_file.reset();
    m_listeners.clear();
}

bool Log::open(const QString &path)
{
    QMutexLocker lock(&m_mutex);
    close();
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return false;
    m_file = std::move(file);
    return true;
}

void Log::close()
{
    QMutexLocker lock(&m_mutex);
    if (m_file) {
        m_file->close();
        m_file.reset();
    }
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
        if (m_file) {
            m_file->write(bytes, length);
            m_file->flush();
        }
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
    switch (type) {
    case QtDebugMsg:
        return QStringLiteral("DEBUG");
    case QtWarningMsg:
        return QStringLiteral("WARNING");
    case QtCriticalMsg:
        return QStringLiteral("CRITICAL");
    case QtFatalMsg:
        return QStringLiteral("ERROR");
    case QtInfoMsg:
        return QStringLiteral("INFO");
    }
    return {};
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
    const QString line = fileLine(type, message, QDateTime::currentDateTime());
    bool direct = false;
    {
        QMutexLocker lock(&m_mutex);
        direct = m_directToFile;
        if (direct && m_file) {
            m_file->write(line.toUtf8());
            m_file->flush();
        }
    }
    if (!direct)
        write(line);

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
