#pragma once

#include "services/LmtServiceTypes.h"

#include <QObject>
#include <QString>

namespace zendrel::lmt::setup {

// The thread-side half of the installer: installs the queued packages one at a time.
class ILmtInstallerWorker : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~ILmtInstallerWorker() override = default;

Q_SIGNALS:
    void installWorkerStatus(LmtOperationStatus status, QString featureId, QString version,
        QString errorStr = QString());
    // Asks the worker (on its own thread) to install the head of the queue, unless it is busy.
    void installPackageRequested();
    void error(LmtErrorCode errorCode, QString message);
    void appendUILog(QString text, ConsoleMessageType type = ConsoleMessageType::Auto);
};

} // namespace zendrel::lmt::setup
