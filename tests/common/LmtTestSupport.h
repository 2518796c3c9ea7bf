#pragma once

#include "shared_toolkit/Log.h"

#include <QMutex>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <exception>
#include <functional>

namespace lmttest {

// Points every per-user and per-machine directory the program uses (settings, registry
// directories, home, temp) into one temporary folder. Create it before anything touches
// applicationSettings(), e.g. as a member of the test object or in initTestCase().
class Sandbox
{
public:
    Sandbox();
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &relative) const { return m_dir.filePath(relative); }

private:
    QTemporaryDir m_dir;
};

// A Qt message handler that hands every message to the process-wide log, as the application
// does (QtTest installs its own).
inline void forwardToLog(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    zendrel::lmt::shared_toolkit::Log::instance().messageHandler(type, context, message);
}

// Collects every formatted line the process-wide log writes while it is alive. It makes sure
// the log is the active Qt message handler meanwhile (QtTest installs its own when a test
// run starts) and restores the previous handler afterwards.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();

    QStringList lines() const
    {
        QMutexLocker lock(&m_mutex);
        return m_lines;
    }
    bool contains(const QString &fragment) const { return !lines().filter(fragment).isEmpty(); }
    void clear()
    {
        QMutexLocker lock(&m_mutex);
        m_lines.clear();
    }

private:
    mutable QMutex m_mutex;
    QStringList m_lines;
    zendrel::lmt::shared_toolkit::LogListener m_listener;
    bool m_previousDirect;
    QtMessageHandler m_previousHandler = nullptr;
};

// Sends everything written to standard error (file descriptor 2) into a temporary file while
// alive; text() returns what arrived so far. Used to check what the log echoes to the console.
class StderrCapture
{
public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture &) = delete;
    StderrCapture &operator=(const StderrCapture &) = delete;

    QString text() const;

private:
    QTemporaryDir m_dir;
    QString m_path;
    int m_savedFd = -1;
};

// Folder of the built programs (the stand-ins live there too).
QString binDir();
// Root of the source tree.
inline QString sourceDir()
{
    return QStringLiteral(LUMETRA_SOURCE_DIR);
}

// Fixtures are kept as the files a user or a server would have, below tests/data/<area>/.
// fixturePath() names one; fixture() reads it and ends the test program, naming the file, when
// it cannot, so a missing fixture is never mistaken for empty input.
inline QString fixturePath(const QString &relative)
{
    return sourceDir() + "/tests/data/" + relative;
}
QByteArray fixture(const QString &relative);

// The whole content of a file; empty when it cannot be read.
QByteArray readFile(const QString &path);
// The same decoded from UTF-8.
inline QString readTextFile(const QString &path)
{
    return QString::fromUtf8(readFile(path));
}

// Every file below folder (hidden ones too), as paths relative to it, sorted; empty when the
// folder does not exist.
QStringList filesBelow(const QString &folder);

// The ids of the running processes whose folder ("/proc/<pid>/") passes test.
QList<qint64> processesWhere(const std::function<bool(const QString &folder)> &test);

// Writes text to path (creating folders); with executable set, marks it runnable.
bool writeFile(const QString &path, const QByteArray &text, bool executable = false);

// Root reads and lists everything whatever the permissions say, so a test of what an ordinary
// user cannot read must not run as root. Called first in such a test function: as root, it
// runs the current test function (and data row) again in a copy of this test program as the
// account "nobody", reports that run's verdict as this one's (or skips when the account or
// setpriv is missing) and returns true; the caller then returns at once. Returns false when
// the process is not root: the caller goes on and tests for real.
bool rerunUnprivileged();

// The message of the std::exception that call throws; empty when it throws none.
template<typename Call>
QString failureOf(Call call)
{
    try {
        call();
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    }
    return QString();
}

} // namespace lmttest
