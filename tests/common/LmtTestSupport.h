#pragma once

#include "shared_toolkit/Log.h"

#include <QMutex>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

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

// Collects every formatted line the process-wide log writes while it is alive.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();

    QStringList lines() const;
    bool contains(const QString &fragment) const;
    void clear();

private:
    mutable QMutex m_mutex;
    QStringList m_lines;
    zendrel::lmt::shared_toolkit::LogListener m_listener;
    bool m_previousDirect;
};

// Folder of the built programs (the stand-ins live there too).
QString binDir();
// Root of the source tree.
QString sourceDir();

// Writes text to path (creating folders); with executable set, marks it runnable.
bool writeFile(const QString &path, const QByteArray &text, bool executable = false);

} // namespace lmttest
