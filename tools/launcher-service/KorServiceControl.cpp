#include "KorServiceControl.h"

#include "KorConsole.h"
#include "KorHttpService.h"
#include "KorInstanceRecord.h"
#include "KorPaths.h"
#include "platform/LmtPlatform.h"
#include "shared_toolkit/Log.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QThread>
#include <QTimer>

namespace zendrel::lmt::korservice {

namespace {

const int kStartTimeoutMs = 20000;
// How often the service checks that it is still the one its record names.
const int kWatchIntervalMs = 2000;

} // namespace

int KorServiceControl::start() const
{
    QDir().mkpath(paths::serviceDirectory());
    // Two callers starting at once must not end up with two services.
    QLockFile lock(paths::startLockFile());
    if (!lock.tryLock(kStartTimeoutMs)) {
        printError(QStringLiteral("Another start of the launcher service does not finish"));
        return 1;
    }
    const KorInstanceProbe probe;
    if (const quint16 port = probe.runningPort()) {
        qCInfo(lmtLocal).noquote() << "[KorServiceControl]"
                                   << "Service already runs on port" << port;
        return 0;
    }

    QProcess service;
    service.setProgram(QCoreApplication::applicationFilePath());
    service.setArguments({ QStringLiteral("--serve") });
    service.setWorkingDirectory(QDir::homePath());
    // The service outlives its starter: it must not hold the starter's pipes open.
    service.setStandardInputFile(QProcess::nullDevice());
    service.setStandardOutputFile(QProcess::nullDevice());
    service.setStandardErrorFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!service.startDetached(&pid)) {
        printError(
            QStringLiteral("Cannot start the launcher service: %1").arg(service.errorString()));
        return 1;
    }
    qCInfo(lmtLocal).noquote() << "[KorServiceControl]"
                               << "Started service process" << pid;

    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!deadline.hasExpired()) {
        const KorInstanceRecord record = KorInstanceRecord::load(paths::instanceFile());
        if (record.pid == pid && record.isValid() && probe.answers(record.port, pid)) {
            qCInfo(lmtLocal).noquote() << "[KorServiceControl]"
                                       << "Service answers on port" << record.port;
            return 0;
        }
        QThread::msleep(50);
    }
    printError(QStringLiteral("The launcher service process did not come up in time"));
    return 1;
}

int KorServiceControl::printPort() const
{
    const quint16 port = KorInstanceProbe().runningPort();
    if (port == 0) {
        printError(QStringLiteral("The launcher service is not running"));
        return 1;
    }
    qCInfo(lmtLocal).noquote() << "[KorServiceControl]"
                               << "Launcher service port:";
    printLine(QString::number(port));
    return 0;
}

int KorServiceControl::stop() const
{
    const KorInstanceRecord record = KorInstanceRecord::load(paths::instanceFile());
    if (!record.isValid() || !KorInstanceProbe().answers(record.port, record.pid)) {
        qCInfo(lmtLocal).noquote() << "[KorServiceControl]"
                                   << "No service to stop";
        return 0;
    }
    if (!platform::terminateProcess(record.pid)) {
        qCCritical(lmtLocal).noquote() << "[KorServiceControl]"
                                       << "Cannot stop process" << record.pid;
        return 1;
    }
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!deadline.hasExpired() && KorInstanceProbe(500).answers(record.port, record.pid))
        QThread::msleep(50);
    QFile::remove(paths::instanceFile());
    qCInfo(lmtLocal).noquote() << "[KorServiceControl]"
                               << "Stopped service process" << record.pid;
    return 0;
}

int KorServiceControl::serve() const
{
    const qint64 pid = QCoreApplication::applicationPid();
    KorHttpService http;
    const quint16 port = http.listen();
    if (port == 0)
        return 1;
    const QString recordPath = paths::instanceFile();
    QDir().mkpath(paths::serviceDirectory());
    if (!KorInstanceRecord { port, pid }.save(recordPath)) {
        qCCritical(lmtLocal).noquote() << "[KorServiceControl]"
                                       << "Cannot write" << recordPath;
        return 1;
    }

    // A service whose record is gone (removed, or taken over by a newer service) is no longer
    // the user's service: it quits instead of lingering unseen.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [recordPath, pid] {
        if (KorInstanceRecord::load(recordPath).pid != pid) {
            qCInfo(lmtLocal).noquote() << "[KorServiceControl]"
                                       << "Service record replaced or removed: quitting";
            QCoreApplication::quit();
        }
    });
    watch.start(kWatchIntervalMs);
    qCInfo(lmtLocal).noquote() << "[KorServiceControl]"
                               << "Service process" << pid << "serves on port" << port;
    const int code = QCoreApplication::exec();
    KorInstanceRecord::removeIfOwnedBy(recordPath, pid);
    return code;
}

} // namespace zendrel::lmt::korservice
